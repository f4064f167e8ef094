#pragma once
#include <QWidget>

namespace korvel {

// What the page view and the editing controls beside it lie on: white, with the A4
// sheet's edge drawn as a soft shadow below and right of the page. The controls that
// reach past the sheet (the alignment panels) stand on the canvas and cover the
// shadow, so the sheet's edge never runs through a control.
class PageCanvas : public QWidget {
    Q_OBJECT
public:
    explicit PageCanvas(QWidget *parent = nullptr);
    // The page view whose shadow is drawn.
    void setPage(QWidget *page) { m_page = page; }

    static constexpr int kShadowWidth = 6;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QWidget *m_page = nullptr;
};

} // namespace korvel

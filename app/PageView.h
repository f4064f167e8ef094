#pragma once
#include <QWidget>

namespace korvel {

class CoverPage;

// Shows the cover page at its current zoom. It only paints: the page model holds
// every attribute and decides what changed.
class PageView : public QWidget {
    Q_OBJECT
public:
    explicit PageView(CoverPage &page, QWidget *parent = nullptr);
    CoverPage &page() { return m_page; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void resizeToPage();
    CoverPage &m_page;
};

} // namespace korvel

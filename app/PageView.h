#pragma once
#include <QWidget>

namespace korvel {

class CoverPage;
class SheetView;

// Shows the cover page at its view's zoom. It only paints: the page model holds every
// attribute, and its view (zoom, screen marks) decides what changed on the screen.
class PageView : public QWidget {
    Q_OBJECT
public:
    explicit PageView(CoverPage &page, QWidget *parent = nullptr);
    CoverPage &page() { return m_page; }
    SheetView &view() const { return *m_view; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void resizeToPage();
    CoverPage &m_page;
    SheetView *m_view;
};

} // namespace korvel

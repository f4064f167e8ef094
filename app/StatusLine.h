#pragma once
#include <QObject>

class QLabel;
class QStatusBar;

namespace korvel {

class CoverPage;
class SheetView;

// The main window's status line beside the notices: the zoom, and in red what will
// not come out right on paper (text lines that do not fit their box, pictures too
// coarse for print).
class StatusLine : public QObject {
    Q_OBJECT
public:
    StatusLine(const CoverPage &page, const SheetView &view, QStatusBar &bar);
    // The disc label's sheet: its texts and picture are warned about too.
    void setLabel(const CoverPage &label) { m_label = &label; }

    // The warnings follow the page as it is now.
    void showWarnings();
    // The zoom of the sheet shown (the view's own changes show by themselves).
    void showZoom(int zoom);

private:
    const CoverPage &m_page;
    const CoverPage *m_label = nullptr;
    QLabel *m_warnings;
    QLabel *m_zoom;
};

} // namespace korvel

#pragma once
#include <QPrintPreviewDialog>

namespace korvel {

// The print preview of the cover. The cover is one A4 portrait page, so the
// preview offers neither landscape nor a page set-up, and its "Print" closes the
// preview and asks for the program's own print command, so that a page printed
// from the preview gets the same paper, file name and printer calibration as one
// printed from the toolbar.
class CoverPreviewDialog : public QPrintPreviewDialog {
    Q_OBJECT
public:
    explicit CoverPreviewDialog(QPrinter *printer, QWidget *parent = nullptr);

    // Whether the preview was closed by its "Print".
    bool printRequested() const { return m_printRequested; }

private:
    bool m_printRequested = false;
};

} // namespace korvel

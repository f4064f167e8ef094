#include "dialogs/CoverPreviewDialog.h"

#include <QAction>
#include <QCoreApplication>

namespace korvel {

CoverPreviewDialog::CoverPreviewDialog(QPrinter *printer, QWidget *parent)
    : QPrintPreviewDialog(printer, parent)
{
    // The preview's own actions are found by their (translated) captions, which is
    // all that Qt makes public of them.
    auto caption = [](const char *text) { return QCoreApplication::translate("QPrintPreviewDialog", text); };
    const QString portrait = caption("Portrait"), landscape = caption("Landscape"),
                  pageSetup = caption("Page setup"), print = caption("Print");
    for (QAction *action : findChildren<QAction *>()) {
        const QString text = action->text();
        if (text == portrait || text == landscape || text == pageSetup) {
            action->setEnabled(false);
            action->setVisible(false);
        } else if (text == print) {
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this, [this] {
                m_printRequested = true;
                accept();
            });
        }
    }
}

} // namespace korvel

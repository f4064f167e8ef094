#include "dialogs/Ask.h"

#include <QApplication>

#include "dialogs/TDotazFrm.h"

namespace korvel {

AskAnswer askOrCancel(const QString &caption, const QString &message, int kind)
{
    // A window of its own for each question, gone before we return. It belongs to the
    // window the user is in (the spine window, an editor, the main window), so it
    // opens above it rather than behind it.
    TDotazFrm dialog(QApplication::activeWindow());
    dialog.setMessage(message);
    dialog.setWindowTitle(caption);
    dialog.setKind(kind);
    dialog.exec();
    return dialog.answer();
}

bool Ask(const QString &caption, const QString &message, int kind)
{
    return askOrCancel(caption, message, kind) == AskAnswer::Yes;
}

} // namespace korvel

#include "dialogs/Ask.h"

#include "dialogs/TDotazFrm.h"

namespace korvel {

AskAnswer askOrCancel(const QString &caption, const QString &message, int kind)
{
    // A window of its own for each question, with no owner, gone before we return.
    TDotazFrm dialog;
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

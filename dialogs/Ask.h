#pragma once
#include <QString>

namespace korvel {

// The program's one yes-or-no question. Shows the modal question window with the
// given caption, one-line message and icon (0 tick, 1 question mark, 2 stop sign,
// 3 information sign, above 3 the tick, negative no icon) and returns true for
// "Ano", false for "Ne" and for a window closed any other way (its close button,
// Escape): the action asked about is not taken.
bool Ask(const QString &caption, const QString &message, int kind);

// The same question where closing the window is an answer of its own: the user
// went back, so the command that asked stops and nothing is lost or changed. Used
// where "Ne" throws work away (unsaved work, a recovery copy).
enum class AskAnswer { Yes, No, Cancelled };
AskAnswer askOrCancel(const QString &caption, const QString &message, int kind);

} // namespace korvel

#pragma once
#include <QString>

namespace korvel {

// The program's one yes-or-no question. Shows the modal question window with the
// given caption, one-line message and icon (0 tick, 1 question mark, 2 stop sign,
// 3 information sign, above 3 the tick, negative no icon) and returns true for
// "Ano", false for "Ne". Closing the window any other way answers "Ne".
bool Ask(const QString &caption, const QString &message, int kind);

} // namespace korvel

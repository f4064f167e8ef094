#pragma once
#include <QString>

class QWidget;

namespace korvel {

// Where a tool window was last left, remembered per user under key. The first time
// (or when that place lies on no screen connected today) the window is centred on
// its owner's screen instead.
void placeWindow(QWidget *window, const QString &key);
void saveWindowPlacement(const QWidget *window, const QString &key);

} // namespace korvel

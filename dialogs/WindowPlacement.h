#pragma once
#include <QString>

class QWidget;

namespace korvel {

// Where a tool window was last left, remembered per user under key. The first time
// (or when that place lies on no screen connected today) the window is centred on
// its owner's screen instead.
void placeWindow(QWidget *window, const QString &key);
void saveWindowPlacement(const QWidget *window, const QString &key);

// Centres the window, frame included, on its owner's screen (the primary screen
// for a window without owner).
void centreOnScreen(QWidget *window);

} // namespace korvel

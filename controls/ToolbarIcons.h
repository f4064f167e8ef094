#pragma once
#include <QIcon>
#include <QString>

namespace korvel {

// The toolbar's glyphs, drawn by the program itself (no image files to ship).
QIcon toolbarIcon(const QString &actionName);

} // namespace korvel

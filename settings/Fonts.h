#pragma once
#include <QString>

class QFont;

namespace korvel {

// Cover files and metafiles name Windows typefaces, and a user may pick a face that
// another machine lacks. Rather than let fontconfig pick whatever it finds first
// (which differs from machine to machine), the program chooses the face itself:
//  - the common Windows faces map to their metric-compatible Liberation or DejaVu
//    twins ("Arial", "Arial CE", "Helvetica", "MS Sans Serif" -> Liberation Sans;
//    "Times New Roman" -> Liberation Serif; "Courier New" -> Liberation Mono;
//    "Verdana", "Tahoma" -> DejaVu Sans), CE variants included;
//  - any other installed face is used as it is;
//  - a face that is not installed becomes Liberation Mono when its name says it is
//    monospaced, Liberation Serif when its name says serif, else Liberation Sans.
// The screen, the preview and the printer all draw through fonts made here, so they
// agree. Needs a QGuiApplication.
QString resolveFontFamily(const QString &name);

// A font of the resolved family for a name, with no hinting and no kerning, so
// widths scale linearly from the screen to paper.
QFont makeCoverFont(const QString &name);

// Installs the Windows names as substitutes too, for the program's own widgets that
// name "MS Sans Serif" as their font. Needs a QGuiApplication.
void installFontSubstitutes();

} // namespace korvel

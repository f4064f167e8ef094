#pragma once

namespace korvel {

// Maps the typeface names that cover files use onto fonts every Linux machine has:
// "Arial" and "Arial CE" onto Liberation Sans, which has the same metrics, so line
// breaks and sizes come out the same everywhere; "MS Sans Serif" onto a plain sans
// face. Needs a QGuiApplication.
void installFontSubstitutes();

} // namespace korvel

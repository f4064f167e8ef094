#pragma once
#include <QColor>
#include <cstdint>
#include <optional>

class QString;

namespace korvel {

// A colour as the project file stores it: 0x00BBGGRR for a plain RGB colour, or
// 0x80000000 + index for a reference to a system colour that is resolved only when
// drawing, and clNone for "no colour".
using ColorRef = std::uint32_t;

inline constexpr ColorRef clNone = 0x1FFFFFFF;
inline constexpr ColorRef clWindowText = 0x80000008;
inline constexpr ColorRef clBtnFace = 0x8000000F;
inline constexpr ColorRef clBlack = 0x000000;
inline constexpr ColorRef clWhite = 0xFFFFFF;
inline constexpr ColorRef clSilver = 0xC0C0C0;
inline constexpr ColorRef clGray = 0x808080;
inline constexpr ColorRef clRed = 0x0000FF;
inline constexpr ColorRef clBlue = 0xFF0000;
inline constexpr ColorRef clYellow = 0x00FFFF;
inline constexpr ColorRef clNavy = 0x800000;
inline constexpr ColorRef clPurple = 0x800080;
inline constexpr ColorRef clTeal = 0x808000;
inline constexpr ColorRef clAqua = 0xFFFF00;
inline constexpr ColorRef clBtnShadow = 0x80000010;
inline constexpr ColorRef clGrayText = 0x80000011;
inline constexpr ColorRef clBtnHighlight = 0x80000014;

constexpr ColorRef rgbColor(int r, int g, int b)
{
    return ColorRef(r & 0xFF) | (ColorRef(g & 0xFF) << 8) | (ColorRef(b & 0xFF) << 16);
}
constexpr bool isSystemColor(ColorRef c) { return (c & 0x80000000u) != 0; }

// Resolves a colour to RGB. System colours follow the standard desktop scheme
// (window text black, button face light grey) so that a printed cover does not
// depend on the look the user's desktop happens to have; an unknown index gives
// black. clNone resolves to a transparent colour.
QColor resolveColor(ColorRef c);

// Reads a colour in its textual form: a colour name such as "clRed" or
// "clBtnFace" (any letter case), or an integer in decimal or in hex with a "$" or
// "0x" prefix, as the settings of the decorative controls list their colours.
// Anything else gives nothing, so the caller decides what a bad line means.
std::optional<ColorRef> stringToColor(const QString &text);

// The reverse for plain colours: 0x00BBGGRR from a QColor (alpha ignored).
ColorRef toColorRef(const QColor &c);

} // namespace korvel

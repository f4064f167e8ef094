#include "project/Colors.h"

#include <array>

namespace korvel {

namespace {
// The classic standard scheme, indexed by system colour number.
constexpr std::array<ColorRef, 31> kSystemColors = {
    rgbColor(200, 200, 200), // 0 scroll bar
    rgbColor(0, 128, 128),   // 1 background
    rgbColor(0, 0, 128),     // 2 active caption
    rgbColor(128, 128, 128), // 3 inactive caption
    rgbColor(192, 192, 192), // 4 menu
    rgbColor(255, 255, 255), // 5 window
    rgbColor(0, 0, 0),       // 6 window frame
    rgbColor(0, 0, 0),       // 7 menu text
    rgbColor(0, 0, 0),       // 8 window text
    rgbColor(255, 255, 255), // 9 caption text
    rgbColor(192, 192, 192), // 10 active border
    rgbColor(192, 192, 192), // 11 inactive border
    rgbColor(128, 128, 128), // 12 app workspace
    rgbColor(0, 0, 128),     // 13 highlight
    rgbColor(255, 255, 255), // 14 highlight text
    rgbColor(192, 192, 192), // 15 button face
    rgbColor(128, 128, 128), // 16 button shadow
    rgbColor(128, 128, 128), // 17 grey text
    rgbColor(0, 0, 0),       // 18 button text
    rgbColor(192, 192, 192), // 19 inactive caption text
    rgbColor(255, 255, 255), // 20 button highlight
    rgbColor(0, 0, 0),       // 21 3D dark shadow
    rgbColor(223, 223, 223), // 22 3D light
    rgbColor(0, 0, 0),       // 23 info text
    rgbColor(255, 255, 225), // 24 info background
    rgbColor(192, 192, 192), // 25 (unused)
    rgbColor(0, 0, 255),     // 26 hot light
    rgbColor(16, 132, 208),  // 27 gradient active caption
    rgbColor(181, 181, 181), // 28 gradient inactive caption
    rgbColor(49, 106, 197),  // 29 menu highlight
    rgbColor(236, 233, 216), // 30 menu bar
};
} // namespace

QColor resolveColor(ColorRef c)
{
    if (c == clNone)
        return QColor(0, 0, 0, 0);
    if (isSystemColor(c)) {
        const std::uint32_t index = c & 0xFF;
        c = index < kSystemColors.size() ? kSystemColors[index] : clBlack;
    }
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

ColorRef toColorRef(const QColor &c)
{
    return rgbColor(c.red(), c.green(), c.blue());
}

} // namespace korvel

#include "project/Colors.h"

#include <array>
#include <QString>
#include <utility>

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

namespace {
constexpr std::pair<const char *, ColorRef> kColorNames[] = {
    {"clBlack", 0x000000},        {"clMaroon", 0x000080},     {"clGreen", 0x008000},
    {"clOlive", 0x008080},        {"clNavy", 0x800000},       {"clPurple", 0x800080},
    {"clTeal", 0x808000},         {"clGray", 0x808080},       {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},          {"clLime", 0x00FF00},       {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},         {"clFuchsia", 0xFF00FF},    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},        {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},        {"clMedGray", 0xA4A0A0},    {"clLtGray", 0xC0C0C0},
    {"clDkGray", 0x808080},       {"clNone", clNone},         {"clDefault", 0x20000000},
    {"clScrollBar", 0x80000000},  {"clBackground", 0x80000001},
    {"clActiveCaption", 0x80000002}, {"clInactiveCaption", 0x80000003},
    {"clMenu", 0x80000004},       {"clWindow", 0x80000005},   {"clWindowFrame", 0x80000006},
    {"clMenuText", 0x80000007},   {"clWindowText", 0x80000008}, {"clCaptionText", 0x80000009},
    {"clActiveBorder", 0x8000000A}, {"clInactiveBorder", 0x8000000B},
    {"clAppWorkSpace", 0x8000000C}, {"clHighlight", 0x8000000D},
    {"clHighlightText", 0x8000000E}, {"clBtnFace", 0x8000000F}, {"clBtnShadow", 0x80000010},
    {"clGrayText", 0x80000011},   {"clBtnText", 0x80000012},
    {"clInactiveCaptionText", 0x80000013}, {"clBtnHighlight", 0x80000014},
    {"cl3DDkShadow", 0x80000015}, {"cl3DLight", 0x80000016}, {"clInfoText", 0x80000017},
    {"clInfoBk", 0x80000018},     {"clHotLight", 0x8000001A},
    {"clGradientActiveCaption", 0x8000001B}, {"clGradientInactiveCaption", 0x8000001C},
    {"clMenuHighlight", 0x8000001D}, {"clMenuBar", 0x8000001E},
};
} // namespace

std::optional<ColorRef> stringToColor(const QString &text)
{
    const QString t = text.trimmed();
    for (const auto &[name, value] : kColorNames)
        if (t.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return value;
    bool ok = false;
    qint64 v = 0;
    if (t.startsWith(QLatin1Char('$')))
        v = t.mid(1).toLongLong(&ok, 16);
    else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = t.mid(2).toLongLong(&ok, 16);
    else if (t.startsWith(QLatin1String("-$")))
        v = -t.mid(2).toLongLong(&ok, 16);
    else
        v = t.toLongLong(&ok, 10);
    // A colour is a 32-bit value; negative numbers are how signed storage writes
    // the system colours, so both halves of the range are accepted.
    if (!ok || v < INT32_MIN || v > UINT32_MAX)
        return std::nullopt;
    return ColorRef(std::uint32_t(v));
}

ColorRef toColorRef(const QColor &c)
{
    return rgbColor(c.red(), c.green(), c.blue());
}

} // namespace korvel

#pragma once
#include <QRectF>
#include <array>
#include <string_view>

namespace korvel {

// Everything that stands on the A4 cover page, in tenths of a millimetre from the
// paper's top-left corner. One pixel at 100 % zoom (96 dpi) is 254/96 tenths of a
// millimetre, and every value here is a whole number of such pixels.
inline constexpr double kTenthMmPerPixel = 254.0 / 96.0;
inline constexpr double kPaperWidth = 2100.0;  // A4 portrait
inline constexpr double kPaperHeight = 2970.0;
inline constexpr double kMargin = 100.0;       // 10 mm on every side

enum class ElementKind { Rectangle, Picture, SpineBand, TextLine, TextList };

struct ElementGeometry {
    std::string_view name;
    ElementKind kind;
    double left, top, width, height; // tenths of a millimetre

    constexpr QRectF rect() const { return QRectF(left, top, width, height); }
};

namespace detail {
constexpr double px(int pixels) { return pixels * kTenthMmPerPixel; }
constexpr ElementGeometry el(std::string_view n, ElementKind k, int l, int t, int w, int h)
{
    return {n, k, px(l), px(t), px(w), px(h)};
}
} // namespace detail

// The printable elements in stacking order: later ones are drawn over earlier ones.
inline constexpr std::array<ElementGeometry, 20> kPageElements = {{
    detail::el("QRShape1", ElementKind::Rectangle, 52, 84, 459, 456),
    detail::el("MainImg", ElementKind::Picture, 53, 85, 457, 454),
    detail::el("QRShape2", ElementKind::Rectangle, 51, 584, 25, 442),
    detail::el("QRShape4", ElementKind::Rectangle, 594, 584, 25, 442),
    detail::el("QRShape3", ElementKind::Rectangle, 75, 584, 520, 442),
    detail::el("CDR", ElementKind::SpineBand, 595, 585, 23, 440),
    detail::el("CDL", ElementKind::SpineBand, 52, 585, 23, 440),
    detail::el("BckImg", ElementKind::Picture, 76, 585, 518, 440),
    detail::el("BTht", ElementKind::TextLine, 90, 597, 487, 17),
    detail::el("BTno", ElementKind::TextLine, 90, 635, 487, 24),
    detail::el("BTdt", ElementKind::TextLine, 90, 1000, 487, 17),
    detail::el("BTo", ElementKind::TextList, 90, 664, 487, 258),
    detail::el("BTit", ElementKind::TextList, 90, 931, 487, 66),
    detail::el("MTht", ElementKind::TextLine, 63, 93, 431, 18),
    detail::el("MThn", ElementKind::TextLine, 64, 169, 433, 30),
    detail::el("MTN", ElementKind::TextLine, 64, 201, 433, 79),
    detail::el("MTdn", ElementKind::TextLine, 64, 283, 433, 29),
    detail::el("MTit", ElementKind::TextLine, 64, 382, 433, 29),
    detail::el("MTdit", ElementKind::TextLine, 64, 488, 433, 18),
    detail::el("MTdt", ElementKind::TextLine, 64, 514, 433, 18),
}};

inline constexpr std::size_t kPageElementCount = kPageElements.size();

constexpr const ElementGeometry *findElement(std::string_view name)
{
    for (std::size_t i = 0; i < kPageElementCount; ++i)
        if (kPageElements[i].name == name)
            return &kPageElements[i];
    return nullptr;
}

// Screen-only captions, in page pixels at 100 % (they are never scaled).
struct ScreenCaption {
    std::string_view name;
    int left, top, width, height;
    const char *text; // UTF-8
};
inline constexpr std::array<ScreenCaption, 2> kScreenCaptions = {{
    {"Txt1", 56, 56, 131, 18, "CD - Přední strana"},
    {"Txt2", 52, 556, 124, 18, "CD - Zadní strana"},
}};

} // namespace korvel

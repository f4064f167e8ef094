#pragma once
#include <array>

#include "project/PageGeometry.h"
#include "project/layouts/SheetLayout.h"

namespace korvel {

// The inserts of a CD jewel case on one A4 page: the square front booklet page above,
// the back inlay with its two spine bands below, every element at its fixed position.
// One pixel at 100 % zoom (96 dpi) is 254/96 tenths of a millimetre, and every
// position here is a whole number of such pixels.
namespace jewel {

constexpr double px(double pixels) { return pixels * kTenthMmPerPixel; }
constexpr Shape box(int l, int t, int w, int h) { return Shape{Shape::Kind::Rectangle, px(l), px(t), px(w), px(h)}; }

inline constexpr std::array<ElementSpec, 20> kElements = {{
    {"QRShape1", ElementKind::Rectangle, box(52, 84, 459, 456)},
    {"MainImg", ElementKind::Picture, box(53, 85, 457, 454), Role::FrontPicture, {}, "MImg", ".im2", EdgeAll},
    {"QRShape2", ElementKind::Rectangle, box(51, 584, 25, 442)},
    {"QRShape4", ElementKind::Rectangle, box(594, 584, 25, 442)},
    {"QRShape3", ElementKind::Rectangle, box(75, 584, 520, 442)},
    {"CDR", ElementKind::SpineBand, box(595, 585, 23, 440), Role::Spine, {}, "LR", {}, EdgeTop | EdgeRight | EdgeBottom},
    {"CDL", ElementKind::SpineBand, box(52, 585, 23, 440), Role::Spine, {}, "LR", ".im3", EdgeTop | EdgeLeft | EdgeBottom},
    {"BckImg", ElementKind::Picture, box(76, 585, 518, 440), Role::BackPicture, {}, "BImg", ".im1", EdgeTop | EdgeBottom},
    {"BTht", ElementKind::TextLine, box(90, 597, 487, 17), Role::None, "QRShape3"},
    {"BTno", ElementKind::TextLine, box(90, 635, 487, 24), Role::ContentsHeading, "QRShape3"},
    {"BTdt", ElementKind::TextLine, box(90, 1000, 487, 17), Role::None, "QRShape3"},
    {"BTo", ElementKind::TextList, box(90, 664, 487, 258), Role::Contents, "QRShape3"},
    {"BTit", ElementKind::TextList, box(90, 931, 487, 66), Role::Information, "QRShape3"},
    {"MTht", ElementKind::TextLine, box(63, 93, 431, 18), Role::None, "QRShape1"},
    {"MThn", ElementKind::TextLine, box(64, 169, 433, 30), Role::Artist, "QRShape1"},
    {"MTN", ElementKind::TextLine, box(64, 201, 433, 79), Role::Title, "QRShape1"},
    {"MTdn", ElementKind::TextLine, box(64, 283, 433, 29), Role::Year, "QRShape1"},
    {"MTit", ElementKind::TextLine, box(64, 382, 433, 29), Role::None, "QRShape1"},
    {"MTdit", ElementKind::TextLine, box(64, 488, 433, 18), Role::None, "QRShape1"},
    {"MTdt", ElementKind::TextLine, box(64, 514, 433, 18), Role::None, "QRShape1"},
}};

// The twelve text items, in the order the project file lists them when it reads.
inline constexpr std::array<TextSpec, 12> kTexts = {{
    {"MTht", "MTht", false, "Horní text", 10, 0, Alignment::Center, "Horní text (přední strana)"},
    {"MThn", "MThn", false, "Horní nadpis", 18, 0, Alignment::Center, "Horní nadpis", Role::Artist},
    // Read as "MTn-…": names match without regard to case, so "MTN-…" reads the same.
    {"MTN", "MTn", false, "Nadpis", 48, fsBold, Alignment::Center, "Nadpis", Role::Title},
    {"MTdn", "MTdn", false, "Dolní nadpis", 18, 0, Alignment::Center, "Dolní nadpis", Role::Year},
    {"MTit", "MTit", false, "Informační text", 18, 0, Alignment::Center, "Informační text (přední strana)"},
    {"MTdit", "MTdit", false, "Dolní informační text", 10, 0, Alignment::Center, "Dolní informační text"},
    {"MTdt", "MTdt", false, "Dolní text", 10, 0, Alignment::Center, "Dolní text (přední strana)"},
    {"BTht", "BTht", false, "Horní text", 10, 0, Alignment::Center, "Horní text (zadní strana)"},
    {"BTno", "BTno", false, "Název obsahu", 14, 0, Alignment::Left, "Název obsahu", Role::ContentsHeading},
    {"BTo", "BTo", true, "Obsah", 10, 0, Alignment::Center, "Obsah", Role::Contents},
    {"BTit", "BTit", true, "Informační text", 10, 0, Alignment::Left, "Informační text (zadní strana)",
     Role::Information},
    {"BTdt", "BTdt", false, "Dolní text", 10, 0, Alignment::Center, "Dolní text (zadní strana)"},
}};

inline constexpr std::array<ControlRow, 12> kControls = {{
    {"MTht", "MEht", 520, 119, 185, 712, 88, 744, 115},
    {"MThn", "MEhn", 520, 203, 185, 712, 172, 744, 200},
    {"MTN", "MEN", 520, 256, 185, 712, 225, 744, 254},
    {"MTdn", "MEdn", 520, 318, 185, 712, 287, 744, 315},
    {"MTit", "MEit", 520, 414, 185, 712, 380, 744, 408},
    {"MTdit", "MEdit", 520, 516, 185, 712, 484, 744, 512},
    {"MTdt", "MEdt", 520, 546, 185, 712, 514, 744, 542},
    {"BTht", "BEht", 624, 618, 97, 728, 587, 760, 615},
    {"BTno", "BEno", 624, 670, 97, 728, 639, 760, 668},
    {"BTo", nullptr, 0, 0, 0, 728, 679, 760, 706},
    {"BTit", nullptr, 0, 0, 0, 728, 927, 760, 955},
    {"BTdt", "BEdt", 624, 1030, 97, 728, 999, 760, 1027},
}};

inline constexpr std::array<WindowButton, 3> kWindowButtons = {{
    {"BEo", 624, 679, 96, 25, "Upravit obsah (Ctrl+Shift+E)", "Upravit obsah"},
    {"BEit", 624, 927, 94, 25, "Upravit informační text", "Upravit informační text (zadní strana)"},
    {"LRBtn", 624, 799, 96, 25, "Upravit název CD na hřbetu", "Upravit název CD na hřbetu"},
}};

// The inlay is folded at both spines, along the middle of the line the spine's and
// the back panel's outlines share.
inline constexpr std::array<FoldLine, 2> kInlayFolds = {{
    {px(75.5), px(584), px(75.5), px(1026)},
    {px(594.5), px(584), px(594.5), px(1026)},
}};

// What is cut out: the front page along its outline, and the inlay (both spines and
// the back panel in one piece) along the outer edges of its three outlines.
inline constexpr std::array<PieceSpec, 2> kPieces = {{
    {"front", "Přední strana", box(52, 84, 459, 456)},
    {"inlay", "Zadní strana", box(51, 584, 568, 442), kInlayFolds},
}};

inline constexpr std::array<ScreenCaption, 2> kCaptions = {{
    {"Txt1", 56, 56, 131, 18, "CD - Přední strana"},
    {"Txt2", 52, 556, 124, 18, "CD - Zadní strana"},
}};

} // namespace jewel

inline constexpr SheetLayout kJewelCase{
    "Obal", kPaperWidth, kPaperHeight, jewel::kElements, jewel::kTexts, jewel::kControls, jewel::kWindowButtons,
    jewel::kCaptions, 29, "SecCD", jewel::kPieces};

namespace jewel {
// The places of the cover's pictures and bands among the sheet's pictures and bands.
inline constexpr int kFrontPicture = kJewelCase.ordinal("MainImg");
inline constexpr int kBackPicture = kJewelCase.ordinal("BckImg");
inline constexpr int kLeftBand = kJewelCase.ordinal("CDL");
inline constexpr int kRightBand = kJewelCase.ordinal("CDR");
static_assert(kFrontPicture == 0 && kBackPicture == 1 && kRightBand == 0 && kLeftBand == 1);
// Each piece's cut is the outer edge of its outlines.
static_assert(kJewelCase.pieceOf(kJewelCase.find("QRShape1")) == 0 && kJewelCase.pieceOf(kJewelCase.find("CDL")) == 1);
} // namespace jewel

} // namespace korvel

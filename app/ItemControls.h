#pragma once
#include <QList>
#include <QString>
#include <array>

class QLineEdit;
class QToolButton;
class QWidget;

namespace korvel {

// Where the editing controls of each text item stand at 100 % zoom. Edit boxes and
// alignment panels are placed in window pixels (the page starts at window row 29),
// font buttons and the " Editace" buttons in page pixels; all of them scroll with
// the page. One row per item, in the order of the font buttons.
struct ItemControlRow {
    const char *code;      // the item
    const char *editBox;   // "MEht" ... or nullptr for the two lists
    int editLeft, editTop, editWidth;
    int fontLeft, fontTop; // RxSpeedButton<n>, n = row + 1
    int panelLeft, panelTop; // Panel<n>, with SpeedButton<3n-2 .. 3n>
};

inline constexpr std::array<ItemControlRow, 12> kItemControls = {{
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

// Rows of the page in window pixels above which the page starts.
inline constexpr int kToolbarHeight = 29;

// The " Editace" buttons that open other windows: page pixels.
struct WindowButtonRow {
    const char *name;
    int left, top, width, height;
    const char *hint;   // UTF-8
    const char *spoken; // UTF-8: what a screen reader calls it (all of them read " Editace")
};
inline constexpr std::array<WindowButtonRow, 3> kWindowButtons = {{
    {"BEo", 624, 679, 96, 25, "Upravit obsah (Ctrl+Shift+E)", "Upravit obsah"},
    {"BEit", 624, 927, 94, 25, "Upravit informační text", "Upravit informační text (zadní strana)"},
    {"LRBtn", 624, 799, 96, 25, "Upravit název CD na hřbetu", "Upravit název CD na hřbetu"},
}};

} // namespace korvel

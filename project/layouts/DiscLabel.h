#pragma once
#include <QPointF>
#include <QSizeF>
#include <array>
#include <vector>

#include "picture/PicturePlacement.h"
#include "project/layouts/SheetLayout.h"

namespace korvel {

// A disc label as a project has it: the label's size, the sheet it is printed on
// and how each of its texts runs, in tenths of a millimetre. The project file keeps
// it (section [SecDisc]); the label's sheet layout is made from it (DiscLayout).
struct DiscGeometry {
    // Labels sold on A4 sticker sheets (117 mm, a 41 mm hole), full-face printable
    // discs (118 mm, a 22 mm hole), or the user's own size.
    enum class Label { Sticker, FullFace, Own };
    // One label in the middle of an A4 page, two on an A4 page (sticker sheets; their
    // centres differ from product to product), or the label alone on a 120 x 120 mm
    // page, as drivers of disc printers take it.
    enum class Sheet { A4, A4Two, Disc };
    // How a text runs: straight in its box, or along the rim with its first line's
    // baseline on a circle of this radius (0: the label's own choice for the text).
    struct TextPath {
        bool arc = false;
        int radius = 0;
        bool operator==(const TextPath &) const = default;
    };

    Label label = Label::Sticker;
    int ownOuter = 1170, ownHole = 410; // diameters of Label::Own
    Sheet sheet = Sheet::A4;
    // The centres of the two labels of Sheet::A4Two, from the paper's top-left corner;
    // the preset is a common sticker sheet's.
    int twoX = 1050, twoFirstY = 799, twoSecondY = 2033;
    std::array<TextPath, 3> texts; // in the order of the label's texts

    static constexpr int kMinOuter = 800, kMaxOuter = 1200;
    static constexpr int kMinHole = 150, kMaxHole = 460;
    static constexpr int kDiscPaper = 1200; // the printable disc's page, square

    // The label's diameters.
    int outer() const;
    int hole() const;
    // The paper, and the first label's centre on it.
    QSizeF paper() const;
    QPointF centre() const;
    // The baseline radius a text runs along when on an arc.
    int arcRadius(int text) const;
    // The radii a text's arc may have: from just outside the hole to the rim.
    int minRadius() const { return hole() / 2 + 20; }
    int maxRadius() const { return outer() / 2; }

    // Values out of range brought within it (a damaged or hand-written file): sizes
    // to their ranges, the labels' centres onto the paper, radii into the ring.
    DiscGeometry bounded() const;
    bool operator==(const DiscGeometry &) const = default;
};

// The label's texts, in the order the project file reads them, and their places in it.
namespace disc {
inline constexpr int kArtist = 0;
inline constexpr int kTitle = 1;
inline constexpr int kLowerText = 2;
inline constexpr int kTextCount = 3;
// How a label's picture lies at first: filling the label, its middle in view.
inline constexpr PicturePlacement kPlacement{PicturePlacement::Fit::Fill, 500, 500, 1000};
} // namespace disc

// The sheet layout of a disc label (SheetLayout), made at run time from a
// DiscGeometry, since the user chooses the sizes: the ring, the picture and the three
// texts, each text straight in its box or along the rim, the editing controls beside
// the first label at 100 %, and for a sheet of two labels the second as a repeat of
// the first. The elements and texts stay the same whatever the geometry, so a sheet
// model made on it (CoverPage) follows a new geometry by laying itself out again.
class DiscLayout {
public:
    explicit DiscLayout(const DiscGeometry &geometry = DiscGeometry());
    DiscLayout(const DiscLayout &) = delete;
    DiscLayout &operator=(const DiscLayout &) = delete;

    const DiscGeometry &geometry() const { return m_geometry; }
    // The layout changes in place; the reference layout() gave stays valid.
    void setGeometry(const DiscGeometry &geometry);
    const SheetLayout &layout() const { return m_layout; }

    // The label's texts: their codes, first values and what the user calls them.
    static const std::array<TextSpec, disc::kTextCount> &texts();

private:
    void build();

    DiscGeometry m_geometry;
    std::vector<ElementSpec> m_elements;
    std::vector<ControlRow> m_controls;
    std::vector<WindowButton> m_windowButtons;
    std::vector<ScreenCaption> m_captions;
    std::vector<QPointF> m_repeats;
    std::vector<PieceSpec> m_pieces;
    SheetLayout m_layout;
};

} // namespace korvel

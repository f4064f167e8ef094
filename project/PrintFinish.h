#pragma once
#include <QLineF>
#include <QRectF>
#include <vector>

#include "project/layouts/SheetLayout.h"
#include "settings/TrimSettings.h"

namespace korvel {

// A mark printed beside the pieces: a crop mark that continues a cut edge outward, or
// a fold mark that continues a fold. Its centre line in tenths of a millimetre on the
// paper, from the end nearer its piece outward.
struct PrintMark {
    enum class Kind { Crop, Fold };
    Kind kind = Kind::Crop;
    QLineF line;
};

// The geometry of cutting a sheet, computed from the pieces of its layout and the
// user's trim settings: where the bleed takes each element, and where the crop and
// fold marks stand. Every kind of sheet gets them from its pieces alone.
class PrintFinish {
public:
    // A mark starts 3 mm from its corner (or beyond the bleed, if that is wider), runs
    // 5 mm and is 0.1 mm thick.
    static constexpr double kMarkOffset = 30;
    static constexpr double kMarkLength = 50;
    static constexpr double kMarkWidth = 1;
    // Between a mark and any other mark, and between a mark and another piece's bleed.
    static constexpr double kMarkGap = 10;
    // A mark never comes nearer to another piece than this, bleed or none: a knife
    // that strays a millimetre must not carry a mark onto the piece.
    static constexpr double kPieceClearance = 20;
    // A mark that would be shorter is left out: no knife follows a dot.
    static constexpr double kShortestMark = 2.5;
    // A fold mark is dashed, so it is not taken for a cut: dashes and gaps.
    static constexpr double kFoldDash = 10;
    static constexpr double kFoldGap = 5;
    // Texts stand at least this far inside the cut, out of the knife's way.
    static constexpr double kSafeMargin = 20;

    // A shape grown outward by amount (a disc's hole shrunk by it); a negative amount
    // shrinks it.
    static Shape grown(const Shape &shape, double amount);
    // The piece's cut grown by the bleed: what its pictures cover.
    static Shape bleedShape(const PieceSpec &piece, double bleed) { return grown(piece.cut, bleed); }
    // Where nothing important should stand closer to the cut.
    static Shape safeShape(const PieceSpec &piece) { return grown(piece.cut, -kSafeMargin); }

    // The rectangle an element is printed in with these settings: rect (where the
    // element stands on the sheet) with each of its bleed edges moved to its piece's
    // cut grown by the bleed. With the outlines on and no bleed it is rect itself, as
    // the page always printed; with the outlines off the bleed edges reach at least
    // the cut, and edges that an outline kept off a fold (the spine bands and the back
    // picture) meet on the fold, so no white line is left where an outline was.
    static QRectF bledRect(const SheetLayout &layout, ElementId id, const QRectF &rect, const TrimSettings &trim);

    // The marks the settings ask for, for every piece of the layout: crop marks at
    // each corner of each cut (a round piece's at the corners of its square), fold
    // marks at both ends of each fold. Each is shortened where it would come within
    // kMarkGap of another mark or of another piece's bleed (and within
    // kPieceClearance of another piece), or leave the page's printable area; one
    // that cannot start there, or would be shorter than kShortestMark, is left out.
    static std::vector<PrintMark> marks(const SheetLayout &layout, const TrimSettings &trim);
};

} // namespace korvel

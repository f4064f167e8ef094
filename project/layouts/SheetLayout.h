#pragma once
#include <QPointF>
#include <QRectF>
#include <span>
#include <string_view>

#include "project/TextItem.h"

namespace korvel {

// A kind of piece (the cover's A4 page today; a disc label, booklet pages later) as
// data: what stands on its sheet and where, in tenths of a millimetre from the
// paper's top-left corner, the texts' first values, the editing controls beside it,
// and how the project file names each part. The page model, its drawing, the editor
// and the project file all read it from here, so a new kind of piece is a new layout
// and a codec, not new code in each of them.
//
// Layouts are constexpr data for now; every part is a plain value (names as
// string_view, numbers, spans of such records), so a later reader of layout files
// needs no other change.

enum class ElementKind { Rectangle, Picture, SpineBand, TextLine, TextList };

// The outline of an element: a rectangle, or a disc inscribed in it with a centred
// hole (a disc label's ring). A text's path along the rim is a circle inscribed in
// its rectangle too, the baseline of its first line: over the upper half it reads
// clockwise, over the lower half counter-clockwise, so both read upright.
struct Shape {
    enum class Kind { Rectangle, Disc, UpperArc, LowerArc };
    Kind kind = Kind::Rectangle;
    double left = 0, top = 0, width = 0, height = 0; // tenths of a millimetre
    double hole = 0;                                  // a disc's hole diameter

    constexpr QRectF rect() const { return QRectF(left, top, width, height); }
    constexpr bool isArc() const { return kind == Kind::UpperArc || kind == Kind::LowerArc; }
    constexpr QPointF centre() const { return QPointF(left + width / 2, top + height / 2); }
};

// What an element is for: whoever fills a sheet (the track import) finds its parts
// by role, whatever a layout calls them.
enum class Role { None, Title, Artist, Year, Contents, ContentsHeading, Information, FrontPicture, BackPicture, Spine,
                  LabelPicture };

// The sides of a rectangle, as flags: which edges of an element run into the bleed.
enum Edge : unsigned { EdgeLeft = 1, EdgeTop = 2, EdgeRight = 4, EdgeBottom = 8, EdgeAll = 15 };

// A fold across a piece, from one side of its cut to the other (tenths of a
// millimetre on the paper): where a spine bends, where a booklet is folded.
struct FoldLine {
    double x1, y1, x2, y2;
};

// A piece of paper that is cut out of the sheet (the front page, the inlay): what the
// user calls it, the outline it is cut along and where it is folded. Crop and fold
// marks and the bleed are computed from these, whatever stands on the piece.
struct PieceSpec {
    std::string_view name; // for the program: "front", "inlay"
    const char *label;     // UTF-8: what the user calls it
    Shape cut;
    std::span<const FoldLine> folds = {};

    // Whether a point lies inside the piece's outer outline (a disc's hole counts in).
    constexpr bool covers(double x, double y) const
    {
        return x >= cut.left && x < cut.left + cut.width && y >= cut.top && y < cut.top + cut.height;
    }
};

// An element of a layout: its index in the layout's stacking order.
struct ElementId {
    int index = -1;
    constexpr bool valid() const { return index >= 0; }
    constexpr bool operator==(const ElementId &) const = default;
};

struct ElementSpec {
    std::string_view name; // on the page; a text's is also its project-file key prefix
    ElementKind kind;
    Shape shape;
    Role role = Role::None;
    // A text box grows (for a large font) at most to the bottom of this outline; an
    // element within a disc is drawn clipped to its ring.
    std::string_view within = {};
    // The project file: a picture's placement key prefix ("MImg") and its side file's
    // extension (".im2").
    std::string_view fileKey = {};
    std::string_view sideFile = {};
    // The edges (Edge flags) that run past the piece's cut into the bleed when the
    // page is printed with one: a picture or band that reaches the cut there. Texts
    // never do.
    unsigned bleeds = 0;
    // A text drawn along an arc (Shape::Kind::UpperArc or LowerArc) rather than
    // straight in its box; a Rectangle, the default, is no path.
    Shape path = {};
};

// A text item: its element, its first values and what the user calls it.
struct TextSpec {
    std::string_view code;       // its element's name, the prefix of its keys
    std::string_view readPrefix; // the prefix a reader asks for ("MTn" for "MTN")
    bool multiLine;
    const char *text; // UTF-8
    int points;
    int style;
    Alignment alignment;
    const char *label; // UTF-8: what the user calls the item, for messages
    Role role = Role::None;
};

// Where the editing controls of a text item stand beside the sheet at 100 % zoom.
// Edit boxes and alignment panels are placed in window pixels (the page starts at
// the window row controlsTop), font buttons and the " Editace" buttons in page pixels.
struct ControlRow {
    const char *code;      // the item
    const char *editBox;   // "MEht" ... or nullptr for the lists
    int editLeft, editTop, editWidth;
    int fontLeft, fontTop; // RxSpeedButton<n>, n = row + 1
    int panelLeft, panelTop; // Panel<n>, with SpeedButton<3n-2 .. 3n>
};

// A button beside the sheet that opens another window: page pixels.
struct WindowButton {
    const char *name;
    int left, top, width, height;
    const char *hint;   // UTF-8
    const char *spoken; // UTF-8: what a screen reader calls it (all of them read " Editace")
};

// A caption shown on the screen only, in page pixels at 100 % (never scaled).
struct ScreenCaption {
    std::string_view name;
    int left, top, width, height;
    const char *text; // UTF-8
};

struct SheetLayout {
    std::string_view name;
    double paperWidth, paperHeight; // tenths of a millimetre
    std::span<const ElementSpec> elements; // in stacking order: later over earlier
    std::span<const TextSpec> texts;       // in the order the project file reads them
    std::span<const ControlRow> controls;  // one per text, in the order of the font buttons
    std::span<const WindowButton> windowButtons;
    std::span<const ScreenCaption> captions;
    int controlsTop; // window rows above the page (the toolbar)
    const char *section; // of the project file
    std::span<const PieceSpec> pieces = {}; // cut out of the sheet, in print order
    // Further places on the paper where everything is drawn once more, as offsets from
    // the first (a sheet of two disc labels); the model and the editor know one copy.
    std::span<const QPointF> repeats = {};

    constexpr ElementId find(std::string_view element) const
    {
        for (std::size_t i = 0; i < elements.size(); ++i)
            if (elements[i].name == element)
                return ElementId{int(i)};
        return ElementId{};
    }
    constexpr const ElementSpec &element(ElementId id) const { return elements[std::size_t(id.index)]; }
    // The text item of this code, or -1.
    constexpr int textIndex(std::string_view code) const
    {
        for (std::size_t i = 0; i < texts.size(); ++i)
            if (texts[i].code == code)
                return int(i);
        return -1;
    }
    // The text item that has this role, or -1.
    constexpr int textWithRole(Role role) const
    {
        for (std::size_t i = 0; i < texts.size(); ++i)
            if (texts[i].role == role)
                return int(i);
        return -1;
    }
    // The element with this role, or none.
    constexpr ElementId withRole(Role role) const
    {
        for (std::size_t i = 0; i < elements.size(); ++i)
            if (elements[i].role == role)
                return ElementId{int(i)};
        return ElementId{};
    }
    constexpr ElementId elementOfText(int text) const { return find(texts[std::size_t(text)].code); }
    // How many elements of a kind come before this one: a picture's or a band's place
    // among the sheet's pictures or bands (the order of their values in a snapshot).
    constexpr int ordinal(ElementId id) const
    {
        int n = 0;
        for (int i = 0; i < id.index; ++i)
            n += elements[std::size_t(i)].kind == elements[std::size_t(id.index)].kind;
        return n;
    }
    constexpr int ordinal(std::string_view element) const { return ordinal(find(element)); }
    // The disc element (Shape::Kind::Disc) whose ring an element is drawn within:
    // the element itself, or the outline it stands within; none for others.
    constexpr ElementId ringOf(ElementId id) const
    {
        if (!id.valid())
            return ElementId{};
        const ElementSpec &e = element(id);
        if (e.shape.kind == Shape::Kind::Disc)
            return id;
        const ElementId outline = e.within.empty() ? ElementId{} : find(e.within);
        return outline.valid() && element(outline).shape.kind == Shape::Kind::Disc ? outline : ElementId{};
    }
    // The piece an element stands on (the one its centre lies in), or -1.
    constexpr int pieceOf(ElementId id) const
    {
        const Shape &s = element(id).shape;
        for (std::size_t p = 0; p < pieces.size(); ++p)
            if (pieces[p].covers(s.left + s.width / 2, s.top + s.height / 2))
                return int(p);
        return -1;
    }
    constexpr int count(ElementKind kind) const
    {
        int n = 0;
        for (const ElementSpec &e : elements)
            n += e.kind == kind;
        return n;
    }
};

} // namespace korvel

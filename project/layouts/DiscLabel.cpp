#include "project/layouts/DiscLabel.h"

#include <algorithm>
#include <cmath>

#include "project/PageGeometry.h"

namespace korvel {

namespace {

constexpr double kPixelsPerTenthMm = 96.0 / 254.0;

int px(double tenthMm)
{
    return int(std::lround(tenthMm * kPixelsPerTenthMm));
}

// Half the length of a chord of a circle of radius r at distance d from its centre.
double halfChord(double r, double d)
{
    return std::abs(d) >= r ? 0 : std::sqrt(r * r - d * d);
}

// Where a text's arc runs unless the user moves it: the artist near the rim, the
// title inside it, the lower text near the rim below the hole (its glyphs' feet
// toward the rim). Measured from the rim, in tenths of a millimetre.
constexpr int kArcFromRim[disc::kTextCount] = {80, 170, 50};

// The editing controls beside the first label: one row of three lines per text
// (its box or " Editace" button with the font and alignment buttons, then its path),
// in window pixels at 100 %.
constexpr int kRowPitch = 56;
constexpr int kControlsGap = 16;

} // namespace

int DiscGeometry::outer() const
{
    switch (label) {
    case Label::Sticker:
        return 1170;
    case Label::FullFace:
        return 1180;
    case Label::Own:
        break;
    }
    return ownOuter;
}

int DiscGeometry::hole() const
{
    switch (label) {
    case Label::Sticker:
        return 410;
    case Label::FullFace:
        return 220;
    case Label::Own:
        break;
    }
    return ownHole;
}

QSizeF DiscGeometry::paper() const
{
    if (sheet == Sheet::Disc)
        return QSizeF(kDiscPaper, kDiscPaper);
    return QSizeF(kPaperWidth, kPaperHeight);
}

QPointF DiscGeometry::centre() const
{
    switch (sheet) {
    case Sheet::A4:
        return QPointF(kPaperWidth / 2, kPaperHeight / 2);
    case Sheet::A4Two:
        return QPointF(twoX, twoFirstY);
    case Sheet::Disc:
        break;
    }
    return QPointF(kDiscPaper / 2.0, kDiscPaper / 2.0);
}

int DiscGeometry::arcRadius(int text) const
{
    if (text < 0 || text >= disc::kTextCount)
        return 0;
    const int chosen = texts[std::size_t(text)].radius;
    return chosen > 0 ? std::clamp(chosen, minRadius(), maxRadius())
                      : std::max(minRadius(), outer() / 2 - kArcFromRim[text]);
}

DiscGeometry DiscGeometry::bounded() const
{
    DiscGeometry g = *this;
    if (g.label != Label::Sticker && g.label != Label::FullFace && g.label != Label::Own)
        g.label = Label::Sticker;
    if (g.sheet != Sheet::A4 && g.sheet != Sheet::A4Two && g.sheet != Sheet::Disc)
        g.sheet = Sheet::A4;
    g.ownOuter = std::clamp(g.ownOuter, kMinOuter, kMaxOuter);
    g.ownHole = std::clamp(g.ownHole, kMinHole, kMaxHole);
    // Both labels of a sheet on the paper whole.
    const int r = (g.outer() + 1) / 2;
    g.twoX = std::clamp(g.twoX, r, int(kPaperWidth) - r);
    g.twoFirstY = std::clamp(g.twoFirstY, r, int(kPaperHeight) - r);
    g.twoSecondY = std::clamp(g.twoSecondY, r, int(kPaperHeight) - r);
    for (TextPath &path : g.texts)
        if (path.radius != 0)
            path.radius = std::clamp(path.radius, g.minRadius(), g.maxRadius());
    return g;
}

const std::array<TextSpec, disc::kTextCount> &DiscLayout::texts()
{
    // The title and the artist follow the cover's "Nadpis" and "Horní nadpis" until
    // the user writes their own (the document sees to it); the lower text is empty.
    static constexpr std::array<TextSpec, disc::kTextCount> kTexts = {{
        {"DThn", "DThn", false, "Horní nadpis", 14, 0, Alignment::Center, "Horní nadpis (disk)", Role::Artist},
        {"DTN", "DTN", false, "Nadpis", 22, fsBold, Alignment::Center, "Nadpis (disk)", Role::Title},
        {"DTdt", "DTdt", true, "", 8, 0, Alignment::Center, "Dolní text (disk)"},
    }};
    return kTexts;
}

DiscLayout::DiscLayout(const DiscGeometry &geometry)
    : m_geometry(geometry.bounded())
{
    build();
}

void DiscLayout::setGeometry(const DiscGeometry &geometry)
{
    m_geometry = geometry.bounded();
    build();
}

void DiscLayout::build()
{
    const DiscGeometry &g = m_geometry;
    const QPointF c = g.centre();
    const double outer = g.outer(), hole = g.hole();
    const double rr = outer / 2, hr = hole / 2;
    const Shape ring{Shape::Kind::Disc, c.x() - rr, c.y() - rr, outer, outer, hole};

    // The straight boxes: the title just above the hole, the artist above it, the
    // lower text below the hole. Each is as wide as the ring is at its narrowest edge,
    // less a margin; drawn clipped to the ring all the same.
    const auto box = [&](double top, double height, double widestAt) {
        top = std::max(top, c.y() - rr + 20);
        const double width = std::max(200.0, 2 * (halfChord(rr, widestAt) - 30));
        return Shape{Shape::Kind::Rectangle, c.x() - width / 2, top, width, height};
    };
    const double titleHeight = 130, artistHeight = 80;
    const double titleTop = c.y() - hr - 30 - titleHeight;
    const double artistTop = titleTop - 10 - artistHeight;
    const double lowerTop = c.y() + hr + 30;
    const double lowerHeight = std::max(80.0, rr - hr - 90);
    const Shape boxes[disc::kTextCount] = {
        box(artistTop, artistHeight, c.y() - std::max(artistTop, c.y() - rr + 20)),
        box(titleTop, titleHeight, c.y() - titleTop),
        box(lowerTop, lowerHeight, hr + 30 + lowerHeight / 2),
    };
    const auto path = [&](int text) {
        if (!g.texts[std::size_t(text)].arc)
            return Shape{};
        const double r = g.arcRadius(text);
        return Shape{text == disc::kLowerText ? Shape::Kind::LowerArc : Shape::Kind::UpperArc, c.x() - r, c.y() - r,
                     2 * r, 2 * r};
    };
    const auto &t = texts();
    m_elements = {
        {"DiscRing", ElementKind::Rectangle, ring},
        {"DiscImg", ElementKind::Picture, ring, Role::LabelPicture, "DiscRing", "DImg", ".im4", EdgeAll},
        {t[disc::kArtist].code, ElementKind::TextLine, boxes[disc::kArtist], Role::Artist, "DiscRing", {}, {}, 0,
         path(disc::kArtist)},
        {t[disc::kTitle].code, ElementKind::TextLine, boxes[disc::kTitle], Role::Title, "DiscRing", {}, {}, 0,
         path(disc::kTitle)},
        {t[disc::kLowerText].code, ElementKind::TextList, boxes[disc::kLowerText], Role::None, "DiscRing", {}, {}, 0,
         path(disc::kLowerText)},
    };

    // The controls beside the first label, from its top: page pixels for the font
    // and " Editace" buttons, window pixels (below the toolbar) for the rest.
    const int left = px(c.x() + rr) + kControlsGap;
    const int top = std::max(4, px(c.y() - rr));
    constexpr int toolbar = 29;
    m_controls.clear();
    for (int i = 0; i < disc::kTextCount; ++i) {
        const int row = top + i * kRowPitch;
        const bool list = i == disc::kLowerText;
        m_controls.push_back(ControlRow{t[std::size_t(i)].code.data(), list ? nullptr : (i == disc::kTitle ? "DEN" : "DEhn"),
                                        left, row + toolbar, 185, left + 190, row - 1, left + 218, row - 2 + toolbar});
    }
    const int listRow = top + disc::kLowerText * kRowPitch;
    m_windowButtons = {
        {"DEdt", left, listRow - 1, 96, 25, "Upravit dolní text disku", "Upravit dolní text (disk)"},
    };

    // The caption above the first label, where there is room for it.
    m_captions.clear();
    const int captionTop = px(c.y() - rr) - 22;
    if (captionTop >= 2)
        m_captions.push_back({"Txt3", px(c.x() - rr), captionTop, 70, 18, "CD - Disk"});

    // Each label is a piece cut out of the sheet: its marks stand at the corners of
    // its square, and a bleed runs its picture past the rim and into the hole.
    m_repeats.clear();
    m_pieces = {PieceSpec{"disc", "Etiketa disku", ring}};
    if (g.sheet == DiscGeometry::Sheet::A4Two) {
        const QPointF second(0, g.twoSecondY - g.twoFirstY);
        m_repeats.push_back(second);
        Shape cut = ring;
        cut.left += second.x();
        cut.top += second.y();
        m_pieces.push_back(PieceSpec{"disc2", "Druhá etiketa disku", cut});
    }

    const QSizeF paper = g.paper();
    m_layout = SheetLayout{"Disk",
                           paper.width(),
                           paper.height(),
                           m_elements,
                           texts(),
                           m_controls,
                           m_windowButtons,
                           m_captions,
                           toolbar,
                           "SecDisc",
                           m_pieces,
                           m_repeats};
}

} // namespace korvel

// The disc label as a sheet: its layouts made at run time, and what prints of it,
// measured at 600 dpi: the ring's size and place, nothing outside the ring, both
// labels of a sheet of two, and text along the rim standing on its circle.
#include <QImage>
#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

#include "project/CoverPage.h"
#include "project/PrintFinish.h"
#include "project/SheetRenderer.h"
#include "project/layouts/DiscLabel.h"
#include "ProjectTestUtil.h"

using namespace korvel;

namespace {

constexpr double kDpi = 600;
constexpr double kPixelPerTenthMm = kDpi / 254;

// A region of the paper (tenths of a millimetre) as it prints at 600 dpi.
QImage printRegion(const CoverPage &page, const QRectF &region, bool cutCircles = false, const TrimSettings &trim = {})
{
    QImage image(int(std::ceil(region.width() * kPixelPerTenthMm)), int(std::ceil(region.height() * kPixelPerTenthMm)),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.translate(-region.left() * kPixelPerTenthMm, -region.top() * kPixelPerTenthMm);
    PageRenderOptions options = PageRenderOptions::forPaper(kDpi);
    options.cutCircles = cutCircles;
    options.trim = trim;
    SheetRenderer::paint(page, painter, options);
    return image;
}

// A picture of one dark colour, large enough to cover a label.
Picture solidPicture()
{
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(QColor(30, 60, 90));
    return test::pictureOfImage(image);
}

bool inked(QRgb c)
{
    return qGray(c) < 250;
}

// The label's square on the paper, with a margin of 2 mm.
QRectF around(const DiscGeometry &g, QPointF offset = QPointF())
{
    const double r = g.outer() / 2.0 + 20;
    return QRectF(g.centre() + offset - QPointF(r, r), QSizeF(2 * r, 2 * r));
}

struct Ring {
    double outer = 0, hole = 0; // diameters, millimetres
    QPointF centre;             // millimetres from the paper's corner
};

// The ring as printed, measured along the row and the column through the expected
// centre: its outermost ink and the ink nearest to the middle on either side.
Ring measure(const QImage &image, const QRectF &region)
{
    const int cx = image.width() / 2, cy = image.height() / 2;
    const auto edges = [&](bool across) {
        const int n = across ? image.width() : image.height();
        const auto at = [&](int i) { return inked(across ? image.pixel(i, cy) : image.pixel(cx, i)); };
        int first = 0, last = n - 1;
        while (first < n && !at(first))
            ++first;
        while (last >= 0 && !at(last))
            --last;
        int innerFirst = n / 2, innerLast = n / 2;
        while (innerFirst > 0 && !at(innerFirst))
            --innerFirst;
        while (innerLast < n - 1 && !at(innerLast))
            ++innerLast;
        return std::array<double, 4>{double(first), double(last + 1), double(innerFirst + 1), double(innerLast)};
    };
    const auto x = edges(true), y = edges(false);
    const double mm = 25.4 / kDpi;
    Ring ring;
    ring.outer = (x[1] - x[0]) * mm;
    ring.hole = (x[3] - x[2]) * mm;
    ring.centre = QPointF((x[0] + x[1]) / 2 * mm + region.left() / 10, (y[0] + y[1]) / 2 * mm + region.top() / 10);
    EXPECT_NEAR((y[1] - y[0]) * mm, ring.outer, 0.1) << "round";
    EXPECT_NEAR((y[3] - y[2]) * mm, ring.hole, 0.1) << "a round hole";
    return ring;
}

} // namespace

TEST(DiscLayouts, EveryKindStandsOnItsPaperWithItsTextsInTheRing)
{
    DiscGeometry own;
    own.label = DiscGeometry::Label::Own;
    own.ownOuter = 800;
    own.ownHole = 460;
    DiscGeometry two;
    two.sheet = DiscGeometry::Sheet::A4Two;
    DiscGeometry printable;
    printable.label = DiscGeometry::Label::FullFace;
    printable.sheet = DiscGeometry::Sheet::Disc;
    for (DiscGeometry g : {DiscGeometry(), own, two, printable}) {
        for (bool arcs : {false, true}) {
            for (DiscGeometry::TextPath &path : g.texts)
                path.arc = arcs;
            const DiscLayout discLayout(g);
            const SheetLayout &layout = discLayout.layout();
            SCOPED_TRACE(QStringLiteral("%1/%2 on %3, arcs %4")
                             .arg(g.outer())
                             .arg(g.hole())
                             .arg(int(g.sheet))
                             .arg(arcs)
                             .toStdString());
            const QRectF paper(0, 0, layout.paperWidth, layout.paperHeight);
            EXPECT_TRUE(paper.contains(CoverPage::printedArea(layout)));
            const ElementId ring = layout.find("DiscRing");
            ASSERT_TRUE(ring.valid());
            const Shape &disc = layout.element(ring).shape;
            EXPECT_EQ(disc.kind, Shape::Kind::Disc);
            EXPECT_NEAR(disc.width, g.outer(), 1e-9);
            EXPECT_NEAR(disc.hole, g.hole(), 1e-9);
            EXPECT_EQ(layout.controls.size(), layout.texts.size());
            for (std::size_t i = 0; i < layout.texts.size(); ++i) {
                const ElementId id = layout.elementOfText(int(i));
                ASSERT_TRUE(id.valid());
                EXPECT_EQ(layout.ringOf(id), ring) << "every text is clipped to the ring";
                EXPECT_TRUE(disc.rect().contains(layout.element(id).shape.rect()));
                const Shape &path = layout.element(id).path;
                EXPECT_EQ(path.isArc(), arcs);
                if (arcs) {
                    EXPECT_GT(path.width / 2, disc.hole / 2);
                    EXPECT_LE(path.width / 2, disc.width / 2);
                    EXPECT_EQ(path.centre(), disc.centre());
                }
            }
            EXPECT_EQ(layout.repeats.size(), g.sheet == DiscGeometry::Sheet::A4Two ? 1u : 0u);
            EXPECT_GE(layout.textWithRole(Role::Title), 0);
            EXPECT_GE(layout.textWithRole(Role::Artist), 0);
            EXPECT_TRUE(layout.withRole(Role::LabelPicture).valid());
        }
    }
    // Out of range: brought within it.
    DiscGeometry wild;
    wild.label = DiscGeometry::Label::Own;
    wild.ownOuter = 3000;
    wild.ownHole = 1;
    wild.sheet = DiscGeometry::Sheet::A4Two;
    wild.twoX = -500;
    wild.texts[0].radius = 99999;
    const DiscGeometry bounded = wild.bounded();
    EXPECT_EQ(bounded.outer(), DiscGeometry::kMaxOuter);
    EXPECT_EQ(bounded.hole(), DiscGeometry::kMinHole);
    EXPECT_EQ(bounded.twoX, DiscGeometry::kMaxOuter / 2);
    EXPECT_EQ(bounded.texts[0].radius, DiscGeometry::kMaxOuter / 2);
}

TEST(DiscPrint, TheRingHasItsSizeAndPlaceAndNothingPrintsOutsideIt)
{
    DiscGeometry own;
    own.label = DiscGeometry::Label::Own;
    own.ownOuter = 934;
    own.ownHole = 173;
    DiscGeometry printable;
    printable.label = DiscGeometry::Label::FullFace;
    printable.sheet = DiscGeometry::Sheet::Disc;
    for (const DiscGeometry &g : {DiscGeometry(), own, printable}) {
        SCOPED_TRACE(QStringLiteral("%1/%2").arg(g.outer()).arg(g.hole()).toStdString());
        DiscLayout layout(g);
        CoverPage page(layout.layout());
        // A picture over everything, and texts running off the ring in every way.
        page.picture(layout.layout().find("DiscImg")).setPicture(solidPicture());
        page.item(QStringLiteral("DTdt")).setLines(QStringList(12, QStringLiteral("Dlouhý řádek textu pod otvorem")));
        for (bool cut : {false, true}) {
            const QRectF region = around(g);
            const QImage image = printRegion(page, region, cut);
            const Ring ring = measure(image, region);
            EXPECT_NEAR(ring.outer, g.outer() / 10.0, 0.1);
            EXPECT_NEAR(ring.hole, g.hole() / 10.0, 0.1);
            EXPECT_NEAR(ring.centre.x(), g.centre().x() / 10, 0.1);
            EXPECT_NEAR(ring.centre.y(), g.centre().y() / 10, 0.1);
            // No ink past the rim nor in the hole (half a pixel's rounding aside).
            const QPointF c = (g.centre() - region.topLeft()) * kPixelPerTenthMm;
            const double outer = g.outer() / 2.0 * kPixelPerTenthMm, hole = g.hole() / 2.0 * kPixelPerTenthMm;
            int stray = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const double d = std::hypot(x + 0.5 - c.x(), y + 0.5 - c.y());
                    if ((d > outer + 0.75 || d < hole - 0.75) && inked(image.pixel(x, y)))
                        ++stray;
                }
            EXPECT_EQ(stray, 0) << "cut circles " << cut;
        }
    }
}

TEST(DiscPrint, ASheetOfTwoPrintsBothLabelsWhereTheyAre)
{
    DiscGeometry g;
    g.sheet = DiscGeometry::Sheet::A4Two;
    DiscLayout layout(g);
    CoverPage page(layout.layout());
    page.picture(layout.layout().find("DiscImg")).setPicture(solidPicture());
    for (const double y : {79.9, 203.3}) {
        const QRectF region = around(g, QPointF(0, y * 10 - g.twoFirstY));
        const Ring ring = measure(printRegion(page, region), region);
        EXPECT_NEAR(ring.outer, 117.0, 0.1);
        EXPECT_NEAR(ring.hole, 41.0, 0.1);
        EXPECT_NEAR(ring.centre.x(), 105.0, 0.1);
        EXPECT_NEAR(ring.centre.y(), y, 0.1);
    }
    // Between them the paper stays white.
    const QImage between = printRegion(page, QRectF(300, 1390, 1500, 50));
    int ink = 0;
    for (int y = 0; y < between.height(); ++y)
        for (int x = 0; x < between.width(); ++x)
            ink += inked(between.pixel(x, y));
    EXPECT_EQ(ink, 0);
}

TEST(DiscPrint, TextAlongTheRimStandsOnItsCircle)
{
    DiscGeometry g;
    g.texts[disc::kTitle] = {true, 470};
    g.texts[disc::kLowerText] = {true, 0};
    DiscLayout layout(g);
    CoverPage page(layout.layout());
    page.item(QStringLiteral("DThn")).setText(QString());
    page.item(QStringLiteral("DTN")).setText(QStringLiteral("EEEEEEEEEE"));
    page.item(QStringLiteral("DTdt")).setText(QStringLiteral("EEEEEEEEEEEE"));
    for (TextItem &item : page.items()) {
        ItemFont font = item.font();
        font.name = QStringLiteral("Liberation Sans");
        font.style = 0;
        font.setSize(16);
        item.setFont(font);
    }
    const QRectF region = around(g);
    const QImage image = printRegion(page, region);
    const QPointF c = (g.centre() - region.topLeft()) * kPixelPerTenthMm;

    // In each degree around the centre: the ink nearest to it over the upper half (the
    // glyphs' feet there), the ink farthest from it over the lower half (their feet
    // there). Both are the baseline, an "E" standing on it with its whole foot.
    std::array<double, 360> nearest, farthest;
    nearest.fill(1e9);
    farthest.fill(-1);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) >= 128)
                continue;
            const double dx = x + 0.5 - c.x(), dy = y + 0.5 - c.y();
            const int degree = int(std::floor(std::atan2(dy, dx) * 180 / std::numbers::pi + 360)) % 360;
            const double d = std::hypot(dx, dy);
            nearest[std::size_t(degree)] = std::min(nearest[std::size_t(degree)], d);
            farthest[std::size_t(degree)] = std::max(farthest[std::size_t(degree)], d);
        }
    const double mm = 25.4 / kDpi;
    const double upper = page.arcLineRadius(disc::kTitle, 0) / 10, lower = page.arcLineRadius(disc::kLowerText, 0) / 10;
    EXPECT_NEAR(upper, 47.0, 1e-9) << "the chosen radius";
    EXPECT_NEAR(lower, g.outer() / 20.0 - 5, 1e-9) << "the label's own choice";
    int upperDegrees = 0, lowerDegrees = 0;
    for (int degree = 0; degree < 360; ++degree) {
        // Degrees with only an edge of a glyph in them are left out: a bin that
        // holds a stroke's side alone has its corner, off the baseline.
        const bool top = degree > 180;
        const double reach = top ? nearest[std::size_t(degree)] : farthest[std::size_t(degree)];
        if (reach < 0 || reach > 1e8)
            continue;
        const int neighbours = (top ? nearest : farthest)[std::size_t((degree + 1) % 360)] < 1e8
                                   && (top ? nearest : farthest)[std::size_t((degree + 359) % 360)] < 1e8
                                   && (top ? nearest : farthest)[std::size_t((degree + 1) % 360)] >= 0
                                   && (top ? nearest : farthest)[std::size_t((degree + 359) % 360)] >= 0;
        if (!neighbours)
            continue;
        SCOPED_TRACE(degree);
        EXPECT_NEAR(reach * mm, top ? upper : lower, 0.2);
        ++(top ? upperDegrees : lowerDegrees);
    }
    EXPECT_GT(upperDegrees, 20) << "the title runs over many degrees";
    EXPECT_GT(lowerDegrees, 20);
    // Both read from left to right: the upper text is centred about the top, the lower
    // about the bottom.
    const auto inkedDegrees = [&](int from, int to) {
        int n = 0;
        for (int d = from; d < to; ++d)
            n += nearest[std::size_t(d)] < 1e8;
        return n;
    };
    EXPECT_NEAR(inkedDegrees(181, 270), inkedDegrees(270, 360), 2);
    EXPECT_NEAR(inkedDegrees(1, 90), inkedDegrees(90, 180), 2);
}

TEST(DiscPrint, ABleedRunsThePicturePastTheRimAndIntoTheHole)
{
    DiscGeometry g;
    DiscLayout layout(g);
    CoverPage page(layout.layout());
    page.picture(layout.layout().find("DiscImg")).setPicture(solidPicture());
    for (TextItem &item : page.items())
        item.setLines({}); // the ring is all that prints
    TrimSettings trim;
    for (const int bleed : {10, 30}) {
        trim.bleed = bleed;
        const QRectF region = around(g).adjusted(-30, -30, 30, 30); // room for the bleed
        const Ring ring = measure(printRegion(page, region, false, trim), region);
        EXPECT_NEAR(ring.outer, 117.0 + bleed / 5.0, 0.1) << "past the rim by the bleed";
        EXPECT_NEAR(ring.hole, 41.0 - bleed / 5.0, 0.1) << "into the hole by the bleed";
        EXPECT_NEAR(ring.centre.x(), 105.0, 0.1);
        EXPECT_NEAR(ring.centre.y(), 148.5, 0.1);
    }
    // A text on the rim stays within the ring itself, bleed or none.
    g.texts[disc::kArtist] = {true, g.maxRadius()};
    layout.setGeometry(g);
    page.relayout();
    page.items()[disc::kArtist].setText(QStringLiteral("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW"));
    page.picture(layout.layout().find("DiscImg")).setPicture(Picture());
    const QRectF region = around(g);
    const QImage image = printRegion(page, region, false, trim);
    const QPointF c = (g.centre() - region.topLeft()) * kPixelPerTenthMm;
    int beyond = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (std::hypot(x + 0.5 - c.x(), y + 0.5 - c.y()) > g.outer() / 2.0 * kPixelPerTenthMm + 1)
                beyond += inked(image.pixel(x, y));
    EXPECT_EQ(beyond, 0);
}

TEST(DiscPrint, CropMarksStandAtTheCornersOfEachLabelAndKeepOffTheOther)
{
    DiscGeometry g;
    g.sheet = DiscGeometry::Sheet::A4Two;
    DiscLayout discLayout(g);
    const SheetLayout &layout = discLayout.layout();
    ASSERT_EQ(layout.pieces.size(), 2u);
    TrimSettings trim;
    trim.cropMarks = true;
    const std::vector<PrintMark> marks = PrintFinish::marks(layout, trim);
    ASSERT_FALSE(marks.empty());
    for (const PieceSpec &piece : layout.pieces) {
        const QRectF square = piece.cut.rect();
        // Each corner has a mark, starting beside it and running outward.
        for (const QPointF corner : {square.topLeft(), square.topRight(), square.bottomLeft(), square.bottomRight()}) {
            int at = 0;
            for (const PrintMark &m : marks)
                at += QLineF(corner, m.line.p1()).length() <= PrintFinish::kMarkOffset + 1;
            EXPECT_GE(at, 1) << piece.name << " " << corner.x() << "," << corner.y();
        }
    }
    // None reaches into a label's square.
    for (const PrintMark &m : marks)
        for (const PieceSpec &piece : layout.pieces)
            for (double t = 0; t <= 1; t += 0.05) {
                const QPointF p = m.line.pointAt(t);
                EXPECT_FALSE(piece.cut.rect().adjusted(1, 1, -1, -1).contains(p)) << piece.name;
            }
    // And they print.
    CoverPage page(layout);
    const QPointF corner = layout.pieces[0].cut.rect().topLeft();
    const QRectF region(corner - QPointF(100, 100), QSizeF(100, 100));
    const QImage image = printRegion(page, region, false, trim);
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += inked(image.pixel(x, y));
    EXPECT_GT(ink, 0) << "the marks at the first label's top left corner";
}

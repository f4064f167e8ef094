// Cutting the cover: the pieces of a sheet layout, the user's trim settings, crop and
// fold marks outside the cut and the bleed that runs pictures and bands past it,
// measured on the page drawn at 600 dpi.
#include <QBuffer>
#include <QDir>
#include <QPicture>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

#include "PageTestUtil.h"
#include "ProjectTestUtil.h"
#include "project/CoverDocument.h"
#include "project/CoverPage.h"
#include "project/PrintFinish.h"
#include "project/SheetRenderer.h"
#include "settings/TrimSettings.h"

using namespace korvel;
using namespace korvel::test;

namespace {

constexpr int kDpi = 600;
constexpr double kPxPerTenth = kDpi / 254.0;
// 0.1 mm, the issue of every position below.
constexpr double kTenth = 1.0;

// A part of the page (tenths of a millimetre) drawn for paper at 600 dpi, as the
// printer gets it: calibrated and finished as asked.
struct Region {
    QRectF area; // tenths of a millimetre
    QImage image;

    // A pixel's centre on the paper, in tenths of a millimetre.
    double x(double column) const { return area.left() + (column + 0.5) / kPxPerTenth; }
    double y(double row) const { return area.top() + (row + 0.5) / kPxPerTenth; }
    // A pixel's edges on the paper.
    QRectF paper(const QRect &pixels) const
    {
        return QRectF(area.left() + pixels.left() / kPxPerTenth, area.top() + pixels.top() / kPxPerTenth,
                      pixels.width() / kPxPerTenth, pixels.height() / kPxPerTenth);
    }
    QRect pixels(const QRectF &tenths) const
    {
        return QRect(int(std::lround((tenths.left() - area.left()) * kPxPerTenth)),
                     int(std::lround((tenths.top() - area.top()) * kPxPerTenth)),
                     int(std::lround(tenths.width() * kPxPerTenth)), int(std::lround(tenths.height() * kPxPerTenth)));
    }
};

Region render(const CoverPage &page, const TrimSettings &trim, const QRectF &area,
              const PrinterCalibration &calibration = {}, QImage::Format format = QImage::Format_RGB32)
{
    Region r{area, QImage(int(std::ceil(area.width() * kPxPerTenth)), int(std::ceil(area.height() * kPxPerTenth)), format)};
    r.image.fill(Qt::white);
    QPainter p(&r.image);
    p.translate(-area.left() * kPxPerTenth, -area.top() * kPxPerTenth);
    SheetRenderer::paintOnPaper(page, p, kDpi, kDpi, calibration, false, nullptr, trim);
    return r;
}

// The whole printable part of the page, in grey: where marks may be.
Region renderMarks(const CoverPage &page, const TrimSettings &trim, const PrinterCalibration &calibration = {})
{
    return render(page, trim, QRectF(0, 0, 1900, 2970), calibration, QImage::Format_Grayscale8);
}

// A connected run of dark pixels.
struct Blob {
    QRect box;
    double sumX = 0, sumY = 0;
    long count = 0;
    QPointF centre() const { return QPointF(sumX / double(count), sumY / double(count)); }
    bool horizontal() const { return box.width() > box.height(); }
};

std::vector<Blob> darkBlobs(const QImage &image)
{
    const int w = image.width(), h = image.height();
    std::vector<uchar> seen(std::size_t(w) * std::size_t(h), 0);
    auto dark = [&](int x, int y) { return isDark(image.pixel(x, y)); };
    std::vector<Blob> blobs;
    std::vector<QPoint> stack;
    for (int y = 0; y < h; ++y) {
        const uchar *line = image.constScanLine(y);
        for (int x = 0; x < w; ++x) {
            const bool quickDark = image.format() == QImage::Format_Grayscale8 ? line[x] < 128 : dark(x, y);
            if (!quickDark || seen[std::size_t(y) * std::size_t(w) + std::size_t(x)])
                continue;
            Blob blob;
            blob.box = QRect(x, y, 1, 1);
            stack.push_back(QPoint(x, y));
            seen[std::size_t(y) * std::size_t(w) + std::size_t(x)] = 1;
            while (!stack.empty()) {
                const QPoint p = stack.back();
                stack.pop_back();
                blob.box |= QRect(p, QSize(1, 1));
                blob.sumX += p.x();
                blob.sumY += p.y();
                ++blob.count;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = p.x() + dx, ny = p.y() + dy;
                        if (nx < 0 || ny < 0 || nx >= w || ny >= h || seen[std::size_t(ny) * std::size_t(w) + std::size_t(nx)])
                            continue;
                        if (!dark(nx, ny))
                            continue;
                        seen[std::size_t(ny) * std::size_t(w) + std::size_t(nx)] = 1;
                        stack.push_back(QPoint(nx, ny));
                    }
            }
            blobs.push_back(blob);
        }
    }
    return blobs;
}

// The distance between two rectangles (0 when they touch or overlap).
double gap(const QRectF &a, const QRectF &b)
{
    const double dx = std::max({0.0, b.left() - a.right(), a.left() - b.right()});
    const double dy = std::max({0.0, b.top() - a.bottom(), a.top() - b.bottom()});
    return std::hypot(dx, dy);
}

QRectF cut(int piece)
{
    return kJewelCase.pieces[std::size_t(piece)].cut.rect();
}

// A cover with nothing dark on it but what the finish adds: no texts, light bands.
void blank(CoverPage &page)
{
    emptyAllTexts(page);
}

Picture solidPicture(const QColor &color, QSize size = QSize(64, 64))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return pictureOfImage(image);
}

// Solid red front, blue back, green bands: each colour shows where its element reaches.
void solidColours(CoverPage &page)
{
    page.MainImg().setPicture(solidPicture(Qt::red));
    page.BckImg().setPicture(solidPicture(Qt::blue));
    for (SpineBand *band : {&page.CDL(), &page.CDR()}) {
        band->setStartColor(0x0000FF00);
        band->setEndColor(0x0000FF00);
    }
}

// The rectangle (tenths of a millimetre) that the pixels of a colour cover within a
// window of the region.
QRectF reach(const Region &r, bool (*is)(QRgb), const QRectF &window)
{
    const QRect within = r.pixels(window).intersected(r.image.rect());
    QRect found;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            if (is(r.image.pixel(x, y)))
                found |= QRect(x, y, 1, 1);
    return found.isNull() ? QRectF() : r.paper(found);
}

bool isRed(QRgb c)
{
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}
bool isBlue(QRgb c)
{
    return qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60;
}
bool isGreen(QRgb c)
{
    return qGreen(c) > 200 && qRed(c) < 60 && qBlue(c) < 60;
}

void expectEdges(const QRectF &got, const QRectF &want, const char *what)
{
    SCOPED_TRACE(what);
    EXPECT_NEAR(got.left(), want.left(), kTenth);
    EXPECT_NEAR(got.top(), want.top(), kTenth);
    EXPECT_NEAR(got.right(), want.right(), kTenth);
    EXPECT_NEAR(got.bottom(), want.bottom(), kTenth);
}

// Checks the crop marks of a page drawn with trim: one along each cut edge's
// extension at every corner of every piece, collinear with it, starting 3 mm from the
// corner; none inside or within 2 mm of any piece, none within 1 mm of another
// piece's bleed or of another mark, and all inside the printable margin.
void expectCropMarks(const TrimSettings &trim)
{
    CoverPage page;
    blank(page);
    const Region r = renderMarks(page, trim);
    const std::vector<Blob> blobs = darkBlobs(r.image);
    const int pieces = int(kJewelCase.pieces.size());
    std::vector<int> found(std::size_t(pieces) * 8, 0);
    std::vector<QRectF> marks;
    for (const Blob &b : blobs) {
        const QRectF box = r.paper(b.box);
        const bool across = b.horizontal();
        EXPECT_LE(across ? b.box.height() : b.box.width(), 3) << "0.1 mm thick";
        // Which edge it continues: its centre line on a cut edge, beyond the cut.
        const double line = across ? r.y(b.centre().y()) : r.x(b.centre().x());
        int matched = -1;
        for (int p = 0; p < pieces; ++p) {
            const QRectF c = cut(p);
            const double edges[2] = {across ? c.top() : c.left(), across ? c.bottom() : c.right()};
            for (int e = 0; e < 2; ++e) {
                if (std::abs(line - edges[e]) > kTenth)
                    continue;
                const double from = across ? box.left() : box.top(), to = across ? box.right() : box.bottom();
                const double low = across ? c.left() : c.top(), high = across ? c.right() : c.bottom();
                const double offset = std::max(PrintFinish::kMarkOffset, double(trim.bleed));
                if (to <= low && std::abs(low - to - offset) <= kTenth)
                    matched = ((p * 2 + (across ? 0 : 1)) * 2 + e) * 2 + 0;
                else if (from >= high && std::abs(from - high - offset) <= kTenth)
                    matched = ((p * 2 + (across ? 0 : 1)) * 2 + e) * 2 + 1;
            }
        }
        EXPECT_GE(matched, 0) << "a mark at " << box.x() << "," << box.y() << " continues no cut edge";
        if (matched >= 0)
            ++found[std::size_t(matched)];
        EXPECT_LE(std::max(box.width(), box.height()), PrintFinish::kMarkLength + kTenth);
        for (int p = 0; p < pieces; ++p) {
            EXPECT_GE(gap(box, cut(p)), 20 - 0.5) << "2 mm from every piece";
            const int own = matched < 0 ? -1 : matched / 8;
            if (p != own)
                EXPECT_GE(gap(box, cut(p).adjusted(-trim.bleed, -trim.bleed, trim.bleed, trim.bleed)), 10 - 0.5)
                    << "1 mm from another piece's bleed";
        }
        EXPECT_TRUE(QRectF(100 - 0.5, 100 - 0.5, 1900 + 1, 2770 + 1).contains(box)) << "inside the printable margin";
        marks.push_back(box);
    }
    for (std::size_t i = 0; i < found.size(); ++i)
        EXPECT_EQ(found[i], 1) << "mark " << i << " of every corner's edge, once";
    for (std::size_t i = 0; i < marks.size(); ++i)
        for (std::size_t j = i + 1; j < marks.size(); ++j)
            EXPECT_GE(gap(marks[i], marks[j]), 10 - 0.5) << "1 mm between marks";
}

} // namespace

TEST(SheetLayouts, EveryElementStandsOnAPieceAndEveryTextInItsSafeArea)
{
    for (const SheetLayout *layout : {&kJewelCase}) {
        SCOPED_TRACE(std::string(layout->name));
        ASSERT_FALSE(layout->pieces.empty());
        const QRectF printable = QRectF(0, 0, layout->paperWidth, layout->paperHeight).adjusted(100, 100, -100, -100);
        for (std::size_t p = 0; p < layout->pieces.size(); ++p) {
            const PieceSpec &piece = layout->pieces[p];
            SCOPED_TRACE(std::string(piece.name));
            // With the widest bleed the piece is still on the printable part of the page.
            EXPECT_TRUE(printable.contains(PrintFinish::bleedShape(piece, TrimSettings::kMaxBleed).rect()));
            for (std::size_t q = p + 1; q < layout->pieces.size(); ++q)
                EXPECT_GE(gap(piece.cut.rect(), layout->pieces[q].cut.rect()), 2 * TrimSettings::kMaxBleed)
                    << "the bleeds of two pieces never meet";
            for (const FoldLine &fold : piece.folds) {
                // A fold runs across its piece from one cut edge to the opposite one.
                const QRectF c = piece.cut.rect();
                EXPECT_TRUE(fold.x1 == fold.x2 || fold.y1 == fold.y2);
                if (fold.x1 == fold.x2) {
                    EXPECT_GT(fold.x1, c.left());
                    EXPECT_LT(fold.x1, c.right());
                    EXPECT_DOUBLE_EQ(std::min(fold.y1, fold.y2), c.top());
                    EXPECT_DOUBLE_EQ(std::max(fold.y1, fold.y2), c.bottom());
                }
            }
        }
        for (std::size_t e = 0; e < layout->elements.size(); ++e) {
            const ElementSpec &spec = layout->elements[e];
            SCOPED_TRACE(std::string(spec.name));
            const int piece = layout->pieceOf(ElementId{int(e)});
            ASSERT_GE(piece, 0) << "every element is printed on a piece";
            const QRectF c = layout->pieces[std::size_t(piece)].cut.rect();
            EXPECT_TRUE(c.contains(spec.shape.rect()));
            if (spec.kind == ElementKind::TextLine || spec.kind == ElementKind::TextList) {
                EXPECT_EQ(spec.bleeds, 0u) << "texts never bleed";
                EXPECT_TRUE(PrintFinish::safeShape(layout->pieces[std::size_t(piece)]).rect().contains(spec.shape.rect()));
            }
            if (spec.bleeds != 0) {
                EXPECT_TRUE(spec.kind == ElementKind::Picture || spec.kind == ElementKind::SpineBand);
                // An edge that bleeds is the one next to the cut (within an outline's width).
                const QRectF r = spec.shape.rect();
                if (spec.bleeds & EdgeLeft)
                    EXPECT_LE(r.left() - c.left(), kTenthMmPerPixel + 1e-9);
                if (spec.bleeds & EdgeTop)
                    EXPECT_LE(r.top() - c.top(), kTenthMmPerPixel + 1e-9);
                if (spec.bleeds & EdgeRight)
                    EXPECT_LE(c.right() - r.right(), kTenthMmPerPixel + 1e-9);
                if (spec.bleeds & EdgeBottom)
                    EXPECT_LE(c.bottom() - r.bottom(), kTenthMmPerPixel + 1e-9);
            }
        }
    }
}

TEST(Trim, SettingsAreKeptPerUserAndNeverInTheProject)
{
    const auto restore = qScopeGuard([] { TrimSettingsStore::save(TrimSettings(), nullptr); });
    EXPECT_TRUE(TrimSettingsStore::storePath().startsWith(QDir::homePath())) << "the tests' own home";
    EXPECT_EQ(TrimSettingsStore::load(), TrimSettings()) << "nothing stored: today's page";

    const TrimSettings chosen{true, true, 25, false};
    ASSERT_TRUE(TrimSettingsStore::save(chosen, nullptr));
    EXPECT_EQ(TrimSettingsStore::load(), chosen);

    // A bleed edited by hand into nonsense prints none; the rest stays.
    for (const char *nonsense : {"35", "2", "-5", "tři"}) {
        QSettings(TrimSettingsStore::storePath(), QSettings::IniFormat).setValue(QStringLiteral("Bleed"), nonsense);
        EXPECT_EQ(TrimSettingsStore::load(), (TrimSettings{true, true, 0, false})) << nonsense;
    }

    // A project saved with other trim settings is the same project, byte for byte.
    QTemporaryDir first, second;
    auto saved = [&](const QTemporaryDir &dir) {
        CoverDocument document(dir.path());
        document.start(QString());
        const QString path = dir.filePath(QStringLiteral("album.kvp"));
        document.save(path, true);
        return readBytes(path);
    };
    const QByteArray withMarks = saved(first);
    ASSERT_FALSE(withMarks.isEmpty());
    ASSERT_TRUE(TrimSettingsStore::save(TrimSettings(), nullptr));
    EXPECT_EQ(saved(second), withMarks);
}

TEST(Trim, ABleedIsTypedInHalfMillimetresUpToThree)
{
    EXPECT_EQ(TrimSettings::parseBleed(QStringLiteral("3")), 30);
    EXPECT_EQ(TrimSettings::parseBleed(QStringLiteral("1,5")), 15);
    EXPECT_EQ(TrimSettings::parseBleed(QStringLiteral(" 0.5 ")), 5);
    EXPECT_EQ(TrimSettings::parseBleed(QStringLiteral("0")), 0);
    for (const char *refused : {"3.5", "0.25", "-0.5", "", "tři", "1e1", "nan"})
        EXPECT_EQ(TrimSettings::parseBleed(QString::fromLatin1(refused)), -1) << refused;
    EXPECT_EQ(TrimSettings::bleedText(15), QStringLiteral("1,5"));
    EXPECT_EQ(TrimSettings::bleedText(30), QStringLiteral("3"));
}

TEST(Trim, CropMarksContinueEveryCutEdgeAndKeepClearOfPiecesAndEachOther)
{
    for (int bleed : {0, 15, 30}) {
        SCOPED_TRACE(bleed);
        expectCropMarks(TrimSettings{true, false, bleed, false});
    }
    // With the fold marks beside them too.
    TrimSettings both{true, true, 30, false};
    CoverPage page;
    blank(page);
    const Region r = renderMarks(page, both);
    std::vector<QRectF> marks;
    for (const Blob &b : darkBlobs(r.image))
        marks.push_back(r.paper(b.box));
    for (std::size_t i = 0; i < marks.size(); ++i)
        for (std::size_t j = i + 1; j < marks.size(); ++j) {
            // The dashes of one fold mark stand closer: they are one mark.
            const bool sameFold = std::abs(marks[i].center().x() - marks[j].center().x()) < kTenth
                                  && marks[i].width() < 5 && marks[j].width() < 5;
            if (!sameFold)
                EXPECT_GE(gap(marks[i], marks[j]), 10 - 0.5);
        }
}

TEST(Trim, FoldMarksStandOnTheFoldsAboveAndBelowTheInlay)
{
    CoverPage page;
    blank(page);
    for (int bleed : {0, 30}) {
        SCOPED_TRACE(bleed);
        const Region r = renderMarks(page, TrimSettings{false, true, bleed, false});
        const QRectF inlay = cut(1);
        int seen[2][2] = {{0, 0}, {0, 0}};
        for (const Blob &b : darkBlobs(r.image)) {
            const QRectF box = r.paper(b.box);
            EXPECT_FALSE(b.horizontal());
            const double x = r.x(b.centre().x());
            int fold = -1;
            for (std::size_t f = 0; f < kJewelCase.pieces[1].folds.size(); ++f)
                if (std::abs(x - kJewelCase.pieces[1].folds[f].x1) <= kTenth)
                    fold = int(f);
            ASSERT_GE(fold, 0) << "a mark at x " << x << " is on no fold";
            const bool above = box.bottom() <= inlay.top() - PrintFinish::kMarkOffset + kTenth;
            const bool below = box.top() >= inlay.bottom() + PrintFinish::kMarkOffset - kTenth;
            EXPECT_TRUE(above || below) << "outside the inlay and its bleed";
            EXPECT_GE(gap(box, cut(0).adjusted(-bleed, -bleed, bleed, bleed)), 10 - 0.5);
            ++seen[fold][below ? 1 : 0];
        }
        for (auto &fold : seen)
            for (int dashes : fold)
                EXPECT_GE(dashes, 2) << "a dashed mark at each end of each fold";
    }
}

TEST(Trim, ABleedRunsThePicturesAndBandsPastTheCutAndNothingElse)
{
    CoverPage page;
    blank(page);
    solidColours(page);
    const QRectF front = cut(0), inlay = cut(1);
    const QRectF frontWindow = front.adjusted(-60, -60, 60, 60), inlayWindow = inlay.adjusted(-60, -60, 60, 60);
    const Region plainFront = render(page, TrimSettings(), frontWindow);
    const Region plainInlay = render(page, TrimSettings(), inlayWindow);
    const Region bledFront = render(page, TrimSettings{false, false, 30, true}, frontWindow);
    const Region bledInlay = render(page, TrimSettings{false, false, 30, true}, inlayWindow);

    // The front photo: the cut grown by 3.0 mm on all four sides, and nothing beyond.
    expectEdges(reach(bledFront, isRed, frontWindow), front.adjusted(-30, -30, 30, 30), "front picture");
    // Today's page: the photo inside the outline.
    expectEdges(reach(plainFront, isRed, frontWindow), kJewelCase.element(kJewelCase.find("MainImg")).shape.rect(),
                "front picture without a bleed");

    // The back picture grows at the top and the bottom only.
    const QRectF back = reach(bledInlay, isBlue, inlayWindow), backBefore = reach(plainInlay, isBlue, inlayWindow);
    EXPECT_NEAR(back.top(), inlay.top() - 30, kTenth);
    EXPECT_NEAR(back.bottom(), inlay.bottom() + 30, kTenth);
    EXPECT_DOUBLE_EQ(back.left(), backBefore.left());
    EXPECT_DOUBLE_EQ(back.right(), backBefore.right());

    // Each band grows at the top, the bottom and its outer side.
    const QRectF leftHalf(inlayWindow.left(), inlayWindow.top(), inlayWindow.width() / 2, inlayWindow.height());
    const QRectF rightHalf = leftHalf.translated(inlayWindow.width() / 2, 0);
    const QRectF cdl = reach(bledInlay, isGreen, leftHalf), cdlBefore = reach(plainInlay, isGreen, leftHalf);
    const QRectF cdr = reach(bledInlay, isGreen, rightHalf), cdrBefore = reach(plainInlay, isGreen, rightHalf);
    expectEdges(cdl, QRectF(QPointF(inlay.left() - 30, inlay.top() - 30), QPointF(cdlBefore.right(), inlay.bottom() + 30)),
                "left band");
    expectEdges(cdr, QRectF(QPointF(cdrBefore.left(), inlay.top() - 30), QPointF(inlay.right() + 30, inlay.bottom() + 30)),
                "right band");
    EXPECT_DOUBLE_EQ(cdl.right(), cdlBefore.right());
    EXPECT_DOUBLE_EQ(cdr.left(), cdrBefore.left());
}

TEST(Trim, TextsStayToThePixelWhateverTheBleed)
{
    // Light colours, so the black of the texts stands out on them.
    CoverPage page;
    page.MainImg().setPicture(solidPicture(QColor(255, 200, 200)));
    page.BckImg().setPicture(solidPicture(QColor(200, 200, 255)));
    for (SpineBand *band : {&page.CDL(), &page.CDR()}) {
        band->setStartColor(0x00C0FFC0);
        band->setEndColor(0x00C0FFC0);
    }
    for (TextItem &item : page.items())
        if (item.isMultiLine())
            item.setLines({QStringLiteral("Řádek jedna\t3:45"), QStringLiteral("Řádek dvě")});
    page.CDL().setCaption(QStringLiteral("Hřbet vlevo"));
    page.CDR().setCaption(QStringLiteral("Hřbet vpravo"));
    const QRectF window = CoverPage::printedArea().adjusted(-40, -40, 40, 40);
    // Drawn once before: a glyph drawn for the first time in a process (after other
    // windows drew other sizes of its font) can come out a shade unlike the same glyph
    // taken from the glyph cache afterwards, whatever the bleed.
    render(page, TrimSettings(), window);
    const Region plain = render(page, TrimSettings(), window);
    const Region bled = render(page, TrimSettings{true, true, 30, false}, window);
    int compared = 0;
    for (std::size_t e = 0; e < kJewelCase.elements.size(); ++e) {
        const ElementSpec &spec = kJewelCase.elements[e];
        const bool text = spec.kind == ElementKind::TextLine || spec.kind == ElementKind::TextList;
        if (!text && spec.kind != ElementKind::SpineBand)
            continue;
        SCOPED_TRACE(std::string(spec.name));
        // The box itself, without the pixel its edge may share with an outline.
        const QRect box = plain.pixels(page.elementRect(ElementId{int(e)})).adjusted(7, 7, -7, -7);
        EXPECT_EQ(plain.image.copy(box), bled.image.copy(box));
        compared += darkPixels(plain.image, box) > 20;
    }
    EXPECT_GE(compared, 12) << "the texts and spine titles were there to compare";
}

TEST(Trim, FillKeepsItsChosenPartInTheCutAndFitKeepsItsMargins)
{
    // Left half red, right half blue: the line between them marks the chosen centre.
    QImage halves(200, 100, QImage::Format_RGB32);
    halves.fill(Qt::red);
    QPainter(&halves).fillRect(100, 0, 100, 100, Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    halves.save(&buffer, "PNG");
    Picture picture;
    QString error;
    ASSERT_TRUE(picture.loadFromData(bytes, QStringLiteral(".png"), &error));

    CoverPage page;
    blank(page);
    page.MainImg().setPicture(picture);
    const QRectF front = cut(0);
    const QRectF window = front.adjusted(-60, -60, 60, 60);

    page.MainImg().setPlacement(PicturePlacement{PicturePlacement::Fit::Fill, 500, 500, 1000});
    for (int bleed : {0, 30}) {
        SCOPED_TRACE(bleed);
        const Region r = render(page, TrimSettings{false, false, bleed, true}, window);
        const QRectF red = reach(r, isRed, window), blue = reach(r, isBlue, window);
        ASSERT_FALSE(red.isEmpty());
        ASSERT_FALSE(blue.isEmpty());
        // Halfway through the blend between the two halves.
        EXPECT_NEAR((red.right() + blue.left()) / 2, front.center().x(), 2 * kTenth)
            << "the chosen centre in the middle of the cut";
        if (bleed > 0)
            expectEdges(red.united(blue), front.adjusted(-bleed, -bleed, bleed, bleed), "filled to the bleed");
    }

    page.MainImg().setPlacement(PicturePlacement{PicturePlacement::Fit::Fit, 500, 500, 1000});
    const Region fitted = render(page, TrimSettings(), window);
    const Region fittedBled = render(page, TrimSettings{false, false, 30, true}, window);
    EXPECT_EQ(fitted.image, fittedBled.image) << "a fitted picture keeps its margins and has no bleed";
}

TEST(Trim, MarksAndBleedFollowThePrintersCalibration)
{
    CoverPage page;
    blank(page);
    const TrimSettings trim{true, true, 30, false};
    const PrinterCalibration calibration{40, -25, 1004, 997};
    const Region plain = renderMarks(page, trim);
    const Region calibrated = renderMarks(page, trim, calibration);
    const std::vector<Blob> before = darkBlobs(plain.image), after = darkBlobs(calibrated.image);
    ASSERT_EQ(before.size(), after.size());
    ASSERT_FALSE(before.empty());
    // Each mark (each dash) stands where the calibration puts it.
    for (const Blob &b : before) {
        const QPointF where = calibration.map(QPointF(plain.x(b.centre().x()), plain.y(b.centre().y())));
        double nearest = 1e9;
        for (const Blob &a : after)
            nearest = std::min(nearest, std::hypot(calibrated.x(a.centre().x()) - where.x(),
                                                   calibrated.y(a.centre().y()) - where.y()));
        EXPECT_LE(nearest, kTenth) << where.x() << "," << where.y();
    }
    // The bleed too: the red reaches the calibrated bleed edges.
    page.MainImg().setPicture(solidPicture(Qt::red));
    const QRectF front = cut(0).adjusted(-30, -30, 30, 30);
    const QRectF whole(0, 0, 2100, 2970);
    const Region red = render(page, trim, QRectF(0, 0, 1600, 1600), calibration);
    expectEdges(reach(red, isRed, whole), QRectF(calibration.map(front.topLeft()), calibration.map(front.bottomRight())),
                "calibrated bleed");
}

TEST(Trim, ThePreviewShowsTheMarksHoweverSmallAndTheScreenNever)
{
    CoverPage page;
    blank(page);
    const TrimSettings trim{true, true, 30, false};
    // The preview's recording shown at its first zoom, as the outline test shows it.
    const double dpi = 1200, shown = 0.388 * 96 / dpi;
    QPicture recording;
    QPainter recorder(&recording);
    SheetRenderer::paintOnPaper(page, recorder, dpi, dpi, PrinterCalibration{}, true, nullptr, trim);
    recorder.end();
    QImage preview(qRound(2100.0 / 254 * dpi * shown), qRound(2970.0 / 254 * dpi * shown), QImage::Format_RGB32);
    preview.fill(Qt::white);
    QPainter p(&preview);
    p.scale(shown, shown);
    p.drawPicture(0, 0, recording);
    p.end();
    const std::vector<PrintMark> marks = PrintFinish::marks(kJewelCase, trim);
    ASSERT_GE(marks.size(), 16u);
    for (const PrintMark &mark : marks) {
        // The middle of each crop mark, and the first dash of each fold mark.
        const QPointF at = mark.kind == PrintMark::Kind::Crop
                               ? mark.line.center()
                               : mark.line.pointAt(PrintFinish::kFoldDash / 2 / mark.line.length());
        const QPoint px((at * dpi / 254 * shown).toPoint());
        EXPECT_GT(darkPixels(preview, QRect(px - QPoint(1, 1), QSize(3, 3))), 0) << at.x() << "," << at.y();
    }
    // The screen draws the page as the user edits it: no marks, no bleed.
    const QImage screen = renderScreen(page, 100, false);
    const QRect frontPx = SheetView::pixelRect(cut(0), 100), inlayPx = SheetView::pixelRect(cut(1), 100);
    int outside = 0;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            outside += isDark(screen.pixel(x, y)) && !frontPx.contains(x, y) && !inlayPx.contains(x, y);
    EXPECT_EQ(outside, 0);
}

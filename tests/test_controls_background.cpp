#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QWidget>
#include <memory>

#include "controls/TKivBackground.h"
#include "project/MulDiv.h"

using namespace korvel;

namespace {

const QRgb kUntouched = qRgb(255, 0, 255);

QImage paintOn(TKivBackground &bg, int w, int h, bool normalOrder = true, int surfaceW = -1, int surfaceH = -1)
{
    QImage img(surfaceW < 0 ? w : surfaceW, surfaceH < 0 ? h : surfaceH, QImage::Format_RGB32);
    img.fill(kUntouched);
    QPainter p(&img);
    bg.paintBackground(p, w, normalOrder, h);
    p.end();
    return img;
}

QRgb grey(int v)
{
    return qRgb(v, v, v);
}

// Channel of step i of n between two values, as the gradient defines it.
int step(int from, int to, int i, int n)
{
    const int v = from + mulDiv(i, to - from, n - 1);
    return v == 0 ? 1 : v;
}

} // namespace

TEST(ControlsColorText, NamesAndNumbers)
{
    EXPECT_EQ(stringToColor("clRed"), clRed);
    EXPECT_EQ(stringToColor("CLNAVY"), clNavy);
    EXPECT_EQ(stringToColor("clBtnFace"), clBtnFace);
    EXPECT_EQ(stringToColor("$00FF00"), 0x00FF00u);
    EXPECT_EQ(stringToColor("0x123456"), 0x123456u);
    EXPECT_EQ(stringToColor("255"), 255u);
    EXPECT_EQ(stringToColor("-2147483633"), clBtnFace); // signed storage of 0x8000000F
    EXPECT_FALSE(stringToColor("Red").has_value());
    EXPECT_FALSE(stringToColor("").has_value());
    EXPECT_FALSE(stringToColor("12abc").has_value());
    EXPECT_FALSE(stringToColor("99999999999").has_value());
}

TEST(ControlsColorText, ButtonColoursResolve)
{
    EXPECT_EQ(resolveColor(clBtnHighlight), QColor(255, 255, 255));
    EXPECT_EQ(resolveColor(clBtnShadow), QColor(128, 128, 128));
    EXPECT_EQ(resolveColor(clGrayText), QColor(128, 128, 128));
}

TEST(ControlsGradient, DefaultsRunSilverToGreyIn32Bands)
{
    TKivBackground bg;
    EXPECT_EQ(bg.backgroundStyle(), bGradient);
    EXPECT_EQ(bg.solidColor(), clBtnFace);
    EXPECT_EQ(bg.gradient()->fillStyle(), TKivFillStyle::Horizontal);
    EXPECT_EQ(bg.gradient()->noOfColors(), 32);

    const QImage img = paintOn(bg, 17, 57);
    for (int x = 0; x < 17; ++x) {
        EXPECT_EQ(img.pixel(x, 0), grey(192));
        EXPECT_EQ(img.pixel(x, 56), grey(128));
    }
    // Step i starts at MulDiv(i, 58, 32) and is overpainted only from the start
    // of step i + 1 on.
    QSet<QRgb> bands;
    for (int i = 0; i < 32; ++i) {
        const int y = mulDiv(i, 58, 32);
        ASSERT_LT(y, 57);
        EXPECT_EQ(img.pixel(8, y), grey(step(192, 128, i, 32))) << "step " << i;
        if (i > 0) {
            EXPECT_EQ(img.pixel(8, y - 1), grey(step(192, 128, i - 1, 32))) << "step " << i;
        }
    }
    for (int y = 0; y < 57; ++y) {
        bands.insert(img.pixel(3, y));
        EXPECT_EQ(img.pixel(0, y), img.pixel(16, y)) << "rows are uniform";
    }
    EXPECT_EQ(bands.size(), 32);
}

TEST(ControlsGradient, ReversedOrderSwapsOnlyTheEnds)
{
    TKivBackground bg;
    bg.gradient()->setColorsInbetween({"clRed", "$00FF00"});
    const auto list = bg.gradient()->colorList(false);
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(*list, (std::vector<ColorRef>{clGray, clRed, 0x00FF00, clSilver}));

    // q = 3 segments of Round(100 / 3) + 1 = 34 pixels.
    const QImage img = paintOn(bg, 10, 100, false);
    EXPECT_EQ(img.pixel(5, 0), grey(128));
    EXPECT_EQ(img.pixel(5, 34), qRgb(255, 1, 1));
    EXPECT_EQ(img.pixel(5, 68), qRgb(1, 255, 1));
    // The bottom row is step 29 of the last segment (rows 68 + MulDiv(i, 34, 32)).
    EXPECT_EQ(img.pixel(5, 99), qRgb(step(0, 192, 29, 32), step(255, 192, 29, 32), step(0, 192, 29, 32)));
    const QImage normal = paintOn(bg, 10, 100, true);
    EXPECT_EQ(normal.pixel(5, 0), grey(192));
    EXPECT_EQ(normal.pixel(5, 34), qRgb(255, 1, 1));
    EXPECT_EQ(normal.pixel(5, 68), qRgb(1, 255, 1));
    EXPECT_EQ(normal.pixel(5, 99), qRgb(step(0, 128, 29, 32), step(255, 128, 29, 32), step(0, 128, 29, 32)));
}

TEST(ControlsGradient, NoChannelIsEverPaintedAsZero)
{
    TKivBackground bg;
    bg.gradient()->setBeginColor(clBlack);
    bg.gradient()->setEndColor(clBlack);
    QImage img = paintOn(bg, 20, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(img.pixel(x, y), qRgb(1, 1, 1));

    bg.gradient()->setBeginColor(clRed);
    bg.gradient()->setEndColor(clBlue);
    img = paintOn(bg, 5, 56); // the last step starts at MulDiv(31, 57, 32) = 55
    EXPECT_EQ(img.pixel(2, 0), qRgb(255, 1, 1));
    EXPECT_EQ(img.pixel(2, 55), qRgb(1, 1, 255));
}

TEST(ControlsGradient, ThreeColoursSplitIntoSegmentsOf51)
{
    TKivBackground bg;
    bg.gradient()->setBeginColor(clWhite);
    bg.gradient()->setEndColor(clBlack);
    bg.gradient()->setColorsInbetween({"clRed"});
    const QImage img = paintOn(bg, 8, 100);
    EXPECT_EQ(img.pixel(0, 0), grey(255));
    // Segment 1 starts at 51 with red; its step 1 starts MulDiv(1, 51, 32) = 2 lower.
    EXPECT_EQ(img.pixel(0, 51), qRgb(255, 1, 1));
    EXPECT_EQ(img.pixel(0, 52), qRgb(255, 1, 1));
    EXPECT_EQ(img.pixel(0, 53), qRgb(step(255, 0, 1, 32), 1, 1));
    // Segment 0 ends in red just before it.
    EXPECT_EQ(img.pixel(0, 50), qRgb(255, 1, 1));
    EXPECT_EQ(img.pixel(0, 47), qRgb(255, step(255, 0, 29, 32), step(255, 0, 29, 32)));
    // The last steps reach beyond the bottom: the bottom row is near black.
    EXPECT_EQ(img.pixel(0, 99), qRgb(step(255, 0, 30, 32), 1, 1));
}

TEST(ControlsGradient, SegmentSizesRoundHalvesToEven)
{
    TKivBackground bg;
    bg.gradient()->setBeginColor(clWhite);
    bg.gradient()->setEndColor(clBlack);
    bg.gradient()->setColorsInbetween({"clRed"});
    // 101 / 2 = 50.5 rounds down to 50: segment 1 starts at 51, its step 1 at 53.
    QImage img = paintOn(bg, 4, 101);
    EXPECT_EQ(img.pixel(0, 52), qRgb(255, 1, 1));
    EXPECT_EQ(img.pixel(0, 53), qRgb(step(255, 0, 1, 32), 1, 1));
    // 103 / 2 = 51.5 rounds up to 52: segment 1 starts at 53, its step 1 at 55.
    img = paintOn(bg, 4, 103);
    EXPECT_EQ(img.pixel(0, 54), qRgb(255, 1, 1));
    EXPECT_EQ(img.pixel(0, 55), qRgb(step(255, 0, 1, 32), 1, 1));
}

TEST(ControlsGradient, FewColourStepsAndBadColourLines)
{
    TKivBackground bg;
    bg.gradient()->setNoOfColors(0);
    QImage img = paintOn(bg, 6, 6);
    EXPECT_EQ(img.pixel(5, 5), grey(192)) << "only the first colour";

    bg.gradient()->setNoOfColors(1);
    bg.gradient()->setColorsInbetween({"clRed"});
    img = paintOn(bg, 6, 100);
    EXPECT_EQ(img.pixel(0, 10), grey(192));
    EXPECT_EQ(img.pixel(0, 60), qRgb(255, 1, 1)) << "each segment in its begin colour";

    // An unreadable colour paints nothing rather than half a gradient.
    bg.gradient()->setNoOfColors(32);
    bg.gradient()->setColorsInbetween({"clRed", "not a colour"});
    img = paintOn(bg, 6, 50);
    for (int y = 0; y < 50; ++y)
        ASSERT_EQ(img.pixel(3, y), kUntouched);
    EXPECT_FALSE(bg.gradient()->colorList(true).has_value());
}

TEST(ControlsGradient, VerticalRunsLeftToRight)
{
    TKivBackground bg;
    bg.gradient()->setFillStyle(TKivFillStyle::Vertical);
    const QImage img = paintOn(bg, 57, 9);
    for (int y = 0; y < 9; ++y) {
        EXPECT_EQ(img.pixel(0, y), grey(192));
        EXPECT_EQ(img.pixel(56, y), grey(128));
    }
    EXPECT_EQ(img.pixel(mulDiv(10, 58, 32), 4), grey(step(192, 128, 10, 32)));
}

TEST(ControlsGradient, ShapedStylesPutTheColoursWhereTheyBelong)
{
    TKivBackground bg;
    bg.gradient()->setBeginColor(clWhite);
    bg.gradient()->setEndColor(clBlack);
    auto near = [](QRgb c, int v) { return std::abs(qRed(c) - v) <= 24 && qRed(c) == qGreen(c); };

    bg.gradient()->setFillStyle(TKivFillStyle::SquareMiddle);
    QImage img = paintOn(bg, 100, 100);
    EXPECT_EQ(img.pixel(0, 0), grey(255));
    EXPECT_EQ(img.pixel(50, 50), grey(1)); // last step: rectangle 48..51
    EXPECT_EQ(img.pixel(99, 50), grey(255));

    bg.gradient()->setFillStyle(TKivFillStyle::LeftBottom);
    img = paintOn(bg, 100, 100);
    EXPECT_EQ(img.pixel(0, 0), grey(255));
    EXPECT_EQ(img.pixel(99, 99), grey(1));
    EXPECT_EQ(img.pixel(0, 99), grey(255)) << "steps always move right and down";

    bg.gradient()->setFillStyle(TKivFillStyle::MiddleHBar);
    img = paintOn(bg, 30, 100);
    EXPECT_EQ(img.pixel(10, 0), grey(255));
    EXPECT_EQ(img.pixel(10, 99), grey(255));
    EXPECT_EQ(img.pixel(10, 50), grey(1));

    bg.gradient()->setFillStyle(TKivFillStyle::MiddleVBar);
    img = paintOn(bg, 100, 30);
    EXPECT_EQ(img.pixel(0, 10), grey(255));
    EXPECT_EQ(img.pixel(99, 10), grey(255));
    EXPECT_EQ(img.pixel(50, 10), grey(1));

    bg.gradient()->setFillStyle(TKivFillStyle::RoundMiddle);
    img = paintOn(bg, 100, 100);
    EXPECT_EQ(img.pixel(0, 0), grey(255));
    EXPECT_TRUE(near(img.pixel(50, 50), 0)) << qRed(img.pixel(50, 50));

    bg.gradient()->setFillStyle(TKivFillStyle::Singleflash);
    img = paintOn(bg, 100, 100);
    EXPECT_EQ(img.pixel(0, 0), grey(255));
    EXPECT_TRUE(near(img.pixel(98, 98), 0)) << qRed(img.pixel(98, 98));

    bg.gradient()->setFillStyle(TKivFillStyle::DoppelFlash);
    img = paintOn(bg, 100, 100);
    EXPECT_TRUE(near(img.pixel(1, 1), 0)) << qRed(img.pixel(1, 1));
    EXPECT_TRUE(near(img.pixel(97, 97), 0)) << qRed(img.pixel(97, 97));

    // The lines of Circle all pass through the centre; opposite sides of it
    // carry the same colour.
    bg.gradient()->setFillStyle(TKivFillStyle::Circle);
    img = paintOn(bg, 100, 100);
    EXPECT_EQ(img.pixel(20, 0), img.pixel(79, 99));
    EXPECT_NE(img.pixel(1, 0), img.pixel(50, 0));

    // Spectral alternates step and mirror colours line by line.
    bg.gradient()->setFillStyle(TKivFillStyle::Spectral);
    img = paintOn(bg, 100, 100);
    EXPECT_NE(img.pixel(40, 0), img.pixel(41, 0));

    bg.gradient()->setFillStyle(TKivFillStyle::VerticalDoppelBar);
    img = paintOn(bg, 99, 10);
    EXPECT_EQ(img.pixel(0, 5), grey(255)) << "left of the first bar";
    QSet<QRgb> columns;
    for (int x = 0; x < 99; ++x)
        columns.insert(img.pixel(x, 5));
    EXPECT_GT(columns.size(), 20);

    bg.gradient()->setFillStyle(TKivFillStyle::HorizontalDoppelBar);
    img = paintOn(bg, 10, 99);
    EXPECT_EQ(img.pixel(5, 0), grey(255));
    QSet<QRgb> rows;
    for (int y = 0; y < 99; ++y)
        rows.insert(img.pixel(5, y));
    EXPECT_GT(rows.size(), 20);
}

TEST(ControlsGradient, EveryStyleStaysInsideItsSurfaceAndSurvivesTinySizes)
{
    TKivBackground bg;
    bg.gradient()->setColorsInbetween({"clRed", "clLime"});
    for (int style = 0; style <= int(TKivFillStyle::HorizontalDoppelBar); ++style) {
        bg.gradient()->setFillStyle(TKivFillStyle(style));
        for (const QSize size : {QSize(1, 1), QSize(2, 3), QSize(7, 1), QSize(40, 25)}) {
            const QImage img = paintOn(bg, size.width(), size.height(), true, 50, 30);
            for (int y = 0; y < 30; ++y)
                for (int x = 0; x < 50; ++x)
                    if (x >= size.width() || y >= size.height())
                        ASSERT_EQ(img.pixel(x, y), kUntouched) << style << " at " << x << "," << y;
                    else
                        ASSERT_NE(img.pixel(x, y), kUntouched) << style << " at " << x << "," << y;
        }
        const QImage empty = paintOn(bg, 0, 10, true, 5, 5);
        EXPECT_EQ(empty.pixel(0, 0), kUntouched);
    }
}

namespace {
QImage texturePicture(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 5, y * 5, 100));
    return img;
}
} // namespace

TEST(ControlsTexture, TilesFromTheOriginAndCutAtTheEdge)
{
    TKivBackground bg;
    bg.setBackgroundStyle(bTexture);
    const QImage tile = texturePicture(40, 40);
    bg.texture()->setImage(tile);
    EXPECT_EQ(bg.texture()->imageStyle(), isTile);
    const QImage img = paintOn(bg, 100, 100);
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            for (const QPoint d : {QPoint(0, 0), QPoint(19, 7), QPoint(39, 39)}) {
                const int x = c * 40 + d.x(), y = r * 40 + d.y();
                if (x < 100 && y < 100) {
                    EXPECT_EQ(img.pixel(x, y), tile.pixel(d)) << x << "," << y;
                }
            }
    EXPECT_EQ(img.pixel(99, 99), tile.pixel(19, 19));

    // Whole tiles: the last column and row reach past the surface's edge.
    const QImage wider = paintOn(bg, 100, 100, true, 130, 130);
    EXPECT_EQ(wider.pixel(119, 119), tile.pixel(39, 39));
    EXPECT_EQ(wider.pixel(120, 5), kUntouched);
    EXPECT_EQ(wider.pixel(5, 120), kUntouched);
}

TEST(ControlsTexture, CentredAndStretched)
{
    TKivBackground bg;
    bg.setBackgroundStyle(bTexture);
    bg.texture()->setImage(texturePicture(40, 40));
    bg.texture()->setImageStyle(isCenter);
    QImage img = paintOn(bg, 100, 100);
    EXPECT_EQ(img.pixel(30, 30), texturePicture(40, 40).pixel(0, 0));
    EXPECT_EQ(img.pixel(69, 69), texturePicture(40, 40).pixel(39, 39));
    EXPECT_EQ(img.pixel(29, 50), kUntouched) << "the area around is left as it was";
    EXPECT_EQ(img.pixel(70, 50), kUntouched);

    // Wider than the surface: placed at x = 0, still centred vertically.
    const QImage wide = texturePicture(150, 50);
    bg.texture()->setImage(wide);
    img = paintOn(bg, 100, 100);
    EXPECT_EQ(img.pixel(0, 25), wide.pixel(0, 0));
    EXPECT_EQ(img.pixel(99, 74), wide.pixel(99, 49));
    EXPECT_EQ(img.pixel(50, 24), kUntouched);

    QImage quad(2, 2, QImage::Format_RGB32);
    quad.setPixel(0, 0, qRgb(255, 0, 0));
    quad.setPixel(1, 0, qRgb(0, 255, 0));
    quad.setPixel(0, 1, qRgb(0, 0, 255));
    quad.setPixel(1, 1, qRgb(255, 255, 0));
    bg.texture()->setImage(quad);
    bg.texture()->setImageStyle(isStretched);
    img = paintOn(bg, 100, 60);
    EXPECT_EQ(img.pixel(10, 10), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(90, 10), qRgb(0, 255, 0));
    EXPECT_EQ(img.pixel(10, 50), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(99, 59), qRgb(255, 255, 0));
}

TEST(ControlsTexture, TransparentColourIsReplacedInEveryCopy)
{
    TKivBackground bg;
    bg.setBackgroundStyle(bTexture);
    QImage pic = texturePicture(10, 10);
    pic.setPixel(3, 4, qRgb(255, 0, 0));
    bg.texture()->setImage(pic);
    pic.setPixel(5, 5, qRgb(0, 0, 0)); // a later change of the caller's copy
    QImage img = paintOn(bg, 30, 30);
    EXPECT_EQ(img.pixel(13, 14), qRgb(255, 0, 0)) << "clNone copies the picture unchanged";
    EXPECT_NE(img.pixel(5, 5), qRgb(0, 0, 0)) << "the texture keeps its own copy";

    bg.texture()->setTransparentColor(clRed);
    bg.texture()->setTransparentBackground(clYellow);
    img = paintOn(bg, 30, 30);
    for (const QPoint at : {QPoint(3, 4), QPoint(13, 14), QPoint(23, 24), QPoint(3, 24)})
        EXPECT_EQ(img.pixel(at), qRgb(255, 255, 0));
    EXPECT_EQ(img.pixel(0, 0), pic.pixel(0, 0));
}

TEST(ControlsTexture, EmptyPicturePaintsNothing)
{
    TKivBackground bg;
    bg.setBackgroundStyle(bTexture);
    for (const TKivImageStyle style : {isTile, isCenter, isStretched}) {
        bg.texture()->setImageStyle(style);
        EXPECT_EQ(paintOn(bg, 20, 20).pixel(10, 10), kUntouched);
    }
}

TEST(ControlsBrushFill, HatchOverWhiteOrOverTheSolidColour)
{
    TKivBackground bg;
    bg.setBackgroundStyle(bSolidcolor);
    EXPECT_EQ(paintOn(bg, 9, 9).pixel(8, 8), grey(192));

    bg.setBackgroundStyle(bBrushFillUseCurrent);
    bg.brushFill()->setBrushStyle(bsCross);
    bg.brushFill()->setBrushColor(clRed);
    auto check = [](const QImage &img, QRgb gap) {
        int lines = 0, gaps = 0, fullRows = 0, fullCols = 0;
        for (int y = 0; y < 32; ++y) {
            bool full = true;
            for (int x = 0; x < 32; ++x) {
                const QRgb c = img.pixel(x, y);
                ASSERT_TRUE(c == qRgb(255, 0, 0) || c == gap) << x << "," << y;
                (c == gap ? gaps : lines)++;
                full = full && c != gap;
            }
            fullRows += full;
        }
        for (int x = 0; x < 32; ++x) {
            bool full = true;
            for (int y = 0; y < 32; ++y)
                full = full && img.pixel(x, y) != gap;
            fullCols += full;
        }
        EXPECT_GT(gaps, lines);
        EXPECT_EQ(fullRows, 4) << "one horizontal line every 8 pixels";
        EXPECT_EQ(fullCols, 4) << "one vertical line every 8 pixels";
    };
    check(paintOn(bg, 32, 32), qRgb(255, 255, 255));
    bg.setSolidColor(clYellow);
    bg.setBackgroundStyle(bBrushFillSolidColor);
    check(paintOn(bg, 32, 32), qRgb(255, 255, 0));

    bg.brushFill()->setBrushStyle(bsSolid);
    for (const TKivBackStyle s : {bBrushFillUseCurrent, bBrushFillSolidColor}) {
        bg.setBackgroundStyle(s);
        const QImage img = paintOn(bg, 16, 16);
        EXPECT_EQ(img.pixel(0, 0), qRgb(255, 0, 0));
        EXPECT_EQ(img.pixel(15, 15), qRgb(255, 0, 0));
    }
}

namespace {
// Records the order in which widgets are painted.
class PaintLog : public QObject {
public:
    QList<QObject *> order;
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            order.append(o);
        return false;
    }
};
} // namespace

TEST(ControlsBackgroundUsers, EveryChangeRepaintsAllUsersInOrder)
{
    TKivBackground bg;
    std::vector<std::unique_ptr<QWidget>> users;
    PaintLog log;
    for (int i = 0; i < 3; ++i) {
        users.push_back(std::make_unique<QWidget>());
        users.back()->resize(20, 20);
        users.back()->show();
    }
    QApplication::processEvents();
    // Attached in the order 2, 0, 1.
    bg.addUser(users[2].get());
    bg.addUser(users[0].get());
    bg.addUser(users[1].get());
    int changed = 0;
    TKivComponent *sender = nullptr;
    bg.OnChanged = [&](TKivComponent *s) {
        ++changed;
        sender = s;
    };
    for (auto &u : users)
        u->installEventFilter(&log);

    bg.setSolidColor(clRed);
    EXPECT_TRUE(log.order.isEmpty()) << "no painting inside a setter";
    QApplication::processEvents();
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(sender, &bg);
    ASSERT_EQ(log.order.size(), 3);
    EXPECT_EQ(log.order, (QList<QObject *>{users[2].get(), users[0].get(), users[1].get()}));

    // An equal value still notifies, every time.
    log.order.clear();
    bg.setSolidColor(clRed);
    QApplication::processEvents();
    bg.setSolidColor(clRed);
    QApplication::processEvents();
    EXPECT_EQ(changed, 3);
    EXPECT_EQ(log.order.size(), 6);

    // Changes inside the settings objects notify the same way.
    log.order.clear();
    bg.gradient()->setNoOfColors(32);
    bg.texture()->setImageStyle(isTile);
    bg.brushFill()->setBrushColor(clRed);
    EXPECT_EQ(changed, 6);
    TKivGradient other;
    other.setBeginColor(clRed);
    other.setNoOfColors(7);
    bg.setGradient(other);
    EXPECT_EQ(changed, 7) << "a copy of the whole settings object notifies once";
    EXPECT_EQ(bg.gradient()->beginColor(), clRed);
    EXPECT_EQ(bg.gradient()->noOfColors(), 7);
    EXPECT_NE(bg.gradient(), &other);
    QApplication::processEvents();
    EXPECT_EQ(log.order.size(), 3) << "repaints requested in one go coalesce";
    for (auto &u : users)
        u->removeEventFilter(&log);
}

TEST(ControlsBackgroundUsers, ListKeepsDuplicatesAndForgetsDestroyedControls)
{
    TKivBackground bg;
    QWidget a, b;
    auto *c = new QWidget;
    bg.addUser(&a);
    bg.addUser(&b);
    bg.addUser(&a);
    bg.addUser(c);
    EXPECT_EQ(bg.users(), (QList<QWidget *>{&a, &b, &a, c}));
    bg.removeUser(&a);
    EXPECT_EQ(bg.users(), (QList<QWidget *>{&b, &a, c}));
    delete c;
    EXPECT_EQ(bg.users(), (QList<QWidget *>{&b, &a}));
    bg.notifyUsers(); // must not touch the destroyed control
    bg.removeUser(&b);
    bg.removeUser(&b);
    EXPECT_EQ(bg.users(), (QList<QWidget *>{&a}));
}

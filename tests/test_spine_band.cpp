// Spine band painting: the gradient rule, picture fitting and the title's placement.
#include <QBuffer>
#include <gtest/gtest.h>

#include "PageTestUtil.h"
#include "project/MulDiv.h"

using namespace korvel;
using namespace korvel::test;

namespace {

QImage paintBand(const SpineBand &band, QSize size = QSize(23, 440), DrawTarget where = DrawTarget::Screen)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter p(&image);
    band.paint(p, QRectF(QPointF(0, 0), QSizeF(size)), where);
    return image;
}

Picture pictureOf(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    Picture picture;
    QString error;
    EXPECT_TRUE(picture.loadFromData(bytes, QStringLiteral(".bmp"), &error));
    return picture;
}

// The colour the rule gives a canvas row, computed here from the rule's own words.
QColor expectedRow(int y, QColor start, QColor end)
{
    const int H = 440, n = 256;
    for (int i = 0; i < n; ++i) {
        const int top = H - mulDiv(i + 1, H, n), bottom = H - mulDiv(i, H, n);
        if (y >= top && y < bottom)
            return QColor(start.red() + mulDiv(i, end.red() - start.red(), n - 1),
                          start.green() + mulDiv(i, end.green() - start.green(), n - 1),
                          start.blue() + mulDiv(i, end.blue() - start.blue(), n - 1));
    }
    return QColor();
}

} // namespace

TEST(SpineBand, DefaultsAreSilverToWhiteWithABoldTitle)
{
    SpineBand band;
    EXPECT_EQ(band.caption(), QStringLiteral("Název CD"));
    EXPECT_TRUE(band.gradient().Visible);
    EXPECT_EQ(band.gradient().EndColor, clSilver);
    EXPECT_EQ(band.gradient().StartColor, clWhite);
    EXPECT_EQ(band.titleFont().height, -15);
    EXPECT_EQ(band.titleFont().style, fsBold);
    EXPECT_EQ(band.backImageMode(), BackImageMode::pbmStretch);
    band.setCaption(QString());
    const QImage image = paintBand(band);
    EXPECT_EQ(image.pixel(10, 0), qRgb(192, 192, 192));
    EXPECT_EQ(image.pixel(10, 439), qRgb(255, 255, 255));
}

TEST(SpineBand, GradientFollowsTheMulDivRuleRowByRow)
{
    SpineBand band;
    band.setCaption(QString());
    band.setEndColor(rgbColor(255, 0, 0));   // top
    band.setStartColor(rgbColor(0, 0, 255)); // bottom
    const QImage image = paintBand(band);
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(22, 439), qRgb(0, 0, 255));
    for (int y = 0; y < 440; ++y)
        ASSERT_EQ(QColor(image.pixel(11, y)), expectedRow(y, Qt::blue, Qt::red)) << "row " << y;
    // Step 0 covers the bottom rows 438 and 439 (440 * 1 / 256 rounds to 2).
    EXPECT_EQ(SpineBand::gradientStepRows(0, 256, 440), std::make_pair(438, 440));
    EXPECT_EQ(SpineBand::gradientStepRows(255, 256, 440), std::make_pair(0, 2));

    band.setEndColor(rgbColor(10, 200, 30));
    band.setStartColor(rgbColor(10, 200, 30));
    const QImage uniform = paintBand(band);
    for (int y = 0; y < 440; y += 7)
        ASSERT_EQ(uniform.pixel(5, y), qRgb(10, 200, 30));
}

TEST(SpineBand, PictureModeWithoutPictureIsPlainWhite)
{
    SpineBand band;
    band.setCaption(QString());
    band.setGradientVisible(false);
    const QImage image = paintBand(band);
    for (int y = 0; y < 440; y += 11)
        for (int x = 0; x < 23; ++x)
            ASSERT_EQ(image.pixel(x, y), qRgb(255, 255, 255));
}

TEST(SpineBand, PictureIsStretchedOrTiled)
{
    SpineBand band;
    band.setCaption(QString());
    QImage quadrants(2, 2, QImage::Format_RGB32);
    quadrants.setPixel(0, 0, qRgb(255, 0, 0));
    quadrants.setPixel(1, 0, qRgb(0, 255, 0));
    quadrants.setPixel(0, 1, qRgb(0, 0, 255));
    quadrants.setPixel(1, 1, qRgb(255, 255, 0));
    band.setBackImage(pictureOf(quadrants));
    QImage image = paintBand(band, QSize(23, 440), DrawTarget::Paper);
    EXPECT_EQ(image.pixel(2, 5), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(20, 5), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(2, 430), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(20, 430), qRgb(255, 255, 0));

    // Tiled: a 10 x 100 picture repeats at its own size from the top-left corner.
    QImage tile(10, 100, QImage::Format_RGB32);
    tile.fill(qRgb(0, 0, 0));
    tile.setPixel(0, 0, qRgb(255, 0, 0));
    tile.setPixel(9, 99, qRgb(0, 255, 0));
    band.setBackImage(pictureOf(tile));
    band.setBackImageMode(BackImageMode::pbmTile);
    image = paintBand(band);
    for (const QPoint p : {QPoint(0, 0), QPoint(10, 0), QPoint(20, 0), QPoint(0, 100), QPoint(20, 400)})
        EXPECT_EQ(image.pixel(p), qRgb(255, 0, 0)) << p.x() << "," << p.y();
    EXPECT_EQ(image.pixel(9, 99), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(19, 399), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(22, 439), qRgb(0, 0, 0)) << "the last tile is clipped to the band";

    // A tile larger than the band shows only its top-left corner.
    QImage big(100, 1000, QImage::Format_RGB32);
    for (int y = 0; y < 1000; ++y)
        for (int x = 0; x < 100; ++x)
            big.setPixel(x, y, qRgb(x * 2, y / 4, 0));
    band.setBackImage(pictureOf(big));
    image = paintBand(band);
    EXPECT_EQ(image.pixel(22, 439), big.pixel(22, 439));
    EXPECT_EQ(image.pixel(5, 200), big.pixel(5, 200));
}

TEST(SpineBand, TitleRunsDownTheBandFlushRightAndCentred)
{
    SpineBand band;
    band.setGradientVisible(false);
    band.setCaption(QStringLiteral("Název CD"));
    const QImage image = paintBand(band);
    const QFont font = band.titleFont().toQFontForHeight(-15);
    const QFontMetrics m(font);
    const int h = m.ascent() + m.descent();
    int minX = 99, maxX = -1, minY = 9999, maxY = -1;
    for (int y = 0; y < 440; ++y)
        for (int x = 0; x < 23; ++x)
            if (isDark(image.pixel(x, y))) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    ASSERT_GE(maxX, 0) << "no title drawn";
    EXPECT_GE(minX, 22 - h);
    EXPECT_LE(maxX, 22);
    const int length = QFontMetrics(font).horizontalAdvance(band.caption());
    EXPECT_GT(maxY - minY, length * 8 / 10) << "the title runs along the band";
    EXPECT_NEAR((minY + maxY) / 2.0, 220, 3);

    // Reading direction and letter tops: "W" then full stops. The W must come first,
    // at the top, and the stops sit on the baseline, which lies on the left of the
    // cell when the letter tops face the right edge.
    band.setCaption(QStringLiteral("W........"));
    const QImage dots = paintBand(band);
    double wX = 0, dotX = 0;
    int wN = 0, dotN = 0, top = 9999, bottom = -1;
    for (int y = 0; y < 440; ++y)
        for (int x = 0; x < 23; ++x)
            if (isDark(dots.pixel(x, y))) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    ASSERT_GT(bottom, top);
    const int wEnd = top + m.horizontalAdvance(QLatin1Char('W')) - 2;
    for (int y = top; y <= bottom; ++y)
        for (int x = 0; x < 23; ++x)
            if (isDark(dots.pixel(x, y))) {
                if (y < wEnd) {
                    wX += x;
                    ++wN;
                } else if (y > wEnd + 3) {
                    dotX += x;
                    ++dotN;
                }
            }
    ASSERT_GT(wN, 10);
    ASSERT_GT(dotN, 3);
    EXPECT_GT(wN / double(m.horizontalAdvance(QLatin1Char('W'))), dotN / double(bottom - wEnd))
        << "the W, drawn first, is at the top";
    EXPECT_LT(dotX / dotN, wX / wN - 2) << "the baseline is on the left, letter tops face right";

    // An empty title leaves only the background.
    band.setCaption(QString());
    const QImage empty = paintBand(band);
    EXPECT_EQ(darkPixels(empty, empty.rect()), 0);
}

TEST(SpineBand, LooksTheSameScaledAtEveryZoom)
{
    SpineBand band;
    band.setEndColor(rgbColor(255, 0, 0));
    band.setStartColor(rgbColor(0, 0, 255));
    const QImage at100 = paintBand(band);
    const QImage at300 = paintBand(band, QSize(69, 1320));
    EXPECT_EQ(at300.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(at300.pixel(68, 1319), qRgb(0, 0, 255));
    // The title covers the same share of the band.
    const double share100 = darkPixels(at100, at100.rect()) / double(23 * 440);
    const double share300 = darkPixels(at300, at300.rect()) / double(69 * 1320);
    EXPECT_NEAR(share300, share100, share100 * 0.25);
    // A title longer than the band is neither wrapped nor shortened: it reaches both ends.
    band.setCaption(QString(60, QLatin1Char('W')));
    const QImage longTitle = paintBand(band);
    EXPECT_GT(darkPixels(longTitle, QRect(0, 0, 23, 5)), 0);
    EXPECT_GT(darkPixels(longTitle, QRect(0, 435, 23, 5)), 0);
}

TEST(SpineBand, BothBandsOnThePageShowTheGradient)
{
    CoverPage page;
    page.CDL().setCaption(QString());
    page.CDR().setCaption(QString());
    const QImage image = renderPaper(page);
    EXPECT_EQ(image.pixel(60, 585), qRgb(192, 192, 192));
    EXPECT_EQ(image.pixel(60, 1024), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(605, 585), qRgb(192, 192, 192));
    EXPECT_EQ(image.pixel(605, 1024), qRgb(255, 255, 255));
}

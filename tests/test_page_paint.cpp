// The page drawn into images: outlines, pictures, texts, and what stays off paper.
#include <QBuffer>
#include <QPicture>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "PageTestUtil.h"

using namespace korvel;
using namespace korvel::test;

namespace {

Picture solidPicture(QColor colour, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    Picture picture;
    QString error;
    EXPECT_TRUE(picture.loadFromData(bytes, QStringLiteral(".bmp"), &error)) << error.toStdString();
    return picture;
}

} // namespace

TEST(PagePaint, OutlinesAreOnePixelBlackAroundWhite)
{
    CoverPage page;
    emptyAllTexts(page);
    for (const QImage &image : {renderScreen(page), renderPaper(page, 96)}) {
        // Front booklet outline: columns 52 and 510, rows 84 and 539.
        EXPECT_EQ(image.pixel(52, 300), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(510, 300), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(300, 84), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(300, 539), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(51, 300), qRgb(255, 255, 255));
        EXPECT_EQ(image.pixel(53, 300), qRgb(255, 255, 255));
        EXPECT_EQ(image.pixel(511, 300), qRgb(255, 255, 255));
        EXPECT_EQ(image.pixel(300, 540), qRgb(255, 255, 255));
        // Back panel: its outline overlaps the spines' by a pixel and is drawn over them.
        EXPECT_EQ(image.pixel(75, 800), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(594, 800), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(300, 584), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(300, 1025), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(51, 800), qRgb(0, 0, 0)); // left spine outline
        EXPECT_EQ(image.pixel(618, 800), qRgb(0, 0, 0)); // right spine outline
        EXPECT_EQ(image.pixel(619, 800), qRgb(255, 255, 255));
    }
}

TEST(PagePaint, PictureFillsItsElementWhateverItsShape)
{
    CoverPage page;
    emptyAllTexts(page);
    page.MainImg().setPicture(solidPicture(Qt::red, QSize(7, 40)));
    page.BckImg().setPicture(solidPicture(Qt::blue, QSize(300, 2)));
    for (const QImage &image : {renderScreen(page), renderPaper(page, 96)}) {
        for (const QPoint p : {QPoint(53, 85), QPoint(509, 85), QPoint(53, 538), QPoint(509, 538), QPoint(280, 300)})
            EXPECT_EQ(image.pixel(p), qRgb(255, 0, 0)) << p.x() << "," << p.y();
        EXPECT_EQ(image.pixel(52, 300), qRgb(0, 0, 0)); // the outline stays
        for (const QPoint p : {QPoint(76, 585), QPoint(593, 585), QPoint(76, 1024), QPoint(593, 1024)})
            EXPECT_EQ(image.pixel(p), qRgb(0, 0, 255)) << p.x() << "," << p.y();
    }
    // Zoomed, the picture still fills the zoomed rectangle.
    const QImage zoomed = renderScreen(page, 200);
    EXPECT_EQ(zoomed.pixel(106, 170), qRgb(255, 0, 0));
    EXPECT_EQ(zoomed.pixel(1019, 1077), qRgb(255, 0, 0));
    EXPECT_EQ(zoomed.pixel(104, 600), qRgb(0, 0, 0));
}

TEST(PagePaint, ScreenOnlyElementsNeverReachPaper)
{
    CoverPage page;
    const QImage screen = renderScreen(page);
    const QImage paper = renderPaper(page, 96);
    const QRect caption1(56, 56, 131, 18), caption2(52, 556, 124, 18);
    EXPECT_GT(darkPixels(screen, caption1), 50);
    EXPECT_GT(darkPixels(screen, caption2), 50);
    EXPECT_EQ(darkPixels(paper, caption1), 0);
    EXPECT_EQ(darkPixels(paper, caption2), 0);
    // Corner brackets of MTht (63, 93, 431 x 18) on screen only.
    for (const QPoint p : {QPoint(63, 93), QPoint(66, 93), QPoint(63, 96), QPoint(493, 93), QPoint(493, 110), QPoint(63, 110)}) {
        EXPECT_EQ(screen.pixel(p), qRgb(0, 0, 0)) << p.x() << "," << p.y();
        EXPECT_EQ(paper.pixel(p), qRgb(255, 255, 255)) << p.x() << "," << p.y();
    }
    // Hidden captions are not drawn on screen either.
    EXPECT_EQ(darkPixels(renderScreen(page, 100, false), caption1), 0);
}

TEST(PagePaint, TextIsAlignedInItsBox)
{
    CoverPage page;
    emptyAllTexts(page);
    TextItem &mtht = page.item(QStringLiteral("MTht"));
    mtht.setText(QStringLiteral("WWW"));
    const QRect box(63, 93, 431, 18);
    const QRect leftThird(box.left(), box.top(), 60, box.height());
    const QRect middle(box.center().x() - 30, box.top(), 60, box.height());
    const QRect rightThird(box.right() - 59, box.top(), 60, box.height());

    mtht.setAlignment(Alignment::Left);
    QImage image = renderPaper(page);
    EXPECT_GT(darkPixels(image, leftThird), 20);
    EXPECT_EQ(darkPixels(image, middle), 0);
    mtht.setAlignment(Alignment::Center);
    image = renderPaper(page);
    EXPECT_GT(darkPixels(image, middle), 20);
    EXPECT_EQ(darkPixels(image, leftThird) + darkPixels(image, rightThird), 0);
    mtht.setAlignment(Alignment::Right);
    image = renderPaper(page);
    EXPECT_GT(darkPixels(image, rightThird), 20);
    EXPECT_EQ(darkPixels(image, middle), 0);
    // Coloured text takes its colour (0x00BBGGRR).
    mtht.setColor(0x0000FF);
    image = renderPaper(page);
    int red = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            red += qRed(image.pixel(x, y)) > 200 && qGreen(image.pixel(x, y)) < 60;
    EXPECT_GT(red, 20);
}

TEST(PagePaint, LinesThatDoNotFitTheBoxAreDropped)
{
    CoverPage page;
    emptyAllTexts(page);
    TextItem &bto = page.item(QStringLiteral("BTo"));
    for (int i = 0; i < 40; ++i)
        bto.appendLine(QStringLiteral("WWWW %1").arg(i));
    const TextLayout &layout = page.layout(QStringLiteral("BTo"));
    const QRect box = SheetView::pixelRect(page.elementRect("BTo"), 100);
    ASSERT_EQ(box, QRect(90, 664, 487, 258)) << "the box never grows";
    const int fitting = box.height() / layout.lineHeight;
    ASSERT_LT(fitting, 40);
    for (const QImage &image : {renderScreen(page), renderPaper(page)}) {
        // The last fitting line is drawn, nothing below it inside the box or past it.
        const QRect lastLine(box.left(), box.top() + (fitting - 1) * layout.lineHeight, box.width(), layout.lineHeight);
        EXPECT_GT(darkPixels(image, lastLine), 10);
        const int below = box.top() + fitting * layout.lineHeight;
        EXPECT_EQ(darkPixels(image, QRect(box.left() + 5, below, box.width() - 10, 931 - below)), 0);
    }
}

TEST(PagePaint, RaisedBoxShowsItsLine)
{
    CoverPage page;
    emptyAllTexts(page);
    TextItem &btht = page.item(QStringLiteral("BTht"));
    btht.setText(QStringLiteral("Big"));
    btht.setSize(24);
    const QRect box = SheetView::pixelRect(page.elementRect("BTht"), 100);
    EXPECT_GT(darkPixels(renderPaper(page), box), 50);
}

TEST(PagePaint, OutlinesAreAPixelOf96DpiWideOnEveryDevice)
{
    // 0.2646 mm: 6.25 pixels at 600 dpi, inside the element's rectangle.
    CoverPage page;
    emptyAllTexts(page);
    const QImage paper = renderPaper(page, 600);
    const int left = qRound(52 * 600 / 96.0), y = qRound(300 * 600 / 96.0);
    EXPECT_FALSE(isDark(paper.pixel(left - 1, y)));
    int run = 0;
    while (isDark(paper.pixel(left + run, y)))
        ++run;
    EXPECT_GE(run, 6);
    EXPECT_LE(run, 7);
}

TEST(PagePaint, ThePreviewShowsEveryOutlineHoweverSmall)
{
    // The preview records the page at the printer's resolution and shows the
    // recording scaled down: at its first zoom, 38.8 % of 96 dpi.
    CoverPage page;
    emptyAllTexts(page);
    const double dpi = 1200, shown = 0.388 * 96 / dpi;
    const auto preview = [&](bool visibleHairlines) {
        QPicture recording;
        QPainter recorder(&recording);
        PageRenderOptions options = PageRenderOptions::forPaper(dpi);
        options.visibleHairlines = visibleHairlines;
        SheetRenderer::paint(page, recorder, options);
        recorder.end();
        QImage image(qRound(2100.0 / 254 * dpi * shown), qRound(2970.0 / 254 * dpi * shown), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.scale(shown, shown);
        p.drawPicture(0, 0, recording);
        return image;
    };
    // Along the middle half of each edge of each outline, a dark pixel within a pixel
    // of where the edge falls.
    const auto edgesShown = [&](const QImage &image) {
        int shownEdges = 0, edges = 0;
        for (std::string_view outline : {"QRShape1", "QRShape2", "QRShape3", "QRShape4"}) {
            const QRectF r = page.elementRect(outline);
            const QRectF px(r.topLeft() / 254 * dpi * shown, r.size() / 254 * dpi * shown);
            const auto dark = [&](double x, double y) {
                for (int dx = -1; dx <= 1; ++dx)
                    for (int dy = -1; dy <= 1; ++dy)
                        if (isDark(image.pixel(int(x) + dx, int(y) + dy)))
                            return true;
                return false;
            };
            const auto edge = [&](QPointF from, QPointF to) {
                int hits = 0;
                for (int i = 0; i <= 20; ++i) {
                    const QPointF at = from + (to - from) * (0.25 + 0.5 * i / 20);
                    hits += dark(at.x(), at.y());
                }
                ++edges;
                shownEdges += hits == 21;
            };
            edge(px.topLeft(), px.bottomLeft());
            edge(px.topRight(), px.bottomRight());
            edge(px.topLeft(), px.topRight());
            edge(px.bottomLeft(), px.bottomRight());
        }
        return std::make_pair(shownEdges, edges);
    };
    const auto [before, all] = edgesShown(preview(false));
    EXPECT_LT(before, all) << "thinner than a pixel, some outlines vanish";
    const auto [now, total] = edgesShown(preview(true));
    EXPECT_EQ(now, total);

    // Where the outline is wider than a pixel, the hairline lies within it: the page
    // at 600 dpi is the same with it or without.
    QImage plain = renderPaper(page, 600);
    QImage withHairlines(plain.size(), QImage::Format_RGB32);
    withHairlines.fill(Qt::white);
    QPainter p(&withHairlines);
    PageRenderOptions options = PageRenderOptions::forPaper(600);
    options.visibleHairlines = true;
    SheetRenderer::paint(page, p, options);
    p.end();
    EXPECT_EQ(withHairlines, plain);
}

TEST(PagePaint, TheMarksFollowTheTextAndEveryZoomShowsTheLinesThatPrint)
{
    CoverPage page;
    emptyAllTexts(page);
    SheetView view(page);
    view.setCaptionsVisible(false);
    TextItem &contents = page.item(QStringLiteral("BTo"));
    contents.setAlignment(Alignment::Left);
    QSignalSpy repainted(&view, &SheetView::changed);
    QStringList tracks;
    for (int i = 1; i <= 30; ++i)
        tracks << QStringLiteral("Track %1").arg(i);
    contents.setLines(tracks);
    const int hidden = page.hiddenLines(QStringLiteral("BTo"));
    ASSERT_GT(hidden, 0);
    // The mark beside the box is repainted with the text that causes it.
    const QRect box = SheetView::pixelRect(page.elementRect("BTo"), 100);
    const QPoint mark(box.right() + 6, box.bottom() - 4);
    ASSERT_FALSE(repainted.isEmpty());
    EXPECT_TRUE(repainted.last().at(0).toRect().contains(mark));
    EXPECT_EQ(QColor(renderScreen(view).pixel(mark)), QColor(220, 0, 0));

    // The lines the page shows at any zoom are those that print.
    for (int zoom : {90, 100, 130}) {
        view.setZoom(zoom);
        const QImage image = renderScreen(view);
        const QRect inside = view.elementPixelRect("BTo").adjusted(8, 3, -8, -3);
        int lines = 0;
        bool inLine = false;
        for (int y = inside.top(); y <= inside.bottom(); ++y) {
            const bool ink = darkPixels(image, QRect(inside.left(), y, inside.width(), 1)) > 0;
            lines += ink && !inLine;
            inLine = ink;
        }
        EXPECT_EQ(lines, 30 - hidden) << "zoom " << zoom;
    }
    view.setZoom(100);
    repainted.clear();
    contents.setLines({QStringLiteral("Track 1")});
    EXPECT_TRUE(repainted.last().at(0).toRect().contains(mark));
    EXPECT_EQ(renderScreen(view).pixel(mark), qRgb(255, 255, 255)) << "the mark goes with the text";

    // A coarse picture of the mark's own colour: the mark keeps a dark outline.
    page.MainImg().setPicture(solidPicture(QColor(255, 140, 0), QSize(20, 20)));
    const QImage image = renderScreen(view);
    const QRect front = SheetView::pixelRect(page.elementRect("MainImg"), 100);
    EXPECT_GT(darkPixels(image, QRect(front.right() - 18, front.top() + 2, 16, 14)), 8);
}

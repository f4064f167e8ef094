#include <gtest/gtest.h>

#include "project/SheetRenderer.h"
#include "project/SheetView.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QSignalSpy>
#include <functional>
#include <vector>

#include "DesignerTestUtil.h"
#include "PageTestUtil.h"
#include "project/CoverDocument.h"
#include "project/CoverPage.h"
#include "picture/DeferredJpeg.h"
#include "picture/JpegDecoder.h"
#include "picture/Picture.h"
#include "picture/RasterContent.h"
#include "picture/ScreenArea.h"

using namespace korvel;
using namespace korvel::test;

namespace {

// A photo-sized picture (1600 × 1200, beyond what is scaled smooth at once): a soft
// gradient with fine lines across it, loaded as the user's files are.
Picture bigPicture()
{
    QImage image(1600, 1200, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 1600, 1200);
    gradient.setColorAt(0, QColor(200, 40, 30));
    gradient.setColorAt(1, QColor(30, 40, 200));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(QPen(QColor(250, 240, 220), 3));
    for (int x = 0; x < 1600; x += 37)
        painter.drawLine(x, 0, 1600 - x, 1200);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "bmp").write(image);
    Picture picture;
    QString error;
    EXPECT_TRUE(picture.loadFromData(bytes, QStringLiteral(".bmp"), &error)) << error.toStdString();
    return picture;
}

// Background work held back until the test runs it.
struct HeldJobs {
    HeldJobs()
    {
        ScreenScaling::setRunner([this](std::function<void()> job) { jobs.push_back(std::move(job)); });
    }
    ~HeldJobs() { ScreenScaling::setRunner({}); }
    void runAll()
    {
        std::vector<std::function<void()>> now;
        now.swap(jobs);
        for (auto &job : now)
            job();
        QCoreApplication::processEvents(); // the word that they arrived
    }
    std::vector<std::function<void()>> jobs;
};

QImage drawOnScreen(const Picture &picture, QSize size)
{
    QImage canvas(size, QImage::Format_RGB32);
    canvas.fill(Qt::green);
    QPainter painter(&canvas);
    picture.draw(painter, QRectF(QPointF(0, 0), QSizeF(size)), DrawTarget::Screen);
    return canvas;
}

double meanDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 255;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

} // namespace

TEST(ScreenScaling, NewSizeIsShownAtOnceThenTheSmoothCopyTakesItsPlace)
{
    QCoreApplication::processEvents();
    HeldJobs held;
    const Picture picture = bigPicture();
    const auto &content = *static_cast<const RasterContent *>(picture.content());
    CoverPage page;
    SheetView view(page);
    QSignalSpy pageChanged(&view, &SheetView::changed);
    const QSize size(700, 500);
    const QImage smoothFromFull = content.image().scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    // Drawn without waiting for any of the work it needs: the whole area, in the
    // colours of the smooth copy (the picture mirrored would be 50 off).
    const QImage first = drawOnScreen(picture, size);
    EXPECT_FALSE(held.jobs.empty());
    EXPECT_NE(first.pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_NE(first.pixel(size.width() - 1, size.height() - 1), qRgb(0, 255, 0));
    EXPECT_LT(meanDifference(first, smoothFromFull), 8.0);

    // The work done: the page is told to repaint, and that paint shows the smooth copy.
    pageChanged.clear();
    held.runAll();
    ASSERT_EQ(pageChanged.count(), 1);
    EXPECT_EQ(pageChanged.at(0).at(0).toRect(), QRect(QPoint(0, 0), view.pixelSize()));
    EXPECT_GT(content.levelCount(), 0);
    const QImage second = drawOnScreen(picture, size);
    EXPECT_EQ(second, content.render(size).convertToFormat(QImage::Format_RGB32));
    EXPECT_NE(second, first);
    EXPECT_LT(meanDifference(second, smoothFromFull), 3.0);
    EXPECT_TRUE(held.jobs.empty());
}

TEST(ScreenScaling, ASmallCopyIsSmoothAtOnceFromAHalving)
{
    HeldJobs held;
    const Picture picture = bigPicture();
    const auto &content = *static_cast<const RasterContent *>(picture.content());
    drawOnScreen(picture, QSize(1000, 900)); // the halvings start
    held.runAll();
    ASSERT_EQ(content.levelCount(), 4); // 800 × 600 down to 100 × 75

    // A preview's size, from the 400 × 300 halving, on the spot and as good as from
    // the whole photo: nothing repaints a preview.
    const QSize size(240, 180);
    const QImage shown = drawOnScreen(picture, size);
    EXPECT_TRUE(held.jobs.empty());
    EXPECT_LT(meanDifference(shown, content.image().scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)),
              3.0);
}

TEST(ScreenScaling, APictureDroppedWhileItsCopiesAreMadeIsNoHarm)
{
    // The work runs after the picture is gone: it finds nothing to do.
    {
        HeldJobs held;
        {
            const Picture picture = bigPicture();
            drawOnScreen(picture, QSize(900, 700));
        }
        QSignalSpy arrived(&ScreenScaling::instance(), &ScreenScaling::smoothCopiesArrived);
        ASSERT_FALSE(held.jobs.empty());
        held.runAll();
        EXPECT_EQ(arrived.count(), 0);
    }
    // The picture goes while the pool is at work on it.
    for (int i = 0; i < 3; ++i) {
        const Picture picture = bigPicture();
        drawOnScreen(picture, QSize(900 + i, 700));
    }
    ScreenScaling::waitForBackground();
}

namespace {

// A photo-sized JPEG file: bigPicture's gradient and lines, 2400 × 1800.
QByteArray bigJpeg(QColor from = QColor(200, 40, 30))
{
    QImage image(2400, 1800, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 2400, 1800);
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, QColor(30, 40, 200));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(QPen(QColor(250, 240, 220), 5));
    for (int x = 0; x < 2400; x += 55)
        painter.drawLine(x, 0, 2400 - x, 1800);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(90);
    writer.write(image);
    return bytes;
}

// The whole photo drawn into an image of size by the given route, as paper gets it.
QImage onPaper(const std::function<void(QPainter &, const QRectF &)> &draw, QSize size)
{
    QImage canvas(size, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    draw(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return canvas;
}

} // namespace

TEST(PhotoForScreen, TheSmallestReductionThatStillCoversIsChosen)
{
    EXPECT_EQ(DeferredJpeg::reductionFor({4000, 3000}, {460, 450}), 4);
    EXPECT_EQ(DeferredJpeg::reductionFor({4000, 3000}, {500, 375}), 8);
    EXPECT_EQ(DeferredJpeg::reductionFor({4000, 3000}, {501, 375}), 4);
    EXPECT_EQ(DeferredJpeg::reductionFor({4001, 3001}, {1001, 751}), 4) << "libjpeg rounds a reduced side up";
    EXPECT_EQ(DeferredJpeg::reductionFor({4000, 3000}, {2001, 1500}), 1);
    // A filled area at twice the zoom shows the whole photo at 1200 × 900.
    PicturePlacement fill;
    fill.fit = PicturePlacement::Fit::Fill;
    fill.zoom = 2000;
    const ScreenArea area{QSizeF(460, 450), fill};
    EXPECT_EQ(area.pictureSize({4000, 3000}), QSize(1200, 900));
    EXPECT_EQ(DeferredJpeg::reductionFor({4000, 3000}, area.pictureSize({4000, 3000})), 2);
}

TEST(PhotoForScreen, IsShownFromAReducedDecodeAndPrintedFromTheWholePhoto)
{
    QCoreApplication::processEvents();
    HeldJobs held;
    const QByteArray bytes = bigJpeg();
    QString error;
    const QImage whole = JpegDecoder::decode(bytes, &error);
    ASSERT_FALSE(whole.isNull()) << error.toStdString();
    const ScreenArea area{QSizeF(300, 300), PicturePlacement()};
    Picture photo;
    ASSERT_TRUE(photo.loadFromData(bytes, QStringLiteral(".jpg"), &error, &area)) << error.toStdString();
    const auto *deferred = dynamic_cast<const DeferredJpeg *>(photo.content());
    ASSERT_NE(deferred, nullptr);
    EXPECT_EQ(photo.size(), QSize(2400, 1800));
    EXPECT_EQ(deferred->screenSize(), QSize(600, 450)) << "a quarter covers 300 × 300, an eighth does not";
    EXPECT_FALSE(deferred->wholeDecoded());

    // On the screen at its area: at once from a quick scaling of the reduced pixels,
    // then smooth, as the whole photo scaled smooth.
    const QSize shownSize(300, 300);
    const QImage smoothWhole = whole.scaled(shownSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // (Nearest pixels of fine lines: a picture missing or mirrored would be 50 off.)
    EXPECT_LT(meanDifference(drawOnScreen(photo, shownSize), smoothWhole), 15.0);
    held.runAll(); // the smooth copy; the event loop then hands the whole photo on
    EXPECT_FALSE(deferred->wholeDecoded()) << "the paint had the background to itself";
    EXPECT_LT(meanDifference(drawOnScreen(photo, shownSize), smoothWhole), 3.0);
    // The whole photo, decoded in the background.
    ASSERT_FALSE(held.jobs.empty());
    held.runAll();
    EXPECT_TRUE(deferred->wholeDecoded());

    // A zoom beyond the reduced pixels: the whole photo's.
    const QSize larger(900, 700);
    drawOnScreen(photo, larger);
    held.runAll(); // its smooth copy
    EXPECT_LT(meanDifference(drawOnScreen(photo, larger), whole.scaled(larger, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)),
              3.0);

    // Paper: the whole photo's pixels, exactly as the photo decoded whole prints.
    const QImage drawFormat = RasterContent::toDrawFormat(whole);
    const auto expected = onPaper([&](QPainter &p, const QRectF &r) { p.drawImage(r, drawFormat); }, QSize(640, 480));
    EXPECT_EQ(onPaper([&](QPainter &p, const QRectF &r) { photo.draw(p, r, DrawTarget::Paper); }, QSize(640, 480)),
              expected);

    // Printed before the background got to it: decoded whole there and then.
    Picture fresh;
    ASSERT_TRUE(fresh.loadFromData(bytes + QByteArray(1, '\0'), QStringLiteral(".jpg"), &error, &area));
    ASSERT_NE(dynamic_cast<const DeferredJpeg *>(fresh.content()), nullptr);
    EXPECT_EQ(onPaper([&](QPainter &p, const QRectF &r) { fresh.draw(p, r, DrawTarget::Paper); }, QSize(640, 480)),
              expected);
    held.runAll();
}

TEST(PhotoForScreen, ADamagedPhotoIsRefusedAsWhenDecodedWhole)
{
    const QByteArray bytes = bigJpeg();
    const ScreenArea area{QSizeF(200, 150), PicturePlacement()};
    // Cut short, and bytes overwritten at places through the coded data.
    QList<QByteArray> damaged{bytes.left(bytes.size() * 55 / 100), bytes.left(bytes.size() - 2)};
    for (int at : {2000, 30000, 90000}) {
        QByteArray changed = bytes;
        for (int i = 0; i < 16; ++i)
            changed[at + i] = char(0xFF - i);
        damaged << changed;
    }
    for (const QByteArray &file : damaged) {
        SCOPED_TRACE(file.size());
        QString wholeError, screenError;
        Picture whole, screen;
        const bool wholeLoads = whole.loadFromData(file, QStringLiteral(".jpg"), &wholeError);
        const bool screenLoads = screen.loadFromData(file, QStringLiteral(".jpg"), &screenError, &area);
        EXPECT_EQ(screenLoads, wholeLoads);
        EXPECT_EQ(screenError, wholeError);
    }
    QString error;
    Picture cut;
    EXPECT_FALSE(cut.loadFromData(damaged.first(), QStringLiteral(".jpg"), &error, &area));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Soubor obrázku je poškozený"))) << error.toStdString();
    ScreenScaling::waitForBackground();
}

namespace {

using PhotosOpened = DesignerFixture;

// Writes a project whose side files are the given photos (none where empty).
QString writeProject(const QString &folder, const QString &name, const QByteArray &back, const QByteArray &front)
{
    const QString kvp = QDir(folder).filePath(name + QStringLiteral(".kvp"));
    writeBytes(kvp, "[SecCD]\r\nMImg-Fit=Fill\r\nMImg-Zoom=1500\r\n");
    if (!back.isEmpty())
        writeBytes(QDir(folder).filePath(name + QStringLiteral(".im1")), back);
    if (!front.isEmpty())
        writeBytes(QDir(folder).filePath(name + QStringLiteral(".im2")), front);
    return kvp;
}

} // namespace

TEST_F(PhotosOpened, AreDecodedForTheScreenAndPrintAsEver)
{
    // The front filled at 150 %, the back stretched; another project's back is cut short.
    const QByteArray photo = bigJpeg(), other = bigJpeg(QColor(30, 160, 60));
    const QString kvp = writeProject(work.path(), QStringLiteral("album"), other, photo);
    const QString damaged = writeProject(work.path(), QStringLiteral("cut"), other.left(other.size() / 2), photo);
    // The screen once the photos' smooth copies, if any, have been made.
    const auto settled = [](const CoverPage &page) {
        renderScreen(page);
        QCoreApplication::processEvents();
        ScreenScaling::waitForBackground();
        return renderScreen(page);
    };

    CoverDocument onScreen(work.path()), unseen(work.path());
    onScreen.setScreenZoom(100);
    for (const QString &project : {kvp, damaged}) {
        SCOPED_TRACE(project.toStdString());
        const QStringList problems = onScreen.open(project);
        EXPECT_EQ(problems, unseen.open(project)) << "a damaged photo is told of as ever";
        EXPECT_EQ(problems.size(), project == damaged ? 1 : 0);
        // Each photo decoded for the size the page shows it at, at 100 %: the filled
        // front 150 % larger than its area.
        const auto *front = dynamic_cast<const DeferredJpeg *>(onScreen.page().MainImg().picture().content());
        ASSERT_NE(front, nullptr);
        EXPECT_EQ(front->screenSize(), QSize(1200, 900));
        if (project == kvp) {
            const auto *back = dynamic_cast<const DeferredJpeg *>(onScreen.page().BckImg().picture().content());
            ASSERT_NE(back, nullptr);
            EXPECT_EQ(back->screenSize(), QSize(600, 450));
        } else {
            EXPECT_TRUE(onScreen.page().BckImg().picture().isEmpty());
        }
        // The same page on the screen, and the same pixels on paper.
        EXPECT_LT(meanDifference(settled(onScreen.page()), settled(unseen.page())), 1.0);
        EXPECT_EQ(renderPaper(onScreen.page(), 96), renderPaper(unseen.page(), 96));
        EXPECT_EQ(renderPaper(onScreen.page(), 300), renderPaper(unseen.page(), 300));
    }

    // The designer's window shows its page: its projects open this way.
    Designer d;
    ASSERT_TRUE(d.window.openProject(kvp));
    EXPECT_NE(dynamic_cast<const DeferredJpeg *>(d.window.page().BckImg().picture().content()), nullptr);
    ScreenScaling::waitForBackground();
}

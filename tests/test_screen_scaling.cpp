#include <gtest/gtest.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QSignalSpy>
#include <functional>
#include <vector>

#include "project/CoverPage.h"
#include "project/picture/Picture.h"
#include "project/picture/RasterContent.h"

using namespace korvel;

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
    QSignalSpy pageChanged(&page, &CoverPage::changed);
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
    EXPECT_EQ(pageChanged.at(0).at(0).toRect(), QRect(QPoint(0, 0), page.pixelSize()));
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

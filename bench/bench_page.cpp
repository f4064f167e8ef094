// Speed of the things a user feels: a keystroke's relayout and repaint, a full
// repaint with two large photos, printing to PDF, and opening the window.
#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <vector>

#include "BenchData.h"
#include "app/PageView.h"
#include "app/TFrmMain.h"
#include "project/CoverDocument.h"
#include "project/CoverPage.h"
#include "project/SheetRenderer.h"
#include "project/SheetView.h"
#include "picture/RasterContent.h"
#include "settings/UserRegistry.h"

using namespace korvel;

namespace {

QByteArray bigJpeg(QColor seed)
{
    static QMap<QRgb, QByteArray> cache;
    if (!cache.contains(seed.rgb()))
        cache.insert(seed.rgb(), bench::makeBigJpeg(seed));
    return cache.value(seed.rgb());
}

// Prints the page to an in-memory PDF, as korvel-print does; returns its size.
qint64 printToPdf(const CoverPage &page)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(1200);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        SheetRenderer::printTo(page, writer);
    }
    return buffer.size();
}

void loadPhotos(CoverPage &page)
{
    Picture front, back;
    QString error;
    front.loadFromData(bigJpeg(QColor(Qt::red)), QStringLiteral(".jpg"), &error);
    back.loadFromData(bigJpeg(QColor(Qt::blue)), QStringLiteral(".jpg"), &error);
    page.MainImg().setPicture(front);
    page.BckImg().setPicture(back);
}

void BM_KeystrokeRelayoutAndRepaint(benchmark::State &state)
{
    CoverPage page;
    SheetView view(page);
    QRect dirty;
    QObject::connect(&view, &SheetView::changed, [&](const QRect &r) { dirty = dirty.united(r); });
    QImage screen(view.pixelSize(), QImage::Format_RGB32);
    QString text = QStringLiteral("Nadpis");
    int i = 0;
    for (auto _ : state) {
        text += QChar(u'a' + (i++ % 26));
        if (text.size() > 40)
            text = QStringLiteral("N");
        dirty = QRect();
        page.item(QStringLiteral("MTN")).setText(text);
        // What the view does with the change: repaint the dirty rectangle.
        QPainter p(&screen);
        p.setClipRect(dirty);
        p.fillRect(dirty, Qt::white);
        view.paint(p);
    }
}
BENCHMARK(BM_KeystrokeRelayoutAndRepaint)->Unit(benchmark::kMicrosecond);

void BM_FullRepaintWithTwoPhotos(benchmark::State &state)
{
    CoverPage page;
    SheetView view(page);
    loadPhotos(page);
    view.setZoom(int(state.range(0)));
    QImage screen(view.pixelSize(), QImage::Format_RGB32);
    bench::paintSettled(view, screen); // the first paint scales the photos for this zoom
    for (auto _ : state) {
        QPainter p(&screen);
        p.fillRect(screen.rect(), Qt::white);
        view.paint(p);
    }
}
BENCHMARK(BM_FullRepaintWithTwoPhotos)->Arg(100)->Arg(300)->Unit(benchmark::kMillisecond);

// Dragging the crop of a filled front photo at 100 %: each mouse move sets the
// placement and the view repaints the picture's area, with the other photo on the page.
void BM_CropDragRepaintWithTwoPhotos(benchmark::State &state)
{
    CoverPage page;
    SheetView view(page);
    loadPhotos(page);
    PicturePlacement fill;
    fill.fit = PicturePlacement::Fit::Fill;
    fill.zoom = 1500;
    page.MainImg().setPlacement(fill);
    page.BckImg().setPlacement(fill);
    QImage screen(view.pixelSize(), QImage::Format_RGB32);
    bench::paintSettled(view, screen);
    const QRect area = SheetView::pixelRect(page.elementRect("MainImg"), 100);
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % 40;
        PicturePlacement moved = fill;
        moved.x = 300 + step * 10;
        page.MainImg().setPlacement(moved);
        QPainter p(&screen);
        p.setClipRect(area.adjusted(-1, -1, 1, 1));
        p.fillRect(area, Qt::white);
        view.paint(p);
    }
}
BENCHMARK(BM_CropDragRepaintWithTwoPhotos)->Unit(benchmark::kMillisecond);

// The zoom benchmarks measure wall time: what the user waits for is the window, and
// the photos' smooth copies are made on other threads.
void BM_FirstPaintAfterZoomWithTwoPhotos(benchmark::State &state)
{
    CoverPage page;
    SheetView view(page);
    loadPhotos(page);
    QImage screen(view.pixelSize() * 3, QImage::Format_RGB32);
    bench::paintSettled(view, screen);
    bool big = false;
    for (auto _ : state) {
        big = !big;
        view.setZoom(big ? 300 : 100);
        QPainter p(&screen);
        view.paint(p);
    }
    ScreenScaling::waitForBackground();
}
BENCHMARK(BM_FirstPaintAfterZoomWithTwoPhotos)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every paint at a zoom not shown just before (the case above keeps the last two
// sizes). The photos have been on the page a while: their halvings are made.
// untilSmooth: from the new zoom until the page shows both photos smooth (the quick
// paint, the smooth copies made in the background, the repaint that shows them);
// otherwise only the first paint, while the background keeps making smooth copies,
// as when the user zooms step after step.
void zoomStepByStep(benchmark::State &state, bool untilSmooth)
{
    CoverPage page;
    SheetView view(page);
    loadPhotos(page);
    QImage screen(view.pixelSize() * 3, QImage::Format_RGB32);
    bench::paintSettled(view, screen);
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % 20;
        view.setZoom(110 + 10 * step);
        if (untilSmooth) {
            bench::paintSettled(view, screen);
        } else {
            QPainter p(&screen);
            view.paint(p);
        }
    }
    ScreenScaling::waitForBackground();
}

void BM_FirstPaintAtANewZoomWithTwoPhotos(benchmark::State &state)
{
    zoomStepByStep(state, false);
}
BENCHMARK(BM_FirstPaintAtANewZoomWithTwoPhotos)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SmoothPhotosAtANewZoom(benchmark::State &state)
{
    zoomStepByStep(state, true);
}
BENCHMARK(BM_SmoothPhotosAtANewZoom)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PrintToPdfWithTwoPhotos(benchmark::State &state)
{
    CoverPage page;
    loadPhotos(page);
    qint64 bytes = 0;
    for (auto _ : state)
        bytes = printToPdf(page);
    state.counters["pdf_bytes"] = double(bytes);
}
BENCHMARK(BM_PrintToPdfWithTwoPhotos)->Unit(benchmark::kMillisecond)->Iterations(5);

// Counts the paints of a widget.
class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

// A keystroke into the title box of the real main window, with two 12-megapixel photos
// on the cover and 200 lines in its contents list: from the key press until the page
// has repainted what it changed and the window is idle again. Letters and backspaces
// take turns, so the title keeps its length. Reports the median and the 99th
// percentile of all keystrokes (counters median_us, p99_us).
void BM_KeystrokeInTheMainWindowWithTwoPhotos(benchmark::State &state)
{
    QTemporaryDir folder;
    UserRegistry::setStorePath(folder.filePath(QStringLiteral("registry.ini")));
    const QString project = folder.filePath(QStringLiteral("album.kvp"));
    {
        CoverDocument document(folder.path());
        CoverPage &page = document.page();
        QStringList lines;
        for (int i = 0; i < 200; ++i)
            lines << QStringLiteral("%1. Skladba číslo %1\t3:%2").arg(i + 1).arg(i % 60, 2, 10, QLatin1Char('0'));
        page.item(QStringLiteral("BTo")).setLines(lines);
        document.save(project, true);
        const std::pair<const char *, QColor> photos[] = {{"album.im1", Qt::blue}, {"album.im2", Qt::red}};
        for (const auto &[name, seed] : photos) {
            QFile file(folder.filePath(QString::fromLatin1(name)));
            const QByteArray bytes = bigJpeg(seed);
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
                state.SkipWithError("the project could not be written");
                return;
            }
        }
    }
    {
        TFrmMain window(folder.path());
        window.show();
        if (!window.openProject(project) || window.page().MainImg().picture().isEmpty()
            || window.page().item(QStringLiteral("BTo")).lines().size() != 200) {
            state.SkipWithError("the project did not open");
            return;
        }
        QLineEdit *title = window.editBox(QStringLiteral("MEN"));
        title->setFocus();
        PaintCounter counter(window.QR());
        // Settled: the photos' whole decodes and smooth copies made, the page painted.
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
            ScreenScaling::waitForBackground();
            window.QR()->repaint();
        }
        QCoreApplication::processEvents();

        std::vector<double> samples;
        int i = 0;
        for (auto _ : state) {
            const int before = counter.paints;
            QElapsedTimer timer;
            timer.start();
            if (i++ % 2 == 0)
                QTest::keyClick(title, Qt::Key_A);
            else
                QTest::keyClick(title, Qt::Key_Backspace);
            for (int round = 0; round < 1000 && counter.paints == before; ++round)
                QCoreApplication::processEvents();
            QCoreApplication::processEvents(); // what else the keystroke left to do
            const double elapsed = timer.nsecsElapsed() / 1e9;
            state.SetIterationTime(elapsed);
            samples.push_back(elapsed * 1e6);
            if (counter.paints == before) {
                state.SkipWithError("the page did not repaint");
                break;
            }
        }
        std::sort(samples.begin(), samples.end());
        if (!samples.empty()) {
            state.counters["median_us"] = samples[samples.size() / 2];
            state.counters["p99_us"] = samples[std::min(samples.size() - 1, samples.size() * 99 / 100)];
        }
    }
    UserRegistry::setStorePath(QString());
}
BENCHMARK(BM_KeystrokeInTheMainWindowWithTwoPhotos)->Unit(benchmark::kMicrosecond)->UseManualTime()->Iterations(400);

void BM_StartupToFirstPaintedWindow(benchmark::State &state)
{
    for (auto _ : state) {
        TFrmMain window;
        window.show();
        QImage first = window.QR()->grab().toImage(); // forces the first paint
        benchmark::DoNotOptimize(first);
    }
}
BENCHMARK(BM_StartupToFirstPaintedWindow)->Unit(benchmark::kMillisecond);

} // namespace

namespace {

// A cover whose front picture is a 31 000-record metafile, printed to PDF: the
// metafile is replayed as vectors on paper.
void BM_PrintToPdfWithMetafileFront(benchmark::State &state)
{
    CoverPage page;
    QString error;
    if (!page.MainImg().loadFromFile(QStringLiteral(KORVEL_TEST_DATA "/metafiles/gnuplot_surface.emf"), &error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    qint64 bytes = 0;
    for (auto _ : state)
        bytes = printToPdf(page);
    state.counters["pdf_bytes"] = double(bytes);
}
BENCHMARK(BM_PrintToPdfWithMetafileFront)->Unit(benchmark::kMillisecond);

} // namespace

// The document's own costs: what the recovery copy takes from the window, what the
// undo history keeps of the photos the user tried, and how long a project with photos
// keeps the window from its first paint.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>
#include <benchmark/benchmark.h>

#include <malloc.h>

#include "BenchData.h"
#include "project/CoverDocument.h"
#include "project/CoverPage.h"
#include "project/SheetView.h"
#include "project/DocumentHistory.h"
#include "project/RecoveryWriter.h"
#include "picture/DeferredJpeg.h"
#include "picture/JpegDecoder.h"
#include "picture/RasterContent.h"

#include <QUndoStack>

using namespace korvel;

namespace {

Picture photo(const QByteArray &jpeg)
{
    Picture picture;
    QString error;
    picture.loadFromData(jpeg, QStringLiteral(".jpg"), &error);
    return picture;
}

// The resident memory of this process, in bytes.
qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * 4096 : 0;
}

// A new cover with two 12-megapixel photos, its recovery copies kept in its own folder.
struct TwoPhotoCover {
    QTemporaryDir folder;
    CoverDocument document{folder.path()};
    RecoveryWriter *writer = nullptr;
    int edits = 0;
    TwoPhotoCover()
    {
        document.start(QString());
        document.page().MainImg().setPicture(photo(bench::makeBigJpeg(QColor(Qt::red))));
        document.page().BckImg().setPicture(photo(bench::makeBigJpeg(QColor(Qt::blue))));
        auto owned = std::make_unique<RecoveryWriter>(
            document, std::make_unique<RecoveryStore>(folder.filePath(QStringLiteral("state"))));
        writer = owned.get();
        document.enableRecovery(std::move(owned));
    }
    // One text edit, recorded as the event loop would.
    void edit()
    {
        document.page().item(QStringLiteral("MTN")).setText(QStringLiteral("Edit %1").arg(++edits));
        document.history().recordNow();
    }
};

// What the window waits for when the recovery timer fires after one text edit of the
// two-photo cover: the cover taken as a value and handed to the writing thread. The
// writing itself (pictures linked, the project text written and synced) is waited
// for outside the measurement.
void BM_RecoveryCopyOnTheGuiThreadAfterOneEdit(benchmark::State &state)
{
    TwoPhotoCover cover;
    for (auto _ : state) {
        state.PauseTiming();
        cover.edit();
        state.ResumeTiming();
        cover.writer->writeIfChanged();
        state.PauseTiming();
        cover.writer->wait();
        state.ResumeTiming();
    }
    state.counters["copies"] = cover.writer->store().hasCopy() ? 1 : 0;
}
BENCHMARK(BM_RecoveryCopyOnTheGuiThreadAfterOneEdit)->Unit(benchmark::kMillisecond)->Iterations(20);

// The same copy written as a whole on its own thread: what the disk costs, out of
// the window's way.
void BM_RecoveryCopyWrittenAfterOneEdit(benchmark::State &state)
{
    TwoPhotoCover cover;
    QString error;
    cover.writer->writeNow(&error); // the first copy writes the photos
    for (auto _ : state) {
        state.PauseTiming();
        cover.edit();
        state.ResumeTiming();
        if (!cover.writer->writeNow(&error))
            state.SkipWithError(error.toLocal8Bit().constData());
    }
}
BENCHMARK(BM_RecoveryCopyWrittenAfterOneEdit)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

// Twenty different 12-megapixel photos chosen one after the other, front and back in
// turn, each an undo step. Reports how much the process grew (grown_bytes) against
// what the history may hold: the photos' file bytes plus the two decoded pictures
// the page shows (allowed_bytes).
void BM_HistoryOfTwentyChosenPhotos(benchmark::State &state)
{
    static const std::vector<QByteArray> jpegs = [] {
        std::vector<QByteArray> made;
        for (int i = 0; i < 20; ++i)
            made.push_back(bench::makeBigJpeg(QColor::fromHsv(i * 18, 200, 200)));
        return made;
    }();
    qint64 fileBytes = 0;
    for (const QByteArray &jpeg : jpegs)
        fileBytes += jpeg.size();
    const qint64 decoded = qint64(4000) * 3000 * 4;
    for (auto _ : state) {
        QTemporaryDir folder;
        CoverDocument document(folder.path());
        document.start(QString());
        malloc_trim(0);
        const qint64 before = residentBytes();
        for (std::size_t i = 0; i < jpegs.size(); ++i) {
            PictureElement &element = i % 2 ? document.page().BckImg() : document.page().MainImg();
            element.setPicture(photo(jpegs[i]));
            document.history().recordNow();
        }
        malloc_trim(0);
        const qint64 grown = residentBytes() - before;
        state.counters["grown_bytes"] = double(grown);
        state.counters["allowed_bytes"] = double(fileBytes + 2 * decoded);
        state.counters["steps"] = document.undoStack()->count();
    }
}
BENCHMARK(BM_HistoryOfTwentyChosenPhotos)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// A project with two 4000 × 3000 photos opened in a document shown on the screen, up
// to its first paint at 100 %: what the window waits for. Both photos are decoded whole
// (one after the other) in the same round, outside the measurement, for comparison:
// counters open_ms and whole_ms are the medians of the two, ratio the first over the
// second. The whole decodes the opening leaves to the background are waited for
// between rounds, outside the measurement too.
void BM_OpenToFirstPaintWithTwoPhotos(benchmark::State &state)
{
    QTemporaryDir folder;
    const QByteArray photos[] = {bench::makeBigJpeg(QColor(200, 30, 30)), bench::makeBigJpeg(QColor(30, 30, 200))};
    const QString project = folder.filePath(QStringLiteral("album.kvp"));
    const std::pair<const char *, const QByteArray *> files[] = {
        {"album.kvp", nullptr}, {"album.im1", &photos[1]}, {"album.im2", &photos[0]}};
    for (const auto &[name, bytes] : files) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        const QByteArray content = bytes ? *bytes : QByteArray("[SecCD]\r\n");
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
            state.SkipWithError("the project could not be written");
            return;
        }
    }
    CoverDocument document(folder.path());
    SheetView view(document.page());
    document.setScreenZoom(view.zoom());
    document.start(QString());
    QImage screen(view.pixelSize(), QImage::Format_RGB32);
    std::vector<double> opened, whole;
    for (auto _ : state) {
        QElapsedTimer wholeTimer;
        wholeTimer.start();
        for (const QByteArray &photo : photos) {
            QString error;
            benchmark::DoNotOptimize(JpegDecoder::decode(photo, &error));
        }
        whole.push_back(wholeTimer.nsecsElapsed() / 1e6);

        QElapsedTimer timer;
        timer.start();
        document.open(project);
        {
            QPainter painter(&screen);
            view.paint(painter);
        }
        const double elapsed = timer.nsecsElapsed() / 1e9;
        opened.push_back(elapsed * 1e3);
        state.SetIterationTime(elapsed);

        // Fresh decodes each round: the pictures of this one are let go.
        const auto *front = dynamic_cast<const DeferredJpeg *>(document.page().MainImg().picture().content());
        if (!front || front->screenSize().isEmpty()) {
            state.SkipWithError("the front photo was not decoded for the screen");
            break;
        }
        // The window's event loop hands the whole decodes to the background.
        QCoreApplication::processEvents();
        ScreenScaling::waitForBackground();
        document.newFromTemplate();
    }
    const auto median = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        return values.empty() ? 0.0 : values[values.size() / 2];
    };
    state.counters["open_ms"] = median(opened);
    state.counters["whole_ms"] = median(whole);
    state.counters["ratio"] = median(whole) > 0 ? median(opened) / median(whole) : 0;
}
BENCHMARK(BM_OpenToFirstPaintWithTwoPhotos)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(15);

} // namespace

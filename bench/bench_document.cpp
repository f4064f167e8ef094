// The document's own costs: what the recovery copy takes from the window, and what
// the undo history keeps of the photos the user tried.
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <malloc.h>

#include "BenchData.h"
#include "project/CoverDocument.h"
#include "project/CoverPage.h"
#include "project/DocumentHistory.h"
#include "project/RecoveryWriter.h"

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

} // namespace

// korvel-print, as a user runs it: a cover with two 4000 x 3000 JPEG photos,
// from the project file to the finished PDF, in its own process. The PDF's size is
// reported against the photos' own JPEG bytes.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "BenchData.h"
#include "project/CoverPage.h"
#include "project/CoverDocument.h"
#include "settings/UserRegistry.h"

using namespace korvel;

namespace {

struct PhotoProject {
    QTemporaryDir dir;
    QString path;
    qint64 jpegBytes = 0;
    QByteArray front, back;

    PhotoProject()
    {
        UserRegistry::setStorePath(dir.filePath(QStringLiteral("registry.ini")));
        CoverDocument document(dir.path());
        CoverPage &page = document.page();
        front = bench::makeBigJpeg(QColor(Qt::red));
        back = bench::makeBigJpeg(QColor(Qt::blue));
        jpegBytes = front.size() + back.size();
        Picture picture;
        QString error;
        picture.loadFromData(front, QStringLiteral(".jpg"), &error);
        page.MainImg().setPicture(picture);
        picture.loadFromData(back, QStringLiteral(".jpg"), &error);
        page.BckImg().setPicture(picture);
        path = dir.filePath(QStringLiteral("photos.kvp"));
        document.save(path, true);
        UserRegistry::setStorePath(QString());
    }
};

void BM_KorvelPrintPdfWithTwoPhotos(benchmark::State &state)
{
    static PhotoProject project;
    const QString pdf = project.dir.filePath(QStringLiteral("photos.pdf"));
    for (auto _ : state) {
        QProcess p;
        p.start(QStringLiteral(KORVEL_PRINT_EXE), {project.path, pdf});
        if (!p.waitForFinished(120000) || p.exitCode() != 0) {
            state.SkipWithError("korvel-print failed");
            return;
        }
    }
    const double bytes = double(QFileInfo(pdf).size());
    // The print's own peak, measured once more through this program's small launcher.
    QProcess measured;
    measured.start(QCoreApplication::applicationFilePath(),
                   {QStringLiteral("--peak-of"), QStringLiteral(KORVEL_PRINT_EXE), project.path, pdf});
    if (!measured.waitForFinished(120000) || measured.exitCode() != 0) {
        state.SkipWithError("korvel-print failed under --peak-of");
        return;
    }
    state.counters["peak_kb"] = measured.readAllStandardOutput().trimmed().toDouble();
    state.counters["pdf_bytes"] = bytes;
    state.counters["jpeg_bytes"] = double(project.jpegBytes);
    state.counters["pdf_per_jpeg"] = bytes / double(project.jpegBytes);
}
BENCHMARK(BM_KorvelPrintPdfWithTwoPhotos)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The same print finished for cutting (crop marks and a 3 mm bleed) against the
// plain one, run by turns in the same loop so that both meet the same machine: the
// finish may cost no more than 5 % (overhead_pct).
void BM_KorvelPrintMarksAndBleedAgainstPlain(benchmark::State &state)
{
    static PhotoProject project;
    const QString pdf = project.dir.filePath(QStringLiteral("finished.pdf"));
    const QStringList plain{project.path, pdf};
    const QStringList finished{QStringLiteral("--marks"), QStringLiteral("--bleed"), QStringLiteral("3"), project.path,
                               pdf};
    auto timed = [](const QStringList &args) {
        QElapsedTimer clock;
        clock.start();
        QProcess p;
        p.start(QStringLiteral(KORVEL_PRINT_EXE), args);
        const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        return ok ? double(clock.nsecsElapsed()) / 1e6 : -1.0;
    };
    double plainMs = 0, finishedMs = 0;
    for (auto _ : state) {
        const double a = timed(plain), b = timed(finished);
        if (a < 0 || b < 0) {
            state.SkipWithError("korvel-print failed");
            return;
        }
        plainMs += a;
        finishedMs += b;
    }
    const double runs = double(state.iterations());
    state.counters["plain_ms"] = plainMs / runs;
    state.counters["marks_bleed_ms"] = finishedMs / runs;
    state.counters["overhead_pct"] = 100.0 * (finishedMs - plainMs) / plainMs;
}
BENCHMARK(BM_KorvelPrintMarksAndBleedAgainstPlain)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// What the print above must beat: the same two photos decoded once with libjpeg,
// in this process, as the screen would need them.
void BM_DecodeTheTwoPhotosOnce(benchmark::State &state)
{
    static PhotoProject project;
    for (auto _ : state) {
        QString error;
        benchmark::DoNotOptimize(decodeRaster(project.front, PictureFormat::Jpeg, &error));
        benchmark::DoNotOptimize(decodeRaster(project.back, PictureFormat::Jpeg, &error));
    }
}
BENCHMARK(BM_DecodeTheTwoPhotosOnce)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

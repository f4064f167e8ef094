// korvel-print, as a user runs it: a cover with two 4000 x 3000 JPEG photos,
// from the project file to the finished PDF, in its own process. The PDF's size is
// reported against the photos' own JPEG bytes.
#include <QCoreApplication>
#include <QDir>
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

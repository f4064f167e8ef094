// Saving and loading whole covers through the project file, and loading covers
// with large photo side files next to a plain libjpeg decode of the same files.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <jpeglib.h>
#include <vector>

#include "BenchData.h"
#include "project/CoverPage.h"
#include "project/ProjectSession.h"
#include "settings/TKivINIEntry.h"
#include "settings/TKivRegEntry.h"
#include "settings/UserRegistry.h"
#include "project/SpinePictureState.h"

using namespace korvel;

namespace {

struct Workspace {
    QTemporaryDir dir;
    CoverPage page;
    ProjectSession session{page};
    ProjectContext &context = session.context;
    TKivINIEntry &ini = session.ini;
    Workspace()
    {
        session.spine.setFolder(dir.path());
        UserRegistry::setStorePath(dir.filePath(QStringLiteral("registry.ini")));
    }
    ~Workspace() { UserRegistry::setStorePath(QString()); }
    void setLines(int n)
    {
        QStringList lines;
        for (int i = 0; i < n; ++i)
            lines << QStringLiteral("%1. Skladba číslo %1 (3:%2)").arg(i + 1).arg(i % 60, 2, 10, QLatin1Char('0'));
        page.item(QStringLiteral("BTo")).setLines(lines);
    }
    void open(const QString &path) { session.open(path); }
};

void BM_SaveProject(benchmark::State &state)
{
    Workspace w;
    w.setLines(int(state.range(0)));
    const QString path = w.dir.filePath(QStringLiteral("album.kvp"));
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(path); // a fresh file each time: every key is a new line
        state.ResumeTiming();
        SaveProject(w.context, path);
    }
}
BENCHMARK(BM_SaveProject)->Arg(1)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_LoadProject(benchmark::State &state)
{
    Workspace w;
    w.setLines(int(state.range(0)));
    const QString path = w.dir.filePath(QStringLiteral("album.kvp"));
    SaveProject(w.context, path);
    for (auto _ : state)
        w.open(path);
}
BENCHMARK(BM_LoadProject)->Arg(1)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_LoadProjectWithThreePhotoSideFiles(benchmark::State &state)
{
    Workspace w;
    const QString path = w.dir.filePath(QStringLiteral("album.kvp"));
    SaveProject(w.context, path);
    const QColor seeds[] = {QColor(200, 30, 30), QColor(30, 200, 30), QColor(30, 30, 200)};
    const char *sides[] = {"album.im1", "album.im2", "album.im3"};
    for (int i = 0; i < 3; ++i) {
        QFile f(QString::fromLatin1(sides[i]));
        f.open(QIODevice::WriteOnly);
        f.write(bench::makeBigJpeg(seeds[i]));
    }
    // Picture mode, so the spine side file is loaded too.
    w.ini.SetFilename(path);
    w.ini.WriteBool(QStringLiteral("LR-Grd"), false);
    for (auto _ : state) {
        // Drop the pictures of the previous round, so every round decodes afresh.
        state.PauseTiming();
        w.page.MainImg().clear();
        w.page.BckImg().clear();
        w.page.CDL().clearBackImage();
        w.page.CDR().clearBackImage();
        state.ResumeTiming();
        w.open(path);
    }
    if (w.page.MainImg().picture().format() != PictureFormat::Jpeg || w.page.CDL().backImage().isEmpty())
        state.SkipWithError("the side files did not load");
}
BENCHMARK(BM_LoadProjectWithThreePhotoSideFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor for the case above: libjpeg alone decoding the same three photos once.
void BM_PlainLibjpegDecodeOfThreePhotos(benchmark::State &state)
{
    const QByteArray photos[] = {bench::makeBigJpeg(QColor(200, 30, 30)), bench::makeBigJpeg(QColor(30, 200, 30)),
                                 bench::makeBigJpeg(QColor(30, 30, 200))};
    std::vector<unsigned char> row;
    for (auto _ : state) {
        for (const QByteArray &bytes : photos) {
            jpeg_decompress_struct cinfo;
            jpeg_error_mgr jerr;
            cinfo.err = jpeg_std_error(&jerr);
            jpeg_create_decompress(&cinfo);
            jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char *>(bytes.constData()), bytes.size());
            jpeg_read_header(&cinfo, TRUE);
            jpeg_start_decompress(&cinfo);
            row.resize(size_t(cinfo.output_width) * cinfo.output_components);
            while (cinfo.output_scanline < cinfo.output_height) {
                JSAMPROW rows[1] = {row.data()};
                jpeg_read_scanlines(&cinfo, rows, 1);
            }
            jpeg_finish_decompress(&cinfo);
            jpeg_destroy_decompress(&cinfo);
        }
    }
}
BENCHMARK(BM_PlainLibjpegDecodeOfThreePhotos)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

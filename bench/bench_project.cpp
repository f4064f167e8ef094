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
#include "project/CoverDocument.h"
#include "project/ProjectFile.h"
#include "settings/IniFile.h"
#include "settings/UserRegistry.h"
#include "project/SpinePictureState.h"

using namespace korvel;

namespace {

struct Workspace {
    QTemporaryDir dir;
    CoverDocument document{dir.path()};
    CoverPage &page = document.page();
    Workspace() { UserRegistry::setStorePath(dir.filePath(QStringLiteral("registry.ini"))); }
    ~Workspace() { UserRegistry::setStorePath(QString()); }
    void setLines(int n)
    {
        QStringList lines;
        for (int i = 0; i < n; ++i)
            lines << QStringLiteral("%1. Skladba číslo %1 (3:%2)").arg(i + 1).arg(i % 60, 2, 10, QLatin1Char('0'));
        page.item(QStringLiteral("BTo")).setLines(lines);
    }
    void save(const QString &path) { document.save(path, true); }
    void open(const QString &path) { document.open(path); }
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
        w.save(path);
    }
}
BENCHMARK(BM_SaveProject)->Arg(1)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_LoadProject(benchmark::State &state)
{
    Workspace w;
    w.setLines(int(state.range(0)));
    const QString path = w.dir.filePath(QStringLiteral("album.kvp"));
    w.save(path);
    for (auto _ : state)
        w.open(path);
}
BENCHMARK(BM_LoadProject)->Arg(1)->Arg(1000)->Unit(benchmark::kMillisecond);

// The reading alone: a project's bytes made into a cover, no file touched.
void BM_ReadProjectBytes(benchmark::State &state)
{
    Workspace w;
    w.setLines(int(state.range(0)));
    const QString path = w.dir.filePath(QStringLiteral("album.kvp"));
    w.save(path);
    QByteArray content;
    readProjectText(path, &content);
    const DocumentSnapshot from = w.document.snapshot();
    for (auto _ : state)
        benchmark::DoNotOptimize(readProject(content, QStringLiteral("album"), {}, from));
}
BENCHMARK(BM_ReadProjectBytes)->Arg(1)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_LoadProjectWithThreePhotoSideFiles(benchmark::State &state)
{
    Workspace w;
    const QString path = w.dir.filePath(QStringLiteral("album.kvp"));
    w.save(path);
    const QColor seeds[] = {QColor(200, 30, 30), QColor(30, 200, 30), QColor(30, 30, 200)};
    const char *sides[] = {"album.im1", "album.im2", "album.im3"};
    // Beside the project, where the designer reads them: the benchmark's own folder
    // is no project's.
    for (int i = 0; i < 3; ++i) {
        QFile f(w.dir.filePath(QString::fromLatin1(sides[i])));
        const QByteArray photo = bench::makeBigJpeg(seeds[i]);
        if (!f.open(QIODevice::WriteOnly) || f.write(photo) != photo.size()) {
            state.SkipWithError("the side files could not be written");
            return;
        }
    }
    // Picture mode, so the spine side file is loaded too.
    IniFile(path).writeString(QStringLiteral("SecCD"), QStringLiteral("LR-Grd"), QStringLiteral("0"));
    for (auto _ : state) {
        // A cover without pictures to open into, so every round decodes afresh.
        state.PauseTiming();
        w.document.newFromTemplate();
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

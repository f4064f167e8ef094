#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <benchmark/benchmark.h>

#include "BenchData.h"
#include "picture/Picture.h"
#include "picture/RasterContent.h"

using namespace korvel;

namespace {

const QByteArray &bigJpeg()
{
    static const QByteArray bytes = bench::makeBigJpeg(QColor(30, 70, 10));
    return bytes;
}

Picture loadBig()
{
    Picture picture;
    QString error;
    if (!picture.loadFromData(bigJpeg(), QStringLiteral(".jpg"), &error))
        qFatal("benchmark JPEG does not load: %s", qPrintable(error));
    return picture;
}

void BM_DecodeJpeg4000x3000(benchmark::State &state)
{
    const QByteArray &bytes = bigJpeg();
    for (auto _ : state) {
        Picture picture;
        QString error;
        benchmark::DoNotOptimize(picture.loadFromData(bytes, QStringLiteral(".jpg"), &error));
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_DecodeJpeg4000x3000)->Unit(benchmark::kMillisecond)->UseRealTime();

// First paint at a new size. The target's width steps through three values, one
// more than the sizes the screen cache keeps, so that every iteration is a new size.
void BM_DrawJpegScreenFirst(benchmark::State &state)
{
    const Picture picture = loadBig();
    QImage canvas(459, 454, QImage::Format_ARGB32_Premultiplied);
    int i = 0;
    for (auto _ : state) {
        QPainter painter(&canvas);
        picture.draw(painter, QRectF(0, 0, 457 + i++ % 3, 454), DrawTarget::Screen);
    }
    ScreenScaling::waitForBackground();
}
BENCHMARK(BM_DrawJpegScreenFirst)->Unit(benchmark::kMillisecond)->UseRealTime();

// Repaint at an unchanged size: the cached screen copy is blitted.
void BM_DrawJpegScreenCached(benchmark::State &state)
{
    const Picture picture = loadBig();
    QImage canvas(457, 454, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&canvas);
        picture.draw(painter, QRectF(0, 0, 457, 454), DrawTarget::Screen);
    }
    for (auto _ : state) {
        QPainter painter(&canvas);
        picture.draw(painter, QRectF(0, 0, 457, 454), DrawTarget::Screen);
    }
}
BENCHMARK(BM_DrawJpegScreenCached)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

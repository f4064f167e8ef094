#include "picture/Picture.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

korvel::Picture loadGnuplot()
{
    QFile f(QStringLiteral(KORVEL_TEST_DATA "/metafiles/gnuplot_surface.emf"));
    korvel::Picture p;
    QString error;
    if (!f.open(QIODevice::ReadOnly) || !p.loadFromData(f.readAll(), QStringLiteral(".emf"), &error))
        return korvel::Picture();
    return p;
}

// Playing the 31 000-record surface plot into a 457 x 454 area.
void BM_PlayGnuplotSurface(benchmark::State &state)
{
    const korvel::Picture p = loadGnuplot();
    if (p.isEmpty()) {
        state.SkipWithError("gnuplot_surface.emf missing");
        return;
    }
    QImage image(457, 454, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        p.content()->draw(painter, QRectF(0, 0, 457, 454));
    }
}
BENCHMARK(BM_PlayGnuplotSurface)->Unit(benchmark::kMillisecond);

// Repainting on screen once the scaled copy exists.
void BM_RepaintGnuplotSurfaceOnScreen(benchmark::State &state)
{
    const korvel::Picture p = loadGnuplot();
    if (p.isEmpty()) {
        state.SkipWithError("gnuplot_surface.emf missing");
        return;
    }
    QImage image(457, 454, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&image);
        p.draw(painter, QRectF(0, 0, 457, 454), korvel::DrawTarget::Screen);
    }
    for (auto _ : state) {
        QPainter painter(&image);
        p.draw(painter, QRectF(0, 0, 457, 454), korvel::DrawTarget::Screen);
    }
}
BENCHMARK(BM_RepaintGnuplotSurfaceOnScreen)->Unit(benchmark::kMicrosecond);

} // namespace

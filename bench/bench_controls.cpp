#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include "controls/TKivBackground.h"
#include "controls/TKivLabel.h"
#include "controls/TKivOfficeButton.h"

using namespace korvel;

namespace {

// The information window's background: white to navy in 70 steps over its
// whole client area, painted on every expose.
void BM_InfoWindowGradient402x328(benchmark::State &state)
{
    TKivBackground bg;
    bg.gradient()->setBeginColor(clWhite);
    bg.gradient()->setEndColor(clNavy);
    bg.gradient()->setNoOfColors(70);
    QImage surface(402, 328, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&surface);
        bg.paintBackground(p, 402, true, 328);
        p.end();
        benchmark::DoNotOptimize(surface.constBits());
    }
}
BENCHMARK(BM_InfoWindowGradient402x328)->Unit(benchmark::kMicrosecond);

// The costliest shape: one line per pixel of every step in both directions.
void BM_CircleGradient402x328(benchmark::State &state)
{
    TKivBackground bg;
    bg.gradient()->setFillStyle(TKivFillStyle::Circle);
    bg.gradient()->setColorsInbetween({QStringLiteral("clRed")});
    QImage surface(402, 328, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&surface);
        bg.paintBackground(p, 402, true, 328);
        p.end();
        benchmark::DoNotOptimize(surface.constBits());
    }
}
BENCHMARK(BM_CircleGradient402x328)->Unit(benchmark::kMicrosecond);

// One hover or press repaint of the information window's close button.
void BM_OfficeButtonPaint(benchmark::State &state)
{
    TKivOfficeButton button;
    button.setCaption(QStringLiteral("Zavřít"));
    TKivBackground bg;
    button.setBackground(&bg);
    QImage surface(button.size(), QImage::Format_RGB32);
    surface.fill(Qt::white);
    for (auto _ : state) {
        QPainter p(&surface);
        button.paintTo(p);
        p.end();
        benchmark::DoNotOptimize(surface.constBits());
    }
}
BENCHMARK(BM_OfficeButtonPaint)->Unit(benchmark::kMicrosecond);

} // namespace

// Speed of the disc label on the screen: a repaint at 100 % with a 12-megapixel photo
// over the whole ring (under 2 ms), and the first paint at a zoom not shown before
// (under 16 ms of wall time), as for the cover.
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include "BenchData.h"
#include "picture/RasterContent.h"
#include "project/CoverPage.h"
#include "project/SheetView.h"
#include "project/layouts/DiscLabel.h"

using namespace korvel;

namespace {

// The label's sheet with its own 12-megapixel photo, filling the ring, and texts on
// the rim and straight.
struct Label {
    DiscLayout layout;
    CoverPage page{layout.layout()};
    SheetView view{page};
    bool loaded = false;
    Label()
    {
        DiscGeometry g;
        g.texts[disc::kArtist].arc = true;
        layout.setGeometry(g);
        page.relayout();
        Picture photo;
        QString error;
        loaded = photo.loadFromData(bench::makeBigJpeg(QColor(Qt::darkGreen)), QStringLiteral(".jpg"), &error);
        PictureElement &picture = page.picture(page.layout().withRole(Role::LabelPicture));
        picture.setPicture(photo);
        picture.setPlacement(disc::kPlacement);
        page.items()[disc::kArtist].setText(QStringLiteral("Smyčcový kvartet"));
        page.items()[disc::kTitle].setText(QStringLiteral("Podzimní koncert"));
        page.items()[disc::kLowerText].setLines({QStringLiteral("1. Allegro"), QStringLiteral("2. Adagio")});
    }
};

void BM_LabelRepaintWithPhoto(benchmark::State &state)
{
    Label label;
    if (!label.loaded)
        state.SkipWithError("the photo did not load");
    QImage screen(label.view.pixelSize(), QImage::Format_RGB32);
    bench::paintSettled(label.view, screen);
    for (auto _ : state) {
        QPainter p(&screen);
        p.fillRect(screen.rect(), Qt::white);
        label.view.paint(p);
    }
}
BENCHMARK(BM_LabelRepaintWithPhoto)->Unit(benchmark::kMillisecond);

// Every paint at a zoom not shown just before, step after step, while the background
// makes the smooth copies: wall time, as the user waits for the window.
void BM_LabelFirstPaintAtANewZoom(benchmark::State &state)
{
    Label label;
    if (!label.loaded)
        state.SkipWithError("the photo did not load");
    QImage screen(label.view.pixelSize() * 3, QImage::Format_RGB32);
    bench::paintSettled(label.view, screen);
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % 20;
        label.view.setZoom(110 + 10 * step);
        QPainter p(&screen);
        label.view.paint(p);
    }
    ScreenScaling::waitForBackground();
}
BENCHMARK(BM_LabelFirstPaintAtANewZoom)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

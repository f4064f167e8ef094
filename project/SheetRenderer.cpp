#include "project/SheetRenderer.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "project/CoverPage.h"
#include "project/PrintFinish.h"

namespace korvel {

namespace {

constexpr double kPixelsPerTenthMm = 96.0 / 254.0;

// The black frame of an outline, without its white. Four filled strips rather than a
// stroked hairline: a hairline is centred on the rectangle's edge, so on paper half
// of it lay outside, where a neighbour drawn later (the left spine band beside the
// back panel) covered it.
void paintFrame(QPainter &painter, const QRectF &r, double width)
{
    const double w = std::min(width, std::min(r.width(), r.height()) / 2);
    painter.fillRect(QRectF(r.left(), r.top(), r.width(), w), Qt::black);
    painter.fillRect(QRectF(r.left(), r.bottom() - w, r.width(), w), Qt::black);
    painter.fillRect(QRectF(r.left(), r.top() + w, w, r.height() - 2 * w), Qt::black);
    painter.fillRect(QRectF(r.right() - w, r.top() + w, w, r.height() - 2 * w), Qt::black);
}

// A rectangle element: filled white, outlined in black inside its own rectangle.
void paintOutline(QPainter &painter, const QRectF &r, double width)
{
    painter.fillRect(r, Qt::white);
    paintFrame(painter, r, width);
}

void paintText(const CoverPage &sheet, QPainter &painter, int text, const PageRenderOptions &o)
{
    const TextItem &item = sheet.items()[std::size_t(text)];
    const TextLayout &layout = sheet.layout(text);
    if (layout.lines.isEmpty())
        return;
    // The box in the layout's own pixels; the painter maps those onto the device.
    const QRect box = sheet.textBox(text);

    painter.save();
    const double s = o.scale / kPixelsPerTenthMm;
    if (s != 1.0)
        painter.scale(s, s);
    painter.setClipRect(box, Qt::IntersectClip);
    painter.setFont(layout.font);
    painter.setPen(resolveColor(item.font().color));
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const QFontMetricsF metrics(layout.font);
    for (qsizetype i = 0; i < layout.lines.size(); ++i) {
        const int top = int(i) * layout.lineHeight;
        // Only lines that fit entirely are drawn; the rest are dropped.
        if (top + layout.lineHeight > box.height())
            break;
        const QString &line = layout.lines[i];
        if (line.isEmpty())
            continue;
        qreal x = box.left();
        if (item.alignment() == Alignment::Center)
            x += (box.width() - layout.widths[i]) / 2;
        else if (item.alignment() == Alignment::Right)
            x += box.width() - layout.widths[i];
        const qreal baseline = box.top() + top + layout.ascent;
        // Each piece between tabs is drawn where its tab stop is, never as a tab
        // character, which every device would expand its own way (or not at all).
        const TextLayout::Placement placed = layout.placement(i);
        for (qsizetype p = 0; p < placed.pieces.size(); ++p)
            if (!placed.pieces[p].isEmpty())
                painter.drawText(QPointF(x + placed.starts[p], baseline), placed.pieces[p]);
        if (placed.hasLeader()) {
            qreal at = 0;
            const QString dots = TextLayout::leaderDots(placed.leaderFrom, placed.leaderTo, metrics, &at);
            if (!dots.isEmpty())
                painter.drawText(QPointF(x + at, baseline), dots);
        }
    }
    painter.restore();
}

// A text along the rim: each line on the circle of its baseline, each glyph (a
// grapheme, so an accent stays on its letter) turned to stand on the circle where
// its middle falls. Over the upper half the lines read clockwise with the glyphs'
// tops toward the rim, over the lower half counter-clockwise with their tops toward
// the centre, so both read upright. Aligned within the half circle: from its left
// end, about its middle, or to its right end.
void paintArcText(const CoverPage &sheet, QPainter &painter, int text, const PageRenderOptions &o)
{
    const TextItem &item = sheet.items()[std::size_t(text)];
    const TextLayout &layout = sheet.layout(text);
    const qsizetype shown = layout.lines.size() - sheet.hiddenLines(text);
    if (shown <= 0)
        return;
    const SheetLayout &sheetLayout = sheet.layout();
    const Shape &path = sheetLayout.element(sheetLayout.elementOfText(text)).path;
    const bool lower = path.kind == Shape::Kind::LowerArc;

    painter.save();
    // In the layout's own pixels, as straight text is drawn.
    const double s = o.scale / kPixelsPerTenthMm;
    if (s != 1.0)
        painter.scale(s, s);
    painter.setFont(layout.font);
    painter.setPen(resolveColor(item.font().color));
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QPointF centre = path.centre() * kPixelsPerTenthMm;
    for (qsizetype i = 0; i < shown; ++i) {
        QString line = layout.lines[i];
        line.replace(QLatin1Char('\t'), QLatin1Char(' '));
        if (line.trimmed().isEmpty())
            continue;
        const double radius = sheet.arcLineRadius(text, int(i)) * kPixelsPerTenthMm;
        if (radius <= 0)
            continue;
        // Where each grapheme starts on the line, kerning and all, from one layout
        // measured as the straight lines are (the screen's metrics, without hinting).
        QTextLayout shaped(line, layout.font);
        shaped.beginLayout();
        QTextLine laid = shaped.createLine();
        laid.setLineWidth(1e6);
        shaped.endLayout();
        const double width = laid.cursorToX(int(line.size()));
        const double quarter = std::numbers::pi * radius / 2;
        const double start = item.alignment() == Alignment::Left    ? -quarter
                             : item.alignment() == Alignment::Right ? quarter - width
                                                                    : -width / 2;
        QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, line);
        qsizetype from = 0;
        double x = 0;
        for (qsizetype to = graphemes.toNextBoundary(); to > 0; from = to, to = graphemes.toNextBoundary()) {
            const double next = laid.cursorToX(int(to));
            const double advance = next - x;
            const double middle = start + x + advance / 2;
            const double angle = middle / radius;
            const QPointF at = centre + radius * QPointF(std::sin(angle), lower ? std::cos(angle) : -std::cos(angle));
            painter.save();
            painter.translate(at);
            painter.rotate((lower ? -angle : angle) * 180 / std::numbers::pi);
            painter.drawText(QPointF(-advance / 2, 0), line.mid(from, to - from));
            painter.restore();
            x = next;
        }
    }
    painter.restore();
}

// A disc's cut circles: grey, one outline wide, just inside the rim and around the hole.
void paintCutCircles(QPainter &painter, const Shape &disc, const PageRenderOptions &o, double width)
{
    const QRectF outer = SheetRenderer::deviceRect(disc.rect(), o);
    const double hole = disc.hole * o.scale;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QColor(160, 160, 160), width));
    painter.setBrush(Qt::NoBrush);
    const double half = width / 2;
    painter.drawEllipse(outer.adjusted(half, half, -half, -half));
    if (hole > 0) {
        const QPointF c = outer.center();
        const double r = hole / 2 + half;
        painter.drawEllipse(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r));
    }
    painter.restore();
}

// One copy of the sheet's elements (a sheet of two labels has two), those of o.piece
// only when it is given, finished as o.trim says.
void paintElements(const CoverPage &sheet, QPainter &painter, const PageRenderOptions &o, double outline)
{
    const SheetLayout &layout = sheet.layout();
    const bool outlines = o.trim.outlines;
    auto drawn = [&](std::size_t e) {
        if (layout.elements[e].kind == ElementKind::Rectangle && !outlines && layout.elements[e].shape.kind != Shape::Kind::Disc)
            return false;
        return o.piece < 0 || layout.pieceOf(ElementId{int(e)}) == o.piece;
    };
    for (std::size_t e = 0; e < layout.elements.size(); ++e) {
        if (!drawn(e))
            continue;
        const ElementId id{int(e)};
        const ElementSpec &spec = layout.elements[e];
        const QRectF area = sheet.elementRect(id);
        const QRectF rect = SheetRenderer::deviceRect(area, o);
        // Where a picture or band reaches: its area, or past the cut into the bleed.
        const QRectF bled = PrintFinish::bledRect(layout, id, area, o.trim);
        // Whatever stands within a disc is drawn within its ring only; what bleeds
        // runs past the rim and into the hole by the bleed.
        const ElementId ring = layout.ringOf(id);
        if (ring.valid()) {
            const Shape &disc = layout.element(ring).shape;
            painter.save();
            painter.setClipPath(SheetRenderer::ringPath(spec.bleeds ? PrintFinish::grown(disc, o.trim.bleed) : disc, o),
                                Qt::IntersectClip);
        }
        switch (spec.kind) {
        case ElementKind::Rectangle:
            if (spec.shape.kind == Shape::Kind::Disc)
                painter.fillRect(rect, Qt::white);
            else
                paintOutline(painter, rect, outline);
            break;
        case ElementKind::Picture: {
            const PictureElement &element = sheet.picture(id);
            if (element.placement().isStretch()) {
                element.picture().draw(painter, SheetRenderer::deviceRect(bled, o), o.target, o.photos);
                break;
            }
            // Fill and fit: the whole picture drawn in its own rectangle, clipped to the
            // area, so a crop is a clip, never new pixels. Fill is placed in the area
            // with its bleed, so the chosen part stays in the middle of the cut; fit
            // keeps its margins on the area and has no bleed.
            const PicturePlacement &placement = element.placement();
            const QRectF placedIn = placement.fit == PicturePlacement::Fit::Fit ? area : bled;
            painter.save();
            if (placement.clips())
                painter.setClipRect(SheetRenderer::deviceRect(placedIn, o), Qt::IntersectClip);
            element.picture().draw(painter,
                                   SheetRenderer::deviceRect(placement.pictureRect(placedIn, QSizeF(element.picture().size())), o),
                                   o.target, o.photos);
            painter.restore();
            break;
        }
        case ElementKind::SpineBand:
            sheet.band(id).paint(painter, rect, o.target, o.photos, SheetRenderer::deviceRect(bled, o));
            break;
        case ElementKind::TextLine:
        case ElementKind::TextList:
            if (spec.path.isArc())
                paintArcText(sheet, painter, layout.textIndex(spec.name), o);
            else
                paintText(sheet, painter, layout.textIndex(spec.name), o);
            break;
        }
        if (ring.valid())
            painter.restore();
    }
    // The frames once more, over the pictures and bands: a device or a PDF reader
    // that fills a picture's edge pixel generously must not cover the outline there.
    for (std::size_t e = 0; e < layout.elements.size(); ++e) {
        const ElementSpec &spec = layout.elements[e];
        if (spec.kind != ElementKind::Rectangle || !drawn(e))
            continue;
        if (spec.shape.kind != Shape::Kind::Disc)
            paintFrame(painter, SheetRenderer::deviceRect(sheet.elementRect(ElementId{int(e)}), o), outline);
        else if (o.cutCircles)
            paintCutCircles(painter, spec.shape, o, outline);
    }
    if (o.visibleHairlines && outlines) {
        // A cosmetic pen along the middle of each outline: one pixel wherever the
        // drawing is shown, hidden within the outline where that is wider.
        painter.setPen(QPen(Qt::black, 0));
        painter.setBrush(Qt::NoBrush);
        for (std::size_t e = 0; e < layout.elements.size(); ++e)
            if (layout.elements[e].kind == ElementKind::Rectangle && layout.elements[e].shape.kind != Shape::Kind::Disc
                && drawn(e)) {
                const QRectF r = SheetRenderer::deviceRect(sheet.elementRect(ElementId{int(e)}), o);
                const double half = std::min(outline, std::min(r.width(), r.height()) / 2) / 2;
                painter.drawRect(r.adjusted(half, half, -half, -half));
            }
        painter.setPen(Qt::NoPen);
    }
}

// The marks outside the pieces: 0.1 mm wide, never thinner than a device pixel,
// dashed along a fold. In the preview a cosmetic line goes along each too, so none
// vanishes when the page is shown small.
void paintMarks(QPainter &painter, const std::vector<PrintMark> &marks, const PageRenderOptions &o)
{
    const double width = std::max(1.0, PrintFinish::kMarkWidth * o.scale);
    auto stroke = [&](QPointF from, QPointF to) {
        const QPointF a = from * o.scale, b = to * o.scale;
        if (a.y() == b.y()) {
            painter.fillRect(QRectF(QPointF(std::min(a.x(), b.x()), a.y() - width / 2), QSizeF(std::abs(b.x() - a.x()), width)),
                             Qt::black);
        } else if (a.x() == b.x()) {
            painter.fillRect(QRectF(QPointF(a.x() - width / 2, std::min(a.y(), b.y())), QSizeF(width, std::abs(b.y() - a.y()))),
                             Qt::black);
        } else {
            const QPointF d = b - a;
            const double length = std::hypot(d.x(), d.y());
            const QPointF across(-d.y() / length * width / 2, d.x() / length * width / 2);
            painter.setPen(Qt::NoPen);
            painter.setBrush(Qt::black);
            painter.drawPolygon(QPolygonF{a + across, b + across, b - across, a - across});
            painter.setBrush(Qt::NoBrush);
        }
        if (o.visibleHairlines) {
            painter.setPen(QPen(Qt::black, 0));
            painter.drawLine(a, b);
            painter.setPen(Qt::NoPen);
        }
    };
    for (const PrintMark &mark : marks) {
        if (mark.kind == PrintMark::Kind::Crop) {
            stroke(mark.line.p1(), mark.line.p2());
            continue;
        }
        const double length = mark.line.length();
        const QPointF dir = (mark.line.p2() - mark.line.p1()) / length;
        for (double at = 0; at < length; at += PrintFinish::kFoldDash + PrintFinish::kFoldGap)
            stroke(mark.line.p1() + dir * at, mark.line.p1() + dir * std::min(length, at + PrintFinish::kFoldDash));
    }
}

} // namespace

PageRenderOptions PageRenderOptions::forScreen(int zoom)
{
    PageRenderOptions o;
    o.scale = kPixelsPerTenthMm * zoom / 100.0;
    o.target = DrawTarget::Screen;
    return o;
}

PageRenderOptions PageRenderOptions::forPaper(double dpi)
{
    PageRenderOptions o;
    o.scale = dpi / 254.0;
    o.target = DrawTarget::Paper;
    return o;
}

QRectF SheetRenderer::deviceRect(const QRectF &r, const PageRenderOptions &o)
{
    if (o.target == DrawTarget::Screen)
        return QRectF(QRect(int(std::lround(r.left() * o.scale)), int(std::lround(r.top() * o.scale)),
                            int(std::lround(r.width() * o.scale)), int(std::lround(r.height() * o.scale))));
    // Exact on paper, but without floating-point dust that would move an edge that
    // falls on a whole device pixel by one pixel.
    auto snap = [](double v) {
        const double n = std::round(v);
        return std::abs(v - n) < 1e-6 ? n : v;
    };
    return QRectF(snap(r.left() * o.scale), snap(r.top() * o.scale), snap(r.width() * o.scale),
                  snap(r.height() * o.scale));
}

double SheetRenderer::outlineWidth(const PageRenderOptions &o)
{
    // The outline the user sees at 100 %: one pixel of 96 dpi (0.2646 mm), on paper
    // as on the screen, never thinner than one device pixel. On the screen it stays
    // a whole number of pixels so a zoomed outline is as crisp as at 100 %.
    const double onePixel = o.scale * kTenthMmPerPixel;
    return o.target == DrawTarget::Screen ? std::max(1.0, std::round(onePixel)) : std::max(1.0, onePixel);
}

QPointF SheetRenderer::deviceOffset(const QPointF &offset, const PageRenderOptions &o)
{
    if (o.target == DrawTarget::Screen)
        return QPointF(std::lround(offset.x() * o.scale), std::lround(offset.y() * o.scale));
    return offset * o.scale;
}

QPainterPath SheetRenderer::ringPath(const Shape &disc, const PageRenderOptions &o)
{
    const QRectF outer = deviceRect(disc.rect(), o);
    QPainterPath ring;
    ring.setFillRule(Qt::OddEvenFill);
    ring.addEllipse(outer);
    if (disc.hole > 0) {
        const double r = disc.hole * o.scale / 2;
        ring.addEllipse(QRectF(outer.center().x() - r, outer.center().y() - r, 2 * r, 2 * r));
    }
    return ring;
}

void SheetRenderer::paint(const CoverPage &sheet, QPainter &painter, const PageRenderOptions &o)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const double outline = outlineWidth(o);
    const SheetLayout &layout = sheet.layout();
    if (o.piece >= 0)
        painter.setClipRect(
            deviceRect(PrintFinish::bleedShape(layout.pieces[std::size_t(o.piece)], o.trim.bleed).rect(), o),
            Qt::IntersectClip);
    paintElements(sheet, painter, o, outline);
    for (const QPointF &offset : layout.repeats) {
        painter.save();
        painter.translate(deviceOffset(offset, o));
        paintElements(sheet, painter, o, outline);
        painter.restore();
    }
    if (o.piece < 0 && o.trim.hasMarks())
        paintMarks(painter, PrintFinish::marks(layout, o.trim), o);
    painter.restore();
}

void SheetRenderer::paintOnPaper(const CoverPage &sheet, QPainter &painter, double dpiX, double dpiY,
                                 const PrinterCalibration &calibration, bool visibleHairlines, PhotoPassThrough *photos,
                                 const TrimSettings &trim, bool cutCircles)
{
    painter.save();
    painter.setWorldTransform(calibration.forDevice(dpiX, dpiY), true);
    PageRenderOptions options = PageRenderOptions::forPaper(dpiX);
    options.visibleHairlines = visibleHairlines;
    options.photos = photos;
    options.trim = trim;
    options.cutCircles = cutCircles;
    paint(sheet, painter, options);
    painter.restore();
}

bool SheetRenderer::printTo(const CoverPage &sheet, QPagedPaintDevice &device, const PrinterCalibration &calibration,
                            PhotoPassThrough *photos, const TrimSettings &trim, bool cutCircles)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    paintOnPaper(sheet, painter, device.logicalDpiX(), device.logicalDpiY(), calibration, false, photos, trim, cutCircles);
    return painter.end();
}

bool SheetRenderer::previewTo(const CoverPage &sheet, QPagedPaintDevice &device, const TrimSettings &trim,
                              bool cutCircles)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    paintOnPaper(sheet, painter, device.logicalDpiX(), device.logicalDpiY(), PrinterCalibration{}, true, nullptr, trim,
                 cutCircles);
    return painter.end();
}

void SheetRenderer::paintPiece(const CoverPage &sheet, QPainter &painter, int piece, int bleed, double dpi,
                               PhotoPassThrough *photos)
{
    PageRenderOptions options = PageRenderOptions::forPaper(dpi);
    options.photos = photos;
    options.piece = piece;
    options.trim.outlines = false;
    options.trim.bleed = bleed;
    const QRectF box = PrintFinish::bleedShape(sheet.layout().pieces[std::size_t(piece)], bleed).rect();
    painter.save();
    painter.translate(-box.left() * options.scale, -box.top() * options.scale);
    paint(sheet, painter, options);
    painter.restore();
}

} // namespace korvel

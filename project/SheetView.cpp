#include "project/SheetView.h"

#include <QFontMetrics>
#include <QPainter>
#include <cmath>

#include "picture/RasterContent.h"
#include "project/CoverPage.h"
#include "project/SheetRenderer.h"

namespace korvel {

SheetView::SheetView(const CoverPage &sheet, QObject *parent)
    : QObject(parent)
    , m_sheet(sheet)
{
    connect(&m_sheet, &CoverPage::changed, this, &SheetView::sheetChanged);
    connect(&m_sheet, &CoverPage::layoutChanged, this, [this] {
        emit resized();
        wholeChanged();
    });
    // A photo shown from a quick scaling gets its smooth copy a moment later.
    connect(&ScreenScaling::instance(), &ScreenScaling::smoothCopiesArrived, this, &SheetView::wholeChanged);
}

QRect SheetView::pixelRect(const QRectF &r, int zoom)
{
    const double scale = 96.0 / 254.0 * zoom / 100.0;
    return QRect(int(std::lround(r.left() * scale)), int(std::lround(r.top() * scale)),
                 int(std::lround(r.width() * scale)), int(std::lround(r.height() * scale)));
}

bool SheetView::setZoom(int zoom)
{
    if (zoom <= 0 || zoom > 300)
        return false;
    if (zoom == m_zoom)
        return true;
    // Only the drawing scales; the boxes keep the heights of the sheet that is
    // printed, so zooming never changes what is stored or printed.
    m_zoom = zoom;
    emit zoomChanged(m_zoom);
    wholeChanged();
    return true;
}

QSize SheetView::pixelSize() const
{
    const SheetLayout &layout = m_sheet.layout();
    return pixelRect(QRectF(0, 0, layout.paperWidth, layout.paperHeight), m_zoom).size();
}

QRect SheetView::elementPixelRect(std::string_view name) const
{
    return elementPixelRect(name, m_zoom);
}

QRect SheetView::elementPixelRect(std::string_view name, int zoom) const
{
    return pixelRect(m_sheet.elementRect(name), zoom);
}

void SheetView::setCaptionsVisible(bool visible)
{
    if (m_captionsVisible == visible)
        return;
    m_captionsVisible = visible;
    for (const ScreenCaption &c : m_sheet.layout().captions)
        emit changed(QRect(c.left - 1, c.top - 1, c.width + 3, c.height + 3));
}

void SheetView::setCutCircles(bool shown)
{
    if (m_cutCircles == shown)
        return;
    m_cutCircles = shown;
    wholeChanged();
}

PageRenderOptions SheetView::renderOptions() const
{
    PageRenderOptions o = PageRenderOptions::forScreen(m_zoom);
    o.cutCircles = m_cutCircles;
    return o;
}

void SheetView::sheetChanged(const QRectF &tenthMm)
{
    // With the pixel around it that rounding may touch, and the marks beside it: a
    // text's mark of lines that will not print stands right of its box and comes and
    // goes with the text.
    emit changed(pixelRect(tenthMm, m_zoom).adjusted(-1, -1, 1 + kMarkReach, 1));
    // The same place on every further label of the sheet.
    for (const QPointF &offset : m_sheet.layout().repeats)
        emit changed(pixelRect(tenthMm.translated(offset), m_zoom).adjusted(-1, -1, 1 + kMarkReach, 1));
}

void SheetView::wholeChanged()
{
    emit changed(QRect(QPoint(0, 0), pixelSize()));
}

void SheetView::paintGuides(QPainter &painter, const PageRenderOptions &o) const
{
    const SheetLayout &layout = m_sheet.layout();
    QPen dotted(QColor(150, 150, 150), 1, Qt::DotLine);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(dotted);
    QList<QPointF> copies{QPointF()};
    for (const QPointF &offset : layout.repeats)
        copies << SheetRenderer::deviceOffset(offset, o);
    for (const ElementSpec &e : layout.elements) {
        if (e.path.isArc()) {
            // The half circle a text along the rim runs on, on the first label.
            const QRectF r = SheetRenderer::deviceRect(e.path.rect(), o);
            painter.drawArc(r, e.path.kind == Shape::Kind::UpperArc ? 0 : 180 * 16, 180 * 16);
        } else if (e.kind == ElementKind::Rectangle && e.shape.kind == Shape::Kind::Disc && !m_cutCircles) {
            // Where the label ends, on every label of the sheet.
            for (const QPointF &at : copies) {
                const QRectF outer = SheetRenderer::deviceRect(e.shape.rect(), o).translated(at);
                painter.drawEllipse(outer);
                const double r = e.shape.hole * o.scale / 2;
                painter.drawEllipse(QRectF(outer.center().x() - r, outer.center().y() - r, 2 * r, 2 * r));
            }
        }
    }
    painter.restore();
}

void SheetView::paint(QPainter &painter) const
{
    const PageRenderOptions o = renderOptions();
    SheetRenderer::paint(m_sheet, painter, o);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const SheetLayout &layout = m_sheet.layout();
    // Corner brackets mark every text box and spine band, so empty boxes can be found;
    // four pixels along both edges at each corner.
    painter.setPen(Qt::NoPen);
    for (std::size_t e = 0; e < layout.elements.size(); ++e) {
        const ElementKind kind = layout.elements[e].kind;
        if (kind != ElementKind::TextLine && kind != ElementKind::TextList && kind != ElementKind::SpineBand)
            continue;
        if (layout.elements[e].path.isArc())
            continue; // its guide is drawn below
        const QRect r = SheetRenderer::deviceRect(m_sheet.elementRect(ElementId{int(e)}), o).toRect();
        const int l = r.left(), t = r.top(), rr = r.left() + r.width() - 1, b = r.top() + r.height() - 1;
        for (const QRect &stroke : {QRect(l, t, 4, 1), QRect(l, t, 1, 4), QRect(rr - 3, t, 4, 1), QRect(rr, t, 1, 4),
                                    QRect(l, b, 4, 1), QRect(l, b - 3, 1, 4), QRect(rr - 3, b, 4, 1),
                                    QRect(rr, b - 3, 1, 4)})
            painter.fillRect(stroke, Qt::black);
    }
    // Text that will not print and pictures too coarse for paper are marked beside
    // what they mark: a red wedge right of the box's bottom corner, an orange wedge
    // inside the picture's top right corner. A dark outline keeps each visible on a
    // picture of its own colour.
    painter.setPen(QPen(QColor(40, 40, 40), 1));
    for (std::size_t e = 0; e < layout.elements.size(); ++e) {
        const ElementSpec &spec = layout.elements[e];
        const QRect r = SheetRenderer::deviceRect(m_sheet.elementRect(ElementId{int(e)}), o).toRect();
        if (spec.kind == ElementKind::TextLine || spec.kind == ElementKind::TextList) {
            if (!spec.path.isArc() && m_sheet.hiddenLines(layout.textIndex(spec.name)) > 0) {
                const int x = r.left() + r.width() + 2, y = r.top() + r.height();
                static_assert(kMarkReach >= 2 + 8 + 1, "the wedge and its outline lie within the repainted reach");
                painter.setBrush(QColor(220, 0, 0));
                painter.drawPolygon(QPolygon{{x, y - 8}, {x + 8, y - 8}, {x + 4, y}});
            }
        } else if (spec.kind == ElementKind::Picture || spec.kind == ElementKind::SpineBand) {
            const double dpi = m_sheet.pictureDpi(spec.name);
            if (dpi > 0 && dpi < CoverPage::kMinimumPrintDpi) {
                const int x = r.left() + r.width() - 5, y = r.top() + 4;
                painter.setBrush(QColor(255, 140, 0));
                painter.drawPolygon(QPolygon{{x - 10, y}, {x, y}, {x, y + 10}});
            }
        }
    }
    painter.setBrush(Qt::NoBrush);
    paintGuides(painter, o);
    if (m_captionsVisible) {
        ItemFont captionFont;
        captionFont.setSize(12);
        const QFont font = captionFont.toQFontForHeight(captionFont.height);
        const int ascent = QFontMetrics(font).ascent();
        painter.setFont(font);
        for (const ScreenCaption &c : layout.captions) {
            const QString text = QString::fromUtf8(c.text);
            painter.setPen(QColor(192, 192, 192));
            painter.drawText(QPointF(c.left + 1, c.top + 1 + ascent), text);
            painter.setPen(Qt::black);
            painter.drawText(QPointF(c.left, c.top + ascent), text);
        }
    }
    painter.restore();
}

} // namespace korvel

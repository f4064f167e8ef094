#include "project/CoverPage.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "project/MulDiv.h"
#include "picture/RasterContent.h"

namespace korvel {

namespace {

constexpr double kPixelsPerTenthMm = 96.0 / 254.0;

double scaleAtZoom(int zoom)
{
    return kPixelsPerTenthMm * zoom / 100.0;
}

QRect roundedRect(const QRectF &r, double scale)
{
    return QRect(int(std::lround(r.left() * scale)), int(std::lround(r.top() * scale)),
                 int(std::lround(r.width() * scale)), int(std::lround(r.height() * scale)));
}

std::array<TextItem, 12> makeItems()
{
    auto make = [](const TextItemDefaults &d) {
        ItemFont font;
        font.setSize(d.points);
        font.style = d.style;
        return TextItem(d.code, d.multiLine, QString::fromUtf8(d.text), font, d.alignment);
    };
    return {make(kTextItemDefaults[0]), make(kTextItemDefaults[1]), make(kTextItemDefaults[2]),
            make(kTextItemDefaults[3]), make(kTextItemDefaults[4]), make(kTextItemDefaults[5]),
            make(kTextItemDefaults[6]), make(kTextItemDefaults[7]), make(kTextItemDefaults[8]),
            make(kTextItemDefaults[9]), make(kTextItemDefaults[10]), make(kTextItemDefaults[11])};
}

const ElementGeometry &geometryOf(const TextItem &item)
{
    const QByteArray code = item.code().toLatin1();
    const ElementGeometry *g = findElement(std::string_view(code.constData(), size_t(code.size())));
    Q_ASSERT(g);
    return *g;
}

// A rectangle element: filled white, outlined in black inside its own rectangle.
// The outline is four filled strips rather than a stroked hairline: a hairline is
// centred on the rectangle's edge, so on paper half of it lay outside, where a
// neighbour drawn later (the left spine band beside the back panel) covered it.
// The black frame of an outline, without its white.
void paintFrame(QPainter &painter, const QRectF &r, double width)
{
    const double w = std::min(width, std::min(r.width(), r.height()) / 2);
    painter.fillRect(QRectF(r.left(), r.top(), r.width(), w), Qt::black);
    painter.fillRect(QRectF(r.left(), r.bottom() - w, r.width(), w), Qt::black);
    painter.fillRect(QRectF(r.left(), r.top() + w, w, r.height() - 2 * w), Qt::black);
    painter.fillRect(QRectF(r.right() - w, r.top() + w, w, r.height() - 2 * w), Qt::black);
}

void paintOutline(QPainter &painter, const QRectF &r, double width)
{
    painter.fillRect(r, Qt::white);
    paintFrame(painter, r, width);
}

} // namespace

PageRenderOptions PageRenderOptions::forScreen(int zoom)
{
    PageRenderOptions o;
    o.scale = scaleAtZoom(zoom);
    o.target = DrawTarget::Screen;
    // The lines the page shows at any zoom are the lines it prints: the 100 % layout,
    // scaled. A layout of its own at each zoom would break lines elsewhere and fit
    // other lines in a box, and the marks of text that will not print would lie.
    o.layoutZoom = 100;
    o.screenExtras = true;
    return o;
}

PageRenderOptions PageRenderOptions::forPaper(double dpi)
{
    PageRenderOptions o;
    o.scale = dpi / 254.0;
    o.target = DrawTarget::Paper;
    o.layoutZoom = 100;
    o.screenExtras = false;
    return o;
}

bool PictureElement::loadFromFile(const QString &path, QString *error)
{
    if (!m_picture.loadFromFile(path, error))
        return false;
    if (m_onChanged)
        m_onChanged();
    return true;
}

void PictureElement::setPicture(const Picture &picture)
{
    m_picture = picture.revived();
    if (m_onChanged)
        m_onChanged();
}

void PictureElement::setPlacement(const PicturePlacement &placement)
{
    if (placement == m_placement)
        return;
    m_placement = placement;
    if (m_onChanged)
        m_onChanged();
}

void PictureElement::clear()
{
    m_picture.clear();
    if (m_onChanged)
        m_onChanged();
}

bool PageState::operator==(const PageState &o) const
{
    return items == o.items && heights == o.heights && mainImg.sameAs(o.mainImg) && bckImg.sameAs(o.bckImg)
        && mainPlacement == o.mainPlacement && bckPlacement == o.bckPlacement && cdl == o.cdl && cdr == o.cdr;
}

CoverPage::CoverPage(QObject *parent)
    : QObject(parent)
    , m_items(makeItems())
{
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        m_heights[i] = geometryOf(m_items[i]).height;
        m_items[i].setOnChanged([this](TextItem &item) { itemChanged(item); });
        applyMinimumHeight(int(i));
        m_raisedFor[i] = m_items[i].font();
    }
    m_mainImg.setOnChanged([this] { elementChanged("MainImg"); });
    m_bckImg.setOnChanged([this] { elementChanged("BckImg"); });
    m_cdl.setOnChanged([this] { elementChanged("CDL"); });
    m_cdr.setOnChanged([this] { elementChanged("CDR"); });
    // A photo shown from a quick scaling gets its smooth copy a moment later.
    connect(&ScreenScaling::instance(), &ScreenScaling::smoothCopiesArrived, this,
            [this] { emit changed(QRect(QPoint(0, 0), pixelSize())); });
}

CoverPage::~CoverPage() = default;

int CoverPage::itemIndex(const QString &code) const
{
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].code() == code)
            return int(i);
    return -1;
}

TextItem *CoverPage::findItem(const QString &code)
{
    const int i = itemIndex(code);
    return i < 0 ? nullptr : &m_items[std::size_t(i)];
}

TextItem &CoverPage::item(const QString &code)
{
    TextItem *found = findItem(code);
    Q_ASSERT_X(found, "CoverPage::item", "unknown item code");
    return *found;
}

const TextItem &CoverPage::item(const QString &code) const
{
    return const_cast<CoverPage *>(this)->item(code);
}

bool CoverPage::setZoom(int zoom)
{
    if (zoom <= 0 || zoom > 300)
        return false;
    if (zoom == m_zoom)
        return true;
    m_zoom = zoom;
    // Only the line layout follows the zoom; the boxes keep the heights of the page
    // that is printed, so zooming never changes what is stored or printed.
    for (std::size_t i = 0; i < m_items.size(); ++i)
        m_layouts[i].currentValid = false;
    emit zoomChanged(m_zoom);
    emit changed(QRect(QPoint(0, 0), pixelSize()));
    return true;
}

QSize CoverPage::pixelSize() const
{
    const double k = scaleAtZoom(m_zoom);
    return QSize(int(std::lround(kPaperWidth * k)), int(std::lround(kPaperHeight * k)));
}

QRectF CoverPage::elementRect(std::string_view name) const
{
    const ElementGeometry *g = findElement(name);
    if (!g)
        return QRectF();
    QRectF r = g->rect();
    if (g->kind == ElementKind::TextLine || g->kind == ElementKind::TextList) {
        const int i = itemIndex(QString::fromLatin1(name.data(), qsizetype(name.size())));
        if (i >= 0)
            r.setHeight(m_heights[std::size_t(i)]);
    }
    return r;
}

QRect CoverPage::elementPixelRect(std::string_view name, int zoom) const
{
    return pixelRect(elementRect(name), zoom);
}

QRect CoverPage::pixelRect(const QRectF &tenthMm, int zoom)
{
    return roundedRect(tenthMm, scaleAtZoom(zoom));
}

const TextLayout &CoverPage::layout(const QString &code, int zoom) const
{
    const int i = itemIndex(code);
    Q_ASSERT(i >= 0);
    return ensureLayout(i, zoom);
}

const TextLayout &CoverPage::ensureLayout(int index, int zoom) const
{
    CachedLayouts &cache = m_layouts[std::size_t(index)];
    const bool isCurrent = zoom == m_zoom;
    if (isCurrent && cache.currentValid)
        return cache.current;
    if (zoom == 100 && cache.paperValid)
        return cache.paper;

    const TextItem &item = m_items[std::size_t(index)];
    const ElementGeometry &g = geometryOf(item);
    const double k = scaleAtZoom(zoom);
    const QRect box = roundedRect(QRectF(g.left, g.top, g.width, m_heights[std::size_t(index)]), k);
    // Tab stops are measured on the page, with the font at 100 %, and scaled.
    const qreal tabStop = 8 * QFontMetricsF(item.font().toQFont(100)).averageCharWidth() * zoom / 100.0;
    // The contents list's last tab on each line stands at the box's right edge: the
    // durations of a track list in one column, flush right, whatever the alignment.
    const qreal rightStop = item.code() == QLatin1String("BTo") ? box.width() : 0;
    TextLayout result = TextLayout::build(item.lines(), item.font().toQFont(zoom), box.width(), zoom, tabStop, rightStop);


    if (zoom == 100) {
        cache.paper = std::move(result);
        cache.paperValid = true;
        if (isCurrent) {
            cache.current = cache.paper;
            cache.currentValid = true;
        }
        return cache.paper;
    }
    if (isCurrent) {
        cache.current = std::move(result);
        cache.currentValid = true;
        return cache.current;
    }
    // Another zoom than the current one or 100: not cached.
    static thread_local TextLayout scratch;
    scratch = std::move(result);
    return scratch;
}

void CoverPage::applyMinimumHeight(int index)
{
    // A text box always shows at least one line: raise it (keeping its top) to one
    // line plus a pixel. It is never shrunk back when the font gets smaller. The rule
    // is applied to the page as printed (100 %), whatever zoom is on screen, and a box
    // never grows past the outline it stands in, whatever font a file asks for.
    const TextItem &item = m_items[std::size_t(index)];
    const double k = scaleAtZoom(100);
    const QFontMetrics metrics(item.font().toQFont(100));
    const int line = metrics.ascent() + metrics.descent();
    double &stored = m_heights[std::size_t(index)];
    const int height = int(std::lround(stored * k));
    if (height >= line + 1)
        return;
    const ElementGeometry &g = geometryOf(item);
    const ElementGeometry *outline = findElement(item.code().startsWith(QLatin1Char('M')) ? "QRShape1" : "QRShape3");
    const double room = outline->top + outline->height - g.top;
    const double raised = std::min((line + 1) / k, room);
    if (raised > stored) {
        stored = raised;
        m_layouts[std::size_t(index)] = CachedLayouts();
    }
}

PageState CoverPage::state() const
{
    PageState s;
    for (std::size_t i = 0; i < m_items.size(); ++i)
        s.items[i] = PageState::Item{m_items[i].lines(), m_items[i].font(), m_items[i].alignment()};
    s.heights = m_heights;
    s.mainImg = m_mainImg.picture();
    s.bckImg = m_bckImg.picture();
    s.mainPlacement = m_mainImg.placement();
    s.bckPlacement = m_bckImg.placement();
    s.cdl = m_cdl.state();
    s.cdr = m_cdr.state();
    return s;
}

void CoverPage::setState(const PageState &s)
{
    QSignalBlocker quiet(this); // one repaint of the whole page at the end
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        TextItem &item = m_items[i];
        item.setFont(s.items[i].font);
        item.setAlignment(s.items[i].alignment);
        item.setLines(s.items[i].lines);
        m_raisedFor[i] = item.font();
    }
    m_heights = s.heights;
    for (CachedLayouts &cache : m_layouts)
        cache = CachedLayouts();
    m_mainImg.setPicture(s.mainImg);
    m_bckImg.setPicture(s.bckImg);
    m_mainImg.setPlacement(s.mainPlacement);
    m_bckImg.setPlacement(s.bckPlacement);
    m_cdl.setState(s.cdl);
    m_cdr.setState(s.cdr);
    quiet.unblock();
    emit changed(QRect(QPoint(0, 0), pixelSize()));
}

void CoverPage::resetHeights()
{
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        m_heights[i] = geometryOf(m_items[i]).height;
        m_layouts[i] = CachedLayouts();
        applyMinimumHeight(int(i));
        m_raisedFor[i] = m_items[i].font();
    }
    emit changed(QRect(QPoint(0, 0), pixelSize()));
}

void CoverPage::itemChanged(TextItem &item)
{
    const int i = itemIndex(item.code());
    if (i < 0)
        return;
    const QRect before = elementPixelRect(geometryOf(item).name, m_zoom);
    // Line breaking waits until the item is drawn or asked for (a project load
    // appends lines one by one); only the box height must follow the font at once.
    m_layouts[std::size_t(i)].currentValid = false;
    m_layouts[std::size_t(i)].paperValid = false;
    if (!(m_raisedFor[std::size_t(i)] == item.font())) {
        applyMinimumHeight(i);
        m_raisedFor[std::size_t(i)] = item.font();
    }
    const QRect after = elementPixelRect(geometryOf(item).name, m_zoom);
    // The mark of lines that will not print stands beside the box: it comes and goes
    // with the text, so it is repainted with it.
    emit changed(before.united(after).adjusted(-1, -1, 1 + kMarkReach, 1));
}

void CoverPage::elementChanged(std::string_view name)
{
    emit changed(elementPixelRect(name, m_zoom).adjusted(-1, -1, 1, 1));
}

int CoverPage::hiddenLines(const QString &code) const
{
    const int i = itemIndex(code);
    if (i < 0)
        return 0;
    const TextLayout &layout = ensureLayout(i, 100);
    if (layout.lines.isEmpty() || layout.lineHeight <= 0)
        return 0;
    const ElementGeometry &g = geometryOf(m_items[std::size_t(i)]);
    const int boxHeight = roundedRect(QRectF(g.left, g.top, g.width, m_heights[std::size_t(i)]), scaleAtZoom(100)).height();
    const qsizetype fitting = boxHeight / layout.lineHeight;
    return int(std::max<qsizetype>(0, layout.lines.size() - fitting));
}

double CoverPage::pictureDpi(std::string_view element) const
{
    const Picture *picture = nullptr;
    if (element == "MainImg")
        picture = &m_mainImg.picture();
    else if (element == "BckImg")
        picture = &m_bckImg.picture();
    else if (element == "CDL" || element == "CDR") {
        const SpineBand &band = element == "CDL" ? m_cdl : m_cdr;
        // A tiled picture prints at its own size, stretched only fills the band.
        if (band.gradient().Visible || band.backImageMode() != BackImageMode::pbmStretch)
            return 0;
        picture = &band.backImage();
    }
    if (!picture || picture->isEmpty() || !picture->content() || picture->content()->isVector())
        return 0;
    // The rectangle the whole picture is drawn in: a zoomed crop spreads its pixels
    // over more paper than its area.
    const QRectF r = element == "MainImg" || element == "BckImg" ? pictureRect(element) : elementRect(element);
    const QSize size = picture->size();
    if (r.isEmpty() || size.isEmpty())
        return 0;
    return std::min(size.width() / (r.width() / 254.0), size.height() / (r.height() / 254.0));
}

QRectF CoverPage::pictureRect(std::string_view name) const
{
    const QRectF area = elementRect(name);
    const PictureElement &element = name == "MainImg" ? m_mainImg : m_bckImg;
    if (name != "MainImg" && name != "BckImg")
        return area;
    return element.placement().pictureRect(area, QSizeF(element.picture().size()));
}

void CoverPage::setCaptionsVisible(bool visible)
{
    if (m_captionsVisible == visible)
        return;
    m_captionsVisible = visible;
    for (const ScreenCaption &c : kScreenCaptions)
        emit changed(QRect(c.left - 1, c.top - 1, c.width + 3, c.height + 3));
}

void CoverPage::paintText(QPainter &painter, int index, const QRectF &, const PageRenderOptions &o) const
{
    const TextItem &item = m_items[std::size_t(index)];
    const TextLayout &layout = ensureLayout(index, o.layoutZoom);
    if (layout.lines.isEmpty())
        return;
    const ElementGeometry &g = geometryOf(item);
    const double k = scaleAtZoom(o.layoutZoom);
    // The box in the layout's own pixels; the painter maps those onto the device.
    const QRect box = roundedRect(QRectF(g.left, g.top, g.width, m_heights[std::size_t(index)]), k);

    painter.save();
    const double s = o.scale / k;
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

void CoverPage::paint(QPainter &painter, const PageRenderOptions &o) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const bool screen = o.target == DrawTarget::Screen;
    auto deviceRect = [&](const QRectF &r) -> QRectF {
        if (screen)
            return QRectF(roundedRect(r, o.scale));
        // Exact on paper, but without floating-point dust that would move an edge
        // that falls on a whole device pixel by one pixel.
        auto snap = [](double v) {
            const double n = std::round(v);
            return std::abs(v - n) < 1e-6 ? n : v;
        };
        return QRectF(snap(r.left() * o.scale), snap(r.top() * o.scale), snap(r.width() * o.scale),
                      snap(r.height() * o.scale));
    };

    // The outline the user sees at 100 %: one pixel of 96 dpi (0.2646 mm), on paper
    // as on the screen, never thinner than one device pixel. On the screen it stays
    // a whole number of pixels so a zoomed outline is as crisp as at 100 %.
    const double onePixel = o.scale * kTenthMmPerPixel;
    const double outlineWidth = screen ? std::max(1.0, std::round(onePixel)) : std::max(1.0, onePixel);

    for (std::size_t e = 0; e < kPageElementCount; ++e) {
        const ElementGeometry &g = kPageElements[e];
        const QRectF rect = deviceRect(elementRect(g.name));
        switch (g.kind) {
        case ElementKind::Rectangle:
            paintOutline(painter, rect, outlineWidth);
            break;
        case ElementKind::Picture: {
            const PictureElement &element = g.name == "MainImg" ? m_mainImg : m_bckImg;
            if (element.placement().isStretch()) {
                element.picture().draw(painter, rect, o.target);
                break;
            }
            // Fill and fit: the whole picture drawn in its own rectangle, clipped to the
            // area, so a crop is a clip, never new pixels.
            painter.save();
            if (element.placement().clips())
                painter.setClipRect(rect, Qt::IntersectClip);
            element.picture().draw(painter, deviceRect(pictureRect(g.name)), o.target);
            painter.restore();
            break;
        }
        case ElementKind::SpineBand:
            (g.name == "CDL" ? m_cdl : m_cdr).paint(painter, rect, o.target);
            break;
        case ElementKind::TextLine:
        case ElementKind::TextList:
            paintText(painter, itemIndex(QString::fromLatin1(g.name.data(), qsizetype(g.name.size()))), rect, o);
            break;
        }
    }
    // The frames once more, over the pictures and bands: a device or a PDF reader
    // that fills a picture's edge pixel generously must not cover the outline there.
    for (const ElementGeometry &g : kPageElements)
        if (g.kind == ElementKind::Rectangle)
            paintFrame(painter, deviceRect(elementRect(g.name)), outlineWidth);
    if (o.visibleHairlines) {
        // A cosmetic pen along the middle of each outline: one pixel wherever the
        // drawing is shown, hidden within the outline where that is wider.
        painter.setPen(QPen(Qt::black, 0));
        painter.setBrush(Qt::NoBrush);
        for (const ElementGeometry &g : kPageElements)
            if (g.kind == ElementKind::Rectangle) {
                const QRectF r = deviceRect(elementRect(g.name));
                const double half = std::min(outlineWidth, std::min(r.width(), r.height()) / 2) / 2;
                painter.drawRect(r.adjusted(half, half, -half, -half));
            }
        painter.setPen(Qt::NoPen);
    }

    if (o.screenExtras) {
        // Corner brackets mark every text box and spine band, so empty boxes can be
        // found; four pixels along both edges at each corner.
        painter.setPen(Qt::NoPen);
        for (std::size_t e = 0; e < kPageElementCount; ++e) {
            const ElementGeometry &g = kPageElements[e];
            if (g.kind != ElementKind::TextLine && g.kind != ElementKind::TextList && g.kind != ElementKind::SpineBand)
                continue;
            const QRect r = deviceRect(elementRect(g.name)).toRect();
            const int l = r.left(), t = r.top(), rr = r.left() + r.width() - 1, b = r.top() + r.height() - 1;
            for (const QRect &stroke : {QRect(l, t, 4, 1), QRect(l, t, 1, 4), QRect(rr - 3, t, 4, 1),
                                        QRect(rr, t, 1, 4), QRect(l, b, 4, 1), QRect(l, b - 3, 1, 4),
                                        QRect(rr - 3, b, 4, 1), QRect(rr, b - 3, 1, 4)})
                painter.fillRect(stroke, Qt::black);
        }
        // Text that will not print and pictures too coarse for paper are marked, on
        // screen only and beside what they mark: a red wedge right of the box's
        // bottom corner, an orange wedge inside the picture's top right corner. A
        // dark outline keeps each visible on a picture of its own colour.
        painter.setPen(QPen(QColor(40, 40, 40), 1));
        for (std::size_t e = 0; e < kPageElementCount; ++e) {
            const ElementGeometry &g = kPageElements[e];
            const QRect r = deviceRect(elementRect(g.name)).toRect();
            if (g.kind == ElementKind::TextLine || g.kind == ElementKind::TextList) {
                if (hiddenLines(QString::fromLatin1(g.name.data(), qsizetype(g.name.size()))) > 0) {
                    const int x = r.left() + r.width() + 2, y = r.top() + r.height();
                    static_assert(kMarkReach >= 2 + 8 + 1, "the wedge and its outline lie within the repainted reach");
                    painter.setBrush(QColor(220, 0, 0));
                    painter.drawPolygon(QPolygon{{x, y - 8}, {x + 8, y - 8}, {x + 4, y}});
                }
            } else if (g.kind == ElementKind::Picture || g.kind == ElementKind::SpineBand) {
                const double dpi = pictureDpi(g.name);
                if (dpi > 0 && dpi < kMinimumPrintDpi) {
                    const int x = r.left() + r.width() - 5, y = r.top() + 4;
                    painter.setBrush(QColor(255, 140, 0));
                    painter.drawPolygon(QPolygon{{x - 10, y}, {x, y}, {x, y + 10}});
                }
            }
        }
        painter.setBrush(Qt::NoBrush);
        if (m_captionsVisible) {
            ItemFont captionFont;
            captionFont.setSize(12);
            const QFont font = captionFont.toQFontForHeight(captionFont.height);
            const int ascent = QFontMetrics(font).ascent();
            painter.setFont(font);
            for (const ScreenCaption &c : kScreenCaptions) {
                const QString text = QString::fromUtf8(c.text);
                painter.setPen(QColor(192, 192, 192));
                painter.drawText(QPointF(c.left + 1, c.top + 1 + ascent), text);
                painter.setPen(Qt::black);
                painter.drawText(QPointF(c.left, c.top + ascent), text);
            }
        }
    }
    painter.restore();
}

void CoverPage::paintScreen(QPainter &painter) const
{
    paint(painter, PageRenderOptions::forScreen(m_zoom));
}

void CoverPage::paintOnPaper(QPainter &painter, double dpiX, double dpiY, const PrinterCalibration &calibration,
                             bool visibleHairlines) const
{
    painter.save();
    painter.setWorldTransform(calibration.forDevice(dpiX, dpiY), true);
    PageRenderOptions options = PageRenderOptions::forPaper(dpiX);
    options.visibleHairlines = visibleHairlines;
    paint(painter, options);
    painter.restore();
}

bool CoverPage::printTo(QPagedPaintDevice &device, const PrinterCalibration &calibration) const
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    paintOnPaper(painter, device.logicalDpiX(), device.logicalDpiY(), calibration);
    return painter.end();
}

bool CoverPage::previewTo(QPagedPaintDevice &device) const
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    paintOnPaper(painter, device.logicalDpiX(), device.logicalDpiY(), PrinterCalibration{}, true);
    return painter.end();
}

QRectF CoverPage::printedArea()
{
    QRectF area;
    for (const ElementGeometry &g : kPageElements)
        area = area.united(g.rect());
    return area;
}

} // namespace korvel

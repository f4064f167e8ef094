#include "project/CoverPage.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace korvel {

namespace {

constexpr double kPixelsPerTenthMm = 96.0 / 254.0;

QRect roundedRect(const QRectF &r, double scale)
{
    return QRect(int(std::lround(r.left() * scale)), int(std::lround(r.top() * scale)),
                 int(std::lround(r.width() * scale)), int(std::lround(r.height() * scale)));
}

std::vector<TextItem> makeItems(const SheetLayout &layout)
{
    std::vector<TextItem> items;
    items.reserve(layout.texts.size());
    for (const TextSpec &t : layout.texts) {
        ItemFont font;
        font.setSize(t.points);
        font.style = t.style;
        items.emplace_back(t.code, t.multiLine, QString::fromUtf8(t.text), font, t.alignment);
        // A list that starts empty has no lines, not one empty line.
        if (t.multiLine && !*t.text)
            items.back().clearLines();
    }
    return items;
}

} // namespace

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
    if (!(items == o.items && heights == o.heights && placements == o.placements && bands == o.bands)
        || pictures.size() != o.pictures.size())
        return false;
    for (qsizetype i = 0; i < pictures.size(); ++i)
        if (!pictures[i].sameAs(o.pictures[i]))
            return false;
    return true;
}

CoverPage::CoverPage(const SheetLayout &layout, QObject *parent)
    : QObject(parent)
    , m_layout(layout)
    , m_items(makeItems(layout))
    , m_heights(layout.texts.size())
    , m_layouts(layout.texts.size())
    , m_raisedFor(layout.texts.size())
    , m_pictures(std::size_t(layout.count(ElementKind::Picture)))
    , m_bands(std::size_t(layout.count(ElementKind::SpineBand)))
{
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        m_heights[i] = m_layout.element(m_layout.elementOfText(int(i))).shape.height;
        m_items[i].setOnChanged([this](TextItem &item) { itemChanged(item); });
        applyMinimumHeight(int(i));
        m_raisedFor[i] = m_items[i].font();
    }
    for (std::size_t e = 0; e < m_layout.elements.size(); ++e) {
        const ElementId id{int(e)};
        if (m_layout.elements[e].kind == ElementKind::Picture)
            picture(id).setOnChanged([this, id] { elementChanged(id); });
        else if (m_layout.elements[e].kind == ElementKind::SpineBand)
            band(id).setOnChanged([this, id] { elementChanged(id); });
    }
}

CoverPage::~CoverPage() = default;

TextItem *CoverPage::findItem(const QString &code)
{
    const int i = m_layout.textIndex(code.toStdString());
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

QRectF CoverPage::elementRect(ElementId id) const
{
    if (!id.valid())
        return QRectF();
    const ElementSpec &e = m_layout.element(id);
    QRectF r = e.shape.rect();
    if (e.kind == ElementKind::TextLine || e.kind == ElementKind::TextList) {
        const int i = m_layout.textIndex(e.name);
        if (i >= 0)
            r.setHeight(m_heights[std::size_t(i)]);
    }
    return r;
}

QRectF CoverPage::elementRect(std::string_view name) const
{
    return elementRect(m_layout.find(name));
}

QRect CoverPage::textBox(int text) const
{
    return roundedRect(elementRect(m_layout.elementOfText(text)), kPixelsPerTenthMm);
}

const TextLayout &CoverPage::layout(const QString &code) const
{
    const int i = m_layout.textIndex(code.toStdString());
    Q_ASSERT(i >= 0);
    return layout(i);
}

const TextLayout &CoverPage::layout(int text) const
{
    CachedLayout &cache = m_layouts[std::size_t(text)];
    if (cache.valid)
        return cache.layout;
    const TextItem &item = m_items[std::size_t(text)];
    const QRect box = textBox(text);
    // Tab stops are measured on the page, with the font at 100 %.
    const qreal tabStop = 8 * QFontMetricsF(item.font().toQFont(100)).averageCharWidth();
    // The contents list's last tab on each line stands at the box's right edge: the
    // durations of a track list in one column, flush right, whatever the alignment.
    const qreal rightStop = m_layout.texts[std::size_t(text)].role == Role::Contents ? box.width() : 0;
    // A text along the rim breaks where its line would pass half the circle.
    const Shape &path = m_layout.element(m_layout.elementOfText(text)).path;
    const qreal width = path.isArc() ? std::numbers::pi * path.width / 2 * kPixelsPerTenthMm : box.width();
    cache.layout = TextLayout::build(item.lines(), item.font().toQFont(100), width, 100, tabStop, rightStop);
    cache.valid = true;
    return cache.layout;
}

void CoverPage::applyMinimumHeight(int text)
{
    // A text box always shows at least one line: raise it (keeping its top) to one
    // line plus a pixel. It is never shrunk back when the font gets smaller. The rule
    // is applied to the page as printed (100 %), whatever zoom is on screen, and a box
    // never grows past the outline it stands in, whatever font a file asks for.
    const TextItem &item = m_items[std::size_t(text)];
    const QFontMetrics metrics(item.font().toQFont(100));
    const int line = metrics.ascent() + metrics.descent();
    double &stored = m_heights[std::size_t(text)];
    const int height = int(std::lround(stored * kPixelsPerTenthMm));
    if (height >= line + 1)
        return;
    const ElementSpec &e = m_layout.element(m_layout.elementOfText(text));
    const QRectF outline = m_layout.element(m_layout.find(e.within)).shape.rect();
    const double room = outline.top() + outline.height() - e.shape.top;
    const double raised = std::min((line + 1) / kPixelsPerTenthMm, room);
    if (raised > stored) {
        stored = raised;
        m_layouts[std::size_t(text)] = CachedLayout();
    }
}

PageState CoverPage::state() const
{
    PageState s;
    for (const TextItem &item : m_items)
        s.items.append(PageState::Item{item.lines(), item.font(), item.alignment()});
    s.heights = QList<double>(m_heights.begin(), m_heights.end());
    for (const PictureElement &p : m_pictures) {
        s.pictures.append(p.picture());
        s.placements.append(p.placement());
    }
    for (const SpineBand &band : m_bands)
        s.bands.append(band.state());
    return s;
}

void CoverPage::setState(const PageState &s)
{
    QSignalBlocker quiet(this); // one change of the whole sheet at the end
    for (std::size_t i = 0; i < m_items.size() && qsizetype(i) < s.items.size(); ++i) {
        TextItem &item = m_items[i];
        item.setFont(s.items[qsizetype(i)].font);
        item.setAlignment(s.items[qsizetype(i)].alignment);
        item.setLines(s.items[qsizetype(i)].lines);
        m_raisedFor[i] = item.font();
    }
    for (std::size_t i = 0; i < m_heights.size() && qsizetype(i) < s.heights.size(); ++i)
        m_heights[i] = s.heights[qsizetype(i)];
    for (CachedLayout &cache : m_layouts)
        cache = CachedLayout();
    for (std::size_t i = 0; i < m_pictures.size() && qsizetype(i) < s.pictures.size(); ++i) {
        m_pictures[i].setPicture(s.pictures[qsizetype(i)]);
        m_pictures[i].setPlacement(s.placements.value(qsizetype(i)));
    }
    for (std::size_t i = 0; i < m_bands.size() && qsizetype(i) < s.bands.size(); ++i)
        m_bands[i].setState(s.bands[qsizetype(i)]);
    quiet.unblock();
    emit changed(wholeSheet());
}

void CoverPage::relayout()
{
    resetHeights();
    emit layoutChanged();
}

void CoverPage::resetHeights()
{
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        m_heights[i] = m_layout.element(m_layout.elementOfText(int(i))).shape.height;
        m_layouts[i] = CachedLayout();
        applyMinimumHeight(int(i));
        m_raisedFor[i] = m_items[i].font();
    }
    emit changed(wholeSheet());
}

QRectF CoverPage::wholeSheet() const
{
    return QRectF(0, 0, m_layout.paperWidth, m_layout.paperHeight);
}

void CoverPage::itemChanged(TextItem &item)
{
    const int i = m_layout.textIndex(item.code().toStdString());
    if (i < 0)
        return;
    const ElementId id = m_layout.elementOfText(i);
    const QRectF before = elementRect(id);
    // Line breaking waits until the item is drawn or asked for (a project load
    // appends lines one by one); only the box height must follow the font at once.
    m_layouts[std::size_t(i)].valid = false;
    if (!(m_raisedFor[std::size_t(i)] == item.font())) {
        applyMinimumHeight(i);
        m_raisedFor[std::size_t(i)] = item.font();
    }
    emit changed(before.united(drawnRect(id)));
}

void CoverPage::elementChanged(ElementId id)
{
    emit changed(drawnRect(id));
}

QRectF CoverPage::drawnRect(ElementId id) const
{
    const QRectF box = elementRect(id);
    if (!m_layout.element(id).path.isArc())
        return box;
    // A text along the rim may reach anywhere on its half of the label.
    const ElementId ring = m_layout.ringOf(id);
    return box.united(ring.valid() ? m_layout.element(ring).shape.rect() : m_layout.element(id).path.rect());
}

int CoverPage::hiddenLines(const QString &code) const
{
    const int i = m_layout.textIndex(code.toStdString());
    return i < 0 ? 0 : hiddenLines(i);
}

int CoverPage::hiddenLines(int text) const
{
    const TextLayout &l = layout(text);
    if (l.lines.isEmpty() || l.lineHeight <= 0)
        return 0;
    const ElementId id = m_layout.elementOfText(text);
    if (m_layout.element(id).path.isArc()) {
        // Along the rim, a line whose baseline leaves the ring is not printed.
        const ElementId ring = m_layout.ringOf(id);
        const Shape &disc = m_layout.element(ring.valid() ? ring : id).shape;
        qsizetype fitting = 0;
        while (fitting < l.lines.size()) {
            const double r = arcLineRadius(text, int(fitting));
            if (r < disc.hole / 2 || r > disc.width / 2)
                break;
            ++fitting;
        }
        return int(l.lines.size() - fitting);
    }
    const qsizetype fitting = textBox(text).height() / l.lineHeight;
    return int(std::max<qsizetype>(0, l.lines.size() - fitting));
}

double CoverPage::arcLineRadius(int text, int line) const
{
    const Shape &path = m_layout.element(m_layout.elementOfText(text)).path;
    const double pitch = layout(text).lineHeight / kPixelsPerTenthMm;
    // Each further line stands below the one before as it is read: toward the
    // centre over the upper half, toward the rim over the lower.
    return path.width / 2 + (path.kind == Shape::Kind::LowerArc ? pitch : -pitch) * line;
}

double CoverPage::pictureDpi(std::string_view element) const
{
    const ElementId id = m_layout.find(element);
    if (!id.valid())
        return 0;
    const Picture *picture = nullptr;
    QRectF r;
    switch (m_layout.element(id).kind) {
    case ElementKind::Picture:
        picture = &this->picture(id).picture();
        // The rectangle the whole picture is drawn in: a zoomed crop spreads its
        // pixels over more paper than its area.
        r = pictureRect(element);
        break;
    case ElementKind::SpineBand: {
        const SpineBand &b = band(id);
        // A tiled picture prints at its own size, stretched only fills the band.
        if (b.gradient().Visible || b.backImageMode() != BackImageMode::pbmStretch)
            return 0;
        picture = &b.backImage();
        r = elementRect(id);
        break;
    }
    default:
        return 0;
    }
    if (picture->isEmpty() || !picture->content() || picture->content()->isVector())
        return 0;
    const QSize size = picture->size();
    if (r.isEmpty() || size.isEmpty())
        return 0;
    return std::min(size.width() / (r.width() / 254.0), size.height() / (r.height() / 254.0));
}

QRectF CoverPage::pictureRect(std::string_view name) const
{
    const ElementId id = m_layout.find(name);
    const QRectF area = elementRect(id);
    if (!id.valid() || m_layout.element(id).kind != ElementKind::Picture)
        return area;
    const PictureElement &element = picture(id);
    return element.placement().pictureRect(area, QSizeF(element.picture().size()));
}

QRectF CoverPage::printedArea(const SheetLayout &layout)
{
    QRectF area;
    for (const ElementSpec &e : layout.elements)
        area = area.united(e.shape.rect());
    QRectF repeated = area;
    for (const QPointF &offset : layout.repeats)
        repeated = repeated.united(area.translated(offset));
    return repeated;
}

} // namespace korvel

#include "picture/metafile/Renderer.h"

#include "picture/metafile/RendererPrivate.h"

namespace korvel::metafile {

namespace {

// Limits that keep a hostile file from making playback slow or memory-hungry.
constexpr int kMaxClipOperations = 5000;

// Stand-in for "no clipping" when a clip operation needs a region to combine with.
const QRectF kEverything(-1e8, -1e8, 2e8, 2e8);

} // namespace

// ---- clipping ----------------------------------------------------------------

void Renderer::selectClipPath(ClipMode mode)
{
    m_pathOpen = false;
    applyTransform();
    m_path.setFillRule(m_state.winding ? Qt::WindingFill : Qt::OddEvenFill);
    combineClip(m_logical.map(m_path), mode);
    m_path = QPainterPath();
}

void Renderer::combineClip(const QPainterPath &input, ClipMode mode)
{
    QPainterPath path = input;
    // Boolean operations on paths grow quickly with their size; a clip shape with
    // thousands of segments, or any clip after very many operations, is reduced
    // to its bounds rather than stalling playback.
    const bool approximate = ++m_clipOperations > kMaxClipOperations;
    if (approximate && m_state.clip && m_state.clip->elementCount() > 5) {
        const QRectF r = m_state.clip->boundingRect();
        m_state.clip = QPainterPath();
        m_state.clip->addRect(r);
    }
    if (path.elementCount() > kMaxClipElements || (approximate && path.elementCount() > 5)) {
        const QRectF r = path.boundingRect();
        path = QPainterPath();
        path.addRect(r);
    }
    std::optional<QPainterPath> &clip = m_state.clip;
    if (clip && clip->elementCount() > kMaxClipElements) {
        const QRectF r = clip->boundingRect();
        clip = QPainterPath();
        clip->addRect(r);
    }
    QPainterPath everything;
    everything.addRect(kEverything);
    switch (mode) {
    case ClipMode::Copy:
        clip = path;
        break;
    case ClipMode::And:
        clip = clip ? clip->intersected(path) : path;
        break;
    case ClipMode::Or:
        if (clip)
            clip = clip->united(path);
        break;
    case ClipMode::Diff:
        clip = (clip ? *clip : everything).subtracted(path);
        break;
    case ClipMode::Xor: {
        const QPainterPath a = clip ? *clip : everything;
        clip = a.subtracted(path).united(path.subtracted(a));
        break;
    }
    }
    m_clipDirty = true;
}

void Renderer::intersectClipRect(QRectF logical)
{
    applyTransform();
    QPainterPath p;
    p.addPolygon(m_logical.map(QPolygonF(logical.normalized())));
    p.closeSubpath();
    combineClip(p, ClipMode::And);
}

void Renderer::excludeClipRect(QRectF logical)
{
    applyTransform();
    QPainterPath p;
    p.addPolygon(m_logical.map(QPolygonF(logical.normalized())));
    p.closeSubpath();
    combineClip(p, ClipMode::Diff);
}

void Renderer::setClipRegion(const std::optional<QPainterPath> &device, ClipMode mode)
{
    if (!device) {
        if (mode == ClipMode::Copy) {
            m_state.clip.reset();
            m_clipDirty = true;
        }
        return;
    }
    combineClip(*device, mode);
}

void Renderer::selectLogicalClipRegion(const QPainterPath &logical)
{
    applyTransform();
    combineClip(m_logical.map(logical), ClipMode::Copy);
}

void Renderer::offsetClip(QPointF logicalOffset)
{
    if (!m_state.clip)
        return;
    applyTransform();
    const QPointF d = m_logical.map(logicalOffset) - m_logical.map(QPointF(0, 0));
    m_state.clip->translate(d);
    m_clipDirty = true;
}

} // namespace korvel::metafile

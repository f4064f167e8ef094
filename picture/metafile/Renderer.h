#pragma once
#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QPolygonF>
#include <QString>
#include <QTransform>
#include <QVector>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QPainter;

namespace korvel::metafile {

// GDI's logical objects as the records create them.
struct LogPen {
    int style = 0;          // PS_* including end cap, join and type bits
    double width = 0;       // logical units; 0 = one device pixel
    QColor color = Qt::black;
    bool cosmetic = true;
    QVector<double> userDashes; // PS_USERSTYLE, logical units
};

struct LogBrush {
    enum Style { Solid, Null, Hatched, Pattern, MonoPattern };
    Style style = Solid;
    QColor color = Qt::white;
    int hatch = 0;
    QImage pattern; // Pattern: colour tile; MonoPattern: 1-bit tile
};

struct LogFont {
    int height = 0;
    int width = 0;
    int escapement = 0; // tenths of a degree, counter-clockwise
    int weight = 0;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charSet = 0;
    QString face;
};

struct GdiObject {
    enum Kind { Empty, Pen, Brush, Font, Region, Other };
    Kind kind = Empty;
    LogPen pen;
    LogBrush brush;
    LogFont font;
    QPainterPath region; // logical units
};

// Everything SAVEDC keeps and RESTOREDC brings back.
struct DcState {
    int mapMode = 1; // MM_TEXT
    QPointF windowOrg, viewportOrg;
    QSizeF windowExt{1, 1}, viewportExt{1, 1};
    bool windowExtSet = false;
    QTransform world;
    LogPen pen;
    LogBrush brush;
    LogFont font;
    QColor textColor = Qt::black;
    QColor bkColor = Qt::white;
    bool bkOpaque = true;
    bool winding = false; // polygon fill mode
    int rop2 = 13;        // R2_COPYPEN
    unsigned textAlign = 0;
    QPointF position;
    double miterLimit = 10;
    bool clockwiseArcs = false;
    std::optional<QPainterPath> clip; // device coordinates; none = everything
};

// Bitmap pixels one playback decodes at most: beyond, further bitmaps are skipped.
inline constexpr qint64 kMaxBitmapPixelsPerPlayback = qint64(400) * 1000 * 1000;

// Largest pattern-brush tile kept, in pixels.
inline constexpr qint64 kMaxTilePixels = qint64(1) << 22;

enum class ClipMode { And = 1, Or = 2, Xor = 3, Diff = 4, Copy = 5 };

// The device context both players draw through: keeps GDI's state, maps logical
// coordinates to the reference device and that onto the target rectangle, and
// turns every drawing operation into QPainter calls (or path construction between
// BEGINPATH and ENDPATH). The painter's state is saved on construction and
// restored on destruction, so playback leaves nothing behind.
class Renderer {
public:
    // deviceToTarget maps reference-device coordinates onto the painter's
    // coordinates. devicePixelsPerMm is used by the fixed mapping modes.
    Renderer(QPainter &painter, const QRectF &target, const QTransform &deviceToTarget,
             QSizeF devicePixelsPerMm, int objectCount);
    ~Renderer();
    Renderer(const Renderer &) = delete;
    Renderer &operator=(const Renderer &) = delete;

    DcState &state() { return m_state; }
    void mappingChanged() { m_transformDirty = true; m_penDirty = true; }
    void penChanged() { m_penDirty = true; }
    void brushChanged() { m_brushDirty = true; }
    // Instead of drawing, collect the device-space bounds of everything drawn.
    void setMeasure(QRectF *bounds) { m_measure = bounds; }
    bool measuring() const { return m_measure != nullptr; }
    // Raster operation for pens and brushes (SETROP2). xorClipFollows tells that
    // the records ahead clip by drawing twice in XOR mode around a black shape.
    void setRop2(int rop, bool xorClipFollows = false);
    // For WMF: logical coordinates go straight onto the frame through the window.
    void setWindowMapsToFrame(const QRectF &frame) { m_windowFrame = frame; m_useWindowFrame = true; m_transformDirty = true; }

    // Object table.
    int objectCount() const { return int(m_objects.size()); }
    void setObject(std::uint32_t index, GdiObject object);
    // Puts the object in the lowest free slot, as 16-bit metafiles number them.
    void addObjectFirstFree(GdiObject object);
    void selectObject(std::uint32_t index);
    void deleteObject(std::uint32_t index);
    const GdiObject *object(std::uint32_t index) const
    {
        return index < m_objects.size() ? &m_objects[index] : nullptr;
    }
    void selectStockObject(std::uint32_t stock);

    void saveDc();
    void restoreDc(int relative);

    // Mapping.
    QTransform logicalToDevice() const;
    void setMapMode(int mode);

    // Drawing, all in logical coordinates.
    void moveTo(QPointF p);
    void lineTo(QPointF p);
    void polyline(const QPolygonF &points);
    void polylineTo(const QPolygonF &points);
    void polygon(const QPolygonF &points);
    void polyPolygon(const std::vector<QPolygonF> &polygons);
    void polyPolyline(const std::vector<QPolygonF> &lines);
    void polyBezier(const QPolygonF &points, bool fromCurrent);
    void rectangle(QRectF box);
    void roundRect(QRectF box, QSizeF corner);
    void ellipse(QRectF box);
    enum class ArcKind { Arc, ArcTo, Chord, Pie };
    void arc(QRectF box, QPointF start, QPointF end, ArcKind kind);
    void angleArc(QPointF center, double radius, double startDeg, double sweepDeg);
    void setPixel(QPointF p, const QColor &color);
    void fillRect(const QRectF &rect, const QBrush &brush); // logical, no pen
    void fillRegion(const QPainterPath &devicePath, const LogBrush &brush);
    void fillLogicalRegion(const QPainterPath &logical, const LogBrush &brush);
    void frameLogicalRegion(const QPainterPath &logical, const LogBrush &brush, QSizeF size);
    void gradientFill(const QPainterPath &logicalShape, const QBrush &brush);

    // Text; reference point in logical units, dx in logical units per UTF-16 unit.
    void text(QPointF reference, const QString &string, const QVector<double> &dx,
              unsigned options, const QRectF &clipRect);
    static QString decodeText(const QByteArray &bytes, int charSet);

    // Bitmaps. rop is the ternary raster operation.
    void drawImage(const QRectF &dest, const QImage &image, const QRectF &source, std::uint32_t rop);
    // The same for the records that may carry a transparent bitmap as two: an OR
    // with a grey mask, then an AND with the colours. The pair is drawn as one
    // image with alpha. flushMaskedBitmap() draws a mask left without its partner;
    // the players call it before every other record.
    void blit(const QRectF &dest, const QImage &image, const QRectF &source, std::uint32_t rop);
    void flushMaskedBitmap();
    void patBlt(const QRectF &dest, std::uint32_t rop);

    // Paths.
    void beginPath();
    void endPath();
    void abortPath();
    void closeFigure();
    void fillPath();
    void strokePath();
    void strokeAndFillPath();
    void selectClipPath(ClipMode mode);
    void widenPath();
    bool inPath() const { return m_pathOpen; }
    // Paths and point lists longer than this are dropped: no real drawing needs
    // them, and a file could otherwise make playback take gigabytes.
    static constexpr int kMaxPoints = 1 << 22;
    void limitPath()
    {
        if (m_path.elementCount() > kMaxPoints)
            abortPath();
    }

    // Clipping.
    void intersectClipRect(QRectF logical);
    void excludeClipRect(QRectF logical);
    void setClipRegion(const std::optional<QPainterPath> &device, ClipMode mode);
    void selectLogicalClipRegion(const QPainterPath &logical);
    void offsetClip(QPointF logicalOffset);

private:
    void combineClip(const QPainterPath &device, ClipMode mode);
    bool prepare(bool stroke, bool fill);
    void applyTransform();
    QPen makePen() const;
    QBrush makeBrush(const LogBrush &brush) const;
    void drawPath(const QPainterPath &path, bool stroke, bool fill);
    void fillWithBrush(const QPainterPath &logicalShape, const LogBrush &brush);
    void hatch(const QPainterPath &logicalShape, const LogBrush &brush);
    double deviceScale() const;
    QFont makeFont(double &emHeight) const;
    QColor rop2Color(const QColor &c) const;
    bool nothingToDraw() const;
    void ropChanged(bool xorClipFollows = false);
    bool captureMask(const QPainterPath &logical);
    bool measured(const QRectF &logicalBounds);

    QPainter &m_painter;
    QRectF m_target;
    QTransform m_base;            // painter transform on entry
    QTransform m_deviceToTarget;
    QSizeF m_pxPerMm;
    // Device pixels per pixel of the picture at 96 dpi: pattern tiles and hatch
    // spacing are laid out in those, so they scale with the picture and look the
    // same on screen and on paper.
    double m_patternScale = 1;
    QRectF m_windowFrame;
    bool m_useWindowFrame = false;
    DcState m_state;
    std::vector<DcState> m_saved;
    std::vector<GdiObject> m_objects;
    QPainterPath m_path;
    bool m_pathOpen = false;
    bool m_transformDirty = true;
    bool m_penDirty = true;
    bool m_brushDirty = true;
    bool m_clipDirty = false;
    int m_clipOperations = 0; // boolean operations done so far; bounded
    struct PendingMask {
        bool valid = false;
        QRectF dest;
        QRectF source;
        QImage image;
    } m_pendingMask;
    QTransform m_logical; // cached logicalToDevice
    QRectF *m_measure = nullptr;

    // Some writers clip a gradient by drawing it twice in XOR mode with the
    // shape in black between the two passes; on paper XOR does nothing, so the
    // first pass is dropped, the black shape becomes a clip and the second pass
    // is drawn through it.
    enum class XorPhase { None, First, Mask, Second };
    XorPhase m_xor = XorPhase::None;
    QPainterPath m_xorMask;                 // device coordinates
    std::optional<QPainterPath> m_xorClip;  // device coordinates
    QPolygonF m_scratch;
};

} // namespace korvel::metafile

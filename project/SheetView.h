#pragma once
#include <QObject>
#include <QRect>
#include <QSize>
#include <string_view>

#include "project/SheetRenderer.h"

class QPainter;

namespace korvel {

class CoverPage;

// A sheet as a screen shows it: its zoom and the screen pixels that follow from it,
// and over the printed drawing the marks only a screen shows, as layers: corner
// brackets around every text box and spine band (so empty ones can be found), a red
// wedge beside a text that will not print whole, an orange wedge in a picture too
// coarse for paper, and the captions of the two sides; on a disc label, a dotted guide
// along each path a text may run on and, unless the cut circles print, along the
// ring's edges. Needs no widget: the window's page widget paints it and forwards its
// changes.
class SheetView : public QObject {
    Q_OBJECT
public:
    explicit SheetView(const CoverPage &sheet, QObject *parent = nullptr);

    const CoverPage &sheet() const { return m_sheet; }

    int zoom() const { return m_zoom; }
    // Applies a zoom in per cent; a value of 0 or less, or above 300, is ignored.
    // Returns whether the zoom was applied.
    bool setZoom(int zoom);

    // The sheet's size in pixels at the view's zoom (794 x 1123 for A4 at 100).
    QSize pixelSize() const;
    // An element's rectangle in screen pixels at the view's zoom, or at another.
    QRect elementPixelRect(std::string_view name) const;
    QRect elementPixelRect(std::string_view name, int zoom) const;
    // A rectangle in tenths of a millimetre in screen pixels at a zoom, rounded as the
    // screen places elements.
    static QRect pixelRect(const QRectF &tenthMm, int zoom);

    // Whether the captions are drawn (they follow the editing controls).
    bool captionsVisible() const { return m_captionsVisible; }
    void setCaptionsVisible(bool visible);

    // Whether a disc label's cut circles are drawn, as they print (the user's choice);
    // without them the screen marks the label's edges with a dotted guide.
    bool cutCircles() const { return m_cutCircles; }
    void setCutCircles(bool shown);
    // The options the sheet is drawn with here.
    PageRenderOptions renderOptions() const;

    // Paints the sheet at the view's zoom with the screen's marks over it.
    void paint(QPainter &painter) const;

    // How far right of a text box its mark of lines that will not print reaches, in
    // screen pixels.
    static constexpr int kMarkReach = 12;

signals:
    // A part of the view changed; rect is in screen pixels at the current zoom.
    void changed(const QRect &rect);
    void zoomChanged(int zoom);
    // The sheet's size in pixels changed with its layout (another sheet for a label).
    void resized();

private:
    void sheetChanged(const QRectF &tenthMm);
    void wholeChanged();
    void paintGuides(QPainter &painter, const PageRenderOptions &options) const;

    const CoverPage &m_sheet;
    int m_zoom = 100;
    bool m_captionsVisible = true;
    bool m_cutCircles = false;
};

} // namespace korvel

#pragma once
#include <QObject>
#include <QRect>
#include <QRectF>
#include <array>
#include <memory>

#include "project/PageGeometry.h"
#include "picture/Picture.h"
#include "picture/PicturePlacement.h"
#include "project/TextItem.h"
#include "project/TextLayout.h"
#include "settings/PrinterCalibration.h"
#include "project/SpineBand.h"

class QPainter;
class QPagedPaintDevice;

namespace korvel {

// How one drawing of the page is made. The screen, the print preview, the printer
// and korvel-print all go through CoverPage::paint with one of these.
struct PageRenderOptions {
    // Device pixels per tenth of a millimetre.
    double scale = 96.0 / 254.0;
    DrawTarget target = DrawTarget::Screen;
    // Zoom whose line layout is used for the texts: the current zoom on screen, 100
    // on paper (the layout the user edits at 100 % is the one printed).
    int layoutZoom = 100;
    // Corner brackets and captions: on screen only, never printed.
    bool screenExtras = false;
    // The outlines drawn one pixel wide too, on whatever device the drawing is
    // finally shown: the print preview shows its recording of the page scaled
    // down, where a 0.26 mm outline is thinner than a pixel and vanishes in part.
    bool visibleHairlines = false;

    static PageRenderOptions forScreen(int zoom);
    static PageRenderOptions forPaper(double dpi);
};

// Everything the page shows and prints, as a value: the texts with their fonts and
// alignments, the heights the text boxes have been raised to, the two pictures and
// both spine bands. Undo steps, a refused open and crash recovery restore it.
struct PageState {
    struct Item {
        QStringList lines;
        ItemFont font;
        Alignment alignment = Alignment::Center;
        bool operator==(const Item &) const = default;
    };
    std::array<Item, 12> items;
    std::array<double, 12> heights{};
    Picture mainImg;
    Picture bckImg;
    PicturePlacement mainPlacement;
    PicturePlacement bckPlacement;
    SpineBand::State cdl;
    SpineBand::State cdr;
    bool operator==(const PageState &other) const;
};

// A picture element of the page (MainImg, BckImg).
class PictureElement {
public:
    const Picture &picture() const { return m_picture; }
    // Loads by the file's extension; on failure the element keeps its picture.
    bool loadFromFile(const QString &path, QString *error);
    // A stored picture (Picture::stored) is revived.
    void setPicture(const Picture &picture);
    void clear();
    bool saveToFile(const QString &path, QString *error) const { return m_picture.saveToFile(path, error); }
    void setOnChanged(std::function<void()> onChanged) { m_onChanged = std::move(onChanged); }

    // How the picture lies in its area; a new picture keeps it (the crop is in
    // fractions of the picture, so a larger copy of the same photo shows the same part).
    const PicturePlacement &placement() const { return m_placement; }
    void setPlacement(const PicturePlacement &placement);

private:
    Picture m_picture;
    PicturePlacement m_placement;
    std::function<void()> m_onChanged;
};

// The printable A4 cover page (the report QR): every element at its fixed position,
// with the items' attributes, the zoom and the one drawing routine. Needs no widget.
class CoverPage : public QObject {
    Q_OBJECT
public:
    explicit CoverPage(QObject *parent = nullptr);
    ~CoverPage() override;

    // The twelve text items, by code ("MTN", "BTo", ...) or in reading order.
    TextItem &item(const QString &code);
    const TextItem &item(const QString &code) const;
    TextItem *findItem(const QString &code);
    std::array<TextItem, 12> &items() { return m_items; }
    const std::array<TextItem, 12> &items() const { return m_items; }

    PictureElement &MainImg() { return m_mainImg; }
    PictureElement &BckImg() { return m_bckImg; }
    const PictureElement &MainImg() const { return m_mainImg; }
    const PictureElement &BckImg() const { return m_bckImg; }
    SpineBand &CDL() { return m_cdl; }
    SpineBand &CDR() { return m_cdr; }
    const SpineBand &CDL() const { return m_cdl; }
    const SpineBand &CDR() const { return m_cdr; }

    PageState state() const;
    // Restores a state taken by state(); the whole page repaints.
    void setState(const PageState &state);
    // Puts the text boxes back to their heights on the layout table (raised again
    // where a font needs it), as before any project was shown.
    void resetHeights();

    int zoom() const { return m_zoom; }
    // Applies a zoom in per cent; a value of 0 or less, or above 300, is ignored.
    // Returns whether the zoom was applied.
    bool setZoom(int zoom);

    // The page's size in pixels at the current zoom (794 x 1123 at 100).
    QSize pixelSize() const;
    // An element's rectangle in tenths of a millimetre (text heights may have been
    // raised), and in screen pixels at a zoom.
    QRectF elementRect(std::string_view name) const;
    // Where the whole picture of MainImg or BckImg is drawn, in tenths of a
    // millimetre: its area, or a rectangle of its proportions for fill and fit.
    QRectF pictureRect(std::string_view name) const;
    QRect elementPixelRect(std::string_view name, int zoom) const;
    // A rectangle in tenths of a millimetre in screen pixels at a zoom, rounded as
    // the page rounds its elements.
    static QRect pixelRect(const QRectF &tenthMm, int zoom);

    // The display lines of a text item at a zoom (laid out on demand and cached).
    const TextLayout &layout(const QString &code, int zoom) const;

    // How many display lines of a text item do not fit its box on paper and are not
    // printed (0 when everything fits).
    int hiddenLines(const QString &code) const;
    // The resolution on paper, in dots per inch, of the picture of MainImg, BckImg,
    // CDL or CDR (the smaller of both directions, of the pixels that are printed: a
    // zoomed crop counts as enlarged); 0 when it has no raster picture (none, or a
    // metafile, which prints as vectors), or a tiled spine picture.
    double pictureDpi(std::string_view element) const;
    // Pictures below this resolution are marked on screen as too coarse for print.
    static constexpr double kMinimumPrintDpi = 150;
    // How far right of a text box its mark of lines that will not print reaches, in
    // screen pixels.
    static constexpr int kMarkReach = 12;

    // Whether the screen-only captions are drawn (they follow the editing controls).
    bool captionsVisible() const { return m_captionsVisible; }
    void setCaptionsVisible(bool visible);

    // The one drawing routine of the page.
    void paint(QPainter &painter, const PageRenderOptions &options) const;
    // Paints the page for the screen at the current zoom.
    void paintScreen(QPainter &painter) const;
    // Draws the page for paper at a device's resolution (across and down), moved
    // and stretched by a printer's calibration.
    void paintOnPaper(QPainter &painter, double dpiX, double dpiY,
                      const PrinterCalibration &calibration = {}, bool visibleHairlines = false) const;
    // Prints one A4 page on a paged device (printer, PDF), measured from the paper's
    // corner and corrected by the calibration of the printer it goes to. Returns
    // false if the device could not be painted on.
    bool printTo(QPagedPaintDevice &device, const PrinterCalibration &calibration = {}) const;
    // The page for the print preview: as printed without a calibration, but with
    // every outline at least one pixel of the screen wide however small the preview
    // shows the page (PageRenderOptions::visibleHairlines). Paper is not drawn so.
    bool previewTo(QPagedPaintDevice &device) const;
    // The rectangle that the printed elements cover, in tenths of a millimetre from
    // the paper's corner: what must fit on the paper.
    static QRectF printedArea();

signals:
    // A part of the page changed; rect is in screen pixels at the current zoom.
    void changed(const QRect &rect);
    void zoomChanged(int zoom);

private:
    int itemIndex(const QString &code) const;
    void itemChanged(TextItem &item);
    void applyMinimumHeight(int index);
    void elementChanged(std::string_view name);
    // Lays out an item at a zoom, raising its height when one line would not fit.
    const TextLayout &ensureLayout(int index, int zoom) const;
    void paintText(QPainter &painter, int index, const QRectF &deviceRect, const PageRenderOptions &o) const;

    std::array<TextItem, 12> m_items;
    // Heights of the text elements in tenths of a millimetre: raised when a font
    // grows too large for its box, never shrunk back.
    mutable std::array<double, 12> m_heights{};
    struct CachedLayouts {
        TextLayout current;
        TextLayout paper;
        bool currentValid = false;
        bool paperValid = false;
    };
    mutable std::array<CachedLayouts, 12> m_layouts;
    // The font each box height was last checked against.
    std::array<ItemFont, 12> m_raisedFor;
    PictureElement m_mainImg;
    PictureElement m_bckImg;
    SpineBand m_cdl;
    SpineBand m_cdr;
    int m_zoom = 100;
    bool m_captionsVisible = true;
};

} // namespace korvel

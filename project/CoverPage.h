#pragma once
#include <QList>
#include <QObject>
#include <QRectF>
#include <string_view>
#include <vector>

#include "picture/Picture.h"
#include "picture/PicturePlacement.h"
#include "project/PageGeometry.h"
#include "project/SpineBand.h"
#include "project/TextItem.h"
#include "project/TextLayout.h"
#include "project/layouts/JewelCase.h"

namespace korvel {

// Everything a sheet shows and prints, as a value: the texts with their fonts and
// alignments, the heights the text boxes have been raised to, the pictures with their
// placements and the spine bands, each list in the order of the sheet layout (texts
// in the layout's text order, pictures and bands in stacking order). Undo steps, a
// refused open and crash recovery restore it.
struct PageState {
    struct Item {
        QStringList lines;
        ItemFont font;
        Alignment alignment = Alignment::Center;
        bool operator==(const Item &) const = default;
    };
    QList<Item> items;
    QList<double> heights;
    QList<Picture> pictures;
    QList<PicturePlacement> placements;
    QList<SpineBand::State> bands;
    bool operator==(const PageState &other) const;

    // The cover's own parts by their names.
    const Picture &mainImg() const { return pictures[jewel::kFrontPicture]; }
    const Picture &bckImg() const { return pictures[jewel::kBackPicture]; }
    const PicturePlacement &mainPlacement() const { return placements[jewel::kFrontPicture]; }
    const PicturePlacement &bckPlacement() const { return placements[jewel::kBackPicture]; }
    const SpineBand::State &cdl() const { return bands[jewel::kLeftBand]; }
    const SpineBand::State &cdr() const { return bands[jewel::kRightBand]; }
};

// A picture element of a sheet (MainImg, BckImg).
class PictureElement {
public:
    const Picture &picture() const { return m_picture; }
    // Loads by the file's extension; on failure the element keeps its picture.
    bool loadFromFile(const QString &path, QString *error);
    // A stored picture (Picture::stored) is revived.
    void setPicture(const Picture &picture);
    void clear();
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

// The model of one printed sheet: its layout, and what stands on it: the text items
// with their box heights, the pictures and the spine bands. It reports every change
// of what it shows as a rectangle in tenths of a millimetre; how it is drawn is the
// renderer's business (SheetRenderer), and zoom, screen pixels and the marks only a
// screen shows are a view's (SheetView). Needs no widget.
//
// The cover's sheet (the A4 page of a jewel case, the default) names its parts as the
// user knows them: MainImg, BckImg, CDL and CDR.
class CoverPage : public QObject {
    Q_OBJECT
public:
    explicit CoverPage(const SheetLayout &layout = kJewelCase, QObject *parent = nullptr);
    explicit CoverPage(QObject *parent) : CoverPage(kJewelCase, parent) {}
    ~CoverPage() override;

    const SheetLayout &layout() const { return m_layout; }

    // The text items, by code ("MTN", "BTo", ...) or in the layout's text order.
    TextItem &item(const QString &code);
    const TextItem &item(const QString &code) const;
    TextItem *findItem(const QString &code);
    std::vector<TextItem> &items() { return m_items; }
    const std::vector<TextItem> &items() const { return m_items; }

    PictureElement &picture(ElementId id) { return m_pictures[std::size_t(m_layout.ordinal(id))]; }
    const PictureElement &picture(ElementId id) const { return m_pictures[std::size_t(m_layout.ordinal(id))]; }
    SpineBand &band(ElementId id) { return m_bands[std::size_t(m_layout.ordinal(id))]; }
    const SpineBand &band(ElementId id) const { return m_bands[std::size_t(m_layout.ordinal(id))]; }

    PictureElement &MainImg() { return m_pictures[jewel::kFrontPicture]; }
    PictureElement &BckImg() { return m_pictures[jewel::kBackPicture]; }
    const PictureElement &MainImg() const { return m_pictures[jewel::kFrontPicture]; }
    const PictureElement &BckImg() const { return m_pictures[jewel::kBackPicture]; }
    SpineBand &CDL() { return m_bands[jewel::kLeftBand]; }
    SpineBand &CDR() { return m_bands[jewel::kRightBand]; }
    const SpineBand &CDL() const { return m_bands[jewel::kLeftBand]; }
    const SpineBand &CDR() const { return m_bands[jewel::kRightBand]; }

    PageState state() const;
    // Restores a state taken by state(); the whole sheet is reported changed.
    void setState(const PageState &state);
    // Puts the text boxes back to their heights on the layout (raised again where a
    // font needs it), as before any project was shown.
    void resetHeights();
    // The layout changed in place (a disc label's size, sheet or text paths): the text
    // boxes go back to their new heights and the whole sheet is reported changed.
    void relayout();

    // An element's rectangle in tenths of a millimetre (text heights may have been
    // raised); an empty one for a name the layout does not have.
    QRectF elementRect(std::string_view name) const;
    QRectF elementRect(ElementId id) const;
    // Where the whole picture of a picture element is drawn, in tenths of a
    // millimetre: its area, or a rectangle of its proportions for fill and fit.
    QRectF pictureRect(std::string_view name) const;

    // The lines of a text item as they are printed (and shown, scaled, at every zoom):
    // laid out on demand and cached until the item changes.
    const TextLayout &layout(const QString &code) const;
    const TextLayout &layout(int text) const;
    // A text item's box in the printed layout's own pixels (100 % zoom).
    QRect textBox(int text) const;

    // How many display lines of a text item do not fit its box on paper and are not
    // printed (0 when everything fits).
    int hiddenLines(const QString &code) const;
    int hiddenLines(int text) const;
    // Where a line of a text along the rim (ElementSpec::path) has its baseline: the
    // radius of its circle, in tenths of a millimetre.
    double arcLineRadius(int text, int line) const;
    // The resolution on paper, in dots per inch, of the picture of a picture element or
    // a spine band (the smaller of both directions, of the pixels that are printed: a
    // zoomed crop counts as enlarged); 0 when it has no raster picture (none, or a
    // metafile, which prints as vectors), or a tiled spine picture.
    double pictureDpi(std::string_view element) const;
    // Pictures below this resolution are marked on screen as too coarse for print.
    static constexpr double kMinimumPrintDpi = 150;

    // The rectangle that the printed elements cover, in tenths of a millimetre from
    // the paper's corner: what must fit on the paper.
    static QRectF printedArea(const SheetLayout &layout = kJewelCase);

signals:
    // A part of the sheet changed, in tenths of a millimetre.
    void changed(const QRectF &rect);
    // The layout changed (relayout): the paper's size may have too.
    void layoutChanged();

private:
    void itemChanged(TextItem &item);
    void applyMinimumHeight(int text);
    void elementChanged(ElementId id);
    // Where an element draws: its rectangle, or for a text along the rim its label.
    QRectF drawnRect(ElementId id) const;
    QRectF wholeSheet() const;

    const SheetLayout &m_layout;
    std::vector<TextItem> m_items;
    // Heights of the text boxes in tenths of a millimetre: raised when a font grows
    // too large for its box, never shrunk back.
    std::vector<double> m_heights;
    // The printed layout of each text, valid until the text changes.
    struct CachedLayout {
        TextLayout layout;
        bool valid = false;
    };
    mutable std::vector<CachedLayout> m_layouts;
    // The font each box height was last checked against.
    std::vector<ItemFont> m_raisedFor;
    std::vector<PictureElement> m_pictures;
    std::vector<SpineBand> m_bands;
};

} // namespace korvel

#pragma once
#include <QRectF>

#include <QPainterPath>

#include "picture/PhotoPassThrough.h"
#include "picture/Picture.h"
#include "project/layouts/SheetLayout.h"
#include "settings/PrinterCalibration.h"
#include "settings/TrimSettings.h"

class QPainter;
class QPagedPaintDevice;

namespace korvel {

class CoverPage;

// How one drawing of a sheet is made. The screen, the print preview, the printer and
// korvel-print all go through SheetRenderer::paint with one of these.
struct PageRenderOptions {
    // Device pixels per tenth of a millimetre.
    double scale = 96.0 / 254.0;
    DrawTarget target = DrawTarget::Screen;
    // The outlines drawn one pixel wide too, on whatever device the drawing is
    // finally shown: the print preview shows its recording of the page scaled
    // down, where a 0.26 mm outline is thinner than a pixel and vanishes in part.
    bool visibleHairlines = false;
    // A disc label's cut circles: a thin grey line just inside its rim and around its
    // hole, to cut along. The user's choice, never the project's.
    bool cutCircles = false;
    // On paper, where the pictures may go other than through the painter: a PDF that
    // carries each JPEG photo as its own file (null: every picture drawn as pixels).
    PhotoPassThrough *photos = nullptr;
    // How the sheet is finished for cutting: marks, bleed and outlines. The defaults
    // draw the page as the screen shows it.
    TrimSettings trim;
    // Only the elements of this piece of the layout, clipped to its bleed (a print
    // shop's page of one piece); -1: the whole sheet.
    int piece = -1;

    static PageRenderOptions forScreen(int zoom);
    static PageRenderOptions forPaper(double dpi);
};

// The one drawing routine of a sheet: its outlines, pictures, spine bands and texts,
// at their millimetre positions, for any device. Texts are always drawn in their
// printed line layout (the 100 % layout, scaled), so the lines a screen shows at any
// zoom are the lines that print, and so are the marks of text that will not print.
// What only a screen shows is drawn by a view over this (SheetView).
//
// A disc label's ring clips everything within it: nothing is drawn in the hole or
// past the rim. Its texts run straight in their boxes or along the rim, each glyph
// turned to stand on the circle of its line. A sheet of two labels is drawn twice.
class SheetRenderer {
public:
    static void paint(const CoverPage &sheet, QPainter &painter, const PageRenderOptions &options);
    // Draws the sheet for paper at a device's resolution (across and down), moved and
    // stretched by a printer's calibration.
    // The marks and the bleed of trim are moved and stretched with everything else.
    // cutCircles: a disc label's cut circles (PageRenderOptions::cutCircles).
    static void paintOnPaper(const CoverPage &sheet, QPainter &painter, double dpiX, double dpiY,
                             const PrinterCalibration &calibration = {}, bool visibleHairlines = false,
                             PhotoPassThrough *photos = nullptr, const TrimSettings &trim = {}, bool cutCircles = false);
    // Prints one page on a paged device (printer, PDF), measured from the paper's
    // corner and corrected by the calibration of the printer it goes to, finished as
    // trim says, the pictures through photos if given. Returns false if the device
    // could not be painted on.
    static bool printTo(const CoverPage &sheet, QPagedPaintDevice &device, const PrinterCalibration &calibration = {},
                        PhotoPassThrough *photos = nullptr, const TrimSettings &trim = {}, bool cutCircles = false);
    // The print preview's recording of the page: as paper, uncalibrated, finished as
    // trim says, with outlines and marks that stay visible when it is shown scaled down.
    static bool previewTo(const CoverPage &sheet, QPagedPaintDevice &device, const TrimSettings &trim = {},
                          bool cutCircles = false);
    // One piece of the sheet alone, for a print shop: its elements with their bleed
    // edges run out by bleed (tenths of a millimetre), no outlines, no marks, drawn
    // with the corner of its bleed area at the painter's origin, at dpi.
    static void paintPiece(const CoverPage &sheet, QPainter &painter, int piece, int bleed, double dpi,
                           PhotoPassThrough *photos = nullptr);

    // An element's rectangle on the device: whole pixels on the screen (as a view
    // places it), exact on paper.
    static QRectF deviceRect(const QRectF &tenthMm, const PageRenderOptions &options);
    // Where an offset of the paper (a repeat of the sheet) moves the drawing on the
    // device: whole pixels on the screen.
    static QPointF deviceOffset(const QPointF &tenthMm, const PageRenderOptions &options);
    // A disc's ring on the device (the disc's rectangle less its centred hole).
    static QPainterPath ringPath(const Shape &disc, const PageRenderOptions &options);
    // The outline width on the device: one pixel of 96 dpi, never thinner than one
    // device pixel, a whole number of pixels on the screen.
    static double outlineWidth(const PageRenderOptions &options);
};

} // namespace korvel

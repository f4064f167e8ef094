#pragma once
#include <QByteArray>
#include <QPageLayout>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <vector>

namespace korvel {

// The boxes of one page of a PDF for a print shop, in millimetres: the whole page
// (its MediaBox, and its BleedBox: everything on it is bleed or piece) and the piece
// on it as it is cut (its TrimBox), measured from the page's top-left corner.
struct PdfPageBoxes {
    QSizeF page;
    QRectF trim;

    // The paper Qt's PDF engine is given to draw the page on. It writes a page's size
    // in whole points only, so it gets one a little larger, rounded up, and draws from
    // its top-left corner; setPdfPageBoxes then cuts it to the exact size.
    QPageLayout drawnLayout() const;
};

// Gives the pages of pdf (as Qt's PDF engine wrote them on drawnLayout()) their
// exact MediaBox, BleedBox and TrimBox, moving each page's drawing down by what its
// page was rounded up by, so the drawing's corner stays at the page's top-left.
// Returns false, with a Czech message in *error and *pdf left as it was, when the PDF
// cannot be rewritten or has another number of pages.
bool setPdfPageBoxes(QByteArray *pdf, const std::vector<PdfPageBoxes> &pages, QString *error);

} // namespace korvel

#pragma once
#include <QByteArray>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QString>
#include <functional>
#include <vector>

#include "print/PdfPageBoxes.h"

namespace korvel {

class PhotoPassThrough;

// A PDF of the cover, made one way whoever asks for it (the print dialog printing to
// a file, korvel-print): drawn into memory by Qt's PDF engine with each JPEG photo
// left as a stand-in, the photos' own files put in place of the stand-ins
// (PdfPhotoEmbedder), and the finished file written once. When the photos cannot be
// swapped in, the page is drawn once more with the photos as pixels: the PDF is whole
// either way, only larger.
class PdfOutput {
public:
    // What Qt's PDF engine is told: the document's title and creator, the resolution
    // the page is drawn at, the paper, and the PDF version.
    struct Setup {
        QString title;
        QString creator;
        int resolution = 1200;
        QPageLayout pageLayout{QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                               QPageLayout::Millimeter};
        QPagedPaintDevice::PdfVersion version = QPagedPaintDevice::PdfVersion_1_4;
        // Pages of exact sizes with their trim and bleed boxes, one for each page the
        // drawing makes (setPdfPageBoxes); the first page is drawn on the first one's
        // drawnLayout(), and the drawing sets each further one's before its newPage().
        // None: the pages are pageLayout's, as Qt writes them.
        std::vector<PdfPageBoxes> pageBoxes;
    };
    // Draws the document on device, its pictures through photos (null: every picture
    // as pixels). Returns false if the device could not be painted on.
    using Draw = std::function<bool(QPagedPaintDevice &device, PhotoPassThrough *photos)>;

    explicit PdfOutput(Setup setup);

    // The finished PDF in *pdf. Returns false only when draw does, or when the pages'
    // boxes cannot be set.
    bool render(const Draw &draw, QByteArray *pdf) const;

    // The finished PDF written to path: nothing is written until it is finished, and
    // the file is replaced whole, never left half-written.
    // ready, if given, is asked once the PDF is drawn: when it says no, nothing is
    // written and *error is empty (ready has said why). Otherwise a failure returns
    // false with *error, in Czech ("… nelze zapsat: …").
    bool write(const QString &path, const Draw &draw, QString *error, const std::function<bool()> &ready = {}) const;

private:
    bool drawInto(const Draw &draw, PhotoPassThrough *photos, QByteArray *pdf) const;

    Setup m_setup;
};

} // namespace korvel

#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>
#include <vector>

#include "project/picture/JpegDecoder.h"

namespace korvel {

class Picture;

// A PDF carries each JPEG photo of the cover as the photo's own file: no second
// compression, no lost quality, and no pixels to decode for it.
//
// The page is still drawn by its one routine into Qt's PDF engine. While an embedder
// is current (on the thread that prints), a JPEG photo drawn for paper is drawn as a
// small stand-in image whose size no picture has; embed() then replaces each
// stand-in's image stream in the finished PDF with the JPEG file's bytes
// (/DCTDecode) and sets the stream's size, colour space and, for Adobe's inverted
// CMYK, the decode array. A photo the PDF cannot show as stored (an EXIF orientation
// other than upright) is drawn as before.
class PdfPhotoEmbedder {
public:
    PdfPhotoEmbedder();
    ~PdfPhotoEmbedder();
    PdfPhotoEmbedder(const PdfPhotoEmbedder &) = delete;
    PdfPhotoEmbedder &operator=(const PdfPhotoEmbedder &) = delete;

    static PdfPhotoEmbedder *current();

    // The stand-in to draw for a JPEG picture, the same one each time for the same
    // photo, or null when the photo is to be drawn as pixels.
    const QImage *standInFor(const Picture &picture);
    int photoCount() const { return int(m_photos.size()); }

    // Puts the photos' own bytes into the PDF in place of their stand-ins. Returns
    // false (with *error, in Czech) when the PDF could not be rewritten.
    bool embed(QByteArray *pdf, QString *error) const;

private:
    struct Photo {
        QByteArray bytes;
        JpegDecoder::Info info;
        QImage standIn;
    };
    std::vector<Photo> m_photos;
    PdfPhotoEmbedder *m_previous;
};

} // namespace korvel

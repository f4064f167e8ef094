#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>
#include <vector>

#include "picture/JpegDecoder.h"
#include "picture/PhotoPassThrough.h"

namespace korvel {

// A PDF carries each JPEG photo of the cover as the photo's own file: no second
// compression, no lost quality, and no pixels to decode for it.
//
// The page is still drawn by its one routine into Qt's PDF engine. Handed an embedder
// in its render options, the drawing draws each JPEG photo as a small stand-in image:
// a strip of pixels drawn from a random token of this embedder and the photo's
// number, which no picture of the user's can hold by chance. embed() then replaces
// each stand-in's image stream in the finished PDF with the JPEG file's bytes
// (/DCTDecode) and sets the stream's size, colour space and, for Adobe's inverted
// CMYK, the decode array. An image is taken for a stand-in only when its pixels are
// the stand-in's, and only when each stand-in is found exactly once; otherwise
// nothing is swapped. A photo the PDF cannot show as stored (an EXIF orientation
// other than upright, a coding PDF readers do not all read) is drawn as before.
// (PdfOutput makes a whole PDF this way.)
class PdfPhotoEmbedder final : public PhotoPassThrough {
public:
    PdfPhotoEmbedder();
    PdfPhotoEmbedder(const PdfPhotoEmbedder &) = delete;
    PdfPhotoEmbedder &operator=(const PdfPhotoEmbedder &) = delete;

    // The stand-in to draw for a JPEG picture, the same one each time for the same
    // photo, or null when the picture is to be drawn as pixels.
    const QImage *standInFor(const Picture &picture) override;

    // Puts the photos' own bytes into the PDF in place of their stand-ins. Returns
    // false (with *error, in Czech) when the PDF could not be rewritten; *pdf is then
    // left as it was.
    bool embed(QByteArray *pdf, QString *error) const;

private:
    struct Photo {
        QByteArray bytes;
        JpegDecoder::Info info;
        QImage standIn;
        QByteArray mark; // the stand-in's pixels as the PDF holds them: RGB, 8 bits each
    };
    std::vector<Photo> m_photos;
    quint64 m_token[2];
};

} // namespace korvel

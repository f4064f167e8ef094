#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>

namespace korvel {

// JPEG files through libjpeg. Any libjpeg error, and a premature end of the data
// (which libjpeg only warns about, padding the picture with grey), fails the
// load. Greyscale, RGB, YCbCr and CMYK/YCCK (Adobe's inverted CMYK included)
// come out as RGB; an EXIF orientation is applied so that the picture stands
// upright, as photo viewers show it.
class JpegDecoder {
public:
    static QImage decode(const QByteArray &bytes, QString *error);

    // The EXIF orientation (1..8) in an APP1 segment's payload, 1 when absent
    // or unreadable. Exposed for tests.
    static int exifOrientation(const uchar *data, qint64 length);

    // Turns an image stored in the given EXIF orientation upright.
    static QImage applyOrientation(const QImage &image, int orientation);
};

} // namespace korvel

#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>

namespace korvel {

// BMP files ("BM" + a DIB). Qt decodes uncompressed pixels, but it accepts a
// truncated file silently and leaves the missing rows as uninitialised memory,
// so the headers are parsed here first and the pixel data is checked to be
// complete. RLE4/RLE8 bitmaps are decoded here: Qt leaves the pixels that an
// RLE stream skips uninitialised as well, and only a decode can tell whether
// the stream reaches its end inside the data.
class BmpDecoder {
public:
    static QImage decode(const QByteArray &bytes, QString *error);
};

} // namespace korvel

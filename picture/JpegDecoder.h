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
    // reduction 2, 4 or 8 divides each side by it (rounded up), through libjpeg's
    // scaled inverse DCT: the whole file is read and checked as at full size, but
    // far fewer pixels are made.
    static QImage decode(const QByteArray &bytes, QString *error, int reduction = 1);

    // What a JPEG file holds, as its header and markers say.
    struct Info {
        enum ColorSpace { Grey, YCbCr, Rgb, Cmyk, Ycck };
        int width = 0;  // as stored, before any EXIF orientation
        int height = 0;
        int components = 0;
        ColorSpace colorSpace = YCbCr;
        bool invertedCmyk = false; // Adobe's CMYK, 0 meaning full ink
        bool baseline = false;     // the plainest process, which every reader has
        bool progressive = false;
        bool arithmetic = false;   // arithmetic coding in place of Huffman's
        int precision = 8;         // bits per sample
        int orientation = 1;       // EXIF, 1 (upright) to 8

        // Whether a PDF may carry the file as it is (/DCTDecode): baseline or
        // progressive, Huffman-coded, 8 bits. PDF readers are not bound to read any
        // other kind, and some show those as nothing.
        bool readableInPdf() const { return precision == 8 && !arithmetic && (baseline || progressive); }
    };
    // Reads the whole file as decode() does, so a damaged one fails with the same
    // message, but turns only an eighth of its size into pixels: for a print that
    // embeds the file's own bytes and needs no pixels. Fills *info on success.
    static bool inspect(const QByteArray &bytes, Info *info, QString *error);
    // Only the header and markers, of a file decoded (or inspected) before.
    static bool readHeader(const QByteArray &bytes, Info *info);

    // The EXIF orientation (1..8) in an APP1 segment's payload, 1 when absent
    // or unreadable. Exposed for tests.
    static int exifOrientation(const uchar *data, qint64 length);

    // Turns an image stored in the given EXIF orientation upright.
    static QImage applyOrientation(const QImage &image, int orientation);
};

} // namespace korvel

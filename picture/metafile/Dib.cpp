#include "picture/metafile/Dib.h"

#include "picture/Picture.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>

namespace korvel::metafile {

namespace {

enum Compression : std::uint32_t { BiRgb = 0, BiRle8 = 1, BiRle4 = 2, BiBitfields = 3, BiJpeg = 4, BiPng = 5 };

struct DibHeader {
    std::uint32_t headerSize = 0;
    std::int32_t width = 0;
    std::int32_t height = 0; // negative: top-down
    int bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t sizeImage = 0;
    std::uint32_t colorsUsed = 0;
    std::uint64_t infoLength = 0; // header + masks + colour table
};

bool readHeader(const ByteReader &info, DibHeader &h)
{
    h.headerSize = info.u32(0);
    if (h.headerSize == 12) {
        // OS/2 core header: 16-bit sizes, 3-byte palette entries.
        if (!info.has(0, 12))
            return false;
        h.width = info.u16(4);
        h.height = info.i16(6);
        h.bitCount = info.u16(10);
        const std::uint64_t colors = h.bitCount <= 8 ? (1u << h.bitCount) : 0;
        h.infoLength = 12 + colors * 3;
        return true;
    }
    if (h.headerSize < 40 || h.headerSize > 1024 || !info.has(0, h.headerSize))
        return false;
    h.width = info.i32(4);
    h.height = info.i32(8);
    h.bitCount = info.u16(14);
    h.compression = info.u32(16);
    h.sizeImage = info.u32(20);
    h.colorsUsed = info.u32(32);
    std::uint64_t colors = 0;
    if (h.bitCount <= 8) {
        colors = h.colorsUsed ? h.colorsUsed : (1u << h.bitCount);
        if (colors > 256)
            colors = 256;
    } else if (h.colorsUsed && h.colorsUsed <= 256) {
        colors = h.colorsUsed;
    }
    std::uint64_t masks = 0;
    if (h.headerSize == 40 && h.compression == BiBitfields)
        masks = 12;
    h.infoLength = h.headerSize + masks + colors * 4;
    return true;
}

bool sizeAcceptable(const DibHeader &h)
{
    if (h.width <= 0 || h.height == 0 || h.height == INT32_MIN)
        return false;
    const qint64 w = h.width;
    const qint64 hh = h.height < 0 ? -qint64(h.height) : h.height;
    return w <= kMaxPictureSide && hh <= kMaxPictureSide && w * hh <= kMaxPicturePixels;
}

// 24- and 32-bit bitmaps are the bulk of the pixels in real metafiles: convert
// them directly instead of going through a BMP stream.
QImage decodeTrueColor(const DibHeader &h, const ByteReader &bits, bool premultiplied)
{
    const int w = h.width;
    const int rows = h.height < 0 ? -h.height : h.height;
    const std::uint64_t stride = ((std::uint64_t(w) * h.bitCount + 31) / 32) * 4;
    if (!bits.has(0, stride * rows))
        return QImage();
    QImage image(w, rows, premultiplied ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull())
        return image;
    const int bpp = h.bitCount / 8;
    for (int y = 0; y < rows; ++y) {
        const int srcRow = h.height < 0 ? y : rows - 1 - y;
        const unsigned char *s = bits.data() + stride * srcRow;
        QRgb *d = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x, s += bpp) {
            if (premultiplied && bpp == 4) {
                // Premultiplied by definition; clamp channels a broken file makes
                // larger than alpha, or the blend overflows.
                const int a = s[3];
                d[x] = qRgba(qMin<int>(s[2], a), qMin<int>(s[1], a), qMin<int>(s[0], a), a);
            } else {
                d[x] = qRgb(s[2], s[1], s[0]);
            }
        }
    }
    return image;
}

} // namespace

QImage decodeDib(const ByteReader &info, const ByteReader &bits, bool premultipliedAlpha)
{
    DibHeader h;
    if (!readHeader(info, h) || !info.has(0, h.infoLength) || !sizeAcceptable(h))
        return QImage();

    if (h.compression == BiJpeg || h.compression == BiPng) {
        if (h.sizeImage == 0 || !bits.has(0, h.sizeImage))
            return QImage();
        QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char *>(bits.data()), h.sizeImage);
        QBuffer buffer(&data);
        QImageReader reader(&buffer, h.compression == BiJpeg ? "JPEG" : "PNG");
        const QSize size = reader.size();
        if (!size.isValid() || qint64(size.width()) * size.height() > kMaxPicturePixels)
            return QImage();
        return reader.read();
    }

    if (h.headerSize != 12 && h.compression == BiRgb && (h.bitCount == 24 || h.bitCount == 32))
        return decodeTrueColor(h, bits, premultipliedAlpha);

    std::uint64_t bitsLength;
    const int rows = h.height < 0 ? -h.height : h.height;
    if (h.compression == BiRle8 || h.compression == BiRle4) {
        if (h.height < 0)
            return QImage();
        // Compressed: the header's own size, or all we were given.
        bitsLength = h.sizeImage ? h.sizeImage : bits.size();
    } else if (h.compression == BiRgb || h.compression == BiBitfields) {
        switch (h.bitCount) {
        case 1: case 4: case 8: case 16: case 24: case 32: break;
        default: return QImage();
        }
        bitsLength = ((std::uint64_t(h.width) * h.bitCount + 31) / 32) * 4 * rows;
    } else {
        return QImage();
    }
    if (!bits.has(0, bitsLength) || bitsLength == 0)
        return QImage();
    // Run-length data expands at most a few hundred times; a large picture from a
    // few bytes would only cost time and memory to show nothing.
    if ((h.compression == BiRle8 || h.compression == BiRle4)
        && qint64(h.width) * rows > std::max<qint64>(qint64(bitsLength) * 256, qint64(1) << 22))
        return QImage();

    // Qt's BMP reader does the rest once a file header is in front; the lengths
    // were checked above, so it never reads beyond what the record holds.
    QByteArray file;
    const std::uint64_t total = 14 + h.infoLength + bitsLength;
    file.reserve(qsizetype(total));
    auto put32 = [&file](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            file.append(char((v >> (8 * i)) & 0xFF));
    };
    file.append("BM", 2);
    put32(std::uint32_t(total));
    put32(0);
    put32(std::uint32_t(14 + h.infoLength));
    file.append(reinterpret_cast<const char *>(info.data()), qsizetype(h.infoLength));
    file.append(reinterpret_cast<const char *>(bits.data()), qsizetype(bitsLength));
    QBuffer buffer(&file);
    QImageReader reader(&buffer, "BMP");
    QImage image = reader.read();
    if (image.isNull() || image.width() != h.width || image.height() != rows)
        return QImage();
    if (image.depth() <= 8) {
        // A colour table shorter than the indices in the pixels makes Qt read past
        // it when converting; give every possible index a colour (black).
        QList<QRgb> table = image.colorTable();
        const qsizetype wanted = qsizetype(1) << image.depth();
        if (table.size() < wanted) {
            table.resize(wanted, qRgb(0, 0, 0));
            image.setColorTable(table);
        }
        if (image.depth() > 1)
            image = image.convertToFormat(QImage::Format_RGB32);
    }
    return image;
}

QImage decodePackedDib(const ByteReader &packed)
{
    DibHeader h;
    if (!readHeader(packed, h) || !packed.has(0, h.infoLength))
        return QImage();
    return decodeDib(packed.sub(0, h.infoLength),
                     packed.sub(h.infoLength, packed.size() - h.infoLength));
}

} // namespace korvel::metafile

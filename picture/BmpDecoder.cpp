#include "picture/BmpDecoder.h"

#include <climits>

#include "picture/ByteReader.h"
#include "picture/RasterContent.h"

namespace korvel {

namespace {

constexpr int kFileHeaderSize = 14;
constexpr quint32 kCoreHeader = 12;  // OS/2 1.x and Windows 2.x: 16-bit sizes
constexpr quint32 kInfoHeader = 40;  // Windows 3.x BITMAPINFOHEADER
constexpr quint32 kOs2Header = 64;   // OS/2 2.x
constexpr quint32 kV4Header = 108;
constexpr quint32 kV5Header = 124;

enum Compression : quint32 { RgbPlain = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };

// Decodes an RLE4/RLE8 stream into palette indices. Qt's reader would do it,
// but it leaves the pixels that the stream skips (by a delta, an early end of
// line or an early end of bitmap) as uninitialised memory; here they are
// colour 0. The stream is complete when it reaches its end-of-bitmap code, or
// when its end-of-line codes have covered every row; running out of data
// before that means the file was cut short, and the result is null.
QImage decodeRle(const ByteReader &r, qint64 pos, int width, int rows, bool rle4)
{
    QImage image(width, rows, QImage::Format_Indexed8);
    if (image.isNull())
        return image;
    image.fill(0);
    int x = 0;
    int row = 0; // counted from the bottom, as the stream runs
    auto put = [&](int index) {
        if (x < width && row < rows)
            image.scanLine(rows - 1 - row)[x] = uchar(index);
        ++x;
    };
    while (row < rows) {
        if (!r.has(pos, 2))
            return QImage();
        const int count = r.u8(pos);
        const int code = r.u8(pos + 1);
        pos += 2;
        if (count > 0) { // a run of count pixels of one byte (RLE4: two alternating nibbles)
            for (int i = 0; i < count && x < width; ++i)
                put(rle4 ? ((i & 1) ? (code & 0x0F) : (code >> 4)) : code);
            continue;
        }
        switch (code) {
        case 0: // end of line
            x = 0;
            ++row;
            break;
        case 1: // end of bitmap
            return image;
        case 2: // delta: skip right and down
            if (!r.has(pos, 2))
                return QImage();
            x = qMin(x + r.u8(pos), width);
            row += r.u8(pos + 1);
            pos += 2;
            break;
        default: { // absolute run of `code` pixels, padded to a 16-bit boundary
            qint64 bytes = rle4 ? (code + 1) / 2 : code;
            bytes += bytes & 1;
            if (!r.has(pos, bytes))
                return QImage();
            for (int i = 0; i < code && x < width; ++i) {
                const int b = r.u8(pos + (rle4 ? i / 2 : i));
                put(rle4 ? ((i & 1) ? (b & 0x0F) : (b >> 4)) : b);
            }
            pos += bytes;
            break;
        }
        }
    }
    return image;
}

} // namespace

QImage BmpDecoder::decode(const QByteArray &bytes, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return QImage();
    };
    const ByteReader r(bytes);
    if (!r.has(0, 2) || r.u8(0) != 'B' || r.u8(1) != 'M')
        return fail(QStringLiteral("Soubor není obrázek BMP"));
    if (!r.has(0, kFileHeaderSize + 4))
        return fail(RasterContent::damaged(QStringLiteral("zkrácená hlavička BMP")));

    const quint32 dataOffset = r.le32(10);
    const quint32 headerSize = r.le32(kFileHeaderSize);
    if (headerSize != kCoreHeader && headerSize != kInfoHeader && headerSize != kOs2Header
        && headerSize != kV4Header && headerSize != kV5Header)
        return fail(QStringLiteral("Tento druh obrázku BMP není podporován (hlavička o %1 bajtech)")
                        .arg(headerSize));
    if (!r.has(kFileHeaderSize, headerSize))
        return fail(RasterContent::damaged(QStringLiteral("zkrácená hlavička BMP")));

    const qint64 h0 = kFileHeaderSize;
    qint64 width, height;
    quint16 planes, bitCount;
    quint32 compression = RgbPlain, colorsUsed = 0;
    if (headerSize == kCoreHeader) {
        width = r.les16(h0 + 4);
        height = r.les16(h0 + 6);
        planes = r.le16(h0 + 8);
        bitCount = r.le16(h0 + 10);
    } else {
        width = r.les32(h0 + 4);
        height = r.les32(h0 + 8);
        planes = r.le16(h0 + 12);
        bitCount = r.le16(h0 + 14);
        compression = r.le32(h0 + 16);
        colorsUsed = r.le32(h0 + 32);
    }

    if (planes != 1
        || !(bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24
             || bitCount == 32))
        return fail(RasterContent::damaged(
            QStringLiteral("BMP s %1 rovinami po %2 bitech na pixel").arg(planes).arg(bitCount)));
    const bool compressionFits = compression == RgbPlain
        || (compression == Rle4 && bitCount == 4) || (compression == Rle8 && bitCount == 8)
        || (compression == BitFields && (bitCount == 16 || bitCount == 32));
    if (!compressionFits)
        return fail(QStringLiteral("Tento druh obrázku BMP není podporován (komprese %1 při %2 bitech na pixel)")
                        .arg(compression)
                        .arg(bitCount));

    // A negative height marks a top-down bitmap; RLE bitmaps are always bottom-up.
    const bool topDown = height < 0;
    const qint64 rows = topDown ? -height : height;
    const bool rle = compression == Rle4 || compression == Rle8;
    if (topDown && rle)
        return fail(RasterContent::damaged(QStringLiteral("BMP s kompresí RLE uložený shora dolů")));
    if (!RasterContent::sizeAcceptable(width, rows, error))
        return QImage();

    // Where the reader will look for the pixels: after the header, the colour
    // masks of a 40-byte header and the colour table, or at the file header's
    // offset when that lies further on.
    qint64 pos = h0 + headerSize;
    if (compression == BitFields && headerSize < kV4Header)
        pos += 12;
    if (bitCount <= 8) {
        const qint64 colors = colorsUsed ? qint64(colorsUsed) : (qint64(1) << bitCount);
        if (colors > 256)
            return fail(RasterContent::damaged(QStringLiteral("tabulka barev BMP o %1 položkách").arg(colors)));
        pos += colors * (headerSize == kCoreHeader ? 3 : 4);
    }
    if (!r.has(0, pos))
        return fail(RasterContent::damaged(QStringLiteral("zkrácená tabulka barev BMP")));
    if (dataOffset > quint32(r.size()))
        return fail(RasterContent::damaged(QStringLiteral("obrazová data BMP začínají mimo soubor")));
    const qint64 dataPos = qMax<qint64>(pos, dataOffset);

    if (rle) {
        QImage image = decodeRle(r, dataPos, int(width), int(rows), compression == Rle4);
        if (image.isNull())
            return fail(RasterContent::damaged(QStringLiteral("zkrácená data BMP")));
        // Indices beyond the file's colour table show black rather than garbage.
        QList<QRgb> colours(256, qRgb(0, 0, 0));
        const qint64 table = h0 + headerSize;
        for (qint64 i = 0; i < (pos - table) / 4; ++i)
            colours[i] = qRgb(r.u8(table + 4 * i + 2), r.u8(table + 4 * i + 1), r.u8(table + 4 * i));
        image.setColorTable(colours);
        return image;
    }

    QByteArray input = bytes;
    {
        const qint64 rowBytes = (width * bitCount + 7) / 8;
        const qint64 stride = (width * bitCount + 31) / 32 * 4;
        const qint64 need = stride * rows;
        const qint64 have = r.size() - dataPos;
        if (have < need) {
            // Some writers drop the padding after the last row. The pixels are all
            // there, so pad the copy handed to the reader instead of refusing it.
            if (need - have > stride - rowBytes)
                return fail(RasterContent::damaged(QStringLiteral("zkrácená data BMP")));
            input.append(QByteArray(need - have, '\0'));
        }
    }

    QImage image = RasterContent::readWithQt(input, "bmp", 0, error);
    if (image.isNull())
        return image;
    if (image.width() != width || image.height() != rows)
        return fail(RasterContent::damaged(QStringLiteral("BMP má po dekódování nečekanou velikost")));

    // Plain RGB bitmaps have no alpha: the fourth byte of a 32-bit pixel is
    // unused and the platform draws such bitmaps opaque, whatever it holds.
    if (compression == RgbPlain && image.hasAlphaChannel()) {
        image.convertTo(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                line[x] |= 0xff000000u;
        }
        image.reinterpretAsFormat(QImage::Format_RGB32);
    }
    return image;
}

} // namespace korvel

#include "picture/GifDecoder.h"

#include "picture/ByteReader.h"
#include "picture/RasterContent.h"

namespace korvel {

namespace {

constexpr quint8 kExtension = 0x21;
constexpr quint8 kImage = 0x2C;
constexpr quint8 kTrailer = 0x3B;

// Skips a chain of data sub-blocks (length byte, data) up to its zero terminator.
bool skipSubBlocks(const ByteReader &r, qint64 &pos)
{
    for (;;) {
        if (!r.has(pos, 1))
            return false;
        const int length = r.u8(pos++);
        if (length == 0)
            return true;
        if (!r.has(pos, length))
            return false;
        pos += length;
    }
}

// Runs the LZW code stream of one frame (its data sub-blocks from pos) without
// producing pixels, only counting them. A frame is whole when its codes are
// all valid and yield at least width × height pixels: a stream that stops
// short would be shown with the rest of the frame left blank, and Qt's reader
// says nothing about either fault.
bool lzwStreamComplete(const ByteReader &r, qint64 pos, int minCodeSize, qint64 pixelsNeeded)
{
    constexpr int kMaxCodes = 4096;
    quint16 length[kMaxCodes]; // length of each code's string
    const int clear = 1 << minCodeSize;
    const int endOfInformation = clear + 1;
    for (int i = 0; i < clear; ++i)
        length[i] = 1;
    int codeSize = minCodeSize + 1;
    int next = endOfInformation + 1;
    int previous = -1;
    qint64 pixels = 0;

    quint32 bits = 0;
    int bitCount = 0;
    qint64 blockLeft = 0;
    for (;;) {
        // Refill from the sub-blocks until a whole code is buffered.
        while (bitCount < codeSize) {
            if (blockLeft == 0) {
                if (!r.has(pos, 1))
                    return false;
                blockLeft = r.u8(pos++);
                if (blockLeft == 0)
                    return pixels >= pixelsNeeded; // data ended without an end code
            }
            if (!r.has(pos, 1))
                return false;
            bits |= quint32(r.u8(pos++)) << bitCount;
            bitCount += 8;
            --blockLeft;
        }
        const int code = int(bits & ((1u << codeSize) - 1));
        bits >>= codeSize;
        bitCount -= codeSize;

        if (code == clear) {
            codeSize = minCodeSize + 1;
            next = endOfInformation + 1;
            previous = -1;
            continue;
        }
        if (code == endOfInformation)
            return pixels >= pixelsNeeded;
        if (previous < 0) {
            if (code > clear)
                return false; // the first code after a clear must be a colour
            pixels += 1;
            previous = code;
            continue;
        }
        if (code > next || (code == next && next >= kMaxCodes))
            return false; // a code that is not in the table yet
        const int produced = code < next ? length[code] : length[previous] + 1;
        if (next < kMaxCodes) {
            length[next] = quint16(qMin(length[previous] + 1, 0xFFFF));
            ++next;
            if (next == (1 << codeSize) && codeSize < 12)
                ++codeSize;
        }
        pixels += produced;
        previous = code;
        if (pixels >= pixelsNeeded)
            return true; // anything after the frame's last pixel is not shown
    }
}

qint64 colorTableBytes(quint8 flags)
{
    return (flags & 0x80) ? 3 * (qint64(1) << ((flags & 0x07) + 1)) : 0;
}

} // namespace

QImage GifDecoder::decode(const QByteArray &bytes, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return QImage();
    };
    auto truncated = [&fail]() {
        return fail(RasterContent::damaged(QStringLiteral("zkrácená data GIF")));
    };
    const ByteReader r(bytes);
    if (!r.has(0, 6)
        || !(bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a")))
        return fail(QStringLiteral("Soubor není obrázek GIF"));
    if (!r.has(6, 7))
        return truncated();

    const int screenWidth = r.le16(6);
    const int screenHeight = r.le16(8);
    qint64 pos = 13 + colorTableBytes(r.u8(10));
    if (!r.has(0, pos))
        return truncated();
    // The canvas is the logical screen, grown to hold any frame that sticks out.
    qint64 canvasWidth = screenWidth;
    qint64 canvasHeight = screenHeight;

    int frames = 0;
    bool ended = false;
    while (!ended) {
        if (!r.has(pos, 1)) {
            // A missing trailer after complete image data is tolerated: several
            // writers omit it, and nothing of the picture is lost.
            if (frames == 0)
                return truncated();
            break;
        }
        switch (r.u8(pos)) {
        case kTrailer:
            ended = true;
            break;
        case kExtension:
            pos += 2; // introducer and label
            if (!r.has(0, pos) || !skipSubBlocks(r, pos))
                return truncated();
            break;
        case kImage: {
            const qint64 pos0 = pos;
            if (!r.has(pos, 10))
                return truncated();
            const qint64 right = qint64(r.le16(pos + 1)) + r.le16(pos + 5);
            const qint64 bottom = qint64(r.le16(pos + 3)) + r.le16(pos + 7);
            if (r.le16(pos + 5) == 0 || r.le16(pos + 7) == 0)
                return fail(RasterContent::damaged(QStringLiteral("snímek GIF nulové velikosti")));
            canvasWidth = qMax(canvasWidth, right);
            canvasHeight = qMax(canvasHeight, bottom);
            pos += 10 + colorTableBytes(r.u8(pos + 9));
            if (!r.has(pos, 1))
                return truncated();
            const int codeSize = r.u8(pos++);
            if (codeSize < 2 || codeSize > 11)
                return fail(RasterContent::damaged(QStringLiteral("velikost kódu GIF %1").arg(codeSize)));
            const qint64 frameData = pos;
            if (!skipSubBlocks(r, pos))
                return truncated();
            if (!lzwStreamComplete(r, frameData, codeSize, qint64(r.le16(pos0 + 5)) * r.le16(pos0 + 7)))
                return fail(RasterContent::damaged(QStringLiteral("obrazová data GIF jsou neúplná nebo poškozená")));
            ++frames;
            break;
        }
        default:
            // Bytes that are no block: damage, unless complete frames came first
            // (then they are trailing junk that no reader looks at).
            if (frames == 0)
                return fail(RasterContent::damaged(QStringLiteral("neznámý blok GIF %1").arg(r.u8(pos))));
            ended = true;
            break;
        }
    }
    if (frames == 0)
        return fail(RasterContent::damaged(QStringLiteral("GIF bez obrázku")));
    if (!RasterContent::sizeAcceptable(canvasWidth, canvasHeight, error))
        return QImage();

    QImage image = RasterContent::readWithQt(bytes, "gif", 0, error);
    if (image.isNull())
        return image;
    if (image.width() > canvasWidth || image.height() > canvasHeight)
        return fail(RasterContent::damaged(QStringLiteral("GIF má po dekódování nečekanou velikost")));
    return image;
}

} // namespace korvel

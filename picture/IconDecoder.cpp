#include "picture/IconDecoder.h"

#include <cstring>

#include "picture/ByteReader.h"
#include "picture/RasterContent.h"

namespace korvel {

namespace {

constexpr qint64 kDirectorySize = 6;
constexpr qint64 kEntrySize = 16;
constexpr qint64 kDibHeaderSize = 40;

struct IconEntry {
    qint64 width = 0;
    qint64 height = 0;
    int bitCount = 0;
    QString problem;          // empty when the entry's data is complete
    bool unsupported = false; // sound, but of a depth the reader cannot show
};

// A PNG-compressed entry: its size from IHDR, and its chunks must run to IEND
// inside the entry (Qt's PNG reader shows a cut-off stream partially).
IconEntry pngEntry(const ByteReader &r)
{
    IconEntry e;
    e.bitCount = 32;
    if (!r.has(8, 8 + 8) || r.be32(8) < 8 || std::memcmp(r.data() + 12, "IHDR", 4) != 0) {
        e.problem = QStringLiteral("obrázek ikony bez hlavičky PNG");
        return e;
    }
    e.width = r.be32(16);
    e.height = r.be32(20);
    qint64 pos = 8;
    for (;;) {
        if (!r.has(pos, 12)) {
            e.problem = QStringLiteral("zkrácený obrázek PNG v ikoně");
            return e;
        }
        const qint64 length = r.be32(pos);
        if (std::memcmp(r.data() + pos + 4, "IEND", 4) == 0)
            return e;
        if (!r.has(pos + 12, length)) {
            e.problem = QStringLiteral("zkrácený obrázek PNG v ikoně");
            return e;
        }
        pos += 12 + length;
    }
}

// A DIB entry, sized and read the way Qt's icon reader reads it: the directory
// gives the size (0 meaning the header's), the header the bit depth, and the
// image is followed by its 1-bit transparency mask unless it has 32-bit pixels.
IconEntry dibEntry(const ByteReader &r, int directoryWidth, int directoryHeight)
{
    IconEntry e;
    if (!r.has(0, kDibHeaderSize)) {
        e.problem = QStringLiteral("zkrácená hlavička obrázku ikony");
        return e;
    }
    e.bitCount = r.le16(14);
    e.width = directoryWidth ? directoryWidth : r.les32(4);
    e.height = directoryHeight ? directoryHeight : r.les32(8) / 2;
    int colors = 0;
    switch (e.bitCount) {
    case 1:
    case 4:
    case 8:
        colors = r.le32(32) ? int(qMin<quint32>(r.le32(32), 257)) : 1 << e.bitCount;
        break;
    case 24:
    case 32:
        break;
    default:
        // 16-bit entries and the like are rare and Qt cannot read them; another
        // entry of the icon is shown instead.
        e.unsupported = true;
        return e;
    }
    if (colors > 256) {
        e.problem = QStringLiteral("příliš velká tabulka barev ikony");
        return e;
    }
    if (e.width <= 0 || e.height <= 0 || e.width > 256 || e.height > 256) {
        e.problem = QStringLiteral("obrázek ikony o %1 × %2 pixelech").arg(e.width).arg(e.height);
        return e;
    }
    const qint64 stride = (e.width * e.bitCount + 31) / 32 * 4;
    const qint64 maskStride = (e.width + 31) / 32 * 4;
    const qint64 need = kDibHeaderSize + colors * 4 + stride * e.height
        + (e.bitCount == 32 ? 0 : maskStride * e.height);
    if (!r.has(0, need))
        e.problem = QStringLiteral("zkrácený obrázek ikony");
    return e;
}

} // namespace

QImage IconDecoder::decode(const QByteArray &bytes, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return QImage();
    };
    const ByteReader r(bytes);
    if (!r.has(0, kDirectorySize) || r.le16(0) != 0 || (r.le16(2) != 1 && r.le16(2) != 2))
        return fail(QStringLiteral("Soubor není ikona"));
    const int count = r.le16(4);
    if (count == 0)
        return fail(RasterContent::damaged(QStringLiteral("ikona bez obrázků")));
    if (!r.has(kDirectorySize, count * kEntrySize))
        return fail(RasterContent::damaged(QStringLiteral("zkrácený seznam obrázků ikony")));

    int best = -1;
    IconEntry bestEntry;
    QString firstProblem;
    for (int i = 0; i < count; ++i) {
        const qint64 at = kDirectorySize + i * kEntrySize;
        const qint64 length = r.le32(at + 8);
        const qint64 offset = r.le32(at + 12);
        IconEntry e;
        if (!r.has(offset, length) || length < 8) {
            e.problem = QStringLiteral("obrázek ikony leží mimo soubor");
        } else {
            const ByteReader entry(r.data() + offset, length);
            static const uchar pngMagic[8] = {137, 80, 78, 71, 13, 10, 26, 10};
            if (std::memcmp(entry.data(), pngMagic, 8) == 0)
                e = pngEntry(entry);
            else
                // Qt reads a DIB entry past its stated length if need be: the
                // check is against the rest of the file, like the reader's.
                e = dibEntry(ByteReader(r.data() + offset, r.size() - offset), r.u8(at), r.u8(at + 1));
        }
        // Every entry must be sound: a file with a cut-off image is damaged even
        // if the entry we would show happens to be complete.
        if (!e.problem.isEmpty()) {
            if (firstProblem.isEmpty())
                firstProblem = e.problem;
            continue;
        }
        if (e.unsupported)
            continue;
        // Refuse absurd sizes before comparing areas (a PNG header may claim 2^32).
        if (!RasterContent::sizeAcceptable(e.width, e.height, error))
            return QImage();
        const qint64 area = e.width * e.height;
        if (best < 0 || area > bestEntry.width * bestEntry.height
            || (area == bestEntry.width * bestEntry.height && e.bitCount > bestEntry.bitCount)) {
            best = i;
            bestEntry = e;
        }
    }
    if (!firstProblem.isEmpty())
        return fail(RasterContent::damaged(firstProblem));
    if (best < 0)
        return fail(QStringLiteral("Tento druh ikony není podporován (žádný obrázek nemá čitelnou barevnou hloubku)"));

    QImage image = RasterContent::readWithQt(bytes, "ico", best, error);
    if (image.isNull())
        return image;
    if (image.width() != bestEntry.width || image.height() != bestEntry.height)
        return fail(RasterContent::damaged(QStringLiteral("obrázek ikony má po dekódování nečekanou velikost")));
    return image;
}

} // namespace korvel

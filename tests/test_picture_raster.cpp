#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstring>

#include "picture/JpegDecoder.h"
#include "picture/Picture.h"

using namespace korvel;

namespace {

QString rasterPath(const QString &name)
{
    return QStringLiteral(KORVEL_TEST_DATA "/raster/") + name;
}

QByteArray readBytes(const QString &name)
{
    QFile file(rasterPath(name));
    if (!file.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "cannot open " << name.toStdString();
    return file.readAll();
}

QString extensionOf(const QString &name)
{
    return name.mid(name.lastIndexOf(QLatin1Char('.')));
}

Picture loadPicture(const QString &name)
{
    Picture picture;
    QString error;
    EXPECT_TRUE(picture.loadFromFile(rasterPath(name), &error)) << name.toStdString() << ": " << error.toStdString();
    return picture;
}

Picture loadBytes(const QByteArray &bytes, const QString &extension, QString *error)
{
    Picture picture;
    picture.loadFromData(bytes, extension, error);
    return picture;
}

// The picture as the screen shows it at its own size, as unpremultiplied ARGB.
QImage shown(const Picture &picture)
{
    if (picture.isEmpty())
        return QImage();
    return picture.content()->render(picture.size()).convertToFormat(QImage::Format_ARGB32);
}

// Qt's own decode of an intact file: the reference for formats Qt reads right.
QImage qtDecode(const QString &name, int index = 0)
{
    QImageReader reader(rasterPath(name));
    // The GIF reader cannot jump; reading on gives the next frame there.
    if (index > 0 && !reader.jumpToImage(index))
        for (int i = 0; i < index; ++i)
            reader.read();
    return reader.read().convertToFormat(QImage::Format_ARGB32);
}

// Premultiplied comparison: colours under full transparency do not matter.
bool samePixels(const QImage &a, const QImage &b)
{
    return a.size() == b.size()
        && a.convertToFormat(QImage::Format_ARGB32_Premultiplied)
            == b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Mean absolute difference per channel (0..255) of two images of one size.
double meanDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 255;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * a.width() * a.height());
}

bool allOpaque(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 255)
                return false;
    return true;
}

// A pixel of an uncompressed bottom-up 24-bit BMP straight from its bytes:
// an oracle that does not go through any image library.
QRgb bmp24Pixel(const QByteArray &bmp, int x, int y)
{
    const auto *d = reinterpret_cast<const uchar *>(bmp.constData());
    const quint32 offset = qFromLittleEndian<quint32>(d + 10);
    const int width = qFromLittleEndian<qint32>(d + 18);
    const int height = qFromLittleEndian<qint32>(d + 22);
    const int stride = (width * 24 + 31) / 32 * 4;
    const uchar *p = d + offset + qint64(height - 1 - y) * stride + x * 3;
    return qRgb(p[2], p[1], p[0]);
}

// A PNG chunk with its checksum, so that a forged header gets past libpng's check.
QByteArray pngChunk(const char *type, const QByteArray &data)
{
    const QByteArray body = QByteArray(type, 4) + data;
    quint32 crc = 0xFFFFFFFF;
    for (const char c : body) {
        crc ^= uchar(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    QByteArray length(4, '\0'), check(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), length.data());
    qToBigEndian<quint32>(~crc, check.data());
    return length + body + check;
}

// An 8-bit RGBA PNG whose header claims width × height, with a few bytes of pixels.
QByteArray forgedPng(quint32 width, quint32 height)
{
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(width, header.data());
    qToBigEndian<quint32>(height, header.data() + 4);
    header[8] = 8; // bits per channel
    header[9] = 6; // RGBA
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header)
        + pngChunk("IDAT", QByteArray::fromHex("78da636000020000050001")) + pngChunk("IEND", QByteArray());
}

// A small BMP written here: 24-bit, bottom-up unless topDown, pixels given top row first.
QByteArray makeBmp24(int width, int height, const QList<QRgb> &topRowFirst, bool topDown = false)
{
    const int stride = (width * 3 + 3) / 4 * 4;
    QByteArray out(54 + stride * height, '\0');
    auto *d = reinterpret_cast<uchar *>(out.data());
    d[0] = 'B';
    d[1] = 'M';
    qToLittleEndian<quint32>(out.size(), d + 2);
    qToLittleEndian<quint32>(54, d + 10);
    qToLittleEndian<quint32>(40, d + 14);
    qToLittleEndian<qint32>(width, d + 18);
    qToLittleEndian<qint32>(topDown ? -height : height, d + 22);
    qToLittleEndian<quint16>(1, d + 26);
    qToLittleEndian<quint16>(24, d + 28);
    for (int y = 0; y < height; ++y) {
        const int fileRow = topDown ? y : height - 1 - y;
        for (int x = 0; x < width; ++x) {
            const QRgb c = topRowFirst[y * width + x];
            uchar *p = d + 54 + fileRow * stride + x * 3;
            p[0] = uchar(qBlue(c));
            p[1] = uchar(qGreen(c));
            p[2] = uchar(qRed(c));
        }
    }
    return out;
}

struct Fixture {
    const char *name;
    int width;
    int height;
};

const Fixture kFixtures[] = {
    {"bmp_16bpp_argb1555_im.bmp", 96, 96},
    {"bmp_16bpp_argb4444_im.bmp", 96, 96},
    {"bmp_16bpp_rgb565_gimp.bmp", 160, 119},
    {"bmp_16bpp_x1r5g5b5_gimp.bmp", 160, 119},
    {"bmp_1bpp.bmp", 160, 119},
    {"bmp_24bpp.bmp", 160, 119},
    {"bmp_24bpp_topdown_derived.bmp", 160, 119},
    {"bmp_32bpp_bi_rgb_pil.bmp", 96, 96},
    {"bmp_32bpp_bitfields_noalpha_gimp.bmp", 96, 96},
    {"bmp_32bpp_topdown_derived.bmp", 96, 96},
    {"bmp_32bpp_v5_alpha.bmp", 96, 96},
    {"bmp_4bpp_gimp.bmp", 160, 119},
    {"bmp_4bpp_im.bmp", 160, 119},
    {"bmp_4bpp_rle4_gimp.bmp", 160, 119},
    {"bmp_8bpp_im.bmp", 160, 119},
    {"bmp_8bpp_rle8_gimp.bmp", 160, 119},
    {"bmp_os2_core_8bpp.bmp", 160, 119},
    {"gif_87a.gif", 160, 119},
    {"gif_87a_pil.gif", 160, 119},
    {"gif_89a.gif", 160, 119},
    {"gif_89a_interlaced.gif", 160, 119},
    {"gif_animated_6frames.gif", 80, 60},
    {"gif_animated_optimized.gif", 80, 60},
    {"gif_transparent.gif", 96, 96},
    {"ico_32px_32bpp_im.ico", 32, 32},
    {"ico_32px_4bpp_im.ico", 32, 32},
    {"ico_48px_8bpp_im.ico", 48, 48},
    {"ico_pil_png_entries.ico", 256, 256},
    {"jpeg_arithmetic.jpg", 319, 237},
    {"jpeg_baseline_420.jpg", 319, 237},
    {"jpeg_baseline_444.jpg", 319, 237},
    {"jpeg_cmyk.jpg", 319, 237},
    {"jpeg_exif_orientation2.jpg", 320, 237},
    {"jpeg_exif_orientation3.jpg", 320, 237},
    {"jpeg_exif_orientation6.jpg", 320, 237}, // stored 237 × 320, shown upright
    {"jpeg_greyscale.jpg", 319, 237},
    {"jpeg_progressive.jpg", 319, 237},
    {"png_grey16.png", 160, 119},
    {"png_palette_trns_interlaced.png", 96, 96},
    {"png_rgb_qt.png", 160, 119},
    {"png_rgba_qt.png", 96, 96},
};

} // namespace

TEST(RasterPicture, EveryFormatLoadsWithItsSizeAndDrawFormat)
{
    for (const Fixture &f : kFixtures) {
        SCOPED_TRACE(f.name);
        const Picture picture = loadPicture(QString::fromLatin1(f.name));
        ASSERT_FALSE(picture.isEmpty());
        EXPECT_EQ(picture.size(), QSize(f.width, f.height));
        const QString ext = extensionOf(QString::fromLatin1(f.name));
        const PictureFormat want = ext == QLatin1String(".bmp") ? PictureFormat::Bitmap
            : ext == QLatin1String(".gif")                     ? PictureFormat::Gif
            : ext == QLatin1String(".ico")                     ? PictureFormat::Icon
            : ext == QLatin1String(".png")                     ? PictureFormat::Png
                                                               : PictureFormat::Jpeg;
        EXPECT_EQ(picture.format(), want);
        // Decoded once into a format the painter blits without converting.
        const QImage image = picture.content()->render(picture.size());
        EXPECT_TRUE(image.format() == QImage::Format_RGB32
                    || image.format() == QImage::Format_ARGB32_Premultiplied)
            << image.format();
    }
}

TEST(RasterPicture, BmpGifAndPngPixelsMatchAnIntactDecode)
{
    // For intact files Qt's readers are right (their faults are with damaged data):
    // every BMP, GIF and PNG must come out pixel for pixel as Qt reads it.
    for (const Fixture &f : kFixtures) {
        const QString name = QString::fromLatin1(f.name);
        if (!name.startsWith(QLatin1String("bmp_")) && !name.startsWith(QLatin1String("gif_"))
            && !name.startsWith(QLatin1String("png_")))
            continue;
        SCOPED_TRACE(f.name);
        EXPECT_TRUE(samePixels(shown(loadPicture(name)), qtDecode(name)));
    }
}

TEST(RasterPicture, BmpPixelsAreThoseOfTheFile)
{
    const QByteArray bytes = readBytes(QStringLiteral("bmp_24bpp.bmp"));
    const QImage image = shown(loadPicture(QStringLiteral("bmp_24bpp.bmp")));
    for (const QPoint p : {QPoint(0, 0), QPoint(159, 0), QPoint(0, 118), QPoint(159, 118), QPoint(80, 60), QPoint(17, 93)})
        EXPECT_EQ(image.pixel(p), bmp24Pixel(bytes, p.x(), p.y())) << p.x() << "," << p.y();
    EXPECT_EQ(image.pixel(0, 0), qRgb(0x2b, 0x45, 0x06));

    // Other depths of the same picture agree with it closely.
    for (const char *other : {"bmp_16bpp_rgb565_gimp.bmp", "bmp_16bpp_x1r5g5b5_gimp.bmp", "bmp_8bpp_im.bmp",
                              "bmp_os2_core_8bpp.bmp", "bmp_8bpp_rle8_gimp.bmp", "gif_89a.gif"}) {
        SCOPED_TRACE(other);
        EXPECT_LT(meanDifference(shown(loadPicture(QString::fromLatin1(other))), image), 6.0);
    }
}

TEST(RasterPicture, PngsShowThePicturesTheyWereMadeFromOnScreenAndPaper)
{
    // Each PNG was written from another fixture (a palette one with transparency,
    // interlaced): lossless, so the pixels are exactly those of the original.
    const std::pair<const char *, const char *> made[] = {
        {"png_rgb_qt.png", "bmp_24bpp.bmp"},
        {"png_rgba_qt.png", "bmp_32bpp_v5_alpha.bmp"},
        {"png_palette_trns_interlaced.png", "gif_transparent.gif"},
    };
    for (const auto &[png, original] : made) {
        SCOPED_TRACE(png);
        const Picture picture = loadPicture(QString::fromLatin1(png));
        const QImage want = shown(loadPicture(QString::fromLatin1(original)));
        EXPECT_TRUE(samePixels(shown(picture), want));
        for (DrawTarget where : {DrawTarget::Screen, DrawTarget::Paper}) {
            QImage canvas(want.size(), QImage::Format_ARGB32_Premultiplied);
            canvas.fill(Qt::transparent);
            QPainter painter(&canvas);
            picture.draw(painter, QRectF(QPointF(0, 0), QSizeF(want.size())), where);
            painter.end();
            EXPECT_TRUE(samePixels(canvas, want));
        }
    }
}

TEST(RasterPicture, SmallBmpDrawsStretchedTheRightWayUp)
{
    const QList<QRgb> colours = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)};
    for (bool topDown : {false, true}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        QString error;
        const Picture picture = loadBytes(makeBmp24(2, 2, colours, topDown), QStringLiteral(".bmp"), &error);
        ASSERT_FALSE(picture.isEmpty()) << error.toStdString();
        for (DrawTarget where : {DrawTarget::Screen, DrawTarget::Paper}) {
            QImage canvas(200, 100, QImage::Format_RGB32);
            canvas.fill(Qt::white);
            QPainter painter(&canvas);
            picture.draw(painter, QRectF(0, 0, 200, 100), where);
            painter.end();
            EXPECT_EQ(canvas.pixel(10, 10), colours[0]);
            EXPECT_EQ(canvas.pixel(190, 10), colours[1]);
            EXPECT_EQ(canvas.pixel(10, 90), colours[2]);
            EXPECT_EQ(canvas.pixel(190, 90), colours[3]);
        }
    }
}

TEST(RasterPicture, TopDownBmpEqualsBottomUp)
{
    EXPECT_EQ(shown(loadPicture(QStringLiteral("bmp_24bpp_topdown_derived.bmp"))),
              shown(loadPicture(QStringLiteral("bmp_24bpp.bmp"))));
    EXPECT_EQ(shown(loadPicture(QStringLiteral("bmp_32bpp_topdown_derived.bmp"))),
              shown(loadPicture(QStringLiteral("bmp_32bpp_bi_rgb_pil.bmp"))));
}

TEST(RasterPicture, RleBmpEqualsItsUncompressedTwin)
{
    // GIMP wrote both from one 16-colour image.
    EXPECT_EQ(shown(loadPicture(QStringLiteral("bmp_4bpp_rle4_gimp.bmp"))),
              shown(loadPicture(QStringLiteral("bmp_4bpp_gimp.bmp"))));
}

TEST(RasterPicture, PlainRgbBmpIsOpaqueWhatever_ItsFourthByteHolds)
{
    const Picture pil = loadPicture(QStringLiteral("bmp_32bpp_bi_rgb_pil.bmp"));
    EXPECT_TRUE(allOpaque(shown(pil)));

    // A V5 header declaring BI_RGB with an alpha mask: Qt honours the alpha mask,
    // the platform draws plain RGB opaque. Forge one from the alpha bitmap.
    QByteArray bytes = readBytes(QStringLiteral("bmp_32bpp_v5_alpha.bmp"));
    ASSERT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 14 + 52), 0xff000000u); // alpha mask
    qToLittleEndian<quint32>(0, bytes.data() + 14 + 16);                             // BI_RGB
    QString error;
    const Picture forged = loadBytes(bytes, QStringLiteral(".bmp"), &error);
    ASSERT_FALSE(forged.isEmpty()) << error.toStdString();
    const QImage image = shown(forged);
    EXPECT_TRUE(allOpaque(image));
    // The colour is the file's, not blended with black: top-left is the last row in the file.
    const auto *d = reinterpret_cast<const uchar *>(bytes.constData());
    const uchar *p = d + qFromLittleEndian<quint32>(d + 10) + 95 * 96 * 4;
    EXPECT_EQ(image.pixel(0, 0), qRgb(p[2], p[1], p[0]));
    EXPECT_EQ(p[3], 0) << "the forged file should have a transparent corner";

    // A bitfields bitmap with a real alpha mask keeps its transparency.
    const QImage alpha = shown(loadPicture(QStringLiteral("bmp_32bpp_v5_alpha.bmp")));
    EXPECT_EQ(qAlpha(alpha.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(alpha.pixel(48, 48)), 255);
}

TEST(RasterPicture, GifShowsTheFirstFrameAndTransparency)
{
    const QImage first = qtDecode(QStringLiteral("gif_animated_6frames.gif"));
    const QImage second = qtDecode(QStringLiteral("gif_animated_6frames.gif"), 1);
    const QImage image = shown(loadPicture(QStringLiteral("gif_animated_6frames.gif")));
    EXPECT_TRUE(samePixels(image, first));
    EXPECT_FALSE(samePixels(image, second)) << "frames should differ for this test to mean anything";

    const QImage transparent = shown(loadPicture(QStringLiteral("gif_transparent.gif")));
    EXPECT_EQ(qAlpha(transparent.pixel(0, 0)), 0);
    EXPECT_EQ(transparent.pixel(48, 48), qRgb(0xdc, 0x1e, 0x1e));
}

TEST(RasterPicture, IconShowsItsLargestEntry)
{
    // Four PNG entries, smallest first: Qt's read() alone would give the 16 × 16 one.
    const Picture icon = loadPicture(QStringLiteral("ico_pil_png_entries.ico"));
    EXPECT_EQ(icon.size(), QSize(256, 256));
    EXPECT_TRUE(samePixels(shown(icon), qtDecode(QStringLiteral("ico_pil_png_entries.ico"), 3)));

    for (const char *name : {"ico_32px_32bpp_im.ico", "ico_32px_4bpp_im.ico", "ico_48px_8bpp_im.ico"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(samePixels(shown(loadPicture(QString::fromLatin1(name))), qtDecode(QString::fromLatin1(name))));
    }
}

TEST(RasterPicture, JpegVariantsDecodeToThePhoto)
{
    const QImage baseline = shown(loadPicture(QStringLiteral("jpeg_baseline_444.jpg")));
    // Same library underneath: the plain decode agrees with Qt's.
    EXPECT_LT(meanDifference(baseline, qtDecode(QStringLiteral("jpeg_baseline_444.jpg"))), 0.5);
    EXPECT_EQ(baseline.pixel(0, 0), qRgb(0x2b, 0x45, 0x06));

    const QImage grey = shown(loadPicture(QStringLiteral("jpeg_greyscale.jpg")));
    for (const QPoint p : {QPoint(0, 0), QPoint(160, 120), QPoint(300, 200)}) {
        const QRgb c = grey.pixel(p);
        EXPECT_TRUE(qRed(c) == qGreen(c) && qGreen(c) == qBlue(c)) << std::hex << c;
        EXPECT_NEAR(qRed(c), qGray(baseline.pixel(p)), 20);
    }
    EXPECT_EQ(grey.pixel(0, 0), qRgb(0x3c, 0x3c, 0x3c));

    for (const char *name : {"jpeg_cmyk.jpg", "jpeg_progressive.jpg", "jpeg_baseline_420.jpg"}) {
        SCOPED_TRACE(name);
        EXPECT_LT(meanDifference(shown(loadPicture(QString::fromLatin1(name))), baseline), 4.0);
    }
    // CMYK read the wrong way round (not inverted) would be a negative.
    const QImage cmyk = shown(loadPicture(QStringLiteral("jpeg_cmyk.jpg")));
    EXPECT_NEAR(qRed(cmyk.pixel(0, 0)), 0x2b, 8);
    EXPECT_NEAR(qGreen(cmyk.pixel(0, 0)), 0x45, 8);
    // The same coefficients coded arithmetically ("jpegtran -arithmetic"): the same pixels.
    EXPECT_TRUE(samePixels(shown(loadPicture(QStringLiteral("jpeg_arithmetic.jpg"))),
                           shown(loadPicture(QStringLiteral("jpeg_baseline_420.jpg")))));
}

TEST(RasterPicture, JpegHeaderTellsWhichKindsAPdfMayCarryAsTheyAre)
{
    struct Kind {
        const char *name;
        bool baseline, progressive, arithmetic, readableInPdf;
    };
    for (const Kind &kind : {Kind{"jpeg_baseline_420.jpg", true, false, false, true},
                             Kind{"jpeg_progressive.jpg", false, true, false, true},
                             Kind{"jpeg_cmyk.jpg", true, false, false, true},
                             Kind{"jpeg_arithmetic.jpg", false, false, true, false}}) {
        SCOPED_TRACE(kind.name);
        JpegDecoder::Info info;
        ASSERT_TRUE(JpegDecoder::readHeader(readBytes(QString::fromLatin1(kind.name)), &info));
        EXPECT_EQ(info.baseline, kind.baseline);
        EXPECT_EQ(info.progressive, kind.progressive);
        EXPECT_EQ(info.arithmetic, kind.arithmetic);
        EXPECT_EQ(info.precision, 8);
        EXPECT_EQ(info.readableInPdf(), kind.readableInPdf);
    }

    // The baseline file with its frame marked extended sequential (SOF1), behind a
    // few fill bytes: it decodes to the same photo, but is no baseline.
    const QByteArray baseline = readBytes(QStringLiteral("jpeg_baseline_420.jpg"));
    QByteArray extended = baseline;
    const qsizetype frame = extended.indexOf("\xFF\xC0");
    ASSERT_GT(frame, 0);
    extended[frame + 1] = char(0xC1);
    extended.insert(frame, "\xFF\xFF\xFF");
    JpegDecoder::Info info;
    ASSERT_TRUE(JpegDecoder::readHeader(extended, &info));
    EXPECT_FALSE(info.baseline);
    EXPECT_FALSE(info.readableInPdf());
    QString error;
    EXPECT_TRUE(samePixels(shown(loadBytes(extended, QStringLiteral(".jpg"), &error)), shown(loadBytes(baseline, QStringLiteral(".jpg"), &error))))
        << error.toStdString();

    // 12 bits per sample and the lossless process: never read as a PDF's photo.
    QByteArray twelveBits = baseline;
    twelveBits[frame + 4] = char(12);
    QByteArray lossless = baseline;
    lossless[frame + 1] = char(0xC3);
    for (const QByteArray &bytes : {twelveBits, lossless}) {
        info = JpegDecoder::Info();
        EXPECT_FALSE(JpegDecoder::readHeader(bytes, &info) && info.readableInPdf());
    }
}

TEST(RasterPicture, ExifOrientationIsShownUpright)
{
    const QImage mirrored = shown(loadPicture(QStringLiteral("jpeg_exif_orientation2.jpg")));
    const QImage turned = shown(loadPicture(QStringLiteral("jpeg_exif_orientation3.jpg")));
    const QImage quarter = shown(loadPicture(QStringLiteral("jpeg_exif_orientation6.jpg")));
    ASSERT_EQ(quarter.size(), QSize(320, 237));
    // All three hold one photo; upright they agree up to JPEG noise...
    EXPECT_LT(meanDifference(mirrored, turned), 3.0);
    EXPECT_LT(meanDifference(mirrored, quarter), 3.0);
    // ...and as stored they do not.
    const QImage storedTurned = qtDecode(QStringLiteral("jpeg_exif_orientation3.jpg"));
    EXPECT_GT(meanDifference(storedTurned, mirrored), 20.0);
    // The photo's corner marker is red, at the top right of the upright picture.
    for (const QImage *image : {&mirrored, &turned, &quarter}) {
        const QRgb c = image->pixel(318, 1);
        EXPECT_GT(qRed(c), 200);
        EXPECT_LT(qGreen(c), 60);
    }
}

TEST(RasterPicture, OrientationTransformsInvertEveryExifOrientation)
{
    // An upright 3 × 2 picture with six distinct pixels, stored the way a camera
    // stores it for each orientation; applying the orientation must restore it.
    QImage upright(3, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            upright.setPixel(x, y, qRgb(40 * x, 100 * y, 7));
    const int W = 3, H = 2;
    auto stored = [&](int orientation) {
        const bool swap = orientation >= 5;
        QImage s(swap ? H : W, swap ? W : H, QImage::Format_RGB32);
        for (int y = 0; y < s.height(); ++y) {
            for (int x = 0; x < s.width(); ++x) {
                QPoint u;
                switch (orientation) {
                case 1: u = QPoint(x, y); break;
                case 2: u = QPoint(W - 1 - x, y); break;
                case 3: u = QPoint(W - 1 - x, H - 1 - y); break;
                case 4: u = QPoint(x, H - 1 - y); break;
                case 5: u = QPoint(y, x); break;
                case 6: u = QPoint(W - 1 - y, x); break;
                case 7: u = QPoint(W - 1 - y, H - 1 - x); break;
                case 8: u = QPoint(y, H - 1 - x); break;
                }
                s.setPixel(x, y, upright.pixel(u));
            }
        }
        return s;
    };
    for (int o = 1; o <= 8; ++o) {
        SCOPED_TRACE(o);
        EXPECT_EQ(JpegDecoder::applyOrientation(stored(o), o).convertToFormat(QImage::Format_RGB32), upright);
    }
}

TEST(RasterPicture, ExifParserReadsBothByteOrdersAndSurvivesNonsense)
{
    auto exif = [](bool little, quint16 tag, quint16 type, quint32 count, quint16 value, quint32 ifdOffset) {
        QByteArray b("Exif\0\0", 6);
        QByteArray t(8 + 2 + 12 + 4, '\0');
        auto *d = reinterpret_cast<uchar *>(t.data());
        auto put16 = [&](int at, quint16 v) { little ? qToLittleEndian(v, d + at) : qToBigEndian(v, d + at); };
        auto put32 = [&](int at, quint32 v) { little ? qToLittleEndian(v, d + at) : qToBigEndian(v, d + at); };
        d[0] = d[1] = little ? 'I' : 'M';
        put16(2, 42);
        put32(4, ifdOffset);
        put16(8, 1);
        put16(10, tag);
        put16(12, type);
        put32(14, count);
        put16(18, value);
        return b + t;
    };
    auto orientation = [](const QByteArray &b) {
        return JpegDecoder::exifOrientation(reinterpret_cast<const uchar *>(b.constData()), b.size());
    };
    EXPECT_EQ(orientation(exif(true, 0x0112, 3, 1, 6, 8)), 6);
    EXPECT_EQ(orientation(exif(false, 0x0112, 3, 1, 8, 8)), 8);
    EXPECT_EQ(orientation(exif(true, 0x0112, 3, 1, 9, 8)), 1);          // out of range
    EXPECT_EQ(orientation(exif(true, 0x0112, 4, 1, 6, 8)), 1);          // wrong type
    EXPECT_EQ(orientation(exif(true, 0x0110, 3, 1, 6, 8)), 1);          // other tag
    EXPECT_EQ(orientation(exif(true, 0x0112, 3, 1, 6, 0xFFFFFFF0)), 1); // IFD outside
    EXPECT_EQ(orientation(exif(true, 0x0112, 3, 1, 6, 20)), 1);         // IFD entries cut off
    const QByteArray good = exif(true, 0x0112, 3, 1, 6, 8);
    const int entryEnd = 6 + 8 + 2 + 12; // the next-IFD link after it is not needed
    for (int cut = 0; cut < entryEnd; ++cut)
        EXPECT_EQ(orientation(good.left(cut)), 1) << cut;
}

TEST(RasterPicture, ExtensionsOutsideTheListFailAndNoExtensionIsEmpty)
{
    Picture picture = loadPicture(QStringLiteral("bmp_24bpp.bmp"));
    QString error;
    EXPECT_FALSE(picture.loadFromData(readBytes(QStringLiteral("bmp_24bpp.bmp")), QStringLiteral(".dib"), &error));
    EXPECT_EQ(error, QStringLiteral("Unknown picture file extension (.dib)"));
    EXPECT_EQ(picture.size(), QSize(160, 119)); // untouched

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile::copy(rasterPath(QStringLiteral("bmp_24bpp.bmp")), dir.filePath(QStringLiteral("cover.dib")));
    error.clear();
    EXPECT_FALSE(picture.loadFromFile(dir.filePath(QStringLiteral("cover.dib")), &error));
    EXPECT_EQ(error, QStringLiteral("Unknown picture file extension (.dib)"));
    EXPECT_FALSE(picture.isEmpty());
    // The extension decides before the file is looked for: a project base with a
    // dot in it ("Vol.2") names an extension without a loader, file or no file.
    for (const char *name : {"missing.dib", "Vol.2", "Photo.TIFF"}) {
        error.clear();
        EXPECT_FALSE(picture.loadFromFile(dir.filePath(QString::fromLatin1(name)), &error));
        const QString ext = QString::fromLatin1(name).section(QLatin1Char('.'), -1);
        EXPECT_EQ(error, QStringLiteral("Unknown picture file extension (.%1)").arg(ext)) << name;
    }
    EXPECT_EQ(picture.size(), QSize(160, 119));

    // No extension: present but empty, whatever the file holds.
    QFile::copy(rasterPath(QStringLiteral("bmp_24bpp.bmp")), dir.filePath(QStringLiteral("cover")));
    error.clear();
    EXPECT_TRUE(picture.loadFromFile(dir.filePath(QStringLiteral("cover")), &error)) << error.toStdString();
    EXPECT_TRUE(picture.isEmpty());
    EXPECT_EQ(picture.size(), QSize(0, 0));
}

TEST(RasterPicture, DamagedFilesFailAndKeepThePreviousPicture)
{
    const Picture previous = loadPicture(QStringLiteral("gif_89a.gif"));
    const QImage previousImage = shown(previous);
    const QStringList damaged = QDir(rasterPath(QStringLiteral("damaged"))).entryList(QDir::Files);
    ASSERT_GE(damaged.size(), 38);
    for (const QString &name : damaged) {
        SCOPED_TRACE(name.toStdString());
        Picture picture = previous;
        QString error;
        EXPECT_FALSE(picture.loadFromFile(rasterPath(QStringLiteral("damaged/") + name), &error));
        EXPECT_TRUE(error.startsWith(QStringLiteral("Soubor obrázku je poškozený"))) << error.toStdString();
        EXPECT_TRUE(picture.sameAs(previous));
        EXPECT_EQ(shown(picture), previousImage);
    }
}

TEST(RasterPicture, EveryFileCutShortFails)
{
    for (const Fixture &f : kFixtures) {
        const QString name = QString::fromLatin1(f.name);
        const QByteArray bytes = readBytes(name);
        for (int percent : {1, 5, 10, 30, 50, 70, 90, 95}) {
            SCOPED_TRACE(QStringLiteral("%1 cut to %2 %").arg(name).arg(percent).toStdString());
            QString error;
            Picture picture;
            EXPECT_FALSE(picture.loadFromData(bytes.left(bytes.size() * percent / 100), extensionOf(name), &error));
            EXPECT_FALSE(error.isEmpty());
            EXPECT_TRUE(picture.isEmpty());
        }
    }
    // A JPEG that lacks only its end marker is cut short too.
    const QByteArray jpeg = readBytes(QStringLiteral("jpeg_baseline_420.jpg"));
    QString error;
    EXPECT_TRUE(loadBytes(jpeg.left(jpeg.size() - 2), QStringLiteral(".jpg"), &error).isEmpty());
    EXPECT_TRUE(error.contains(QStringLiteral("poškozený"))) << error.toStdString();
}

TEST(RasterPicture, SavedBytesAreTheLoadedBytesAndLoadAgain)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char *name : {"bmp_8bpp_rle8_gimp.bmp", "gif_animated_optimized.gif", "ico_pil_png_entries.ico",
                             "jpeg_exif_orientation6.jpg", "jpeg_cmyk.jpg", "png_rgba_qt.png"}) {
        SCOPED_TRACE(name);
        const Picture picture = loadPicture(QString::fromLatin1(name));
        const QString saved = dir.filePath(QStringLiteral("side") + extensionOf(QString::fromLatin1(name)));
        QString error;
        ASSERT_TRUE(picture.saveToFile(saved, &error)) << error.toStdString();
        QFile file(saved);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), readBytes(QString::fromLatin1(name)));
        Picture again;
        ASSERT_TRUE(again.loadFromFile(saved, &error)) << error.toStdString();
        EXPECT_TRUE(again.sameAs(picture));
        EXPECT_EQ(shown(again), shown(picture));
    }
}

TEST(RasterPicture, AbsurdSizesInForgedHeadersAreRefused)
{
    auto expectTooLarge = [](const QByteArray &bytes, const QString &ext) {
        QString error;
        Picture picture;
        EXPECT_FALSE(picture.loadFromData(bytes, ext, &error));
        EXPECT_TRUE(error.startsWith(QStringLiteral("Obrázek je příliš velký"))) << error.toStdString();
    };
    // BMP: 100000 × 100000 in the header of a small file, and a side beyond the limit.
    QByteArray bmp = readBytes(QStringLiteral("bmp_24bpp.bmp"));
    qToLittleEndian<qint32>(100000, bmp.data() + 18);
    qToLittleEndian<qint32>(100000, bmp.data() + 22);
    expectTooLarge(bmp, QStringLiteral(".bmp"));
    qToLittleEndian<qint32>(kMaxPictureSide + 1, bmp.data() + 18);
    qToLittleEndian<qint32>(-1, bmp.data() + 22);
    expectTooLarge(bmp, QStringLiteral(".bmp"));

    // GIF: a 65535 × 65535 logical screen.
    QByteArray gif = readBytes(QStringLiteral("gif_89a.gif"));
    qToLittleEndian<quint16>(65535, gif.data() + 6);
    qToLittleEndian<quint16>(65535, gif.data() + 8);
    expectTooLarge(gif, QStringLiteral(".gif"));

    // JPEG: the frame header claims 65000 × 65000.
    QByteArray jpeg = readBytes(QStringLiteral("jpeg_baseline_420.jpg"));
    const int sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    qToBigEndian<quint16>(65000, jpeg.data() + sof + 5);
    qToBigEndian<quint16>(65000, jpeg.data() + sof + 7);
    expectTooLarge(jpeg, QStringLiteral(".jpg"));
    // Within the limits (90 megapixels) but with data for 319 × 237: refused as
    // damaged from the header, not after allocating and decoding grey.
    qToBigEndian<quint16>(3000, jpeg.data() + sof + 5);
    qToBigEndian<quint16>(30000, jpeg.data() + sof + 7);
    QString error;
    EXPECT_TRUE(loadBytes(jpeg, QStringLiteral(".jpg"), &error).isEmpty());
    EXPECT_TRUE(error.contains(QStringLiteral("příliš krátká"))) << error.toStdString();

    // Icon: a PNG entry whose IHDR claims 40000 × 40000.
    QByteArray ico = readBytes(QStringLiteral("ico_pil_png_entries.ico"));
    const quint32 lastEntry = qFromLittleEndian<quint32>(ico.constData() + 6 + 3 * 16 + 12);
    qToBigEndian<quint32>(40000, ico.data() + lastEntry + 16);
    qToBigEndian<quint32>(40000, ico.data() + lastEntry + 20);
    expectTooLarge(ico, QStringLiteral(".ico"));

    // PNG: a 100000 × 100000 header, and one within the limits whose data is far
    // too short for it, refused before 360 MB are allocated for the pixels.
    expectTooLarge(forgedPng(100000, 100000), QStringLiteral(".png"));
    EXPECT_TRUE(loadBytes(forgedPng(10000, 9000), QStringLiteral(".png"), &error).isEmpty());
    EXPECT_TRUE(error.contains(QStringLiteral("příliš krátká"))) << error.toStdString();
}

TEST(RasterPicture, ScreenDrawScalesOnceAndMatchesPaper)
{
    const Picture picture = loadPicture(QStringLiteral("jpeg_baseline_444.jpg"));
    QImage screen(457, 454, QImage::Format_ARGB32_Premultiplied);
    QImage paper(457, 454, QImage::Format_ARGB32_Premultiplied);
    for (QImage *canvas : {&screen, &paper}) {
        canvas->fill(Qt::white);
        QPainter painter(canvas);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        picture.draw(painter, QRectF(0, 0, 457, 454), canvas == &screen ? DrawTarget::Screen : DrawTarget::Paper);
    }
    EXPECT_LT(meanDifference(screen, paper), 4.0);
    // A repaint from the cache gives the same pixels.
    QImage again(457, 454, QImage::Format_ARGB32_Premultiplied);
    again.fill(Qt::white);
    QPainter painter(&again);
    picture.draw(painter, QRectF(0, 0, 457, 454), DrawTarget::Screen);
    painter.end();
    EXPECT_EQ(again, screen);
}

TEST(RasterPicture, GifWithCompleteBlocksButBrokenImageDataFails)
{
    // Qt shows such frames partly blank without a word; the block chain is whole.
    const QByteArray gif = readBytes(QStringLiteral("gif_89a.gif"));
    const auto *d = reinterpret_cast<const uchar *>(gif.constData());
    // Find the image descriptor after the header, colour table and extensions.
    qint64 pos = 13 + ((d[10] & 0x80) ? 3 * (1 << ((d[10] & 7) + 1)) : 0);
    while (d[pos] == 0x21) {
        pos += 2;
        while (d[pos])
            pos += d[pos] + 1;
        ++pos;
    }
    ASSERT_EQ(d[pos], 0x2C);
    const qint64 lzw = pos + 10 + ((d[pos + 9] & 0x80) ? 3 * (1 << ((d[pos + 9] & 7) + 1)) : 0);
    const qint64 firstBlock = lzw + 1;
    ASSERT_GT(d[firstBlock], 20);

    QString error;
    // Only the first data sub-block, then a proper end: too few pixels.
    const QByteArray shortened = gif.left(firstBlock + 1 + d[firstBlock]) + QByteArray("\0\x3B", 2);
    EXPECT_TRUE(loadBytes(shortened, QStringLiteral(".gif"), &error).isEmpty());
    EXPECT_TRUE(error.startsWith(QStringLiteral("Soubor obrázku je poškozený"))) << error.toStdString();

    // Codes that are not in the table yet.
    QByteArray garbled = gif;
    for (int i = 4; i < 20; ++i)
        garbled[firstBlock + 1 + i] = char(0xFF);
    error.clear();
    EXPECT_TRUE(loadBytes(garbled, QStringLiteral(".gif"), &error).isEmpty());
    EXPECT_TRUE(error.startsWith(QStringLiteral("Soubor obrázku je poškozený"))) << error.toStdString();
}

TEST(RasterPicture, BmpMissingOnlyItsLastRowPaddingStillLoads)
{
    // 3 pixels of 3 bytes: 9 bytes of pixels and 3 of padding per row.
    const QList<QRgb> colours = {qRgb(1, 2, 3), qRgb(4, 5, 6), qRgb(7, 8, 9),
                                 qRgb(10, 11, 12), qRgb(13, 14, 15), qRgb(16, 17, 18)};
    const QByteArray bmp = makeBmp24(3, 2, colours);
    QString error;
    const Picture padded = loadBytes(bmp.left(bmp.size() - 3), QStringLiteral(".bmp"), &error);
    ASSERT_FALSE(padded.isEmpty()) << error.toStdString();
    EXPECT_EQ(shown(padded).pixel(2, 0), colours[2]); // the last row in the file is the top one
    EXPECT_TRUE(loadBytes(bmp.left(bmp.size() - 4), QStringLiteral(".bmp"), &error).isEmpty());
    EXPECT_EQ(error, QStringLiteral("Soubor obrázku je poškozený (zkrácená data BMP)"));
}

TEST(RasterPicture, RleBmpMustReachItsEnd)
{
    // A 4 × 2 RLE8 bitmap with a 4-colour palette, written by hand.
    auto rle8 = [](const QByteArray &stream) {
        const int paletteBytes = 4 * 4;
        QByteArray out(54 + paletteBytes, '\0');
        auto *d = reinterpret_cast<uchar *>(out.data());
        d[0] = 'B';
        d[1] = 'M';
        qToLittleEndian<quint32>(54 + paletteBytes, d + 10);
        qToLittleEndian<quint32>(40, d + 14);
        qToLittleEndian<qint32>(4, d + 18);
        qToLittleEndian<qint32>(2, d + 22);
        qToLittleEndian<quint16>(1, d + 26);
        qToLittleEndian<quint16>(8, d + 28);
        qToLittleEndian<quint32>(1, d + 30); // BI_RLE8
        qToLittleEndian<quint32>(4, d + 46);
        const uchar palette[16] = {0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0};
        std::memcpy(d + 54, palette, sizeof palette); // black, red, green, blue
        return out + stream;
    };
    // Bottom row: 4 × red. Top row: absolute run green, blue, green (padded),
    // then 1 × green. End of bitmap.
    const QByteArray stream("\x04\x01\x00\x00" "\x00\x03\x02\x03\x02\x00" "\x01\x02" "\x00\x01", 14);
    QString error;
    const Picture picture = loadBytes(rle8(stream), QStringLiteral(".bmp"), &error);
    ASSERT_FALSE(picture.isEmpty()) << error.toStdString();
    const QImage image = shown(picture);
    EXPECT_EQ(image.pixel(0, 1), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(3, 1), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(3, 0), qRgb(0, 255, 0));

    // Without its end-of-bitmap code the top row is not known to be complete.
    for (int cut = 1; cut <= 8; ++cut) {
        SCOPED_TRACE(cut);
        EXPECT_TRUE(loadBytes(rle8(stream.left(stream.size() - cut)), QStringLiteral(".bmp"), &error).isEmpty());
    }
    // Rows ended by end-of-line codes are complete without the final code.
    const QByteArray byLines("\x04\x01\x00\x00" "\x04\x02\x00\x00", 8);
    EXPECT_FALSE(loadBytes(rle8(byLines), QStringLiteral(".bmp"), &error).isEmpty()) << error.toStdString();

    // Pixels the stream skips (a delta, an early end of line or of the bitmap)
    // are colour 0, never leftover memory: black here, on every load.
    const QByteArray sparse("\x01\x01\x00\x02\x02\x01" "\x01\x03\x00\x01", 10);
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QImage image = shown(loadBytes(rle8(sparse), QStringLiteral(".bmp"), &error));
        ASSERT_FALSE(image.isNull()) << error.toStdString();
        EXPECT_EQ(image.pixel(0, 1), qRgb(255, 0, 0));
        EXPECT_EQ(image.pixel(3, 0), qRgb(0, 0, 255)); // after the delta by (2, 1)
        for (const QPoint p : {QPoint(1, 1), QPoint(2, 1), QPoint(3, 1), QPoint(0, 0), QPoint(1, 0), QPoint(2, 0)})
            EXPECT_EQ(image.pixel(p), qRgb(0, 0, 0)) << p.x() << "," << p.y();
    }
}

TEST(RasterPicture, IconSkipsEntriesOfUnreadableDepth)
{
    // Make the 48-pixel icon's only entry 16-bit: nothing left to show.
    QByteArray ico = readBytes(QStringLiteral("ico_48px_8bpp_im.ico"));
    const quint32 offset = qFromLittleEndian<quint32>(ico.constData() + 6 + 12);
    qToLittleEndian<quint16>(16, ico.data() + offset + 14);
    QString error;
    EXPECT_TRUE(loadBytes(ico, QStringLiteral(".ico"), &error).isEmpty());
    EXPECT_TRUE(error.startsWith(QStringLiteral("Tento druh ikony není podporován"))) << error.toStdString();

    // Two entries, the larger one 16-bit: the other one is shown.
    const QByteArray small = readBytes(QStringLiteral("ico_32px_4bpp_im.ico"));
    const QByteArray big = readBytes(QStringLiteral("ico_48px_8bpp_im.ico"));
    const qint64 smallData = qFromLittleEndian<quint32>(small.constData() + 6 + 12);
    const qint64 bigData = qFromLittleEndian<quint32>(big.constData() + 6 + 12);
    QByteArray two = QByteArray::fromRawData("\0\0\1\0\2\0", 6);
    two += small.mid(6, 16);
    two += big.mid(6, 16);
    const qint64 firstAt = two.size();
    two += small.mid(smallData);
    const qint64 secondAt = two.size();
    two += big.mid(bigData);
    qToLittleEndian<quint32>(firstAt, two.data() + 6 + 12);
    qToLittleEndian<quint32>(secondAt, two.data() + 6 + 16 + 12);
    ASSERT_EQ(loadBytes(two, QStringLiteral(".ico"), &error).size(), QSize(48, 48)) << error.toStdString();
    qToLittleEndian<quint16>(16, two.data() + secondAt + 14);
    EXPECT_EQ(loadBytes(two, QStringLiteral(".ico"), &error).size(), QSize(32, 32)) << error.toStdString();
}

TEST(PictureSharing, TheSameBytesLoadedTwiceShareOneDecodeAndWrongSignaturesFailEarly)
{
    const QString jpeg = QStringLiteral(KORVEL_TEST_DATA "/raster/jpeg_baseline_420.jpg");
    Picture first, second;
    QString error;
    ASSERT_TRUE(first.loadFromFile(jpeg, &error));
    ASSERT_TRUE(second.loadFromFile(jpeg, &error));
    EXPECT_EQ(first.content(), second.content());
    EXPECT_TRUE(first.sameAs(second));

    Picture third = first;

    // A JPEG offered as a bitmap, icon or metafile fails with the decoder's message
    // and leaves the picture as it was.
    QTemporaryDir dir;
    for (const char *name : {"photo.bmp", "photo.gif", "photo.ico", "photo.emf", "photo.wmf"}) {
        const QString renamed = dir.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(QFile::copy(jpeg, renamed));
        error.clear();
        EXPECT_FALSE(third.loadFromFile(renamed, &error)) << name;
        EXPECT_FALSE(error.isEmpty()) << name;
        EXPECT_EQ(third.format(), PictureFormat::Jpeg);
    }
}

#include <sys/resource.h>

namespace {

// The most memory the process has held so far, in kilobytes.
long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

// Nothing draws the text of a PNG, so its compressed text must not be inflated:
// a file of under 200 KB here carries 32 text chunks of 6 MB of one letter each,
// which libpng by itself would inflate and keep, 192 MB for a picture of 3 × 2
// pixels. (Zeros would not do: libpng keeps a text only up to its first zero.)
TEST(RasterPicture, PngTextChunksAreNeitherInflatedNorKept)
{
    const QList<QRgb> colours = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255),
                                 qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(12, 34, 56)};
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(3, header.data());
    qToBigEndian<quint32>(2, header.data() + 4);
    header[8] = 8; // bits per channel
    header[9] = 2; // RGB
    QByteArray rows;
    for (int y = 0; y < 2; ++y) {
        rows += '\0'; // no filter
        for (int x = 0; x < 3; ++x) {
            const QRgb c = colours[y * 3 + x];
            rows += char(qRed(c));
            rows += char(qGreen(c));
            rows += char(qBlue(c));
        }
    }
    // qCompress puts the length in 4 bytes before a zlib stream.
    const QByteArray text = qCompress(QByteArray(6 << 20, 'a'), 9).mid(4);
    QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header);
    for (int i = 0; i < 16; ++i) {
        png += pngChunk("zTXt", QByteArray("Comment\0\0", 9) + text);
        png += pngChunk("iTXt", QByteArray("Comment\0\1\0\0\0", 12) + text);
    }
    png += pngChunk("IDAT", qCompress(rows, 9).mid(4)) + pngChunk("IEND", QByteArray());
    ASSERT_LT(png.size(), 200 * 1024);

    const long before = peakKilobytes();
    QString error;
    const Picture picture = loadBytes(png, QStringLiteral(".png"), &error);
    const long grown = peakKilobytes() - before;
    ASSERT_EQ(picture.size(), QSize(3, 2)) << error.toStdString();
    const QImage image = shown(picture);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(image.pixel(x, y), colours[y * 3 + x]) << x << "," << y;
    EXPECT_LT(grown, 64 * 1024) << "peak memory grew by " << grown / 1024 << " MB";
}

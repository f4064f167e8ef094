#include "print/PdfPhotoEmbedder.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <QRandomGenerator>
#include <cstring>
#include <exception>
#include <memory>

#include "picture/DeferredJpeg.h"
#include "picture/Picture.h"
#include "print/QpdfRewriter.h"

namespace korvel {

namespace {


// The stand-ins' sizes: a height and a run of widths, so that only a few images of
// a PDF need their pixels compared. The size alone tells nothing: a picture of the
// user's may have it.
constexpr int kStandInHeight = 3;
constexpr int kStandInWidth = 4099;

// SplitMix64: a stream of well-mixed numbers from any seed.
quint64 nextMixed(quint64 &state)
{
    quint64 z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Whether an image stream's pixels, decoded, are exactly mark. A stream that does not
// decode is no stand-in.
bool holdsMark(QPDFObjectHandle &image, const QByteArray &mark)
{
    QPDFObjectHandle dict = image.getDict();
    if (!dict.getKey("/ColorSpace").isNameAndEquals("/DeviceRGB") || !dict.getKey("/BitsPerComponent").isInteger()
        || dict.getKey("/BitsPerComponent").getIntValue() != 8 || dict.hasKey("/SMask") || dict.hasKey("/Mask"))
        return false;
    try {
        const std::shared_ptr<Buffer> data = image.getStreamData(qpdf_dl_generalized);
        return data && data->getSize() == std::size_t(mark.size())
               && std::memcmp(data->getBuffer(), mark.constData(), std::size_t(mark.size())) == 0;
    } catch (const std::exception &) {
        return false;
    }
}

} // namespace

PdfPhotoEmbedder::PdfPhotoEmbedder()
{
    // New for every print: a stand-in of one print never passes for one of another.
    QRandomGenerator::system()->fillRange(m_token);
}

const QImage *PdfPhotoEmbedder::standInFor(const Picture &picture)
{
    // Only a JPEG file is a format a PDF carries as it is.
    if (picture.format() != PictureFormat::Jpeg)
        return nullptr;
    const QByteArray &bytes = picture.bytes();
    for (const Photo &photo : m_photos)
        if (photo.bytes.size() == bytes.size() && (photo.bytes.constData() == bytes.constData() || photo.bytes == bytes))
            return &photo.standIn;
    JpegDecoder::Info info;
    if (const auto *deferred = dynamic_cast<const DeferredJpeg *>(picture.content()))
        info = deferred->info();
    else if (!JpegDecoder::readHeader(bytes, &info))
        return nullptr;
    // As stored is how the PDF shows it: a photo that stands upright only once its
    // EXIF orientation is applied keeps its pixels, and so does one coded in a way
    // that not every PDF reader reads (arithmetic coding, 12 bits, lossless).
    if (info.orientation != 1 || !info.readableInPdf()
        || (info.components != 1 && info.components != 3 && info.components != 4))
        return nullptr;
    // The pixels come from the token and the photo's number. Its first pixel is a
    // colour, never a grey, so every stand-in is kept as RGB.
    const int index = int(m_photos.size());
    QImage standIn(kStandInWidth + index, kStandInHeight, QImage::Format_RGB32);
    QByteArray mark;
    mark.reserve(qsizetype(standIn.width()) * kStandInHeight * 3);
    quint64 state = m_token[0] ^ (m_token[1] + quint64(index) * 0xD1B54A32D192ED03ull);
    for (int y = 0; y < kStandInHeight; ++y) {
        auto *line = reinterpret_cast<QRgb *>(standIn.scanLine(y));
        for (int x = 0; x < standIn.width(); ++x) {
            const quint64 bits = nextMixed(state);
            QRgb pixel = qRgb(int(bits & 0xFF), int(bits >> 8 & 0xFF), int(bits >> 16 & 0xFF));
            if (x == 0 && y == 0)
                pixel = qRgb(255, int(bits & 0x7F), int(bits >> 8 & 0x7F));
            line[x] = pixel;
            mark.append(char(qRed(pixel))).append(char(qGreen(pixel))).append(char(qBlue(pixel)));
        }
    }
    m_photos.push_back(Photo{bytes, info, standIn, mark});
    return &m_photos.back().standIn;
}

bool PdfPhotoEmbedder::embed(QByteArray *pdf, QString *error) const
{
    if (m_photos.empty())
        return true;
    try {
        QPDF document;
        document.setSuppressWarnings(true);
        document.processMemoryFile("cover.pdf", pdf->constData(), size_t(pdf->size()));
        // Where each photo's stand-in is. One left out would print as a strip of noise,
        // and one found twice means a picture holds its pixels: then nothing is sure.
        std::vector<std::vector<QPDFObjectHandle>> found(m_photos.size());
        for (QPDFObjectHandle object : document.getAllObjects()) {
            if (!object.isStream())
                continue;
            QPDFObjectHandle dict = object.getDict();
            if (!dict.getKey("/Subtype").isNameAndEquals("/Image"))
                continue;
            QPDFObjectHandle width = dict.getKey("/Width"), height = dict.getKey("/Height");
            if (!width.isInteger() || !height.isInteger() || height.getIntValue() != kStandInHeight)
                continue;
            const long long index = width.getIntValue() - kStandInWidth;
            if (index < 0 || index >= (long long)m_photos.size())
                continue;
            if (holdsMark(object, m_photos[std::size_t(index)].mark))
                found[std::size_t(index)].push_back(object);
        }
        for (const std::vector<QPDFObjectHandle> &places : found)
            if (places.size() != 1) {
                *error = QStringLiteral("Fotografie se do PDF nepodařilo vložit.");
                return false;
            }
        for (std::size_t index = 0; index < m_photos.size(); ++index) {
            QPDFObjectHandle object = found[index].front();
            QPDFObjectHandle dict = object.getDict();
            const Photo &photo = m_photos[index];
            const JpegDecoder::Info &info = photo.info;
            // Colour: as the file stores it. Three and four components say whether they
            // are stored transformed (YCbCr, YCCK) or not (RGB, CMYK).
            QPDFObjectHandle parms = QPDFObjectHandle::newNull();
            if (info.components >= 3) {
                const bool transformed = info.colorSpace == JpegDecoder::Info::YCbCr || info.colorSpace == JpegDecoder::Info::Ycck;
                parms = QPDFObjectHandle::newDictionary();
                parms.replaceKey("/ColorTransform", QPDFObjectHandle::newInteger(transformed ? 1 : 0));
            }
            // Handed over when written, not copied in first.
            object.replaceStreamData(
                [bytes = photo.bytes](Pipeline *out) {
                    out->write(reinterpret_cast<const unsigned char *>(bytes.constData()), std::size_t(bytes.size()));
                    out->finish();
                },
                QPDFObjectHandle::newName("/DCTDecode"), parms);
            dict.replaceKey("/Width", QPDFObjectHandle::newInteger(info.width));
            dict.replaceKey("/Height", QPDFObjectHandle::newInteger(info.height));
            dict.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
            dict.replaceKey("/ColorSpace", QPDFObjectHandle::newName(info.components == 1   ? "/DeviceGray"
                                                                     : info.components == 4 ? "/DeviceCMYK"
                                                                                            : "/DeviceRGB"));
            if (info.invertedCmyk) {
                QPDFObjectHandle decode = QPDFObjectHandle::newArray();
                for (int i = 0; i < 4; ++i) {
                    decode.appendItem(QPDFObjectHandle::newInteger(1));
                    decode.appendItem(QPDFObjectHandle::newInteger(0));
                }
                dict.replaceKey("/Decode", decode);
            } else {
                dict.removeKey("/Decode");
            }
            dict.removeKey("/SMask");
            dict.removeKey("/Mask");
        }
        qsizetype photoBytes = 0;
        for (const Photo &photo : m_photos)
            photoBytes += photo.bytes.size();
        QpdfRewriter::write(document, pdf, photoBytes + 65536);
        return true;
    } catch (const std::exception &e) {
        *error = QStringLiteral("PDF nelze dokončit: %1").arg(QString::fromLocal8Bit(e.what()));
        return false;
    }
}

} // namespace korvel

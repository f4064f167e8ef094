#include "project/picture/PdfPhotoEmbedder.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/Pipeline.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <exception>

#include "project/picture/DeferredJpeg.h"
#include "project/picture/Picture.h"

namespace korvel {

namespace {

thread_local PdfPhotoEmbedder *t_current = nullptr;

// Where the rewritten PDF goes: straight into one buffer sized for it up front.
class AppendTo final : public Pipeline {
public:
    explicit AppendTo(QByteArray &out) : Pipeline("korvel-pdf", nullptr), m_out(out) {}
    void write(unsigned char const *data, size_t length) override
    {
        m_out.append(reinterpret_cast<const char *>(data), qsizetype(length));
    }
    void finish() override {}

private:
    QByteArray &m_out;
};

// The stand-ins' sizes: a height and a run of widths no photo of a cover has.
constexpr int kStandInHeight = 3;
constexpr int kStandInWidth = 4099;

} // namespace

PdfPhotoEmbedder::PdfPhotoEmbedder()
    : m_previous(t_current)
{
    t_current = this;
}

PdfPhotoEmbedder::~PdfPhotoEmbedder()
{
    t_current = m_previous;
}

PdfPhotoEmbedder *PdfPhotoEmbedder::current()
{
    return t_current;
}

const QImage *PdfPhotoEmbedder::standInFor(const Picture &picture)
{
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
    // EXIF orientation is applied keeps its pixels.
    if (info.orientation != 1 || (info.components != 1 && info.components != 3 && info.components != 4))
        return nullptr;
    QImage standIn(kStandInWidth + int(m_photos.size()), kStandInHeight, QImage::Format_RGB32);
    standIn.fill(QColor(128, 128, 128));
    m_photos.push_back(Photo{bytes, info, standIn});
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
        // Which photos found their stand-in: one left out would print as a grey block.
        std::vector<bool> replaced(m_photos.size(), false);
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
            const Photo &photo = m_photos[std::size_t(index)];
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
            replaced[std::size_t(index)] = true;
        }
        if (std::find(replaced.begin(), replaced.end(), false) != replaced.end()) {
            *error = QStringLiteral("Fotografie se do PDF nepodařilo vložit.");
            return false;
        }
        QByteArray rewritten;
        qsizetype photoBytes = 0;
        for (const Photo &photo : m_photos)
            photoBytes += photo.bytes.size();
        rewritten.reserve(pdf->size() + photoBytes + 65536);
        AppendTo output(rewritten);
        QPDFWriter writer(document);
        writer.setOutputPipeline(&output);
        // Everything else stays as Qt wrote it; the photos are their files' bytes.
        writer.setStreamDataMode(qpdf_s_preserve);
        writer.setDecodeLevel(qpdf_dl_none);
        writer.write();
        *pdf = std::move(rewritten);
        return true;
    } catch (const std::exception &e) {
        *error = QStringLiteral("PDF nelze dokončit: %1").arg(QString::fromLocal8Bit(e.what()));
        return false;
    }
}

} // namespace korvel

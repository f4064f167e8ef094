#include "picture/Picture.h"

#include "picture/metafile/EmfPlayer.h"
#include "picture/metafile/WmfPlayer.h"

#include <QPainter>

#include <cmath>

namespace korvel {

namespace {

using metafile::ByteReader;

// A metafile picture: the original bytes, replayed as vectors on every draw.
class MetafileContent final : public PictureContent {
public:
    enum class Kind { Emf, Wmf };

    MetafileContent(QByteArray bytes, Kind kind, QSize size, metafile::WmfHeader wmf, QRectF emfFrame = QRectF())
        : m_bytes(std::move(bytes)), m_kind(kind), m_size(size), m_wmf(std::move(wmf)), m_emfFrame(emfFrame) {}

    QSize size() const override { return m_size; }
    bool isVector() const override { return true; }

    void draw(QPainter &painter, const QRectF &target) const override
    {
        if (target.isEmpty())
            return;
        const ByteReader data(reinterpret_cast<const unsigned char *>(m_bytes.constData()),
                              std::size_t(m_bytes.size()));
        if (m_kind == Kind::Emf)
            metafile::playEmf(data, painter, target, m_emfFrame);
        else
            metafile::playWmf(data, m_wmf, painter, target);
    }

private:
    QByteArray m_bytes;
    Kind m_kind;
    QSize m_size;
    metafile::WmfHeader m_wmf;
    QRectF m_emfFrame; // reference-device pixels
};

int toPixels(double value)
{
    if (!std::isfinite(value))
        return 1;
    return int(std::lround(std::clamp(std::fabs(value), 1.0, double(kMaxPictureSide))));
}

} // namespace

std::shared_ptr<const PictureContent> decodeMetafile(const QByteArray &bytes, QString *error)
{
    const ByteReader data(reinterpret_cast<const unsigned char *>(bytes.constData()), std::size_t(bytes.size()));
    // The content decides, whatever the extension said.
    if (data.u32(0) == 1 && data.u32(40) == 0x464D4520) {
        metafile::EmfHeader h;
        if (!metafile::readEmfHeader(data, h, error))
            return nullptr;
        QRectF frame = metafile::emfDeviceFrame(h);
        // Some converters write a frame that does not contain the drawing at all
        // (in logical instead of device units); the picture would come out empty.
        // Where nearly all of what is drawn lies outside the frame, frame the drawing.
        const QRectF drawn = metafile::measureEmf(data);
        if (drawn.width() > 0 && drawn.height() > 0) {
            const QRectF common = drawn.intersected(frame);
            if (common.width() * common.height() < 0.1 * drawn.width() * drawn.height())
                frame = drawn;
        }
        if (!(frame.width() > 0) || !(frame.height() > 0)) {
            if (error)
                *error = QStringLiteral("Metasoubor má prázdný rámec obrázku");
            return nullptr;
        }
        const QSizeF pxPerMm = metafile::emfPixelsPerMm(h);
        const QSize size(toPixels(frame.width() / pxPerMm.width() * 96 / 25.4),
                         toPixels(frame.height() / pxPerMm.height() * 96 / 25.4));
        return std::make_shared<MetafileContent>(bytes, MetafileContent::Kind::Emf, size, metafile::WmfHeader(), frame);
    }
    metafile::WmfHeader h;
    if (!metafile::readWmfHeader(data, h, error))
        return nullptr;
    QSize size;
    if (h.placeable) {
        const double inch = h.unitsPerInch > 0 ? h.unitsPerInch : 1440;
        size = QSize(toPixels(h.frame.width() * 96 / inch), toPixels(h.frame.height() * 96 / inch));
    } else {
        size = QSize(toPixels(h.frame.width()), toPixels(h.frame.height()));
    }
    return std::make_shared<MetafileContent>(bytes, MetafileContent::Kind::Wmf, size, std::move(h));
}

} // namespace korvel

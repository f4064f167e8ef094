#include "project/Picture.h"

#include "project/metafile/EmfPlayer.h"
#include "project/metafile/WmfPlayer.h"

#include <QPainter>

#include <cmath>

namespace korvel {

namespace {

using metafile::ByteReader;

// A metafile picture: the original bytes, replayed as vectors on every draw.
class MetafileContent final : public PictureContent {
public:
    enum class Kind { Emf, Wmf };

    MetafileContent(QByteArray bytes, Kind kind, QSize size, metafile::WmfHeader wmf)
        : m_bytes(std::move(bytes)), m_kind(kind), m_size(size), m_wmf(std::move(wmf)) {}

    QSize size() const override { return m_size; }
    bool isVector() const override { return true; }

    void draw(QPainter &painter, const QRectF &target) const override
    {
        if (target.isEmpty())
            return;
        const ByteReader data(reinterpret_cast<const unsigned char *>(m_bytes.constData()),
                              std::size_t(m_bytes.size()));
        if (m_kind == Kind::Emf)
            metafile::playEmf(data, painter, target);
        else
            metafile::playWmf(data, m_wmf, painter, target);
    }

private:
    QByteArray m_bytes;
    Kind m_kind;
    QSize m_size;
    metafile::WmfHeader m_wmf;
};

int toPixels(double value)
{
    if (!std::isfinite(value))
        return 1;
    return int(std::clamp(std::lround(std::fabs(value)), 1L, long(kMaxPictureSide)));
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
        // The frame is in hundredths of a millimetre.
        double w = double(h.frame.right()) - h.frame.left();
        double hh = double(h.frame.bottom()) - h.frame.top();
        if (w <= 0 || hh <= 0) {
            w = double(h.bounds.right()) - h.bounds.left();
            hh = double(h.bounds.bottom()) - h.bounds.top();
            if (w <= 0 || hh <= 0) {
                if (error)
                    *error = QStringLiteral("The metafile has an empty picture frame");
                return nullptr;
            }
            // Bounds are reference-device pixels; take them as screen pixels.
            w = w * 2540.0 / 96;
            hh = hh * 2540.0 / 96;
        }
        const QSize size(toPixels(w * 96 / 2540.0), toPixels(hh * 96 / 2540.0));
        return std::make_shared<MetafileContent>(bytes, MetafileContent::Kind::Emf, size, metafile::WmfHeader());
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

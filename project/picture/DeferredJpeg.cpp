#include "project/picture/DeferredJpeg.h"

#include <QPainter>
#include <atomic>

namespace korvel {

namespace {

std::atomic<bool> g_enabled{false};

// Stands in for pixels that could not be had after all (memory): draws nothing.
class NoPixels final : public PictureContent {
public:
    explicit NoPixels(QSize size) : m_size(size) {}
    QSize size() const override { return m_size; }
    void draw(QPainter &, const QRectF &) const override {}

private:
    QSize m_size;
};

} // namespace

DeferredJpeg::DeferredJpeg(QByteArray bytes, const JpegDecoder::Info &info)
    : m_bytes(std::move(bytes))
    , m_info(info)
    , m_check(std::async(std::launch::async,
                         [bytes = m_bytes] {
                             JpegDecoder::Info whole;
                             QString why;
                             return JpegDecoder::inspect(bytes, &whole, &why) ? QString() : why;
                         })
                  .share())
{
}

QString DeferredJpeg::problem() const
{
    const QString damaged = m_check.get();
    // A photo whose pixels were needed after all (one turned by its EXIF orientation)
    // and could not be had was drawn as nothing: as much a failure as damage.
    return damaged.isEmpty() ? m_decodeError : damaged;
}

void DeferredJpeg::setEnabled(bool enabled)
{
    g_enabled = enabled;
}

bool DeferredJpeg::enabled()
{
    return g_enabled;
}

QSize DeferredJpeg::size() const
{
    // Upright, as the decoded picture will be: orientations 5 to 8 turn it a quarter.
    return m_info.orientation >= 5 ? QSize(m_info.height, m_info.width) : QSize(m_info.width, m_info.height);
}

const PictureContent &DeferredJpeg::decoded() const
{
    std::call_once(m_once, [this] {
        m_decoded = decodeRaster(m_bytes, PictureFormat::Jpeg, &m_decodeError);
        if (!m_decoded)
            m_decoded = std::make_shared<NoPixels>(size());
        else
            m_decodeError.clear();
    });
    return *m_decoded;
}

void DeferredJpeg::draw(QPainter &painter, const QRectF &target) const
{
    decoded().draw(painter, target);
}

QImage DeferredJpeg::render(QSize pixelSize) const
{
    return decoded().render(pixelSize);
}

} // namespace korvel

#include "picture/DeferredJpeg.h"

#include <QPainter>
#include <atomic>

#include "picture/RasterContent.h"
#include "picture/ScreenArea.h"

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

bool covers(QSize have, QSize wanted)
{
    return have.width() >= wanted.width() && have.height() >= wanted.height();
}

// A side of a picture reduced as libjpeg reduces it: rounded up.
int reduced(int side, int reduction)
{
    return (side + reduction - 1) / reduction;
}

} // namespace

// Shared with the background job, which holds it only while it decodes: a photo
// dropped before its turn is never decoded.
struct DeferredJpeg::Whole {
    Whole(QByteArray bytes, QSize size) : bytes(std::move(bytes)), size(size) {}

    const PictureContent &get()
    {
        std::call_once(once, [this] {
            QString why;
            const QImage image = JpegDecoder::decode(bytes, &why);
            if (image.isNull()) {
                error = why.isEmpty() ? QStringLiteral("Obrázek nelze přečíst") : why;
                content = std::make_shared<NoPixels>(size);
            } else {
                raster = std::make_shared<RasterContent>(image);
                content = raster;
            }
            done = true;
        });
        return *content;
    }

    const QByteArray bytes;
    const QSize size; // upright
    std::once_flag once;
    // Set once by get(), read only after it.
    std::shared_ptr<const PictureContent> content;
    std::shared_ptr<const RasterContent> raster; // null when the pixels could not be had
    QString error;                               // why they could not
    std::atomic<bool> done{false};
};

DeferredJpeg::DeferredJpeg(QByteArray bytes, const JpegDecoder::Info &info)
    : m_info(info)
    , m_check(std::async(std::launch::async,
                         [bytes] {
                             JpegDecoder::Info whole;
                             QString why;
                             return JpegDecoder::inspect(bytes, &whole, &why) ? QString() : why;
                         })
                  .share())
{
    m_whole = std::make_shared<Whole>(std::move(bytes), size());
}

DeferredJpeg::DeferredJpeg(QByteArray bytes, const JpegDecoder::Info &info, QImage screenImage)
    : m_info(info)
    , m_screen(std::make_shared<RasterContent>(std::move(screenImage), true))
{
    m_whole = std::make_shared<Whole>(std::move(bytes), size());
}

DeferredJpeg::~DeferredJpeg() = default;

int DeferredJpeg::reductionFor(QSize upright, QSize wanted)
{
    for (int reduction : {8, 4, 2})
        if (covers(QSize(reduced(upright.width(), reduction), reduced(upright.height(), reduction)), wanted))
            return reduction;
    return 1;
}

std::shared_ptr<const PictureContent> DeferredJpeg::forScreen(const QByteArray &bytes, const ScreenArea &area,
                                                              QString *error)
{
    JpegDecoder::Info info;
    int reduction = 1;
    QSize upright;
    if (JpegDecoder::readHeader(bytes, &info)) {
        upright = info.orientation >= 5 ? QSize(info.height, info.width) : QSize(info.width, info.height);
        // One pixel more each way than the area: the painter's rounding may ask for it.
        // (servesScreenAt allows for the same.)
        reduction = reductionFor(upright, area.pictureSize(upright) + QSize(1, 1));
    }
    if (reduction == 1) // no reduction covers it, or the header says why not
        return decodeRaster(bytes, PictureFormat::Jpeg, error);
    QImage image = JpegDecoder::decode(bytes, error, reduction);
    if (image.isNull())
        return nullptr;
    return std::make_shared<DeferredJpeg>(bytes, info, std::move(image));
}

QString DeferredJpeg::problem() const
{
    const QString damaged = m_check.valid() ? m_check.get() : QString();
    if (!damaged.isEmpty())
        return damaged;
    // A photo whose pixels were needed after all (one turned by its EXIF orientation)
    // and could not be had was drawn as nothing: as much a failure as damage.
    return m_whole->done ? m_whole->error : QString();
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

QSize DeferredJpeg::screenSize() const
{
    return m_screen ? m_screen->size() : QSize();
}

bool DeferredJpeg::servesScreenAt(const ScreenArea &area) const
{
    return !m_screen || wholeDecoded() || covers(m_screen->size(), area.pictureSize(size()) + QSize(1, 1));
}

bool DeferredJpeg::wholeDecoded() const
{
    return m_whole->done;
}

const PictureContent &DeferredJpeg::whole() const
{
    return m_whole->get();
}

void DeferredJpeg::decodeWholeLater() const
{
    std::call_once(m_backgroundStarted, [this] {
        // Handed to the background once the paint that showed the photo is over: that
        // paint spreads its smooth scaling over the same pool and would wait for it.
        QMetaObject::invokeMethod(
            &ScreenScaling::instance(),
            [weak = std::weak_ptr<Whole>(m_whole)] {
                if (weak.expired())
                    return;
                ScreenScaling::run([weak] {
                    if (const std::shared_ptr<Whole> whole = weak.lock())
                        whole->get();
                });
            },
            Qt::QueuedConnection);
    });
}

std::shared_ptr<const RasterContent> DeferredJpeg::screenSource(QSize pixelSize) const
{
    if (m_screen) {
        // Shown now; the whole picture follows in the background, where it costs the
        // window nothing, so that a higher zoom or a print does not wait for it.
        decodeWholeLater();
        if (covers(m_screen->size(), pixelSize))
            return m_screen;
    }
    whole();
    // Pixels that could not be had whole (memory): the reduced ones rather than none.
    return m_whole->raster ? m_whole->raster : m_screen;
}

void DeferredJpeg::draw(QPainter &painter, const QRectF &target) const
{
    // Paper, and the screen beyond the screen cache's sizes: always the whole picture.
    const PictureContent &pixels = whole();
    if (!m_whole->raster && m_screen) {
        m_screen->draw(painter, target);
        return;
    }
    pixels.draw(painter, target);
}

QImage DeferredJpeg::render(QSize pixelSize) const
{
    if (const std::shared_ptr<const RasterContent> source = screenSource(pixelSize))
        return source->render(pixelSize);
    return whole().render(pixelSize);
}

} // namespace korvel

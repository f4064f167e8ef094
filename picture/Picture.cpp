#include "picture/Picture.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QSaveFile>
#include <array>
#include <mutex>
#include <optional>

#include "picture/DeferredJpeg.h"
#include "settings/FileReplacement.h"
#include "picture/JpegDecoder.h"
#include "picture/PhotoPassThrough.h"
#include "picture/RasterContent.h"

namespace korvel {

QImage PictureContent::render(QSize pixelSize) const
{
    QImage image(pixelSize, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    draw(p, QRectF(QPointF(0, 0), QSizeF(pixelSize)));
    return image;
}

namespace {

// The same bytes are often decoded twice in a row: a side file loads under ".jpg"
// and again under ".jpeg", and the spine picture goes into both bands. Decoded
// content never changes, so a picture still held elsewhere is shared instead of
// decoded again. Only weak references are kept: this holds no memory of its own.
struct DecodedEntry {
    QByteArray bytes;
    PictureFormat format;
    std::weak_ptr<const PictureContent> content;
};
std::array<DecodedEntry, 4> g_recent;
std::size_t g_nextSlot = 0;
// Side files are read side by side, each on a thread of its own.
std::mutex g_recentLock;

std::shared_ptr<const PictureContent> recentlyDecoded(const QByteArray &bytes, PictureFormat format)
{
    const std::lock_guard lock(g_recentLock);
    for (DecodedEntry &entry : g_recent) {
        if (entry.format != format || entry.bytes.size() != bytes.size())
            continue;
        std::shared_ptr<const PictureContent> alive = entry.content.lock();
        if (!alive) {
            entry = DecodedEntry();
            continue;
        }
        if (entry.bytes == bytes)
            return alive;
    }
    return nullptr;
}

void rememberDecoded(const QByteArray &bytes, PictureFormat format, const std::shared_ptr<const PictureContent> &content)
{
    const std::lock_guard lock(g_recentLock);
    g_recent[g_nextSlot] = DecodedEntry{bytes, format, content};
    g_nextSlot = (g_nextSlot + 1) % g_recent.size();
}

QString unknownExtension(const QString &extension)
{
    return QStringLiteral("Unknown picture file extension (.%1)").arg(extension);
}

std::optional<PictureFormat> formatOfExtension(const QString &extension)
{
    const QString ext = extension.toLower();
    if (ext == QLatin1String("bmp"))
        return PictureFormat::Bitmap;
    if (ext == QLatin1String("gif"))
        return PictureFormat::Gif;
    if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg"))
        return PictureFormat::Jpeg;
    if (ext == QLatin1String("ico"))
        return PictureFormat::Icon;
    if (ext == QLatin1String("png"))
        return PictureFormat::Png;
    if (ext == QLatin1String("emf") || ext == QLatin1String("wmf"))
        return PictureFormat::Metafile;
    return std::nullopt;
}

// Whether the first bytes of a file allow the format at all. Only signatures every
// decoder insists on are checked, so nothing is refused that would have loaded.
bool couldBe(std::optional<PictureFormat> format, const QByteArray &head)
{
    if (!format)
        return true; // the unknown extension is reported by the normal path
    auto u16 = [&](int at) { return head.size() >= at + 2 ? int(uchar(head[at])) | int(uchar(head[at + 1])) << 8 : -1; };
    auto u32 = [&](int at) {
        return head.size() >= at + 4 ? quint32(u16(at)) | quint32(u16(at + 2)) << 16 : quint32(0);
    };
    switch (*format) {
    case PictureFormat::Bitmap:
        return head.startsWith("BM");
    case PictureFormat::Gif:
        return head.startsWith("GIF87a") || head.startsWith("GIF89a");
    case PictureFormat::Jpeg:
        return head.startsWith("\xFF\xD8");
    case PictureFormat::Icon:
        return u16(0) == 0 && (u16(2) == 1 || u16(2) == 2);
    case PictureFormat::Png:
        return head.startsWith("\x89PNG\r\n\x1a\n");
    case PictureFormat::Metafile:
        return u32(0) == 1 || u32(0) == 0x9AC6CDD7u || ((u16(0) == 1 || u16(0) == 2) && u16(2) == 9);
    case PictureFormat::None:
        break;
    }
    return true;
}

} // namespace

QString Picture::extensionOf(const QString &fileName)
{
    // Like the platform's ExtractFileExt: the text after the last dot of the name
    // part, empty when the name has no dot.
    const QString name = QFileInfo(fileName).fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return QString();
    return name.mid(dot + 1);
}

bool Picture::hasLoaderFor(const QString &fileName)
{
    const QString ext = extensionOf(fileName);
    return !ext.isEmpty() && formatOfExtension(ext).has_value();
}

QString Picture::extensionBySignature(const QByteArray &bytes)
{
    const QByteArray head = bytes.left(16);
    for (const char *extension : {"bmp", "gif", "jpg", "png", "ico", "emf"})
        if (head.size() >= 4 && couldBe(formatOfExtension(QString::fromLatin1(extension)), head))
            return QLatin1Char('.') + QLatin1String(extension);
    return QString();
}

bool Picture::loadFromFile(const QString &path, QString *error)
{
    const QString ext = extensionOf(path);
    if (ext.isEmpty() && !QFileInfo(path).fileName().contains(QLatin1Char('.'))) {
        // No extension: a present but empty picture, the file is not even read.
        clear();
        return true;
    }
    // The loader is chosen by the extension before the file is looked at: an
    // extension without a loader says so, whether or not the file exists.
    if (!ext.isEmpty() && !formatOfExtension(ext)) {
        if (error)
            *error = unknownExtension(ext);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Soubor „%1“ nelze otevřít: %2").arg(path, czechReadReason(path));
        return false;
    }
    // Refuse files far beyond any picture before reading them into memory.
    constexpr qint64 kMaxFileBytes = qint64(512) * 1024 * 1024;
    if (file.size() > kMaxFileBytes) {
        if (error)
            *error = QStringLiteral("Soubor „%1“ je na obrázek příliš velký").arg(path);
        return false;
    }
    // A side file is offered under nine extensions in turn; a file whose first bytes
    // already rule the format out is refused without reading it all.
    const QByteArray head = file.peek(16);
    if (!couldBe(formatOfExtension(ext), head))
        return loadFromData(head, QLatin1Char('.') + ext, error);
    const QByteArray bytes = file.readAll();
    return loadFromData(bytes, QLatin1Char('.') + ext, error);
}

bool Picture::loadFromData(const QByteArray &bytes, const QString &extension, QString *error,
                           const ScreenArea *shownAt)
{
    QString ext = extension.toLower();
    if (ext.startsWith(QLatin1Char('.')))
        ext.remove(0, 1);
    if (ext.isEmpty()) {
        clear();
        return true;
    }
    const std::optional<PictureFormat> known = formatOfExtension(ext);
    if (!known) {
        if (error)
            *error = unknownExtension(extension.startsWith(QLatin1Char('.')) ? extension.mid(1) : extension);
        return false;
    }
    const PictureFormat format = *known;

    QString why;
    std::shared_ptr<const PictureContent> content = recentlyDecoded(bytes, format);
    // The same photo reduced for a smaller area (the front's photo on the back too) is
    // decoded again for this one rather than shown from too few pixels.
    if (const auto *deferred = dynamic_cast<const DeferredJpeg *>(content.get()))
        if (shownAt && !deferred->servesScreenAt(*shownAt))
            content.reset();
    if (!content) {
        if (format == PictureFormat::Jpeg && DeferredJpeg::enabled()) {
            // The header now, the whole file in the background (DeferredJpeg::problem),
            // the pixels only if they are ever needed. A header that does not read is
            // inspected at once for the reason.
            JpegDecoder::Info info;
            if (JpegDecoder::readHeader(bytes, &info) || JpegDecoder::inspect(bytes, &info, &why))
                content = std::make_shared<DeferredJpeg>(bytes, info);
        } else if (format == PictureFormat::Jpeg && shownAt) {
            // Reduced for the screen now, whole in the background once shown.
            content = DeferredJpeg::forScreen(bytes, *shownAt, &why);
        } else {
            content = format == PictureFormat::Metafile ? decodeMetafile(bytes, &why) : decodeRaster(bytes, format, &why);
        }
        if (content)
            rememberDecoded(bytes, format, content);
    }
    if (!content) {
        if (error)
            *error = why.isEmpty() ? QStringLiteral("Obrázek nelze přečíst") : why;
        return false;
    }
    m_content = std::move(content);
    m_decoded.reset();
    m_bytes = bytes;
    m_format = format;
    m_cache = std::make_shared<ScreenCache>();
    return true;
}

bool Picture::saveToFile(const QString &path, QString *error) const
{
    if (isEmpty())
        return true;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(m_bytes) != m_bytes.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("Soubor „%1“ nelze zapsat: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

Picture Picture::stored() const
{
    Picture copy;
    if (isEmpty())
        return copy;
    copy.m_decoded = m_content ? std::weak_ptr<const PictureContent>(m_content) : m_decoded;
    copy.m_bytes = m_bytes;
    copy.m_format = m_format;
    return copy;
}

Picture Picture::revived() const
{
    if (!isStored())
        return *this;
    Picture copy;
    if (std::shared_ptr<const PictureContent> alive = m_decoded.lock()) {
        copy.m_content = std::move(alive);
        copy.m_bytes = m_bytes;
        copy.m_format = m_format;
        return copy;
    }
    static constexpr std::pair<PictureFormat, const char *> kExtensions[] = {
        {PictureFormat::Bitmap, ".bmp"}, {PictureFormat::Gif, ".gif"}, {PictureFormat::Jpeg, ".jpg"},
        {PictureFormat::Icon, ".ico"},   {PictureFormat::Png, ".png"}, {PictureFormat::Metafile, ".emf"}};
    for (const auto &[format, extension] : kExtensions)
        if (format == m_format) {
            // These bytes were decoded once already; only memory can refuse them now,
            // and then the picture is shown as none rather than half.
            QString ignored;
            copy.loadFromData(m_bytes, QString::fromLatin1(extension), &ignored);
        }
    return copy;
}

void Picture::clear()
{
    m_content.reset();
    m_decoded.reset();
    m_bytes.clear();
    m_format = PictureFormat::None;
    m_cache = std::make_shared<ScreenCache>();
}

QSize Picture::size() const
{
    return m_content ? m_content->size() : QSize(0, 0);
}

bool Picture::sameAs(const Picture &other) const
{
    // Copies share their decoded content: no need to compare megabytes of bytes.
    if (m_format == other.m_format && m_bytes.size() == other.m_bytes.size()
        && m_bytes.constData() == other.m_bytes.constData())
        return true;
    return m_format == other.m_format && m_bytes == other.m_bytes;
}

void Picture::draw(QPainter &painter, const QRectF &target, DrawTarget where, PhotoPassThrough *photos) const
{
    if (!m_content || target.isEmpty())
        return;
    if (where == DrawTarget::Paper) {
        // Into a PDF that will carry the JPEG file itself: a stand-in the PDF's
        // post-pass swaps for the original bytes.
        if (photos)
            if (const QImage *standIn = photos->standInFor(*this)) {
                // Lossless, or Qt would make it a JPEG of its own.
                painter.save();
                painter.setRenderHint(QPainter::LosslessImageRendering);
                painter.drawImage(target, *standIn);
                painter.restore();
                return;
            }
        m_content->draw(painter, target);
        return;
    }
    // Screen: scale once per device size, then blit. A 12-megapixel photo would
    // otherwise be resampled on every paint.
    const QRect device = painter.transform().mapRect(target).toAlignedRect();
    const QSize want = device.size();
    if (want.isEmpty())
        return;
    if (want.width() > kMaxPictureSide || want.height() > kMaxPictureSide) {
        m_content->draw(painter, target);
        return;
    }
    // The two sizes used last are kept: zooming in and back out again, or the same
    // picture shown at two sizes, does not resample the photo each time.
    ScreenCache &cache = *m_cache;
    // A photo at a new size is shown at once from a quick scaling while the smooth one
    // is made in the background (RasterContent::screenCopy); a smooth copy that has
    // arrived since the last paint takes the quick one's place, same size, same spot.
    const auto *raster = dynamic_cast<const RasterContent *>(m_content.get());
    // A photo loaded for the screen at a reduced scale is shown from those pixels while
    // they cover the size, from the whole picture beyond it.
    std::shared_ptr<const RasterContent> source;
    if (const auto *deferred = dynamic_cast<const DeferredJpeg *>(m_content.get())) {
        source = deferred->screenSource(want);
        raster = source.get();
    }
    if (cache.smooth)
        for (int i = 0; i < 2; ++i)
            if (cache.quick[i])
                if (QImage arrived = cache.smooth->take(cache.size[i]); !arrived.isNull()) {
                    cache.image[i] = std::move(arrived);
                    cache.quick[i] = false;
                }
    if (cache.size[0] != want || cache.image[0].isNull()) {
        if (cache.size[1] == want && !cache.image[1].isNull()) {
            std::swap(cache.size[0], cache.size[1]);
            std::swap(cache.image[0], cache.image[1]);
            std::swap(cache.quick[0], cache.quick[1]);
            // Its smooth copy was given up when the other size was asked for.
            if (cache.quick[0] && raster)
                raster->smoothLater(want, cache.smooth);
        } else {
            cache.size[1] = cache.size[0];
            cache.image[1] = std::move(cache.image[0]);
            cache.quick[1] = cache.quick[0];
            bool smooth = true;
            if (raster) {
                if (!cache.smooth)
                    cache.smooth = std::make_shared<SmoothScreenCopy>();
                cache.image[0] = raster->screenCopy(want, cache.smooth, &smooth);
            } else {
                cache.image[0] = m_content->render(want);
            }
            cache.quick[0] = !smooth;
            cache.size[0] = want;
        }
    }
    painter.drawImage(target, cache.image[0]);
}

} // namespace korvel

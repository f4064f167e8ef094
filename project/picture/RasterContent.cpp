#include "project/picture/RasterContent.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <sys/mman.h>

namespace korvel {

RasterContent::RasterContent(QImage image) : m_image(toDrawFormat(std::move(image))) {}

void RasterContent::draw(QPainter &painter, const QRectF &target) const
{
    painter.drawImage(target, m_image);
}

QImage RasterContent::render(QSize pixelSize) const
{
    if (pixelSize == m_image.size())
        return m_image;
    return m_image.scaled(pixelSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage RasterContent::toDrawFormat(QImage image)
{
    if (image.isNull())
        return image;
    const QImage::Format want = image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                        : QImage::Format_RGB32;
    if (image.format() != want)
        image.convertTo(want);
    return image;
}

namespace {

constexpr std::size_t kHugePage = std::size_t(2) * 1024 * 1024;

struct MappedPixels {
    void *mapping;
    std::size_t length;
};

void unmapPixels(void *info)
{
    auto *pixels = static_cast<MappedPixels *>(info);
    ::munmap(pixels->mapping, pixels->length);
    delete pixels;
}

} // namespace

QImage RasterContent::allocate(int width, int height, QImage::Format format)
{
    if (width <= 0 || height <= 0)
        return QImage();
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    const qsizetype bytesPerLine = ((qsizetype(width) * depth + 31) / 32) * 4;
    const std::size_t bytes = std::size_t(bytesPerLine) * std::size_t(height);
    // Small pictures gain nothing from this.
    if (bytes < 4 * kHugePage)
        return QImage(width, height, format);
    // Huge pages need a 2 MB aligned start: map a little more and align inside.
    const std::size_t length = bytes + kHugePage;
    void *mapping = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        return QImage(width, height, format);
    auto start = (reinterpret_cast<std::uintptr_t>(mapping) + kHugePage - 1) & ~(std::uintptr_t(kHugePage) - 1);
    auto *data = reinterpret_cast<uchar *>(start);
    ::madvise(data, bytes, MADV_HUGEPAGE); // a hint: without it, ordinary pages
    return QImage(data, width, height, bytesPerLine, format, unmapPixels, new MappedPixels{mapping, length});
}

bool RasterContent::sizeAcceptable(qint64 width, qint64 height, QString *error)
{
    if (width <= 0 || height <= 0) {
        if (error)
            *error = damaged(QStringLiteral("neplatná velikost obrázku %1 × %2").arg(width).arg(height));
        return false;
    }
    if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels) {
        if (error)
            *error = QStringLiteral("Obrázek je příliš velký (%1 × %2 pixelů)").arg(width).arg(height);
        return false;
    }
    return true;
}

QString RasterContent::damaged(const QString &why)
{
    return QStringLiteral("Soubor obrázku je poškozený (%1)").arg(why);
}

QImage RasterContent::readWithQt(const QByteArray &bytes, const char *format, int index,
                                 QString *error)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    // Our own limit is checked from the headers before this; Qt's default limit
    // (256 MB) would refuse some pictures that we accept.
    reader.setAllocationLimit(int(kMaxPicturePixels * 4 / (1024 * 1024)) + 1);
    if (index > 0 && !reader.jumpToImage(index)) {
        if (error)
            *error = damaged(QStringLiteral("obrázek č. %1 nelze najít").arg(index + 1));
        return QImage();
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        if (error)
            *error = damaged(reader.errorString());
        return QImage();
    }
    return image;
}

} // namespace korvel

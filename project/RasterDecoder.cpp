#include "project/Picture.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

namespace korvel {

namespace {
class RasterContent final : public PictureContent {
public:
    explicit RasterContent(QImage image) : m_image(std::move(image)) {}
    QSize size() const override { return m_image.size(); }
    void draw(QPainter &painter, const QRectF &target) const override
    {
        painter.drawImage(target, m_image);
    }
    QImage render(QSize pixelSize) const override
    {
        return m_image.scaled(pixelSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }

private:
    QImage m_image;
};
} // namespace

std::shared_ptr<const PictureContent> decodeRaster(const QByteArray &bytes, PictureFormat format,
                                                   QString *error)
{
    const char *qtFormat = format == PictureFormat::Bitmap ? "bmp"
        : format == PictureFormat::Gif                      ? "gif"
        : format == PictureFormat::Jpeg                     ? "jpeg"
                                                            : "ico";
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, qtFormat);
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        if (error)
            *error = QStringLiteral("The picture is damaged or not in the expected format: %1")
                         .arg(reader.errorString());
        return nullptr;
    }
    return std::make_shared<RasterContent>(std::move(image));
}

} // namespace korvel

#pragma once
#include <QImage>

#include "project/picture/Picture.h"

class QByteArray;

namespace korvel {

// A decoded BMP, GIF, JPEG, PNG or icon. The image is kept in a format that the
// painter blits without conversion: RGB32 when opaque, ARGB32_Premultiplied
// when it has transparency.
class RasterContent final : public PictureContent {
public:
    explicit RasterContent(QImage image);

    QSize size() const override { return m_image.size(); }
    void draw(QPainter &painter, const QRectF &target) const override;
    QImage render(QSize pixelSize) const override;
    const QImage &image() const { return m_image; }

    // Converts a decoded image to the drawing format described above.
    static QImage toDrawFormat(QImage image);

    // An image for a decoder to fill, uninitialised. A photo's pixels (tens of
    // megabytes) go into memory the kernel may back with huge pages: touching them
    // row by row then costs a few hundred page faults instead of tens of thousands,
    // which is most of what a decode costs beyond the decoding itself.
    static QImage allocate(int width, int height, QImage::Format format);

    // The size limits every raster decoder applies before allocating anything.
    static bool sizeAcceptable(qint64 width, qint64 height, QString *error);

    // "Soubor obrázku je poškozený (why)": the one wording for damaged data.
    static QString damaged(const QString &why);

    // Reads the first (or index-th) image through Qt's reader for the named format,
    // with format guessing off and an allocation limit matching our size limits.
    static QImage readWithQt(const QByteArray &bytes, const char *format, int index,
                             QString *error);

private:
    QImage m_image;
};

} // namespace korvel

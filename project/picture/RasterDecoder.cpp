#include "project/picture/BmpDecoder.h"
#include "project/picture/GifDecoder.h"
#include "project/picture/IconDecoder.h"
#include "project/picture/JpegDecoder.h"
#include "project/picture/Picture.h"
#include "project/picture/PngDecoder.h"
#include "project/picture/RasterContent.h"

namespace korvel {

std::shared_ptr<const PictureContent> decodeRaster(const QByteArray &bytes, PictureFormat format,
                                                   QString *error)
{
    QImage image;
    switch (format) {
    case PictureFormat::Bitmap:
        image = BmpDecoder::decode(bytes, error);
        break;
    case PictureFormat::Gif:
        image = GifDecoder::decode(bytes, error);
        break;
    case PictureFormat::Jpeg:
        image = JpegDecoder::decode(bytes, error);
        break;
    case PictureFormat::Icon:
        image = IconDecoder::decode(bytes, error);
        break;
    case PictureFormat::Png:
        image = PngDecoder::decode(bytes, error);
        break;
    case PictureFormat::None:
    case PictureFormat::Metafile:
        if (error)
            *error = QStringLiteral("Nejde o rastrový obrázek");
        return nullptr;
    }
    if (image.isNull()) {
        if (error && error->isEmpty())
            *error = QStringLiteral("Obrázek nelze přečíst");
        return nullptr;
    }
    return std::make_shared<RasterContent>(std::move(image));
}

} // namespace korvel

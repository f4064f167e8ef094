#include "picture/BmpDecoder.h"
#include "picture/GifDecoder.h"
#include "picture/IconDecoder.h"
#include "picture/JpegDecoder.h"
#include "picture/Picture.h"
#include "picture/PngDecoder.h"
#include "picture/RasterContent.h"

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

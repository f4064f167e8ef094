#include "project/Picture.h"

namespace korvel {

std::shared_ptr<const PictureContent> decodeMetafile(const QByteArray &, QString *error)
{
    if (error)
        *error = QStringLiteral("Metafile pictures (EMF, WMF) cannot be shown yet");
    return nullptr;
}

} // namespace korvel

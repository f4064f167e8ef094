#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>

namespace korvel {

// PNG files, through libpng's own API as JPEG goes through libjpeg's. Every fault
// libpng finds ends the decode, a bad checksum in any chunk included: Qt's reader
// drops an ancillary chunk whose checksum is wrong and goes on, so a damaged
// transparency chunk shows the picture on black instead of refusing it. The size
// in the header is checked before anything is allocated for the pixels.
class PngDecoder {
public:
    static QImage decode(const QByteArray &bytes, QString *error);
};

} // namespace korvel

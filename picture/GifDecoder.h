#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>

namespace korvel {

// GIF files; an animation shows its first frame. Qt decodes the pixels, but a
// truncated file comes back as a partial image without an error, so the block
// structure is walked here first: every block must be complete, up to the
// trailer or at least to the end of the last image's data.
class GifDecoder {
public:
    static QImage decode(const QByteArray &bytes, QString *error);
};

} // namespace korvel

#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>

namespace korvel {

// Icon files (.ico, also cursors). An icon holds several images; the largest
// one is shown, since the picture is stretched over a whole cover area. Qt
// decodes the chosen entry; the directory and the entry's data are checked
// against the file's length first.
class IconDecoder {
public:
    static QImage decode(const QByteArray &bytes, QString *error);
};

} // namespace korvel

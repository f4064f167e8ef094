// Feeds arbitrary bytes to the raster picture loader. The first byte picks the
// extension, so one corpus covers every decoder, and whether the picture is loaded
// for the screen (a JPEG then decoded at a reduced scale first); the rest is the file.
#include <QCoreApplication>
#include <QImage>

#include "picture/Picture.h"
#include "picture/ScreenArea.h"

namespace {
const char *const kExtensions[] = {".bmp", ".gif", ".jpg", ".ico", ".jpeg", ".png"};
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Qt finds its image format plugins (GIF, icon) through the application.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QString extension = QString::fromLatin1(kExtensions[data[0] % std::size(kExtensions)]);
    const bool forScreen = data[0] / std::size(kExtensions) % 2 == 1;
    const korvel::ScreenArea area{QSizeF(40, 30), korvel::PicturePlacement()};
    const QByteArray bytes(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    korvel::Picture picture;
    QString error;
    if (picture.loadFromData(bytes, extension, &error, forScreen ? &area : nullptr)) {
        // A loaded picture must have a sane size and render for the screen.
        const QSize own = picture.size();
        if (own.isEmpty() || own.width() > korvel::kMaxPictureSide || own.height() > korvel::kMaxPictureSide)
            __builtin_trap();
        const QImage small = picture.content()->render(QSize(7, 5));
        if (small.size() != QSize(7, 5))
            __builtin_trap();
        // Loaded for the screen, the whole picture is still there for paper.
        if (forScreen && picture.content()->render(QSize(97, 61)).size() != QSize(97, 61))
            __builtin_trap();
    } else if (error.isEmpty()) {
        __builtin_trap(); // every failure says why
    }
    return 0;
}

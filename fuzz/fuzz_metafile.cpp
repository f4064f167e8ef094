// Feeds arbitrary bytes to the metafile decoder and plays whatever it accepts into
// a small image, so every record handler sees damaged input.
#include "picture/Picture.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString error;
    const auto content = korvel::decodeMetafile(bytes, &error);
    if (!content) {
        if (error.isEmpty())
            std::abort(); // a failure must say why
        return 0;
    }
    (void)content->size();
    QImage image(64, 48, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    content->draw(painter, QRectF(0, 0, 64, 48));
    return 0;
}

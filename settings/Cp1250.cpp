#include "settings/Cp1250.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace korvel {

namespace {

bool isAscii(QByteArrayView bytes)
{
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

bool isAscii(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

} // namespace

// Names and most values are plain ASCII, where the code page agrees with Latin-1;
// the fast path spares a converter for the many keys of a project load or save.

QString decodeCp1250(QByteArrayView bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    QStringDecoder decoder("windows-1250");
    return decoder.decode(bytes);
}

bool encodeCp1250(QStringView text, QByteArray *out)
{
    if (isAscii(text)) {
        *out = text.toLatin1();
        return true;
    }
    QStringEncoder encoder("windows-1250");
    if (!encoder.isValid())
        return false;
    *out = encoder.encode(text);
    return !encoder.hasError();
}

} // namespace korvel

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

QString keepCp1250(QStringView text, QString *dropped)
{
    QByteArray bytes;
    if (encodeCp1250(text, &bytes))
        return text.toString();
    QString kept;
    kept.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        // One code point at a time, so a character outside the BMP goes as a whole.
        const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        const QStringView ch = text.sliced(i, n);
        if (encodeCp1250(ch, &bytes))
            kept.append(ch);
        else if (dropped && !dropped->contains(ch))
            dropped->append(ch);
        i += n;
    }
    return kept;
}

} // namespace korvel

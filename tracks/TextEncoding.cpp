#include "tracks/TextEncoding.h"

#include <QStringDecoder>

#include "settings/Cp1250.h"

namespace korvel {

namespace {

const QByteArrayView kBom("\xEF\xBB\xBF", 3);

// Well-formed UTF-8: no stray continuation byte, no overlong form, no surrogate, nothing
// past U+10FFFF, no sequence cut short.
bool isValidUtf8(QByteArrayView bytes)
{
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        unsigned char low = 0x80, high = 0xBF; // the allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF)
            length = 2;
        else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0)
                low = 0xA0;
            else if (c == 0xED)
                high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0)
                low = 0x90;
            else if (c == 0xF4)
                high = 0x8F;
        } else
            return false;
        if (i + length > n)
            return false;
        for (int k = 1; k < length; ++k) {
            const unsigned char b = static_cast<unsigned char>(bytes[i + k]);
            if (k == 1 ? (b < low || b > high) : (b < 0x80 || b > 0xBF))
                return false;
        }
        i += length;
    }
    return true;
}

QString decode1252(QByteArrayView bytes)
{
    QStringDecoder decoder("windows-1252");
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

bool isCzechLetter(QChar c)
{
    static const QString letters = QStringLiteral("áčďéěíňóřšťúůýžÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ");
    return letters.contains(c);
}

} // namespace

TextEncoding detectEncoding(QByteArrayView bytes)
{
    if (bytes.startsWith(kBom) || isValidUtf8(bytes))
        return TextEncoding::Utf8;
    // Only the bytes on which the code pages differ tell them apart: each that gives
    // a Czech letter in Windows-1250 speaks for it, each that gives anything else
    // (ŕ, ű, a symbol, as a Western text would) against it.
    const QString as1250 = decodeCp1250(bytes);
    const QString as1252 = decode1252(bytes);
    if (as1250.size() != as1252.size())
        return TextEncoding::Windows1250;
    int score = 0;
    bool differ = false;
    for (qsizetype i = 0; i < as1250.size(); ++i) {
        if (as1250[i] == as1252[i])
            continue;
        differ = true;
        score += isCzechLetter(as1250[i]) ? 1 : -1;
    }
    return !differ || score > 0 ? TextEncoding::Windows1250 : TextEncoding::Windows1252;
}

QString decodeText(QByteArrayView bytes, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        if (bytes.startsWith(kBom))
            bytes = bytes.sliced(kBom.size());
        return QString::fromUtf8(bytes);
    case TextEncoding::Windows1250:
        return decodeCp1250(bytes);
    case TextEncoding::Windows1252:
        return decode1252(bytes);
    }
    return QString();
}

QString encodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case TextEncoding::Windows1250:
        return QStringLiteral("Windows-1250 (středoevropské)");
    case TextEncoding::Windows1252:
        return QStringLiteral("Windows-1252 (západoevropské)");
    }
    return QString();
}

} // namespace korvel

#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>

namespace korvel::test {

// An MP3 of silent MPEG-1 Layer III frames (128 kbit/s, 44.1 kHz, 417 bytes each)
// after an ID3v2 tag naming its title, without a length header (Xing or VBRI), as
// some encoders and every cut-down recording leave them. The file is then stretched
// to totalBytes by a hole: the data of a recording cut off mid-stream, which reads as
// zeros and takes no room on the disk. What TagLib has to search backwards through
// for the last frame of sound. Returns whether it was written.
inline bool writeMp3WithoutLengthHeader(const QString &path, const QByteArray &title, qint64 totalBytes, int frames = 50)
{
    QByteArray frame(417, '\0');
    frame[0] = char(0xFF);
    frame[1] = char(0xFB);
    frame[2] = char(0x90);
    frame[3] = char(0xC0); // mono
    QByteArray text = QByteArray(1, '\0') + title; // ISO-8859-1
    const QByteArray size = QByteArray::fromHex(QByteArray::number(qlonglong(text.size()), 16).rightJustified(8, '0'));
    QByteArray body = QByteArray("TIT2") + size + QByteArray(2, '\0') + text;
    body += QByteArray(64, '\0'); // padding
    QByteArray tag("ID3\x03\x00\x00", 6);
    const int n = int(body.size());
    tag += char((n >> 21) & 0x7F);
    tag += char((n >> 14) & 0x7F);
    tag += char((n >> 7) & 0x7F);
    tag += char(n & 0x7F);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    bool ok = file.write(tag + body) == tag.size() + body.size();
    for (int i = 0; ok && i < frames; ++i)
        ok = file.write(frame) == frame.size();
    return ok && file.resize(std::max(totalBytes, file.size()));
}

} // namespace korvel::test

#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace korvel {

// Text on disk (INI files, the per-user store) is 8-bit, code page Windows-1250.
// Every byte 0x00-0xFF decodes to one character and encodes back to the same byte,
// including the five bytes the code page leaves unassigned (they map to the C1
// control characters), so a value read and written again is byte for byte the same.

QString decodeCp1250(QByteArrayView bytes);

// Encodes text into *out. Returns false, leaving *out unspecified, when the text has
// a character the code page cannot hold: such text is reported, never written with
// a substitute character.
bool encodeCp1250(QStringView text, QByteArray *out);

// The text without the characters the code page cannot hold; those go, each once and
// in order of appearance, into *dropped when it is given.
QString keepCp1250(QStringView text, QString *dropped = nullptr);

} // namespace korvel

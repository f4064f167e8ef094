#pragma once
#include <QByteArrayView>
#include <QString>

namespace korvel {

// The encodings a CUE sheet or playlist comes in: written on Linux or by a recent
// program in UTF-8 (with or without a byte order mark), by an older Windows program in
// the code page of its system: Windows-1250 in Czech, Windows-1252 in Western Europe.
enum class TextEncoding { Utf8, Windows1250, Windows1252 };

// Valid UTF-8 is UTF-8. Otherwise the code page that gives Czech letters where the
// two differ (ř, ě, ů rather than ø, ì, ù) is Windows-1250, else Windows-1252; text
// on which both agree is Windows-1250.
TextEncoding detectEncoding(QByteArrayView bytes);

// The text, a UTF-8 byte order mark left out.
QString decodeText(QByteArrayView bytes, TextEncoding encoding);

// What the window calls it: "UTF-8", "Windows-1250 (středoevropské)", ...
QString encodingName(TextEncoding encoding);

} // namespace korvel

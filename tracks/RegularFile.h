#pragma once
#include <QByteArray>
#include <QString>

namespace korvel {

// Opens path for reading only when it is a regular file: a FIFO, a device (or a link
// to one, such as /dev/zero), a socket or a folder is refused without waiting for a
// writer or reading a byte. Returns the descriptor (the caller closes it), or -1 with
// *reason saying in Czech why ("není obyčejný soubor", "neexistuje", ...); *size is
// the file's size.
int openRegularFile(const QString &path, qint64 *size, QString *reason);

// What a small file of outside data (a CUE sheet, a playlist, a cover picture) gave.
struct RegularFileContent {
    QByteArray bytes;
    QString error; // empty when read; else a whole Czech sentence naming the file
};

// Reads a regular file of at most limit bytes, refusing anything else (see
// openRegularFile) and anything larger, also a file that grows while it is read.
// what names the file in the message: "Soubor CUE", "Seznam skladeb".
RegularFileContent readRegularFile(const QString &path, qint64 limit, const QString &what);

} // namespace korvel

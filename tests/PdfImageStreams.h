#pragma once
#include <QByteArrayList>
#include <QString>

// The raw (still compressed) bytes of every image stream in a PDF file. Kept in its
// own file: the PDF library's headers build only as C++17 under clang.
QByteArrayList pdfImageStreams(const QString &pdf);

// Each page's content, its streams decoded and joined, in page order: what the page
// draws, without the file's dates and identifiers.
QByteArrayList pdfPageContents(const QString &pdf);

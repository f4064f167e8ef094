#pragma once
#include <QByteArrayList>
#include <QList>
#include <QRectF>
#include <QString>

// The raw (still compressed) bytes of every image stream in a PDF file. Kept in its
// own file: the PDF library's headers build only as C++17 under clang.
QByteArrayList pdfImageStreams(const QString &pdf);

// Each page's content, its streams decoded and joined, in page order: what the page
// draws, without the file's dates and identifiers.
QByteArrayList pdfPageContents(const QString &pdf);

// A page's boxes as a PDF reader takes them, in points from the page's bottom-left
// corner (a box the page leaves out is its MediaBox, as readers take it).
struct PdfBoxes {
    QRectF media, trim, bleed;
};
QList<PdfBoxes> pdfPageBoxes(const QString &pdf);

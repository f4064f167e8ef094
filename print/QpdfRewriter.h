#pragma once
#include <QByteArray>

class QPDF;

namespace korvel {

// Writes a PDF that the PDF library has read and changed back into bytes. Every
// stream is copied as it stands, neither decoded nor compressed again: the drawing
// stays as Qt wrote it and a photo stays its file's bytes.
class QpdfRewriter {
public:
    // Replaces *pdf with the document; extra is what the caller expects the file to
    // grow by, so the bytes are written into one buffer sized up front. Throws what
    // the library throws.
    static void write(QPDF &document, QByteArray *pdf, qsizetype extra);
};

} // namespace korvel

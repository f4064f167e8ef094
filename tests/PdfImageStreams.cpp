#include "PdfImageStreams.h"

#include <QFile>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

QByteArrayList pdfImageStreams(const QString &pdf)
{
    QPDF document;
    document.processFile(QFile::encodeName(pdf).constData());
    QByteArrayList streams;
    for (QPDFObjectHandle object : document.getAllObjects())
        if (object.isStream() && object.getDict().getKey("/Subtype").isNameAndEquals("/Image")) {
            const std::shared_ptr<Buffer> raw = object.getRawStreamData();
            streams.append(QByteArray(reinterpret_cast<const char *>(raw->getBuffer()), qsizetype(raw->getSize())));
        }
    return streams;
}

QByteArrayList pdfPageContents(const QString &pdf)
{
    QPDF document;
    document.processFile(QFile::encodeName(pdf).constData());
    QByteArrayList pages;
    for (QPDFObjectHandle page : document.getAllPages()) {
        QByteArray content;
        for (QPDFObjectHandle stream : page.getPageContents()) {
            const std::shared_ptr<Buffer> data = stream.getStreamData(qpdf_dl_generalized);
            content.append(reinterpret_cast<const char *>(data->getBuffer()), qsizetype(data->getSize()));
        }
        pages.append(content);
    }
    return pages;
}

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

namespace {

QRectF readBox(QPDFObjectHandle page, const char *key, const QRectF &otherwise)
{
    QPDFObjectHandle box = page.getKey(key);
    if (!box.isArray() || box.getArrayNItems() != 4)
        return otherwise;
    double v[4];
    for (int i = 0; i < 4; ++i)
        v[i] = box.getArrayItem(i).getNumericValue();
    return QRectF(QPointF(v[0], v[1]), QPointF(v[2], v[3])).normalized();
}

} // namespace

QList<PdfBoxes> pdfPageBoxes(const QString &pdf)
{
    QPDF document;
    document.processFile(QFile::encodeName(pdf).constData());
    QList<PdfBoxes> pages;
    for (QPDFObjectHandle page : document.getAllPages()) {
        const QRectF media = readBox(page, "/MediaBox", QRectF());
        pages.append(PdfBoxes{media, readBox(page, "/TrimBox", media), readBox(page, "/BleedBox", media)});
    }
    return pages;
}

#include "print/PdfPageBoxes.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <QPageSize>
#include <cmath>
#include <exception>
#include <string>

#include "print/QpdfRewriter.h"

namespace korvel {

namespace {

constexpr double kPointsPerMm = 72 / 25.4;


QSizeF roundedUp(QSizeF points)
{
    return QSizeF(std::ceil(points.width() - 1e-6), std::ceil(points.height() - 1e-6));
}

// A box in points from the page's bottom-left corner, as a PDF has it.
QPDFObjectHandle box(double left, double bottom, double right, double top)
{
    QPDFObjectHandle array = QPDFObjectHandle::newArray();
    for (double v : {left, bottom, right, top})
        array.appendItem(QPDFObjectHandle::newReal(v, 4));
    return array;
}

} // namespace

QPageLayout PdfPageBoxes::drawnLayout() const
{
    // Matched exactly: a size near a standard paper's must not be taken for it.
    const QPageSize size(roundedUp(page * kPointsPerMm), QPageSize::Point, QString(), QPageSize::ExactMatch);
    return QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point);
}

bool setPdfPageBoxes(QByteArray *pdf, const std::vector<PdfPageBoxes> &pages, QString *error)
{
    try {
        QPDF document;
        document.setSuppressWarnings(true);
        document.processMemoryFile("pieces.pdf", pdf->constData(), size_t(pdf->size()));
        std::vector<QPDFPageObjectHelper> found = QPDFPageDocumentHelper(document).getAllPages();
        if (found.size() != pages.size()) {
            *error = QStringLiteral("PDF má %1 stran místo %2.").arg(found.size()).arg(pages.size());
            return false;
        }
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const QSizeF exact = pages[i].page * kPointsPerMm;
            const QSizeF drawn = roundedUp(exact);
            QPDFPageObjectHelper &page = found[i];
            // Qt's drawing begins by turning the page upside down about its rounded-up
            // height; moved down by the difference, its top is the exact page's top.
            const double down = drawn.height() - exact.height();
            if (down != 0) {
                const std::string shift = "1 0 0 1 0 " + QByteArray::number(-down, 'f', 4).toStdString() + " cm\n";
                page.addPageContents(QPDFObjectHandle::newStream(&document, shift), true);
            }
            const QRectF trim(pages[i].trim.topLeft() * kPointsPerMm, pages[i].trim.size() * kPointsPerMm);
            QPDFObjectHandle dict = page.getObjectHandle();
            dict.replaceKey("/MediaBox", box(0, 0, exact.width(), exact.height()));
            dict.replaceKey("/BleedBox", box(0, 0, exact.width(), exact.height()));
            dict.replaceKey("/TrimBox", box(trim.left(), exact.height() - trim.bottom(), trim.right(), exact.height() - trim.top()));
            dict.removeKey("/CropBox");
        }
        QpdfRewriter::write(document, pdf, 4096);
        return true;
    } catch (const std::exception &e) {
        *error = QStringLiteral("PDF nelze dokončit: %1").arg(QString::fromLocal8Bit(e.what()));
        return false;
    }
}

} // namespace korvel

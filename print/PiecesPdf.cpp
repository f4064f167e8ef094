#include "print/PiecesPdf.h"

#include <QPainter>

#include "print/PdfOutput.h"
#include "project/CoverPage.h"
#include "project/PrintFinish.h"
#include "project/SheetRenderer.h"

namespace korvel {

std::vector<PdfPageBoxes> PiecesPdf::boxes(const SheetLayout &layout, int bleed)
{
    std::vector<PdfPageBoxes> pages;
    for (const PieceSpec &piece : layout.pieces) {
        const QRectF cut = piece.cut.rect();
        const QRectF bled = PrintFinish::bleedShape(piece, bleed).rect();
        // Tenths of a millimetre to millimetres, from the bled area's corner.
        pages.push_back(PdfPageBoxes{bled.size() / 10, QRectF((cut.topLeft() - bled.topLeft()) / 10, cut.size() / 10)});
    }
    return pages;
}

bool PiecesPdf::write(const CoverPage &sheet, int bleed, const QString &path, const QString &title, QString *error,
                      const std::function<bool()> &ready)
{
    PdfOutput::Setup setup;
    setup.title = title;
    setup.creator = QStringLiteral("Korvel");
    setup.pageBoxes = boxes(sheet.layout(), bleed);
    const std::vector<PdfPageBoxes> pages = setup.pageBoxes;
    const PdfOutput::Draw draw = [&](QPagedPaintDevice &device, PhotoPassThrough *photos) {
        QPainter painter;
        if (!painter.begin(&device))
            return false;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            if (i > 0) {
                device.setPageLayout(pages[i].drawnLayout());
                if (!device.newPage())
                    return false;
            }
            SheetRenderer::paintPiece(sheet, painter, int(i), bleed, device.logicalDpiX(), photos);
        }
        return painter.end();
    };
    return PdfOutput(setup).write(path, draw, error, ready);
}

} // namespace korvel

#pragma once
#include <QString>
#include <functional>
#include <vector>

#include "print/PdfPageBoxes.h"

namespace korvel {

class CoverPage;
struct SheetLayout;

// The PDF a print shop asks for: one page for each piece of the sheet (the front
// page, then the inlay), each the piece at its trim size with the bleed around it,
// its /TrimBox the cut and its /BleedBox the page. No outlines, no marks and no
// printer's calibration: the shop cuts by the boxes. The photos go in as their own
// files, through the one PDF output (PdfOutput).
class PiecesPdf {
public:
    // The pages' boxes for a layout's pieces with a bleed in tenths of a millimetre.
    static std::vector<PdfPageBoxes> boxes(const SheetLayout &layout, int bleed);

    // Writes the sheet's pieces to path, titled title. ready and the result are as
    // PdfOutput::write's.
    static bool write(const CoverPage &sheet, int bleed, const QString &path, const QString &title, QString *error,
                      const std::function<bool()> &ready = {});
};

} // namespace korvel

#pragma once
#include <QPrintDialog>

class QLabel;

namespace korvel {

// The print dialog of the cover: the standard one, opened on the printer the QPrinter
// names, with the project's own PDF name proposed for printing to a file and a
// "Kalibrace" tab that shows and edits the chosen printer's calibration.
class CoverPrintDialog : public QPrintDialog {
    Q_OBJECT
public:
    enum class CalibrationTab {
        Shown,
        // For the calibration page, printed with the values being tried in the
        // calibration window rather than with the stored ones the tab would show.
        Left,
    };

    // proposedPdf: the file offered when the user prints to a file.
    CoverPrintDialog(QPrinter *printer, const QString &proposedPdf, QWidget *parent = nullptr,
                     CalibrationTab calibrationTab = CalibrationTab::Shown);

    // The printer chosen in the dialog right now (before it is accepted).
    QString chosenPrinter() const;
    // Opens the calibration window for the chosen printer.
    void editCalibration();

private:
    void showCalibration();

    QLabel *m_calibration = nullptr;
};

} // namespace korvel

#pragma once
#include <QPrintDialog>

#include "settings/TrimSettings.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;

namespace korvel {

// The print dialog of the cover: the standard one, opened on the printer the QPrinter
// names, with the project's own PDF name proposed for printing to a file, a
// "Kalibrace" tab that shows and edits the chosen printer's calibration, and an
// "Ořez" tab with the user's trim settings (marks, bleed, outlines), kept for the
// next print when the dialog is accepted.
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

    // The trim settings as the "Ořez" tab has them now (the stored ones when the tab is
    // left out).
    TrimSettings trim() const;

    void done(int result) override;

private:
    void showCalibration();
    QWidget *buildTrimTab();

    QLabel *m_calibration = nullptr;
    TrimSettings m_storedTrim;
    QCheckBox *m_cropMarks = nullptr;
    QCheckBox *m_foldMarks = nullptr;
    QDoubleSpinBox *m_bleed = nullptr;
    QCheckBox *m_outlines = nullptr;
};

} // namespace korvel

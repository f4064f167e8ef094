#pragma once
#include <QDialog>
#include <QHash>

#include "settings/PrinterCalibration.h"

class QComboBox;
class QLabel;
class QPrinter;
class QPushButton;
class QSpinBox;

namespace korvel {

// "Kalibrace tiskárny": the offset and scale of one printer, edited, tried on a
// calibration page and stored per user. Switching printers in the window keeps what
// was typed for the previous one; "Uložit" stores every printer that was changed.
class TFrmCalibration : public QDialog {
    Q_OBJECT
public:
    // Opens on the printer printed on or calibrated last while it is still installed,
    // otherwise on printerName (offered even when the list of printers missed it),
    // otherwise on the first printer. setPrinterName() then opens it on another one.
    explicit TFrmCalibration(const QString &printerName, QWidget *parent = nullptr);

    QString printerName() const;
    void setPrinterName(const QString &name);
    // The values in the four boxes.
    PrinterCalibration calibration() const;
    void setCalibration(const PrinterCalibration &calibration);

    // Prints the calibration page with the values in the boxes on a printer that is
    // already set up. The button first asks in the print dialog, which opens on the
    // printer being calibrated; nothing is printed when it is cancelled.
    bool printCalibrationPage(QPrinter &printer);

    QComboBox *printerBox() const { return m_printer; }

public slots:
    void accept() override;

private:
    void printerChanged();
    void printPageClicked();

    QComboBox *m_printer;
    QSpinBox *m_offsetX;
    QSpinBox *m_offsetY;
    QSpinBox *m_scaleX;
    QSpinBox *m_scaleY;
    QPushButton *m_printPage;
    QLabel *m_none;
    QString m_shown; // the printer whose values the boxes hold
    QHash<QString, PrinterCalibration> m_edits;
};

} // namespace korvel

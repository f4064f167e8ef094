#include "dialogs/CoverPrintDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/TFrmCalibration.h"
#include "settings/PrinterCalibration.h"

namespace korvel {

namespace {

// The controls of Qt's own print dialog, by the names its form gives them.
constexpr auto kPrinterBox = "printers";
constexpr auto kFileNameEdit = "filename";

} // namespace

CoverPrintDialog::CoverPrintDialog(QPrinter *printer, const QString &proposedPdf, QWidget *parent,
                                   CalibrationTab calibrationTab)
    : QPrintDialog(printer, parent)
{
    // Qt proposes a fixed name in the home folder; the cover's PDF belongs beside
    // its project. The proposal is made once, when the dialog is built.
    if (auto *fileName = findChild<QLineEdit *>(QLatin1String(kFileNameEdit)); fileName && !proposedPdf.isEmpty())
        fileName->setText(proposedPdf);

    // The printer the caller chose (the one used last, or the one being calibrated)
    // is the one offered, not the first of the list.
    auto *printers = findChild<QComboBox *>(QLatin1String(kPrinterBox));
    if (printers && printer->outputFormat() == QPrinter::NativeFormat && printer->outputFileName().isEmpty()) {
        const int chosen = printers->findText(printer->printerName());
        if (chosen >= 0)
            printers->setCurrentIndex(chosen);
    }

    if (calibrationTab == CalibrationTab::Left)
        return;
    auto *tab = new QWidget;
    tab->setObjectName(QStringLiteral("CalibrationTab"));
    tab->setWindowTitle(QStringLiteral("Kalibrace"));
    m_calibration = new QLabel(tab);
    m_calibration->setObjectName(QStringLiteral("CalibrationSummary"));
    m_calibration->setWordWrap(true);
    auto *edit = new QPushButton(QStringLiteral("&Kalibrace tiskárny…"), tab);
    edit->setObjectName(QStringLiteral("EditCalibration"));
    auto *layout = new QVBoxLayout(tab);
    layout->addWidget(m_calibration);
    layout->addWidget(edit, 0, Qt::AlignLeft);
    layout->addStretch();
    setOptionTabs({tab});

    connect(edit, &QPushButton::clicked, this, &CoverPrintDialog::editCalibration);
    if (printers)
        connect(printers, &QComboBox::currentIndexChanged, this, &CoverPrintDialog::showCalibration);
    showCalibration();
}

QString CoverPrintDialog::chosenPrinter() const
{
    if (auto *printers = findChild<QComboBox *>(QLatin1String(kPrinterBox))) {
        // The file entries are not printers: their text is no queue's name.
        const QString text = printers->currentText();
        return QPrinterInfo::availablePrinterNames().contains(text) ? text : QString();
    }
    return printer()->printerName();
}

void CoverPrintDialog::showCalibration()
{
    if (!m_calibration)
        return;
    const QString name = chosenPrinter();
    if (name.isEmpty()) {
        m_calibration->setText(QStringLiteral("Při tisku do souboru se kalibrace nepoužije."));
        return;
    }
    const PrinterCalibration c = PrinterCalibrationStore::load(name);
    m_calibration->setText(
        c.isIdentity()
            ? QStringLiteral("Tiskárna %1 nemá uloženou kalibraci: obal se tiskne přesně podle rozměrů.").arg(name)
            : QStringLiteral("Tiskárna %1 tiskne s kalibrací: posun vodorovně %2, svisle %3 desetin milimetru, "
                             "měřítko vodorovně %4 ‰, svisle %5 ‰.")
                  .arg(name)
                  .arg(c.offsetX)
                  .arg(c.offsetY)
                  .arg(c.scaleX)
                  .arg(c.scaleY));
}

void CoverPrintDialog::editCalibration()
{
    const QString chosen = chosenPrinter();
    TFrmCalibration dialog(chosen, this);
    // The printer chosen here, even when another one was used last.
    if (!chosen.isEmpty())
        dialog.setPrinterName(chosen);
    dialog.exec();
    showCalibration();
}

} // namespace korvel

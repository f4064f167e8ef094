#include "dialogs/CoverPrintDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "dialogs/ErrorBox.h"
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
    , m_storedTrim(TrimSettingsStore::load())
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
    setOptionTabs({tab, buildTrimTab()});

    connect(edit, &QPushButton::clicked, this, &CoverPrintDialog::editCalibration);
    if (printers)
        connect(printers, &QComboBox::currentIndexChanged, this, &CoverPrintDialog::showCalibration);
    showCalibration();
}

QWidget *CoverPrintDialog::buildTrimTab()
{
    auto *tab = new QWidget;
    tab->setObjectName(QStringLiteral("TrimTab"));
    tab->setWindowTitle(QStringLiteral("Ořez"));
    m_cropMarks = new QCheckBox(QStringLiteral("Značky &ořezu"), tab);
    m_cropMarks->setObjectName(QStringLiteral("CropMarks"));
    m_cropMarks->setToolTip(QStringLiteral("Krátké čáry vně rohů přední a zadní strany, které prodlužují čáry řezu."));
    m_foldMarks = new QCheckBox(QStringLiteral("Značky pře&hybu"), tab);
    m_foldMarks->setObjectName(QStringLiteral("FoldMarks"));
    m_foldMarks->setToolTip(QStringLiteral("Krátké čáry nad a pod zadní stranou v místech, kde se ohýbají hřbety."));
    m_bleed = new QDoubleSpinBox(tab);
    m_bleed->setObjectName(QStringLiteral("Bleed"));
    m_bleed->setLocale(QLocale(QLocale::Czech));
    m_bleed->setRange(0, TrimSettings::kMaxBleed / 10.0);
    m_bleed->setSingleStep(TrimSettings::kBleedStep / 10.0);
    m_bleed->setDecimals(1);
    m_bleed->setSuffix(QStringLiteral(" mm"));
    m_bleed->setAccessibleName(QStringLiteral("Spadávka"));
    m_bleed->setToolTip(QStringLiteral("O kolik obrázky a hřbety přesahují čáru řezu. Texty zůstávají na místě."));
    m_outlines = new QCheckBox(QStringLiteral("O&brysy"), tab);
    m_outlines->setObjectName(QStringLiteral("Outlines"));
    m_outlines->setToolTip(QStringLiteral("Tenké čáry přímo na čarách řezu, jak je ukazuje obrazovka."));
    auto *bleedLabel = new QLabel(QStringLiteral("&Spadávka:"), tab);
    bleedLabel->setBuddy(m_bleed);
    auto *explained = new QLabel(
        QStringLiteral("Se značkami ořezu a spadávkou se obal řeže podle značek a obrázky sahají až za okraj, takže "
                       "ani nepřesný řez nenechá bílý proužek. Náhled ukazuje stranu s tímto nastavením."),
        tab);
    explained->setObjectName(QStringLiteral("TrimExplained"));
    explained->setWordWrap(true);

    auto *form = new QFormLayout;
    form->addRow(m_cropMarks);
    form->addRow(m_foldMarks);
    form->addRow(bleedLabel, m_bleed);
    form->addRow(m_outlines);
    auto *layout = new QVBoxLayout(tab);
    layout->addLayout(form);
    layout->addWidget(explained);
    layout->addStretch();

    m_cropMarks->setChecked(m_storedTrim.cropMarks);
    m_foldMarks->setChecked(m_storedTrim.foldMarks);
    m_bleed->setValue(m_storedTrim.bleed / 10.0);
    m_outlines->setChecked(m_storedTrim.outlines);
    // Cut by the marks, the outlines would only show where the knife missed them:
    // marks switched on offer the outlines off (they can be switched on again).
    connect(m_cropMarks, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            m_outlines->setChecked(false);
    });
    return tab;
}

TrimSettings CoverPrintDialog::trim() const
{
    if (!m_cropMarks)
        return m_storedTrim;
    TrimSettings t;
    t.cropMarks = m_cropMarks->isChecked();
    t.foldMarks = m_foldMarks->isChecked();
    t.bleed = int(std::lround(m_bleed->value() * 10 / TrimSettings::kBleedStep)) * TrimSettings::kBleedStep;
    t.outlines = m_outlines->isChecked();
    return t;
}

void CoverPrintDialog::done(int result)
{
    // Accepted, the trim settings are the user's for the next print and the preview.
    if (result == QDialog::Accepted && m_cropMarks && trim() != m_storedTrim) {
        QString error;
        if (!TrimSettingsStore::save(trim(), &error))
            showErrorBox(this, error);
        else
            m_storedTrim = trim();
    }
    QPrintDialog::done(result);
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

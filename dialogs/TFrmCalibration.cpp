#include "dialogs/TFrmCalibration.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "dialogs/CoverPrintDialog.h"
#include "project/CalibrationPage.h"

namespace korvel {

namespace {

// The calibration page is A4 portrait from the paper's corner, whatever the print
// dialog offered: its rulers and crosses are measured from there.
void setUpCalibrationPage(QPrinter &printer)
{
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    printer.setFullPage(true);
}

QSpinBox *makeBox(const char *name, int low, int high, const QString &suffix, QWidget *parent)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(low, high);
    box->setSuffix(suffix);
    box->setAccelerated(true);
    return box;
}

} // namespace

TFrmCalibration::TFrmCalibration(const QString &printerName, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmCalibration"));
    setWindowTitle(QStringLiteral("Kalibrace tiskárny"));

    m_printer = new QComboBox(this);
    m_printer->setObjectName(QStringLiteral("Printer"));
    const QStringList installed = QPrinterInfo::availablePrinterNames();
    m_printer->addItems(installed);
    // A printer named by the print dialog is offered even if the list missed it.
    if (!printerName.isEmpty() && m_printer->findText(printerName) < 0)
        m_printer->addItem(printerName);

    constexpr int maxOffset = PrinterCalibration::kMaxOffset;
    m_offsetX = makeBox("OffsetX", -maxOffset, maxOffset, QStringLiteral(" × 0,1 mm"), this);
    m_offsetY = makeBox("OffsetY", -maxOffset, maxOffset, QStringLiteral(" × 0,1 mm"), this);
    m_scaleX = makeBox("ScaleX", PrinterCalibration::kMinScale, PrinterCalibration::kMaxScale, QStringLiteral(" ‰"), this);
    m_scaleY = makeBox("ScaleY", PrinterCalibration::kMinScale, PrinterCalibration::kMaxScale, QStringLiteral(" ‰"), this);
    // Neutral values, not the boxes' minimum, even while no printer fills them in.
    setCalibration(PrinterCalibration());

    auto *help = new QLabel(
        QStringLiteral("Posun a měřítko se použijí jen při tisku na zvolenou tiskárnu, nikdy v souboru projektu "
                       "ani na obrazovce. Vytiskněte kalibrační stránku, změřte ji pravítkem podle návodu na ní "
                       "a naměřené hodnoty zadejte sem. Posun je kladný doprava a dolů."),
        this);
    help->setWordWrap(true);
    m_none = new QLabel(QStringLiteral("Není nainstalována žádná tiskárna."), this);
    m_none->setObjectName(QStringLiteral("NoPrinter"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Tiskárna:"), m_printer);
    form->addRow(QStringLiteral("Posun &vodorovně:"), m_offsetX);
    form->addRow(QStringLiteral("Posun &svisle:"), m_offsetY);
    form->addRow(QStringLiteral("Měřítko v&odorovně:"), m_scaleX);
    form->addRow(QStringLiteral("Měřítko sv&isle:"), m_scaleY);

    m_printPage = new QPushButton(QStringLiteral("Vytisknout &kalibrační stránku"), this);
    m_printPage->setObjectName(QStringLiteral("PrintCalibrationPage"));
    auto *reset = new QPushButton(QStringLiteral("&Výchozí hodnoty"), this);
    reset->setObjectName(QStringLiteral("Reset"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Save)->setText(QStringLiteral("&Uložit"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Zrušit"));
    buttons->addButton(reset, QDialogButtonBox::ResetRole);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(help);
    layout->addWidget(m_none);
    layout->addLayout(form);
    layout->addWidget(m_printPage, 0, Qt::AlignLeft);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &TFrmCalibration::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TFrmCalibration::reject);
    connect(reset, &QPushButton::clicked, this, [this] { setCalibration(PrinterCalibration()); });
    connect(m_printPage, &QPushButton::clicked, this, &TFrmCalibration::printPageClicked);
    connect(m_printer, &QComboBox::currentTextChanged, this, &TFrmCalibration::printerChanged);

    const bool any = m_printer->count() > 0;
    m_none->setVisible(!any);
    for (QWidget *w : std::initializer_list<QWidget *>{m_printer, m_offsetX, m_offsetY, m_scaleX, m_scaleY, m_printPage,
                                                       buttons->button(QDialogButtonBox::Save), reset})
        w->setEnabled(any);
    if (any)
        setPrinterName(PrinterCalibrationStore::preferredPrinter(
            installed, printerName.isEmpty() ? m_printer->itemText(0) : printerName));
    printerChanged();
}

QString TFrmCalibration::printerName() const
{
    return m_printer->currentText();
}

void TFrmCalibration::setPrinterName(const QString &name)
{
    const int i = m_printer->findText(name);
    if (i >= 0)
        m_printer->setCurrentIndex(i);
}

PrinterCalibration TFrmCalibration::calibration() const
{
    return {m_offsetX->value(), m_offsetY->value(), m_scaleX->value(), m_scaleY->value()};
}

void TFrmCalibration::setCalibration(const PrinterCalibration &c)
{
    m_offsetX->setValue(c.offsetX);
    m_offsetY->setValue(c.offsetY);
    m_scaleX->setValue(c.scaleX);
    m_scaleY->setValue(c.scaleY);
}

void TFrmCalibration::printerChanged()
{
    if (!m_shown.isEmpty())
        m_edits.insert(m_shown, calibration());
    m_shown = printerName();
    if (m_shown.isEmpty())
        return;
    setCalibration(m_edits.contains(m_shown) ? m_edits.value(m_shown) : PrinterCalibrationStore::load(m_shown));
}

bool TFrmCalibration::printCalibrationPage(QPrinter &printer)
{
    return CalibrationPage::printTo(printer, printerName(), calibration());
}

void TFrmCalibration::printPageClicked()
{
    QPrinter printer(QPrinter::HighResolution);
    // The dialog opens on the printer being calibrated (when it is installed).
    printer.setPrinterName(printerName());
    setUpCalibrationPage(printer);
    printer.setDocName(QStringLiteral("Kalibrace tiskárny"));
    CoverPrintDialog dialog(&printer, QDir::current().absoluteFilePath(QStringLiteral("kalibrace.pdf")), this,
                            CoverPrintDialog::CalibrationTab::Left);
    dialog.setObjectName(QStringLiteral("CalibrationPrintDialog"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const bool toPrinter = printer.outputFormat() == QPrinter::NativeFormat && printer.outputFileName().isEmpty();
    // Another printer chosen in the dialog is the one calibrated now: the page is
    // printed with its values and names it.
    if (toPrinter && !printer.printerName().isEmpty() && printer.printerName() != printerName()) {
        if (m_printer->findText(printer.printerName()) < 0)
            m_printer->addItem(printer.printerName());
        setPrinterName(printer.printerName());
    }
    setUpCalibrationPage(printer);
    if (!printCalibrationPage(printer)) {
        const QString where = toPrinter ? QStringLiteral("na tiskárnu %1").arg(printer.printerName())
                                        : QStringLiteral("do souboru %1").arg(printer.outputFileName());
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("Kalibrační stránku se nepodařilo vytisknout %1.").arg(where));
        return;
    }
    if (toPrinter)
        PrinterCalibrationStore::rememberLastPrinter(printer.printerName());
}

void TFrmCalibration::accept()
{
    if (!m_shown.isEmpty())
        m_edits.insert(m_shown, calibration());
    for (auto it = m_edits.cbegin(); it != m_edits.cend(); ++it) {
        if (it.value() == PrinterCalibrationStore::load(it.key()))
            continue;
        QString error;
        if (!PrinterCalibrationStore::save(it.key(), it.value(), &error)) {
            // The window stays open, so nothing typed is lost.
            QMessageBox::warning(this, windowTitle(), error);
            return;
        }
    }
    PrinterCalibrationStore::rememberLastPrinter(m_shown);
    QDialog::accept();
}

} // namespace korvel

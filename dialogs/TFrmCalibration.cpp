#include "dialogs/TFrmCalibration.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "project/CalibrationPage.h"

namespace korvel {

namespace {

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
    m_printer->addItems(QPrinterInfo::availablePrinterNames());
    // A printer named by the print dialog is offered even if the list missed it.
    if (!printerName.isEmpty() && m_printer->findText(printerName) < 0)
        m_printer->addItem(printerName);

    constexpr int maxOffset = PrinterCalibration::kMaxOffset;
    m_offsetX = makeBox("OffsetX", -maxOffset, maxOffset, QStringLiteral(" × 0,1 mm"), this);
    m_offsetY = makeBox("OffsetY", -maxOffset, maxOffset, QStringLiteral(" × 0,1 mm"), this);
    m_scaleX = makeBox("ScaleX", PrinterCalibration::kMinScale, PrinterCalibration::kMaxScale, QStringLiteral(" ‰"), this);
    m_scaleY = makeBox("ScaleY", PrinterCalibration::kMinScale, PrinterCalibration::kMaxScale, QStringLiteral(" ‰"), this);

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
        setPrinterName(printerName.isEmpty() ? m_printer->itemText(0) : printerName);
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
    printer.setPrinterName(printerName());
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    printer.setFullPage(true);
    printer.setDocName(QStringLiteral("Kalibrace tiskárny"));
    if (!printCalibrationPage(printer))
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("Kalibrační stránku se nepodařilo vytisknout na tiskárnu %1.")
                                 .arg(printerName()));
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
    QDialog::accept();
}

} // namespace korvel

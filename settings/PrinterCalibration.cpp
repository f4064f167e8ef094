#include "settings/PrinterCalibration.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

namespace korvel {

namespace {

// Printer names are free text to the print system; percent-encoding keeps a "/" or
// a "\" in one from being read as a group separator.
QString groupOf(const QString &printerName)
{
    return QStringLiteral("Printer-") + QString::fromLatin1(QUrl::toPercentEncoding(printerName));
}

// Outside every printer's group, so no printer name can clash with it.
const QString kLastPrinterKey = QStringLiteral("LastPrinter");

} // namespace

bool PrinterCalibration::isValid() const
{
    auto offsetOk = [](int v) { return v >= -kMaxOffset && v <= kMaxOffset; };
    auto scaleOk = [](int v) { return v >= kMinScale && v <= kMaxScale; };
    return offsetOk(offsetX) && offsetOk(offsetY) && scaleOk(scaleX) && scaleOk(scaleY);
}

QTransform PrinterCalibration::forDevice(double dpiX, double dpiY) const
{
    const QTransform stretch = QTransform::fromScale(1.0, dpiY / dpiX);
    const QTransform correction(scaleX / 1000.0, 0, 0, scaleY / 1000.0, offsetX * dpiX / 254.0, offsetY * dpiY / 254.0);
    return stretch * correction;
}

QPointF PrinterCalibration::map(QPointF p) const
{
    return QPointF(p.x() * scaleX / 1000.0 + offsetX, p.y() * scaleY / 1000.0 + offsetY);
}

QString PrinterCalibrationStore::storePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::ConfigLocation))
        .filePath(QStringLiteral("korvel/printer-calibration.ini"));
}

PrinterCalibration PrinterCalibrationStore::load(const QString &printerName)
{
    PrinterCalibration c;
    if (printerName.isEmpty())
        return c;
    QSettings settings(storePath(), QSettings::IniFormat);
    settings.beginGroup(groupOf(printerName));
    bool ok[4] = {true, true, true, true};
    PrinterCalibration stored;
    stored.offsetX = settings.value(QStringLiteral("OffsetX"), 0).toInt(&ok[0]);
    stored.offsetY = settings.value(QStringLiteral("OffsetY"), 0).toInt(&ok[1]);
    stored.scaleX = settings.value(QStringLiteral("ScaleX"), 1000).toInt(&ok[2]);
    stored.scaleY = settings.value(QStringLiteral("ScaleY"), 1000).toInt(&ok[3]);
    // A value edited by hand into nonsense must not print a page off the paper.
    if (ok[0] && ok[1] && ok[2] && ok[3] && stored.isValid())
        c = stored;
    return c;
}

bool PrinterCalibrationStore::save(const QString &printerName, const PrinterCalibration &c, QString *error)
{
    const QString path = storePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSettings settings(path, QSettings::IniFormat);
    settings.remove(groupOf(printerName));
    if (!c.isIdentity()) {
        settings.beginGroup(groupOf(printerName));
        settings.setValue(QStringLiteral("OffsetX"), c.offsetX);
        settings.setValue(QStringLiteral("OffsetY"), c.offsetY);
        settings.setValue(QStringLiteral("ScaleX"), c.scaleX);
        settings.setValue(QStringLiteral("ScaleY"), c.scaleY);
        settings.endGroup();
    }
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        if (error)
            *error = QStringLiteral("Kalibraci tiskárny se nepodařilo uložit do souboru %1.").arg(path);
        return false;
    }
    return true;
}

QString PrinterCalibrationStore::lastPrinter()
{
    return QSettings(storePath(), QSettings::IniFormat).value(kLastPrinterKey).toString();
}

void PrinterCalibrationStore::rememberLastPrinter(const QString &printerName)
{
    if (printerName.isEmpty() || printerName == lastPrinter())
        return;
    const QString path = storePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Not worth a message when it cannot be written: the next print offers the
    // system's default printer instead.
    QSettings(path, QSettings::IniFormat).setValue(kLastPrinterKey, printerName);
}

QString PrinterCalibrationStore::preferredPrinter(const QStringList &installed, const QString &fallback)
{
    const QString last = lastPrinter();
    return !last.isEmpty() && installed.contains(last) ? last : fallback;
}

} // namespace korvel

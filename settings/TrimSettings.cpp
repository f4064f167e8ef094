#include "settings/TrimSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <cmath>

namespace korvel {

int TrimSettings::parseBleed(const QString &millimetres)
{
    QString text = millimetres.trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double mm = text.toDouble(&ok);
    if (!ok || !std::isfinite(mm))
        return -1;
    const double tenths = mm * 10;
    const long rounded = std::lround(tenths);
    if (std::abs(tenths - double(rounded)) > 1e-6 || rounded < 0 || rounded > kMaxBleed || rounded % kBleedStep != 0)
        return -1;
    return int(rounded);
}

QString TrimSettings::bleedText(int tenths)
{
    return tenths % 10 == 0 ? QString::number(tenths / 10) : QStringLiteral("%1,%2").arg(tenths / 10).arg(tenths % 10);
}

QString TrimSettingsStore::storePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::ConfigLocation)).filePath(QStringLiteral("korvel/trim.ini"));
}

TrimSettings TrimSettingsStore::load()
{
    const QSettings settings(storePath(), QSettings::IniFormat);
    TrimSettings stored;
    stored.cropMarks = settings.value(QStringLiteral("CropMarks"), false).toBool();
    stored.foldMarks = settings.value(QStringLiteral("FoldMarks"), false).toBool();
    stored.outlines = settings.value(QStringLiteral("Outlines"), true).toBool();
    bool ok = true;
    stored.bleed = settings.value(QStringLiteral("Bleed"), 0).toInt(&ok);
    // A bleed edited by hand into nonsense prints none rather than a page off its pieces.
    if (!ok || !stored.isValid())
        stored.bleed = 0;
    return stored;
}

bool TrimSettingsStore::save(const TrimSettings &s, QString *error)
{
    const QString path = storePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(QStringLiteral("CropMarks"), s.cropMarks);
    settings.setValue(QStringLiteral("FoldMarks"), s.foldMarks);
    settings.setValue(QStringLiteral("Bleed"), s.bleed);
    settings.setValue(QStringLiteral("Outlines"), s.outlines);
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        if (error)
            *error = QStringLiteral("Nastavení ořezu se nepodařilo uložit do souboru %1.").arg(path);
        return false;
    }
    return true;
}

} // namespace korvel

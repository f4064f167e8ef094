#include "settings/DiscSheetStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace korvel {

namespace {

const QString kCutCircles = QStringLiteral("CutCircles");
const QString kSheets = QStringLiteral("Sheets");

bool synced(QSettings &settings, QString *error)
{
    settings.sync();
    if (settings.status() == QSettings::NoError)
        return true;
    if (error)
        *error = QStringLiteral("Nastavení etiket disku se nepodařilo uložit do souboru %1.").arg(settings.fileName());
    return false;
}

void writeSheets(QSettings &settings, const QList<OwnDiscSheet> &sheets)
{
    settings.remove(kSheets);
    settings.beginWriteArray(kSheets, int(sheets.size()));
    for (int i = 0; i < sheets.size(); ++i) {
        const OwnDiscSheet &s = sheets[i];
        settings.setArrayIndex(i);
        settings.setValue(QStringLiteral("Name"), s.name);
        settings.setValue(QStringLiteral("Outer"), s.outer);
        settings.setValue(QStringLiteral("Hole"), s.hole);
        settings.setValue(QStringLiteral("CentreX"), s.centreX);
        settings.setValue(QStringLiteral("CentreY1"), s.firstY);
        settings.setValue(QStringLiteral("CentreY2"), s.secondY);
    }
    settings.endArray();
}

} // namespace

QString DiscSheetStore::storePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::ConfigLocation))
        .filePath(QStringLiteral("korvel/disc-label.ini"));
}

bool DiscSheetStore::cutCircles()
{
    return QSettings(storePath(), QSettings::IniFormat).value(kCutCircles, false).toBool();
}

bool DiscSheetStore::setCutCircles(bool print, QString *error)
{
    QDir().mkpath(QFileInfo(storePath()).absolutePath());
    QSettings settings(storePath(), QSettings::IniFormat);
    settings.setValue(kCutCircles, print);
    return synced(settings, error);
}

QList<OwnDiscSheet> DiscSheetStore::sheets()
{
    QSettings settings(storePath(), QSettings::IniFormat);
    QList<OwnDiscSheet> found;
    const int n = settings.beginReadArray(kSheets);
    for (int i = 0; i < n; ++i) {
        settings.setArrayIndex(i);
        OwnDiscSheet s;
        s.name = settings.value(QStringLiteral("Name")).toString().trimmed();
        bool ok[5] = {};
        s.outer = settings.value(QStringLiteral("Outer")).toInt(&ok[0]);
        s.hole = settings.value(QStringLiteral("Hole")).toInt(&ok[1]);
        s.centreX = settings.value(QStringLiteral("CentreX")).toInt(&ok[2]);
        s.firstY = settings.value(QStringLiteral("CentreY1")).toInt(&ok[3]);
        s.secondY = settings.value(QStringLiteral("CentreY2")).toInt(&ok[4]);
        if (!s.name.isEmpty() && ok[0] && ok[1] && ok[2] && ok[3] && ok[4])
            found.append(s);
    }
    settings.endArray();
    return found;
}

bool DiscSheetStore::saveSheet(const OwnDiscSheet &sheet, QString *error)
{
    QList<OwnDiscSheet> all = sheets();
    bool replaced = false;
    for (OwnDiscSheet &s : all)
        if (s.name == sheet.name) {
            s = sheet;
            replaced = true;
        }
    if (!replaced)
        all.append(sheet);
    QDir().mkpath(QFileInfo(storePath()).absolutePath());
    QSettings settings(storePath(), QSettings::IniFormat);
    writeSheets(settings, all);
    return synced(settings, error);
}

bool DiscSheetStore::removeSheet(const QString &name, QString *error)
{
    QList<OwnDiscSheet> all = sheets();
    all.removeIf([&name](const OwnDiscSheet &s) { return s.name == name; });
    QSettings settings(storePath(), QSettings::IniFormat);
    writeSheets(settings, all);
    return synced(settings, error);
}

} // namespace korvel

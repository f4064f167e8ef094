#include "project/SideFileTest.h"

#include <QFile>

#include "settings/SettingsMessages.h"

namespace korvel {

namespace {
const QString kRenameError = QStringLiteral("Chyba testu formátu obrázku! (RenameError)");
} // namespace

const QStringList &sideFileCandidates()
{
    static const QStringList candidates{QStringLiteral(".bmp"), QStringLiteral(".gif"), QStringLiteral(".dib"),
                                        QStringLiteral(".jpg"), QStringLiteral(".ico"), QStringLiteral(".emf"),
                                        QStringLiteral(".wmf"), QStringLiteral(".jpeg"), QStringLiteral(".png")};
    return candidates;
}

QString sideFileBase(const QString &sideFile)
{
    return sideFile.left(std::max<qsizetype>(0, sideFile.size() - 4));
}

void sideFileFormatTest(const QString &sideFile, const QString &candidate, const SideFileLoader &load)
{
    if (!QFile::exists(sideFile))
        return;
    const QString candidateName = sideFileBase(sideFile) + candidate;
    // QFile::rename refuses to replace an existing file, as the test needs.
    if (!QFile::rename(sideFile, candidateName))
        showSettingsMessage(kRenameError);
    QString error;
    if (!load(candidateName, &error)) {
        // A candidate whose loader cannot read the content: silent, name back.
        QFile::rename(candidateName, sideFile);
        return;
    }
    if (!QFile::rename(candidateName, sideFile))
        showSettingsMessage(kRenameError);
}

void sideFileFormatTestAll(const QString &sideFile, const SideFileLoader &load)
{
    for (const QString &candidate : sideFileCandidates())
        sideFileFormatTest(sideFile, candidate, load);
}

} // namespace korvel

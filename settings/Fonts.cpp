#include "settings/Fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QMutex>

namespace korvel {

namespace {

const QString kSans = QStringLiteral("Liberation Sans");
const QString kSerif = QStringLiteral("Liberation Serif");
const QString kMono = QStringLiteral("Liberation Mono");

// Windows faces and their metric-compatible twins (names in lower case, without the
// charset suffix that Windows adds for its font mapper: "Arial CE", "Times New Roman Cyr").
struct KnownFace {
    const char *windowsName;
    const char *twin;
};
constexpr KnownFace kKnownFaces[] = {
    {"arial", "Liberation Sans"},
    {"helvetica", "Liberation Sans"},
    {"ms sans serif", "Liberation Sans"},
    {"microsoft sans serif", "Liberation Sans"},
    {"ms shell dlg", "Liberation Sans"},
    {"ms shell dlg 2", "Liberation Sans"},
    {"system", "Liberation Sans"},
    {"arial narrow", "Liberation Sans Narrow"},
    {"times new roman", "Liberation Serif"},
    {"times", "Liberation Serif"},
    {"ms serif", "Liberation Serif"},
    {"courier new", "Liberation Mono"},
    {"courier", "Liberation Mono"},
    {"verdana", "DejaVu Sans"},
    {"tahoma", "DejaVu Sans"},
    // fontconfig's generic names stand for whatever the machine prefers: not here.
    {"sans serif", "Liberation Sans"},
    {"sans-serif", "Liberation Sans"},
    {"sans", "Liberation Sans"},
    {"serif", "Liberation Serif"},
    {"monospace", "Liberation Mono"},
    {"mono", "Liberation Mono"},
};

QString withoutCharsetSuffix(const QString &lowerName)
{
    for (const char *suffix : {" ce", " cyr", " baltic", " greek", " tur"})
        if (lowerName.endsWith(QLatin1String(suffix)))
            return lowerName.left(lowerName.size() - qsizetype(qstrlen(suffix)));
    return lowerName;
}

bool containsAny(const QString &lowerName, std::initializer_list<const char *> words)
{
    for (const char *w : words)
        if (lowerName.contains(QLatin1String(w)))
            return true;
    return false;
}

class FamilyResolver {
public:
    QString resolve(const QString &name)
    {
        QMutexLocker lock(&m_mutex);
        if (m_installed.isEmpty()) {
            for (QString family : QFontDatabase::families()) {
                // Qt tells faces of the same name apart by foundry: "Family [Foundry]".
                const qsizetype bracket = family.indexOf(QLatin1String(" ["));
                if (bracket > 0)
                    family.truncate(bracket);
                m_installed.insert(family.toLower(), family);
            }
        }
        const auto cached = m_resolved.constFind(name);
        if (cached != m_resolved.cend())
            return *cached;
        const QString family = choose(name);
        m_resolved.insert(name, family);
        return family;
    }

private:
    QString installedOr(const QString &family, const QString &fallback) const
    {
        const auto it = m_installed.constFind(family.toLower());
        return it != m_installed.cend() ? *it : fallback;
    }

    QString choose(const QString &name) const
    {
        const QString lower = name.trimmed().toLower();
        if (lower.isEmpty())
            return installedOr(kSans, kSans);
        const QString base = withoutCharsetSuffix(lower);
        for (const KnownFace &face : kKnownFaces)
            if (base == QLatin1String(face.windowsName))
                return installedOr(QString::fromLatin1(face.twin), installedOr(kSans, kSans));
        const auto installed = m_installed.constFind(lower);
        if (installed != m_installed.cend())
            return *installed;
        // Not on this machine: a face of the same kind, the same one on every machine.
        if (containsAny(lower, {"mono", "courier", "consol", "typewriter", "fixed", "code", "terminal"}))
            return installedOr(kMono, kMono);
        if (!lower.contains(QLatin1String("sans"))
            && containsAny(lower, {"serif", "times", "roman", "georgia", "garamond", "bookman", "palatino",
                                   "antiqua", "cambria", "century", "baskerville", "bodoni", "didot",
                                   "schoolbook", "caslon", "minion", "charter", "constantia"}))
            return installedOr(kSerif, kSerif);
        return installedOr(kSans, kSans);
    }

    QMutex m_mutex;
    QHash<QString, QString> m_installed; // lower-case name -> family as installed
    QHash<QString, QString> m_resolved;
};

FamilyResolver &resolver()
{
    static FamilyResolver instance;
    return instance;
}

} // namespace

QString resolveFontFamily(const QString &name)
{
    return resolver().resolve(name);
}

QFont makeCoverFont(const QString &name)
{
    QFont font(resolveFontFamily(name));
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferOutline);
    font.setKerning(false);
    return font;
}

void installFontSubstitutes()
{
    for (const KnownFace &face : kKnownFaces) {
        const QString name = QString::fromLatin1(face.windowsName);
        const QString twin = resolveFontFamily(name);
        // Qt looks substitutes up without regard to case.
        QFont::insertSubstitution(name, twin);
        QFont::insertSubstitution(name + QStringLiteral(" ce"), twin);
    }
}

} // namespace korvel

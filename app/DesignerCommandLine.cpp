#include "app/DesignerCommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <cstdio>

#include "dialogs/CzechTranslations.h"

namespace korvel {

namespace {

// The help, in Czech like the rest of the program. Qt's parser lays it out and
// its words ("Použití", "Volby") come from the Czech catalogues, which must be
// installed first.
QString helpText()
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Navrhuje a tiskne papírové vložky do krabičky na CD: čtvercovou přední stranu\n"
        "(booklet) a zadní stranu se dvěma hřbety, na listu A4 rozvrženém v milimetrech.\n"
        "Bez PROJEKTU se strana naplní ze souboru default.kvd v aktuální složce, nebo\n"
        "z vlastní šablony programu. Projekt, jehož název začíná pomlčkou, se zadá\n"
        "za „--“: korvel -- -album.kvp"));
    // The designer's own options rather than Qt's: it takes none of Qt's
    // (-style, -platform), so --help-all shows nothing more and is not listed.
    parser.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Vypíše tuto nápovědu.")));
    parser.addOption(QCommandLineOption({QStringLiteral("v"), QStringLiteral("version")},
                                        QStringLiteral("Vypíše verzi programu.")));
    parser.addPositionalArgument(QStringLiteral("PROJEKT.kvp"),
                                 QStringLiteral("Projekt, který se otevře; další argumenty se nepoužijí."),
                                 QStringLiteral("[PROJEKT.kvp]"));
    return parser.helpText();
}

} // namespace

DesignerCommandLine::Parsed DesignerCommandLine::parse(const QStringList &arguments)
{
    Parsed parsed;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && argument.startsWith(QLatin1Char('-'))) {
            if (argument == QLatin1String("-h") || argument == QLatin1String("--help") ||
                argument == QLatin1String("--help-all"))
                return {Action::Help, {}, {}};
            if (argument == QLatin1String("-v") || argument == QLatin1String("--version"))
                return {Action::Version, {}, {}};
            return {Action::Refuse, {}, argument};
        } else if (parsed.project.isEmpty()) {
            // The first one is the project; later ones are ignored, but an option
            // among them is still refused.
            parsed.project = argument;
        }
    }
    return parsed;
}

std::optional<int> DesignerCommandLine::answer(int argc, char **argv, QString *project)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    const Parsed parsed = parse(arguments);
    if (parsed.action == Action::Start) {
        *project = parsed.project;
        return std::nullopt;
    }
    if (parsed.action == Action::Version) {
        std::printf("korvel %s\n", KORVEL_VERSION);
        return 0;
    }

    // No window, so no display is needed: a core application is enough for Qt's
    // words in Czech.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVEL_VERSION));
    installCzechTranslations(app);
    const QString help = helpText();
    if (parsed.action == Action::Help) {
        std::printf("%s", help.toLocal8Bit().constData());
        return 0;
    }
    const QString refusal = QStringLiteral("korvel: neznámá volba „%1“\n%2\nNápovědu vypíše „korvel --help“.\n")
                                .arg(parsed.option, help.section(QLatin1Char('\n'), 0, 0));
    std::fprintf(stderr, "%s", refusal.toLocal8Bit().constData());
    return 2;
}

} // namespace korvel

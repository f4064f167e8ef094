#include "app/DesignerCommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace korvel {

std::optional<int> DesignerCommandLine::answer(int argc, char **argv)
{
    if (argc < 2)
        return std::nullopt;
    const QByteArray first(argv[1]);
    const bool help = first == "-h" || first == "--help" || first == "--help-all";
    const bool version = first == "-v" || first == "--version";
    if (!help && !version)
        return std::nullopt; // a project path, even one that starts with a dash

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVEL_VERSION));
    if (version) {
        std::printf("korvel %s\n", KORVEL_VERSION);
        return 0;
    }
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Designs and prints the paper inserts of a CD jewel case: the front booklet page and the\n"
                       "back inlay with its two spine bands, on an A4 page laid out in millimetres.\n"
                       "Without PROJECT the page is filled from default.kvd in the current folder, or from\n"
                       "the program's own template."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("PROJECT.kvp"),
                                 QStringLiteral("The project to open; further arguments are ignored."),
                                 QStringLiteral("[PROJECT.kvp]"));
    std::printf("%s", parser.helpText().toLocal8Bit().constData());
    return 0;
}

} // namespace korvel

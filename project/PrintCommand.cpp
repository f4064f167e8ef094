#include "project/PrintCommand.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QStringList>
#include <cmath>
#include <cstdio>

#include "project/CoverPage.h"
#include "project/Fonts.h"
#include "project/PictureError.h"
#include "project/ProjectError.h"
#include "project/ProjectSession.h"
#include "settings/SettingsError.h"
#include "settings/SettingsMessages.h"
#include "settings/UserRegistry.h"

namespace korvel {

namespace {

void say(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

const char kUsage[] =
    "usage: korvel-print [--dpi N] [PROJECT.kvp] OUTPUT.pdf|OUTPUT.png\n"
    "Prints the cover page without a window, exactly as the printer gets it.\n"
    "  OUTPUT.pdf  one A4 page, text and outlines as vectors\n"
    "  OUTPUT.png  the page as an image, 96 dpi unless --dpi says otherwise\n"
    "Without PROJECT the page is printed with its creation defaults.";

bool writePdf(const CoverPage &page, const QString &output, QString *error)
{
    // Write next to the target and rename on success, so a failure never leaves a
    // half-written file under the requested name.
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write %1: %2").arg(output, file.errorString());
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setCreator(QStringLiteral("Korvel"));
        writer.setTitle(QFileInfo(output).completeBaseName());
        writer.setResolution(1200);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                                         QPageLayout::Millimeter));
        if (!page.printTo(writer)) {
            *error = QStringLiteral("cannot draw the page into %1").arg(output);
            file.cancelWriting();
            return false;
        }
    }
    if (!file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(output, file.errorString());
        return false;
    }
    return true;
}

bool writePng(const CoverPage &page, const QString &output, int dpi, QString *error)
{
    const int width = int(std::lround(kPaperWidth / 254.0 * dpi));
    const int height = int(std::lround(kPaperHeight / 254.0 * dpi));
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) {
        *error = QStringLiteral("an image of %1 x %2 pixels is too large").arg(width).arg(height);
        return false;
    }
    image.setDotsPerMeterX(int(std::lround(dpi / 0.0254)));
    image.setDotsPerMeterY(int(std::lround(dpi / 0.0254)));
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        page.paint(painter, PageRenderOptions::forPaper(dpi));
    }
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(output, file.errorString());
        return false;
    }
    return true;
}

// Opens a project as the designer does after its open dialog: from the project's
// own folder, so its side files are found beside it, with the two lists emptied
// first. The remembered spine picture is kept in a private store, so printing does
// not change what the designer remembers.
bool openProject(CoverPage &page, const QString &project)
{
    const QFileInfo info(project);
    if (!info.isFile()) {
        say(QStringLiteral("korvel-print: no such project file: %1").arg(project));
        return false;
    }
    QTemporaryDir registry;
    if (!registry.isValid()) {
        say(QStringLiteral("korvel-print: cannot create a temporary folder"));
        return false;
    }
    UserRegistry::setStorePath(registry.filePath(QStringLiteral("registry.ini")));
    setSettingsMessageHandler([](const QString &, const QString &text) { say(QStringLiteral("korvel-print: ") + text); });

    const QString previous = QDir::currentPath();
    QDir::setCurrent(info.absolutePath());
    ProjectSession session(page);
    bool ok = true;
    try {
        session.open(info.absoluteFilePath());
    } catch (const SettingsError &e) {
        say(QStringLiteral("korvel-print: %1").arg(e.message()));
        ok = false;
    } catch (const PictureError &e) {
        say(QStringLiteral("korvel-print: %1").arg(e.message()));
        ok = false;
    } catch (const ProjectError &e) {
        say(QStringLiteral("korvel-print: %1").arg(e.message()));
        ok = false;
    }
    QDir::setCurrent(previous);
    UserRegistry::setStorePath(QString());
    return ok;
}

} // namespace

int runPrintCommand(int argc, char **argv)
{
    // Headless by design: no display is needed, whatever the environment has.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    installFontSubstitutes();

    QStringList args = app.arguments().mid(1);
    int dpi = 96;
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::printf("%s\n", kUsage);
            return 0;
        }
        if (a == QLatin1String("--dpi")) {
            bool ok = false;
            dpi = i + 1 < args.size() ? args[i + 1].toInt(&ok) : 0;
            if (!ok || dpi < 10 || dpi > 2400) {
                say(QStringLiteral("korvel-print: --dpi needs a whole number from 10 to 2400"));
                return 2;
            }
            ++i;
            continue;
        }
        if (a.startsWith(QLatin1String("--"))) {
            say(QStringLiteral("korvel-print: unknown option %1\n%2").arg(a, QString::fromLatin1(kUsage)));
            return 2;
        }
        positional << a;
    }
    if (positional.isEmpty() || positional.size() > 2) {
        say(QString::fromLatin1(kUsage));
        return 2;
    }
    const QString output = positional.last();
    const QString suffix = QFileInfo(output).suffix().toLower();
    if (suffix != QLatin1String("pdf") && suffix != QLatin1String("png")) {
        say(QStringLiteral("korvel-print: OUTPUT must end in .pdf or .png: %1").arg(output));
        return 2;
    }

    CoverPage page;
    // The output is named relative to where the command was started, even though the
    // project is read from its own folder.
    const QString outputPath = QFileInfo(output).absoluteFilePath();
    if (positional.size() == 2 && !openProject(page, positional.first()))
        return 1;

    QString error;
    const bool ok = suffix == QLatin1String("pdf") ? writePdf(page, outputPath, &error)
                                                   : writePng(page, outputPath, dpi, &error);
    if (!ok) {
        say(QStringLiteral("korvel-print: %1").arg(error));
        return 1;
    }
    return 0;
}

} // namespace korvel

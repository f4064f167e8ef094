// Damaged project files: arbitrary bytes as the .kvp file (and, when the first byte
// says so, the rest also as the front picture's side file), loaded as the designer
// opens a project, then the page is laid out and drawn for paper.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

#include "project/CoverPage.h"
#include "project/Fonts.h"
#include "project/picture/PictureError.h"
#include "project/ProjectError.h"
#include "project/ProjectSession.h"
#include "settings/SettingsError.h"
#include "settings/SettingsMessages.h"
#include "settings/TKivINIEntry.h"
#include "settings/TKivRegEntry.h"
#include "settings/UserRegistry.h"
#include "project/SpinePictureState.h"

using namespace korvel;

namespace {
QTemporaryDir *g_dir = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    installFontSubstitutes();
    static QTemporaryDir dir; // removed again when the fuzzer exits
    g_dir = &dir;
    QDir::setCurrent(g_dir->path());
    UserRegistry::setStorePath(g_dir->filePath(QStringLiteral("registry.ini")));
    setSettingsMessageHandler([](const QString &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString project = g_dir->filePath(QStringLiteral("fz.kvp"));
    for (const char *side : {"fz.im1", "fz.im2", "fz.im3"})
        QFile::remove(QString::fromLatin1(side));
    {
        QFile f(project);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            abort();
        f.write(bytes);
    }
    if (size > 1 && (data[0] & 1)) {
        QFile side(QStringLiteral("fz.im2"));
        if (side.open(QIODevice::WriteOnly | QIODevice::Truncate))
            side.write(bytes.mid(1));
    }

    CoverPage page;
    ProjectSession session(page);
    try {
        session.open(project);
    } catch (const SettingsError &) {
    } catch (const PictureError &) {
    } catch (const ProjectError &) {
    }
    if (QDir::currentPath() != g_dir->path())
        abort(); // the working directory must always come back

    // Whatever was loaded must lay out and draw.
    QImage image(200, 283, QImage::Format_RGB32);
    QPainter painter(&image);
    page.paint(painter, PageRenderOptions::forPaper(24));
    return 0;
}

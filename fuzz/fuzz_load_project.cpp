// Damaged project files: arbitrary bytes as the .kvp file (and, when the first byte
// says so, the rest also as the front picture's side file, or as the disc label's),
// loaded as the designer opens a project, then both sheets, the cover's page and the
// disc label with its section [SecDisc], are laid out and drawn for paper.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

#include "project/CoverPage.h"
#include "project/SheetRenderer.h"
#include "settings/Fonts.h"
#include "picture/PictureError.h"
#include "project/ProjectError.h"
#include "project/CoverDocument.h"
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
    UserRegistry::setStorePath(g_dir->filePath(QStringLiteral("registry.ini")));
    setSettingsMessageHandler([](const QString &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString project = g_dir->filePath(QStringLiteral("fz.kvp"));
    for (const char *side : {"fz.im1", "fz.im2", "fz.im3", "fz.im4"})
        QFile::remove(g_dir->filePath(QString::fromLatin1(side)));
    {
        QFile f(project);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            abort();
        f.write(bytes);
    }
    if (size > 1 && (data[0] & 3)) {
        QFile side(g_dir->filePath(QString::fromLatin1((data[0] & 1) ? "fz.im2" : "fz.im4")));
        if (side.open(QIODevice::WriteOnly | QIODevice::Truncate))
            side.write(bytes.mid(1));
    }

    // Opened as the designer opens it: read into a cover of its own, then put in place.
    CoverDocument document(g_dir->path());
    const DocumentSnapshot before = document.snapshot();
    try {
        document.open(project);
    } catch (const SettingsError &) {
    } catch (const CommandError &) {
        if (!(document.snapshot() == before))
            abort(); // a refused open must change nothing
    }
    // Whatever was loaded must lay out and draw, the label's texts along the rim too.
    QImage image(200, 283, QImage::Format_RGB32);
    QPainter painter(&image);
    for (const CoverPage *sheet : document.sheets()) {
        PageRenderOptions options = PageRenderOptions::forPaper(24);
        options.cutCircles = true;
        SheetRenderer::paint(*sheet, painter, options);
    }
    return 0;
}

#include "cli/PrintCommand.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QStringList>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <functional>

#include "project/CalibrationPage.h"
#include "project/CoverPage.h"
#include "project/SheetRenderer.h"
#include "settings/Fonts.h"
#include "picture/DeferredJpeg.h"
#include "print/PdfOutput.h"
#include "print/PiecesPdf.h"
#include "project/CalibrationPage.h"
#include "settings/DiscSheetStore.h"
#include "project/CoverDocument.h"
#include "project/CoverPage.h"
#include "project/CzechCatalogue.h"
#include "project/ProjectFile.h"
#include "settings/CommandError.h"
#include "settings/FileReplacement.h"
#include "settings/Fonts.h"
#include "settings/SettingsError.h"
#include "settings/SettingsMessages.h"
#include "settings/TrimSettings.h"

namespace korvel {

namespace {

void say(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

// Qt's own warnings ("QStandardPaths: XDG_RUNTIME_DIR not set …" in every run without
// a desktop session: cron, SSH, CI) are not this command's to say: its stderr carries
// only its own messages, which go through say().
void dropQtMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg)
        say(message);
}

const char kDescription[] =
    "Vytiskne stranu obalu bez okna, přesně tak, jak ji dostane tiskárna.\n"
    "VÝSTUP.pdf je jedna strana A4 s textem a obrysy jako vektory; VÝSTUP.png je\n"
    "strana jako obrázek, 96 dpi, pokud --dpi neurčí jinak. Bez PROJEKTU se strana\n"
    "vytiskne tak, jak vypadá nově založený projekt. S --pieces se místo strany A4\n"
    "zapíše PDF pro tiskárnu: každý díl (přední strana, zadní strana) na vlastní\n"
    "straně se spadávkou.\n"
    "S --disc se místo obalu vytiskne arch s etiketou disku (A4, nebo 120 × 120 mm\n"
    "pro potisknutelný disk); s --all zapíše VÝSTUP.pdf obě strany: obal a disk.\n"
    "\n"
    "Návratový kód: 0 hotovo, 1 projekt nešel přečíst nebo výstup zapsat,\n"
    "2 chybné argumenty.";

// "A,B": two whole numbers within [low, high].
bool parsePair(const QString &text, int low, int high, int *a, int *b)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 2)
        return false;
    bool okA = false, okB = false;
    *a = parts[0].trimmed().toInt(&okA);
    *b = parts[1].trimmed().toInt(&okB);
    return okA && okB && *a >= low && *a <= high && *b >= low && *b <= high;
}

// What is drawn on a PNG: the cover, the disc label's sheet, or the printer
// calibration page.
using PagePainter = std::function<void(QPainter &, double dpi)>;

// The paper of a sheet, from its corner and without margins: A4, or the printable
// disc's square page.
QPageLayout paperLayout(const SheetLayout &layout)
{
    const QPageSize paper = layout.paperWidth == kPaperWidth && layout.paperHeight == kPaperHeight
                                ? QPageSize(QPageSize::A4)
                                : QPageSize(QSizeF(layout.paperWidth / 10, layout.paperHeight / 10), QPageSize::Millimeter,
                                            QString(), QPageSize::ExactMatch);
    return QPageLayout(paper, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

bool writePng(const PagePainter &paint, const SheetLayout &layout, const QString &output, int dpi, QString *error)
{
    const int width = int(std::lround(layout.paperWidth / 254.0 * dpi));
    const int height = int(std::lround(layout.paperHeight / 254.0 * dpi));
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) {
        *error = QStringLiteral("obrázek %1 × %2 pixelů je příliš velký").arg(width).arg(height);
        return false;
    }
    image.setDotsPerMeterX(int(std::lround(dpi / 0.0254)));
    image.setDotsPerMeterY(int(std::lround(dpi / 0.0254)));
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paint(painter, dpi);
    }
    QSaveFile file(output);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit()) {
        *error = outputWriteError(output, file, errno);
        return false;
    }
    return true;
}

// Opens a project as the designer does: read whole from the project's own folder,
// wherever the command was started, with the two lists emptied first. The spine
// picture the designer remembers per user is not touched.
bool openProject(CoverDocument &document, const QString &project)
{
    const QFileInfo info(project);
    if (!info.isFile()) {
        say(QStringLiteral("korvel-print: projekt %1 neexistuje").arg(project));
        return false;
    }
    setSettingsMessageHandler([](const QString &, const QString &text) { say(QStringLiteral("korvel-print: ") + text); });
    QStringList problems;
    try {
        problems = document.open(info.absoluteFilePath());
    } catch (const SettingsError &e) {
        say(QStringLiteral("korvel-print: %1").arg(e.message()));
        return false;
    } catch (const CommandError &e) {
        say(QStringLiteral("korvel-print: %1").arg(e.message()));
        return false;
    }
    // A picture of the project that cannot be read would be missing from the print:
    // nothing is printed, and the user hears which picture it was.
    for (const QString &problem : problems)
        say(QStringLiteral("korvel-print: %1").arg(problem));
    return problems.isEmpty();
}

} // namespace

int runPrintCommand(int argc, char **argv)
{
    // Headless by design: no display is needed, whatever the environment has.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(dropQtMessages);
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvel-print"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVEL_VERSION));
    installFontSubstitutes();
    // The help and the refusals in Czech, Qt's words in them included.
    installOwnCzechCatalogue(app);

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption dpiOption(QStringLiteral("dpi"), QStringLiteral("Rozlišení výstupu PNG (10 až 2400)."),
                                       QStringLiteral("N"), QStringLiteral("96"));
    const QCommandLineOption offsetOption(
        QStringLiteral("offset"),
        QStringLiteral("Posune stranu o X,Y desetin milimetru, kladně doprava a dolů (-500 až 500), "
                       "jako to dělá kalibrace tiskárny."),
        QStringLiteral("X,Y"));
    const QCommandLineOption scaleOption(
        QStringLiteral("scale"),
        QStringLiteral("Změní velikost strany na SX,SY promile vůči levému hornímu rohu papíru (800 až 1200)."),
        QStringLiteral("SX,SY"));
    const QCommandLineOption calibrationOption(
        QStringLiteral("calibration-page"),
        QStringLiteral("Vytiskne místo obalu kalibrační stranu tiskárny (pravítka a záměrné kříže)."));
    const QCommandLineOption marksOption(QStringLiteral("marks"),
                                         QStringLiteral("Značky ořezu: krátké čáry vně rohů každého dílu, které "
                                                        "prodlužují čáry řezu."));
    const QCommandLineOption foldsOption(QStringLiteral("folds"),
                                         QStringLiteral("Značky přehybu: nad a pod zadní stranou v místech ohybu hřbetů."));
    const QCommandLineOption bleedOption(
        QStringLiteral("bleed"),
        QStringLiteral("Spadávka: obrázky a hřbety přesahují čáru řezu o MM milimetrů (0 až 3 po 0,5; bez --pieces "
                       "výchozí 0, s --pieces 3). Texty se nikdy neposunou."),
        QStringLiteral("MM"));
    const QCommandLineOption noOutlinesOption(QStringLiteral("no-outlines"),
                                              QStringLiteral("Bez obrysů na čarách řezu (vhodné se značkami ořezu)."));
    const QCommandLineOption piecesOption(
        QStringLiteral("pieces"),
        QStringLiteral("PDF pro tiskárnu: jedna strana pro každý díl v čisté velikosti a se spadávkou, "
                       "/TrimBox je řez a /BleedBox plocha se spadávkou."));
    const QCommandLineOption discOption(
        QStringLiteral("disc"),
        QStringLiteral("Vytiskne místo obalu arch s etiketou disku, jak ho projekt určuje."));
    const QCommandLineOption allOption(
        QStringLiteral("all"), QStringLiteral("Zapíše do VÝSTUP.pdf obě strany: obal a arch s etiketou disku."));
    parser.addOptions({dpiOption, offsetOption, scaleOption, calibrationOption, marksOption, foldsOption, bleedOption,
                       noOutlinesOption, piecesOption, discOption, allOption});
    parser.addPositionalArgument(QStringLiteral("PROJEKT.kvp"), QStringLiteral("Projekt, který se vytiskne (nepovinný)."),
                                 QStringLiteral("[PROJEKT.kvp]"));
    parser.addPositionalArgument(QStringLiteral("VÝSTUP"), QStringLiteral("Soubor, který se zapíše: .pdf nebo .png."),
                                 QStringLiteral("VÝSTUP.pdf|VÝSTUP.png"));

    auto refuse = [&](const QString &why) {
        say(QStringLiteral("korvel-print: %1\n%2\nNápovědu vypíše „korvel-print --help“.")
                .arg(why, parser.helpText().section(QLatin1Char('\n'), 0, 0)));
        return 2;
    };
    if (!parser.parse(app.arguments())) {
        // Said as the designer says it: the option as it was typed, dashes and all.
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty()) {
            const QString name = unknown.first();
            QString typed = (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
            for (const QString &argument : app.arguments().mid(1))
                if (argument.startsWith(QLatin1Char('-'))
                    && (argument.section(QLatin1Char('='), 0, 0) == QStringLiteral("--") + name
                        || argument.section(QLatin1Char('='), 0, 0) == QStringLiteral("-") + name)) {
                    typed = argument.section(QLatin1Char('='), 0, 0);
                    break;
                }
            return refuse(QStringLiteral("neznámá volba „%1“").arg(typed));
        }
        return refuse(parser.errorText());
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        std::printf("%s", parser.helpText().toLocal8Bit().constData());
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("korvel-print %s\n", KORVEL_VERSION);
        return 0;
    }

    bool ok = false;
    const int dpi = parser.value(dpiOption).toInt(&ok);
    if (!ok || dpi < 10 || dpi > 2400)
        return refuse(QStringLiteral("--dpi potřebuje celé číslo od 10 do 2400"));
    PrinterCalibration calibration;
    if (parser.isSet(offsetOption)
        && !parsePair(parser.value(offsetOption), -PrinterCalibration::kMaxOffset, PrinterCalibration::kMaxOffset,
                      &calibration.offsetX, &calibration.offsetY))
        return refuse(QStringLiteral("--offset potřebuje X,Y: dvě celá čísla od %1 do %2 (desetiny milimetru)")
                          .arg(-PrinterCalibration::kMaxOffset)
                          .arg(PrinterCalibration::kMaxOffset));
    if (parser.isSet(scaleOption)
        && !parsePair(parser.value(scaleOption), PrinterCalibration::kMinScale, PrinterCalibration::kMaxScale,
                      &calibration.scaleX, &calibration.scaleY))
        return refuse(QStringLiteral("--scale potřebuje SX,SY: dvě celá čísla od %1 do %2 (promile)")
                          .arg(PrinterCalibration::kMinScale)
                          .arg(PrinterCalibration::kMaxScale));

    const bool pieces = parser.isSet(piecesOption);
    TrimSettings trim;
    trim.cropMarks = parser.isSet(marksOption);
    trim.foldMarks = parser.isSet(foldsOption);
    trim.outlines = !parser.isSet(noOutlinesOption);
    if (pieces)
        trim.bleed = TrimSettings::kShopBleed;
    if (parser.isSet(bleedOption)) {
        trim.bleed = TrimSettings::parseBleed(parser.value(bleedOption));
        if (trim.bleed < 0)
            return refuse(QStringLiteral("--bleed potřebuje počet milimetrů od 0 do 3 po 0,5 (například 3 nebo 1,5)"));
    }

    const QStringList positional = parser.positionalArguments();
    const bool calibrationPage = parser.isSet(calibrationOption);
    // What does not go with what is said, not silently dropped.
    for (const QCommandLineOption *option : {&marksOption, &foldsOption, &bleedOption, &noOutlinesOption, &piecesOption})
        if (calibrationPage && parser.isSet(*option))
            return refuse(QStringLiteral("--%1 platí jen pro obal, ne pro kalibrační stranu").arg(option->names().first()));
    for (const QCommandLineOption *option : {&marksOption, &foldsOption, &offsetOption, &scaleOption})
        if (pieces && parser.isSet(*option))
            return refuse(QStringLiteral("--%1 nejde s --pieces: díly pro tiskárnu jsou bez značek a bez kalibrace")
                              .arg(option->names().first()));
    if (positional.isEmpty() || positional.size() > 2)
        return refuse(positional.isEmpty() ? QStringLiteral("chybí VÝSTUP") : QStringLiteral("příliš mnoho argumentů"));
    if (calibrationPage && positional.size() == 2)
        return refuse(QStringLiteral("--calibration-page netiskne žádný projekt"));
    const bool discOnly = parser.isSet(discOption);
    const bool bothSheets = parser.isSet(allOption);
    if (int(calibrationPage) + int(discOnly) + int(bothSheets) > 1)
        return refuse(QStringLiteral("--calibration-page, --disc a --all nejdou použít spolu"));
    if (pieces && (discOnly || bothSheets))
        return refuse(QStringLiteral("--pieces zapisuje díly obalu, ne etiketu disku"));
    const QString output = positional.last();
    const QString suffix = QFileInfo(output).suffix().toLower();
    if (suffix != QLatin1String("pdf") && suffix != QLatin1String("png"))
        return refuse(QStringLiteral("VÝSTUP musí končit na .pdf nebo .png: %1").arg(output));
    if (bothSheets && suffix != QLatin1String("pdf"))
        return refuse(QStringLiteral("--all zapisuje dvě strany, a ty umí jen PDF: %1").arg(output));
    if (pieces && suffix != QLatin1String("pdf"))
        return refuse(QStringLiteral("--pieces zapisuje jen PDF: %1").arg(output));

    // The output is named relative to where the command was started, and the project
    // is read from its own folder.
    const QString outputPath = QFileInfo(output).absoluteFilePath();
    // A PDF carries the photos' own files: they are checked whole, never decoded.
    DeferredJpeg::setEnabled(suffix == QLatin1String("pdf"));
    CoverDocument document(QFileInfo(outputPath).absolutePath());
    if (positional.size() == 2 && !openProject(document, positional.first()))
        return 1;
    const CoverPage &page = document.page();
    const CoverPage &label = document.label();
    // The sheets printed, each on its own page; the label's cut circles print as
    // the user keeps them in the designer.
    QList<const CoverPage *> sheets{discOnly ? &label : &page};
    if (bothSheets)
        sheets << &label;
    const bool cutCircles = DiscSheetStore::cutCircles();

    const QString target; // a file names no printer
    const PdfOutput::Draw print = [&](QPagedPaintDevice &device, PhotoPassThrough *photos) {
        if (calibrationPage)
            return CalibrationPage::printTo(device, target, calibration);
        QPainter painter;
        if (!painter.begin(&device))
            return false;
        for (qsizetype i = 0; i < sheets.size(); ++i) {
            if (i > 0 && (!device.setPageLayout(paperLayout(sheets[i]->layout())) || !device.newPage()))
                return false;
            SheetRenderer::paintOnPaper(*sheets[i], painter, device.logicalDpiX(), device.logicalDpiY(), calibration,
                                        false, photos, trim, sheets[i] == &label && cutCircles);
        }
        return painter.end();
    };
    const PagePainter paint = [&](QPainter &painter, double at) {
        if (calibrationPage) {
            painter.setWorldTransform(calibration.forDevice(at, at), true);
            CalibrationPage::paint(painter, at, target, calibration);
        } else {
            SheetRenderer::paintOnPaper(*sheets.first(), painter, at, at, calibration, false, nullptr, trim,
                                        sheets.first() == &label && cutCircles);
        }
    };
    // A photo that is damaged beyond its header leaves the project as unprintable as
    // one that does not load: it is named, and nothing is written.
    const auto photosWhole = [&] {
        if (document.path().isEmpty())
            return true;
        const QString base = projectSideFileBase(document.path());
        const std::pair<const char *, const Picture *> photos[] = {
            {".im1", &page.BckImg().picture()},
            {".im2", &page.MainImg().picture()},
            {".im3", &document.spine().remembered().picture},
            {".im4", &label.picture(label.layout().withRole(Role::LabelPicture)).picture()}};
        bool whole = true;
        for (const auto &[extension, picture] : photos) {
            // The label's picture is a file of its own only when it is not the front's.
            if (std::string_view(extension) == ".im4" && !document.disc().ownPicture)
                continue;
            if (const auto *deferred = dynamic_cast<const DeferredJpeg *>(picture->content()))
                if (const QString why = deferred->problem(); !why.isEmpty()) {
                    say(QStringLiteral("korvel-print: %1").arg(sideFileProblem(base, extension, why)));
                    whole = false;
                }
        }
        return whole;
    };
    // A PDF is drawn into memory first: the photos' own JPEG bytes go in afterwards,
    // while their checks may still run; nothing is written until they have passed.
    PdfOutput::Setup pdf;
    pdf.title = QFileInfo(outputPath).completeBaseName();
    pdf.creator = QStringLiteral("Korvel");
    QString error;
    const SheetLayout &firstLayout = calibrationPage ? page.layout() : sheets.first()->layout();
    pdf.pageLayout = paperLayout(firstLayout);
    const bool written = pieces ? PiecesPdf::write(page, trim.bleed, outputPath, pdf.title, &error, photosWhole)
                         : suffix == QLatin1String("pdf") ? PdfOutput(pdf).write(outputPath, print, &error, photosWhole)
                                                          : writePng(paint, firstLayout, outputPath, dpi, &error);
    if (!written) {
        if (!error.isEmpty())
            say(QStringLiteral("korvel-print: %1").arg(error));
        return 1;
    }
    return 0;
}

} // namespace korvel

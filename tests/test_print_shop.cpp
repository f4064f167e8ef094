// The cover finished for cutting, through korvel-print and the designer: the trim
// options on the command line, the "Ořez" tab of the print dialog, and the PDF of
// the pieces for a print shop with its boxes read back.
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPrinter>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

#include "GuiTestUtil.h"
#include "PageTestUtil.h"
#include "PdfImageStreams.h"
#include "ProjectTestUtil.h"
#include "app/TFrmMain.h"
#include "dialogs/CoverPrintDialog.h"
#include "print/PiecesPdf.h"
#include "project/CoverDocument.h"
#include "project/layouts/JewelCase.h"
#include "settings/TrimSettings.h"

using namespace korvel;
using namespace korvel::test;

namespace {

constexpr double kPointsPerMm = 72 / 25.4;

QString runPrint(const QStringList &args, int *exitCode)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(KORVEL_PRINT_EXE), args);
    p.waitForFinished(120000);
    *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromLocal8Bit(p.readAll());
}

// One page of a PDF rasterised at 254 dpi: a pixel is 0.1 mm.
QImage rasterisePage(const QString &pdf, int page, const QTemporaryDir &dir)
{
    const QString prefix = dir.filePath(QStringLiteral("page%1").arg(page));
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-f"),
                                         QString::number(page), QStringLiteral("-l"), QString::number(page),
                                         QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf, prefix});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QImage();
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

QByteArray solidJpeg(const QColor &colour)
{
    QImage image(80, 60, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    return bytes;
}

// Pixels with any ink at all: a hairline of 0.1 mm antialiased across two pixels.
int inked(const QImage &image, const QRect &r)
{
    int n = 0;
    const QRect clipped = r.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            n += qGray(image.pixel(x, y)) < 200;
    return n;
}

// Types a file's path into a file dialog, as a user does, and presses Enter.
void typeFileName(QFileDialog *dialog, const QString &path)
{
    auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(path);
    QTest::keyClick(name, Qt::Key_Return);
}

bool near(QRgb c, const QColor &want)
{
    return std::abs(qRed(c) - want.red()) < 40 && std::abs(qGreen(c) - want.green()) < 40
           && std::abs(qBlue(c) - want.blue()) < 40;
}

// A saved cover with a red photo in front, a blue one on the back and green bands.
QString colourProject(const QTemporaryDir &dir)
{
    const QString front = dir.filePath(QStringLiteral("front.jpg")), back = dir.filePath(QStringLiteral("back.jpg"));
    writeBytes(front, solidJpeg(Qt::red));
    writeBytes(back, solidJpeg(Qt::blue));
    const QString project = dir.filePath(QStringLiteral("album.kvp"));
    CoverDocument document(dir.path());
    document.start(QString());
    document.page().MainImg().setPicture(loadPicture(front));
    document.page().BckImg().setPicture(loadPicture(back));
    for (SpineBand *band : {&document.page().CDL(), &document.page().CDR()}) {
        band->setStartColor(0x0000FF00);
        band->setEndColor(0x0000FF00);
    }
    document.save(project, true);
    return project;
}

// The boxes a piece's page must have for a bleed (tenths of a millimetre), in
// millimetres from the page's bottom-left corner, and how many of them were right.
void expectBoxes(const PdfBoxes &got, const PieceSpec &piece, int bleed)
{
    SCOPED_TRACE(std::string(piece.name));
    const QRectF cut = piece.cut.rect();
    const double width = (cut.width() + 2 * bleed) / 10, height = (cut.height() + 2 * bleed) / 10;
    auto mm = [](const QRectF &points) {
        return QRectF(points.topLeft() / kPointsPerMm, points.size() / kPointsPerMm);
    };
    const QRectF media = mm(got.media), trim = mm(got.trim), bled = mm(got.bleed);
    constexpr double tolerance = 0.01;
    EXPECT_NEAR(media.left(), 0, tolerance);
    EXPECT_NEAR(media.top(), 0, tolerance);
    EXPECT_NEAR(media.width(), width, tolerance);
    EXPECT_NEAR(media.height(), height, tolerance);
    EXPECT_EQ(bled, media) << "everything on the page is piece or bleed";
    EXPECT_NEAR(trim.left(), bleed / 10.0, tolerance);
    EXPECT_NEAR(trim.top(), bleed / 10.0, tolerance);
    EXPECT_NEAR(trim.width(), cut.width() / 10, tolerance);
    EXPECT_NEAR(trim.height(), cut.height() / 10, tolerance);
}

} // namespace

TEST(PrintShop, KorvelPrintPiecesWritesEachPieceOnItsPageWithItsBoxesAndPhotos)
{
    QTemporaryDir dir;
    const QString project = colourProject(dir);
    const QByteArray frontFile = readBytes(dir.filePath(QStringLiteral("album.im2")));
    const QByteArray backFile = readBytes(dir.filePath(QStringLiteral("album.im1")));
    ASSERT_FALSE(frontFile.isEmpty());
    ASSERT_FALSE(backFile.isEmpty());

    const QString pdf = dir.filePath(QStringLiteral("tiskarna.pdf"));
    int rc = -1;
    QString out = runPrint({QStringLiteral("--pieces"), project, pdf}, &rc);
    ASSERT_EQ(rc, 0) << out.toStdString();
    const QList<PdfBoxes> pages = pdfPageBoxes(pdf);
    ASSERT_EQ(pages.size(), 2) << "the front page, then the inlay";
    for (int p = 0; p < 2; ++p)
        expectBoxes(pages[p], kJewelCase.pieces[std::size_t(p)], TrimSettings::kShopBleed);

    // The photos go in as the files beside the project, once each.
    const QByteArrayList streams = pdfImageStreams(pdf);
    EXPECT_EQ(streams.count(frontFile), 1);
    EXPECT_EQ(streams.count(backFile), 1);

    // The front photo runs to every edge of its page; the back one to its top and
    // bottom, the bands to their outer sides. Looked at 0.2 mm inside the page's edge,
    // so a drawing off its page by more shows white there.
    const QImage front = rasterisePage(pdf, 1, dir), inlay = rasterisePage(pdf, 2, dir);
    ASSERT_FALSE(front.isNull());
    ASSERT_FALSE(inlay.isNull());
    const int w = front.width(), h = front.height();
    int offColour = 0;
    for (int x = 2; x < w - 2; x += 7)
        offColour += !near(front.pixel(x, 2), Qt::red) + !near(front.pixel(x, h - 3), Qt::red);
    for (int y = 2; y < h - 2; y += 7)
        offColour += !near(front.pixel(2, y), Qt::red) + !near(front.pixel(w - 3, y), Qt::red);
    EXPECT_EQ(offColour, 0) << "the front photo bleeds past all four cut edges";
    const int iw = inlay.width(), ih = inlay.height();
    EXPECT_TRUE(near(inlay.pixel(iw / 2, 2), Qt::blue));
    EXPECT_TRUE(near(inlay.pixel(iw / 2, ih - 3), Qt::blue));
    for (int y : {2, ih / 2, ih - 3}) {
        EXPECT_TRUE(near(inlay.pixel(2, y), Qt::green)) << y;
        EXPECT_TRUE(near(inlay.pixel(iw - 3, y), Qt::green)) << y;
    }

    // The A4 page with marks and a bleed carries them as the files too.
    const QString a4 = dir.filePath(QStringLiteral("a4.pdf"));
    out = runPrint({QStringLiteral("--marks"), QStringLiteral("--folds"), QStringLiteral("--bleed"), QStringLiteral("3"),
                    project, a4},
                   &rc);
    ASSERT_EQ(rc, 0) << out.toStdString();
    const QByteArrayList a4Streams = pdfImageStreams(a4);
    EXPECT_EQ(a4Streams.count(frontFile), 1);
    EXPECT_EQ(a4Streams.count(backFile), 1);

    // A bleed of the user's own, and none at all: the page is then the cut.
    for (const auto &[given, bleed] : {std::pair{"1,5", 15}, std::pair{"0", 0}}) {
        SCOPED_TRACE(given);
        out = runPrint({QStringLiteral("--pieces"), QStringLiteral("--bleed"), QString::fromLatin1(given), project, pdf},
                       &rc);
        ASSERT_EQ(rc, 0) << out.toStdString();
        const QList<PdfBoxes> again = pdfPageBoxes(pdf);
        ASSERT_EQ(again.size(), 2);
        for (int p = 0; p < 2; ++p)
            expectBoxes(again[p], kJewelCase.pieces[std::size_t(p)], bleed);
    }
}

TEST(PrintShop, KorvelPrintTakesTheTrimOptionsAndRefusesWhatDoesNotGoTogether)
{
    QTemporaryDir dir;
    int rc = -1;
    const QString help = runPrint({QStringLiteral("--help")}, &rc);
    EXPECT_EQ(rc, 0);
    for (const char *option : {"--marks", "--folds", "--bleed <MM>", "--no-outlines", "--pieces", "Spadávka"})
        EXPECT_TRUE(help.contains(QString::fromUtf8(option))) << option;

    // The defaults written out are today's page, byte for byte.
    const QString plain = dir.filePath(QStringLiteral("plain.png")), zero = dir.filePath(QStringLiteral("zero.png"));
    const QString dpi[] = {QStringLiteral("--dpi"), QStringLiteral("254")};
    ASSERT_EQ((runPrint({dpi[0], dpi[1], plain}, &rc), rc), 0);
    ASSERT_EQ((runPrint({dpi[0], dpi[1], QStringLiteral("--bleed"), QStringLiteral("0"), zero}, &rc), rc), 0);
    EXPECT_EQ(readBytes(plain), readBytes(zero));
    const QString plainPdf = dir.filePath(QStringLiteral("plain.pdf")), zeroPdf = dir.filePath(QStringLiteral("zero.pdf"));
    ASSERT_EQ((runPrint({plainPdf}, &rc), rc), 0);
    ASSERT_EQ((runPrint({QStringLiteral("--bleed"), QStringLiteral("0"), zeroPdf}, &rc), rc), 0);
    EXPECT_TRUE(pdfPageContents(plainPdf) == pdfPageContents(zeroPdf));
    const QList<PdfBoxes> a4 = pdfPageBoxes(zeroPdf);
    ASSERT_EQ(a4.size(), 1);
    EXPECT_EQ(a4[0].trim, a4[0].media) << "the A4 page has no trim box of its own";

    // Marks, folds and no outlines: at 254 dpi a pixel is 0.1 mm.
    const QString marked = dir.filePath(QStringLiteral("marked.png"));
    ASSERT_EQ((runPrint({dpi[0], dpi[1], QStringLiteral("--marks"), QStringLiteral("--folds"), QStringLiteral("--bleed"),
                         QStringLiteral("3"), QStringLiteral("--no-outlines"), marked},
                        &rc),
               rc),
              0);
    const QImage before = QImage(plain).convertToFormat(QImage::Format_RGB32);
    const QImage after = QImage(marked).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(before.size(), after.size());
    const QRectF front = kJewelCase.pieces[0].cut.rect();
    // The crop mark continuing the front's left edge upwards, from 3 mm above its corner.
    const QRect mark(int(front.left()) - 2, int(front.top()) - 30 - 45, 4, 40);
    EXPECT_EQ(inked(before, mark), 0);
    EXPECT_GT(inked(after, mark), 30);
    // The front's left outline is gone.
    const QRect outline(int(front.left()) - 2, int(front.center().y()) - 20, 4, 40);
    EXPECT_GT(inked(before, outline), 30);
    EXPECT_EQ(inked(after, outline), 0);

    // Wrong values and options that do not go together are refused, and said why.
    struct Refused {
        QStringList args;
        const char *says;
    };
    const QString pdf = dir.filePath(QStringLiteral("x.pdf"));
    const Refused refused[] = {
        {{QStringLiteral("--bleed"), QStringLiteral("3,5"), pdf}, "--bleed potřebuje"},
        {{QStringLiteral("--bleed"), QStringLiteral("0.25"), pdf}, "--bleed potřebuje"},
        {{QStringLiteral("--pieces"), dir.filePath(QStringLiteral("x.png"))}, "--pieces zapisuje jen PDF"},
        {{QStringLiteral("--pieces"), QStringLiteral("--marks"), pdf}, "--marks nejde s --pieces"},
        {{QStringLiteral("--calibration-page"), QStringLiteral("--folds"), pdf}, "--folds platí jen pro obal"},
    };
    for (const Refused &r : refused) {
        SCOPED_TRACE(r.args.join(u' ').toStdString());
        const QString said = runPrint(r.args, &rc);
        EXPECT_EQ(rc, 2);
        EXPECT_TRUE(said.contains(QString::fromUtf8(r.says))) << said.toStdString();
        EXPECT_FALSE(QFile::exists(pdf));
    }
}

TEST(PrintShop, TheOrezTabKeepsTheUsersChoiceAndOffersTheOutlinesOffWithMarks)
{
    const auto restore = qScopeGuard([] { TrimSettingsStore::save(TrimSettings(), nullptr); });
    QPrinter printer;
    {
        CoverPrintDialog dialog(&printer, QStringLiteral("/tmp/obal.pdf"));
        QWidget *tab = dialog.findChild<QWidget *>(QStringLiteral("TrimTab"));
        ASSERT_NE(tab, nullptr);
        EXPECT_EQ(tab->windowTitle(), QStringLiteral("Ořez"));
        auto *crop = tab->findChild<QCheckBox *>(QStringLiteral("CropMarks"));
        auto *folds = tab->findChild<QCheckBox *>(QStringLiteral("FoldMarks"));
        auto *bleed = tab->findChild<QDoubleSpinBox *>(QStringLiteral("Bleed"));
        auto *outlines = tab->findChild<QCheckBox *>(QStringLiteral("Outlines"));
        ASSERT_TRUE(crop && folds && bleed && outlines);
        EXPECT_EQ(crop->text(), QStringLiteral("Značky &ořezu"));
        EXPECT_EQ(folds->text(), QStringLiteral("Značky pře&hybu"));
        EXPECT_EQ(outlines->text(), QStringLiteral("O&brysy"));
        EXPECT_EQ(bleed->accessibleName(), QStringLiteral("Spadávka"));
        EXPECT_DOUBLE_EQ(bleed->minimum(), 0);
        EXPECT_DOUBLE_EQ(bleed->maximum(), 3);
        EXPECT_DOUBLE_EQ(bleed->singleStep(), 0.5);
        // Nothing stored: today's page.
        EXPECT_EQ(dialog.trim(), TrimSettings());
        EXPECT_TRUE(outlines->isChecked());

        crop->setChecked(true);
        EXPECT_FALSE(outlines->isChecked()) << "marks switched on offer the outlines off";
        outlines->setChecked(true);
        EXPECT_TRUE(crop->isChecked()) << "and they may be switched on again";
        folds->setChecked(true);
        bleed->stepBy(5);
        EXPECT_EQ(dialog.trim(), (TrimSettings{true, true, 25, true}));
        dialog.done(QDialog::Rejected);
    }
    EXPECT_EQ(TrimSettingsStore::load(), TrimSettings()) << "a cancelled dialog keeps nothing";

    {
        CoverPrintDialog dialog(&printer, QStringLiteral("/tmp/obal.pdf"));
        dialog.findChild<QCheckBox *>(QStringLiteral("CropMarks"))->setChecked(true);
        dialog.findChild<QDoubleSpinBox *>(QStringLiteral("Bleed"))->setValue(3);
        dialog.done(QDialog::Accepted);
    }
    const TrimSettings kept{true, false, 30, false};
    EXPECT_EQ(TrimSettingsStore::load(), kept) << "kept for the next print";
    CoverPrintDialog again(&printer, QStringLiteral("/tmp/obal.pdf"));
    EXPECT_EQ(again.trim(), kept);
    EXPECT_FALSE(again.findChild<QCheckBox *>(QStringLiteral("Outlines"))->isChecked());
}

TEST(PrintShop, ThePopupMenuExportsThePiecesAndNamesAFailureInCzech)
{
    QTemporaryDir dir;
    const QString project = colourProject(dir);
    TFrmMain window;
    ASSERT_TRUE(window.document().open(project).isEmpty());
    QAction *exportPieces = window.PopUpMenuMain()->findChild<QAction *>(QStringLiteral("ExportPieces"));
    ASSERT_NE(exportPieces, nullptr);
    EXPECT_EQ(exportPieces->text(), QStringLiteral("Exportovat pro tiskárnu…"));
    EXPECT_TRUE(window.PopUpMenuMain()->actions().contains(exportPieces));

    // The file dialog proposes a PDF beside the project; the one chosen is written.
    const QString chosen = dir.filePath(QStringLiteral("pro-tiskarnu.pdf"));
    QString proposed;
    whenModal<QFileDialog>([&](QFileDialog *d) {
        proposed = d->selectedFiles().value(0);
        typeFileName(d, chosen);
    });
    exportPieces->trigger();
    EXPECT_EQ(proposed, dir.filePath(QStringLiteral("album-tiskarna.pdf")));
    const QList<PdfBoxes> pages = pdfPageBoxes(chosen);
    ASSERT_EQ(pages.size(), 2);
    for (int p = 0; p < 2; ++p)
        expectBoxes(pages[p], kJewelCase.pieces[std::size_t(p)], TrimSettings::kShopBleed);
    EXPECT_EQ(pdfImageStreams(chosen).count(readBytes(dir.filePath(QStringLiteral("album.im2")))), 1);

    // A folder that is not there: the error is said, and the project stays open.
    const QString nowhere = dir.filePath(QStringLiteral("chybí/obal.pdf"));
    QString said;
    whenModal<QFileDialog>([&](QFileDialog *d) {
        typeFileName(d, nowhere);
        whenModal<QMessageBox>([&](QMessageBox *box) {
            said = box->text();
            box->accept();
        });
    });
    exportPieces->trigger();
    EXPECT_TRUE(said.startsWith(QStringLiteral("Díly pro tiskárnu se nepodařilo uložit"))) << said.toStdString();
    EXPECT_FALSE(QFile::exists(nowhere));
    EXPECT_EQ(window.document().path(), project);
}

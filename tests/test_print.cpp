// Paper: the page printed through QPrinter to PDF and through korvel-print,
// rasterised with pdftoppm and measured against the millimetre table.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <QFileInfo>

#include "PageTestUtil.h"
#include "PdfImageStreams.h"
#include "print/PdfOutput.h"
#include "print/PdfPhotoEmbedder.h"
#include "ProjectTestUtil.h"

using namespace korvel;
using namespace korvel::test;

namespace {

// Rasterises page 1 of a PDF at 254 dpi, so that one pixel is 0.1 mm.
QImage rasterise(const QString &pdf, const QTemporaryDir &dir)
{
    const QString prefix = dir.filePath(QStringLiteral("raster"));
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-png"),
                                         QStringLiteral("-singlefile"), pdf, prefix});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QImage();
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

int firstDark(const QImage &image, QPoint from, QPoint step, int limit)
{
    QPoint p = from;
    for (int i = 0; i < limit; ++i, p += step)
        if (image.rect().contains(p) && isDark(image.pixel(p)))
            return step.x() ? p.x() : p.y();
    return -1;
}

// Every outline edge lies where the table puts it, within 0.1 mm (one pixel at 254 dpi).
void expectOutlinesInPlace(const QImage &image)
{
    ASSERT_FALSE(image.isNull());
    ASSERT_NEAR(image.width(), 2100, 1);
    ASSERT_NEAR(image.height(), 2970, 1);
    struct Edge {
        const char *what;
        QPoint from, step;
        double expected; // tenths of a millimetre
    };
    const Edge edges[] = {
        {"front left", {0, 800}, {1, 0}, 137.58},
        {"front right", {2099, 800}, {-1, 0}, 137.58 + 1214.44},
        {"front top", {300, 0}, {0, 1}, 222.25},
        {"front bottom", {300, 1500}, {0, -1}, 222.25 + 1206.50},
        {"left spine left", {0, 2000}, {1, 0}, 134.94},
        {"right spine right", {2099, 2000}, {-1, 0}, 1571.63 + 66.15},
        {"back top", {1000, 1450}, {0, 1}, 1545.17},
        {"back bottom", {1000, 2969}, {0, -1}, 1545.17 + 1169.46},
    };
    for (const Edge &e : edges) {
        const int found = firstDark(image, e.from, e.step, 3000);
        // Compared at the centre of the pixel the hairline was rasterised into.
        EXPECT_NEAR(found + 0.5, e.expected, 1.0) << e.what << " found at " << found;
    }
    // The spine gradient: silver at the top edge, white at the bottom.
    const QRgb top = image.pixel(170, 1550), bottom = image.pixel(145, 2710);
    EXPECT_NEAR(qRed(top), 192, 3);
    EXPECT_NEAR(qGreen(top), 192, 3);
    EXPECT_GE(qRed(bottom), 250);
}

QString run(const QStringList &args, int *exitCode)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(KORVEL_PRINT_EXE), args);
    p.waitForFinished(60000);
    *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromLocal8Bit(p.readAll());
}

QString pdfText(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

Picture jpegPicture(QColor colour)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    Picture picture;
    QString error;
    EXPECT_TRUE(picture.loadFromData(bytes, QStringLiteral(".jpg"), &error)) << error.toStdString();
    return picture;
}

} // namespace

TEST(Printing, PrinterPdfHoldsTheMillimetrePositions)
{
    QTemporaryDir dir;
    CoverPage page;
    page.MainImg().setPicture(jpegPicture(QColor(200, 30, 30)));
    page.BckImg().setPicture(jpegPicture(QColor(30, 30, 200)));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    printer.setOutputFileName(pdf);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setFullPage(true);
    ASSERT_TRUE(SheetRenderer::printTo(page, printer));

    QImage image = rasterise(pdf, dir);
    // Pictures fill their elements (checked well inside them), outlines stay black.
    EXPECT_GT(qRed(image.pixel(700, 700)), 150);
    EXPECT_GT(qBlue(image.pixel(900, 2000)), 150);
    page.MainImg().clear();
    page.BckImg().clear();
    ASSERT_TRUE(SheetRenderer::printTo(page, printer));
    expectOutlinesInPlace(rasterise(pdf, dir));

    // Text is text in the PDF, and the screen-only captions are not there.
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("Nadpis")));
    EXPECT_TRUE(text.contains(QStringLiteral("Informační text")));
    EXPECT_FALSE(text.contains(QStringLiteral("Přední strana")));
}

TEST(Printing, EachPictureIsEmbeddedOnce)
{
    QTemporaryDir dir;
    CoverPage page;
    page.MainImg().setPicture(jpegPicture(Qt::red));
    page.BckImg().setPicture(jpegPicture(Qt::blue));
    page.CDL().setGradientVisible(false);
    page.CDR().setGradientVisible(false);
    const Picture spine = jpegPicture(Qt::green);
    page.CDL().setBackImage(spine);
    page.CDR().setBackImage(spine);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = dir.filePath(QStringLiteral("pictures.pdf"));
    printer.setOutputFileName(pdf);
    printer.setFullPage(true);
    ASSERT_TRUE(SheetRenderer::printTo(page, printer));
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes.count("/Subtype /Image"), 3) << "front, back and the shared spine picture";
}

TEST(Printing, KorvelPrintWritesTheSamePageAsPdfAndPng)
{
    QTemporaryDir dir;
    int rc = -1;
    const QString pdf = dir.filePath(QStringLiteral("cover.pdf"));
    QString out = run({pdf}, &rc);
    ASSERT_EQ(rc, 0) << out.toStdString();
    expectOutlinesInPlace(rasterise(pdf, dir));
    EXPECT_TRUE(pdfText(pdf).contains(QStringLiteral("Název CD")));

    const QString png = dir.filePath(QStringLiteral("cover.png"));
    out = run({png}, &rc);
    ASSERT_EQ(rc, 0) << out.toStdString();
    const QImage image(png);
    ASSERT_EQ(image.size(), QSize(794, 1123));
    // The PNG is the paper drawing: the same pixels as the page drawn for paper here.
    CoverPage page;
    const QImage expected = renderPaper(page, 96);
    EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32).pixel(52, 300), expected.pixel(52, 300));
    EXPECT_EQ(image.pixel(60, 585), qRgb(192, 192, 192));
    EXPECT_EQ(darkPixels(image.convertToFormat(QImage::Format_RGB32), QRect(56, 56, 131, 18)), 0);

    out = run({QStringLiteral("--dpi"), QStringLiteral("200"), png}, &rc);
    ASSERT_EQ(rc, 0) << out.toStdString();
    EXPECT_EQ(QImage(png).size(), QSize(1654, 2339));
}

TEST(Printing, KorvelPrintRefusesBadArgumentsClearly)
{
    QTemporaryDir dir;
    int rc = 0;
    QString out = run({}, &rc);
    EXPECT_EQ(rc, 2);
    EXPECT_TRUE(out.contains(QStringLiteral("Použití: ")));
    out = run({dir.filePath(QStringLiteral("cover.txt"))}, &rc);
    EXPECT_EQ(rc, 2);
    EXPECT_TRUE(out.contains(QStringLiteral(".pdf nebo .png")));
    out = run({QStringLiteral("--dpi"), QStringLiteral("abc"), dir.filePath(QStringLiteral("a.png"))}, &rc);
    EXPECT_EQ(rc, 2);
    EXPECT_TRUE(out.contains(QStringLiteral("--dpi")));
    out = run({QStringLiteral("--bogus"), dir.filePath(QStringLiteral("a.png"))}, &rc);
    EXPECT_EQ(rc, 2);

    const QString unwritable = dir.filePath(QStringLiteral("no/such/folder/cover.pdf"));
    out = run({unwritable}, &rc);
    EXPECT_EQ(rc, 1);
    EXPECT_TRUE(out.contains(QStringLiteral("cover.pdf nelze zapsat"))) << out.toStdString();
    EXPECT_FALSE(QFile::exists(unwritable));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty()) << "nothing half-written is left";

    // A picture renamed to a project is no project: refused, nothing printed.
    QFile::copy(QStringLiteral(KORVEL_TEST_DATA "/raster/jpeg_baseline_420.jpg"), dir.filePath(QStringLiteral("photo.kvp")));
    const QString pdf = dir.filePath(QStringLiteral("photo.pdf"));
    out = run({dir.filePath(QStringLiteral("photo.kvp")), pdf}, &rc);
    EXPECT_EQ(rc, 1);
    EXPECT_TRUE(out.contains(QStringLiteral("není projekt"))) << out.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST(Printing, AMetafileFrontStaysVectorsAndTextOnPaper)
{
    QTemporaryDir dir;
    CoverPage page;
    QString error;
    ASSERT_TRUE(page.MainImg().loadFromFile(QStringLiteral(KORVEL_TEST_DATA "/metafiles/lo_shapes_text.emf"), &error))
        << error.toStdString();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = dir.filePath(QStringLiteral("metafile.pdf"));
    printer.setOutputFileName(pdf);
    printer.setFullPage(true);
    ASSERT_TRUE(SheetRenderer::printTo(page, printer));

    // The metafile's own Czech text is text in the PDF.
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("Příliš žluťoučký kůň"))) << text.toStdString();
    // Only the bitmaps inside the metafile are images (a photo and a small palette
    // picture), not the whole drawing rendered as one.
    QProcess images;
    images.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    ASSERT_TRUE(images.waitForFinished(60000));
    const QStringList rows = QString::fromUtf8(images.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GE(rows.size(), 4) << "a header of two lines, then the photo and the palette picture";
    for (const QString &row : rows.mid(2)) {
        const QStringList cols = row.simplified().split(QLatin1Char(' '));
        ASSERT_GE(cols.size(), 5);
        EXPECT_LT(cols[3].toInt() * cols[4].toInt(), 1200 * 1200) << row.toStdString();
    }
    // Its lines land inside the front picture's area on paper.
    const QImage raster = rasterise(pdf, dir);
    EXPECT_GT(darkPixels(raster, QRect(141, 225, 1209, 1201)), 1000);
}

namespace {

// The page printed to an A4 PDF at 1200 dpi, as the print dialog's PDF printer does.
bool printPdf(const CoverPage &page, const QString &pdf)
{
    QPdfWriter writer(pdf);
    writer.setResolution(1200);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    return SheetRenderer::printTo(page, writer);
}

// Rasterises page 1 of a PDF at a resolution, as a 32-bit image.
QImage rasteriseAt(const QString &pdf, int dpi, const QTemporaryDir &dir)
{
    const QString prefix = dir.filePath(QStringLiteral("raster%1").arg(dpi));
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                                         QStringLiteral("-singlefile"), pdf, prefix});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QImage();
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// Where the ink of a region is: the bounding box of its dark pixels.
QRect inkBox(const QImage &image, const QRect &region)
{
    QRect box;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            if (isDark(image.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

TEST(Printing, PdfAt96DpiIsThePngAndTheScreenPixelForPixel)
{
    // Outlines, spine gradients and the white page: the same pixels on the screen at
    // 100 %, in the PNG and in the PDF rasterised at 96 dpi. The back panel's left
    // outline at x = 75 lies beside the left spine band, which is drawn later.
    QTemporaryDir dir;
    CoverPage page;
    emptyAllTexts(page);
    const QString pdf = dir.filePath(QStringLiteral("empty.pdf"));
    ASSERT_TRUE(printPdf(page, pdf));
    const QImage paper = rasteriseAt(pdf, 96, dir);
    const QImage png = renderPaper(page, 96);
    // The screen at 100 %, without its corner brackets (never on paper).
    QImage screen(SheetView(page).pixelSize(), QImage::Format_RGB32);
    screen.fill(Qt::white);
    {
        QPainter p(&screen);
        SheetRenderer::paint(page, p, PageRenderOptions::forScreen(100));
    }
    ASSERT_EQ(paper.size(), png.size());
    int differPng = 0, differScreen = 0;
    for (int y = 0; y < png.height(); ++y)
        for (int x = 0; x < png.width(); ++x) {
            differPng += paper.pixel(x, y) != png.pixel(x, y);
            differScreen += paper.pixel(x, y) != screen.pixel(x, y);
        }
    EXPECT_EQ(differPng, 0);
    EXPECT_EQ(differScreen, 0);
    for (int y = 585; y < 1025; ++y)
        ASSERT_EQ(paper.pixel(75, y), qRgb(0, 0, 0)) << "no outline at x = 75, y = " << y;
}

TEST(Printing, TextInkStandsWhereThePngHasIt)
{
    // Glyph edges are smoothed differently by each rasteriser; where the text stands
    // must not differ.
    QTemporaryDir dir;
    int rc = -1;
    const QString pdf = dir.filePath(QStringLiteral("cover.pdf"));
    const QString png = dir.filePath(QStringLiteral("cover.png"));
    ASSERT_EQ((run({pdf}, &rc), rc), 0);
    ASSERT_EQ((run({png}, &rc), rc), 0);
    const QImage paper = rasteriseAt(pdf, 96, dir);
    const QImage image = QImage(png).convertToFormat(QImage::Format_RGB32);
    CoverPage page;
    for (const TextItem &item : page.items()) {
        const QRect box = SheetView::pixelRect(page.elementRect(item.code().toStdString()), 100);
        const QRect expected = inkBox(image, box);
        const QRect found = inkBox(paper, box);
        EXPECT_FALSE(expected.isEmpty()) << item.code().toStdString();
        EXPECT_LE((found.topLeft() - expected.topLeft()).manhattanLength(), 1) << item.code().toStdString();
        EXPECT_LE((found.bottomRight() - expected.bottomRight()).manhattanLength(), 1) << item.code().toStdString();
    }
}

TEST(Printing, TabColumnsPrintAsTheyShowAtEveryZoomAndResolution)
{
    QTemporaryDir dir;
    CoverPage page;
    emptyAllTexts(page);
    // The back's information text: tabs at the regular stops (the contents list has its
    // own rule for the last tab, tested below).
    TextItem &contents = page.item(QStringLiteral("BTit"));
    contents.setAlignment(Alignment::Left);
    contents.setLines({QStringLiteral("A\t3:42"), QStringLiteral("Bb\t12:05"), QStringLiteral("C\t0:59\t")});

    // On paper: every duration is there, as text, where the PNG has it.
    const QString pdf = dir.filePath(QStringLiteral("tabs.pdf"));
    ASSERT_TRUE(printPdf(page, pdf));
    const QString text = pdfText(pdf);
    for (const char *duration : {"3:42", "12:05", "0:59"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(duration))) << duration << " missing in: " << text.toStdString();
    const QImage paper = rasteriseAt(pdf, 96, dir);
    const QImage png = renderPaper(page, 96);
    const QRect box = SheetView::pixelRect(page.elementRect("BTit"), 100);
    const QRect expected = inkBox(png, box), found = inkBox(paper, box);
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_LE((found.topLeft() - expected.topLeft()).manhattanLength(), 1);
    EXPECT_LE((found.bottomRight() - expected.bottomRight()).manhattanLength(), 1);

    // The column is measured on the page (the screen draws this printed layout,
    // scaled, at every zoom).
    const TextLayout &layout = page.layout(QStringLiteral("BTit"));
    const double at100 = TextLayout::pieceStarts(layout.lines[0], QFontMetricsF(layout.font), layout.tabStop)[1] / (96.0 / 25.4);
    EXPECT_GT(at100, 5.0);
    // A trailing tab takes no width: a centred line with one stays centred.
    const QFontMetricsF metrics(layout.font);
    EXPECT_EQ(TextLayout::advance(QStringLiteral("C\t0:59\t"), metrics, layout.tabStop),
              TextLayout::advance(QStringLiteral("C\t0:59"), metrics, layout.tabStop));

    // And on paper at any resolution: the ink of "3:42" starts just after that place.
    const double boxLeftMm = page.elementRect("BTit").left() / 10.0;
    for (int dpi : {300, 600}) {
        const QImage image = renderPaper(page, dpi);
        const double perMm = dpi / 25.4;
        const QRectF boxMm = page.elementRect("BTit");
        const QRect band(qRound((boxLeftMm + at100 - 1) * perMm), qRound(boxMm.top() / 10.0 * perMm),
                         qRound(15 * perMm), qRound(4 * perMm));
        const QRect ink = inkBox(image, band);
        ASSERT_FALSE(ink.isEmpty()) << dpi << " dpi";
        const double inkMm = ink.left() / perMm - boxLeftMm;
        EXPECT_GE(inkMm, at100 - 0.1) << dpi << " dpi";
        EXPECT_LE(inkMm, at100 + 0.3) << dpi << " dpi"; // the glyph's own left bearing
    }
}

// Sub-pixel x where the ink of each text line of a box ends: per row the rightmost
// pixel with any ink, plus how much of it is covered; the largest over the line's rows.
// Lines are the layout's display lines, scaled by k; the image may be a crop at origin.
QVector<double> inkEnds(const QImage &image, QPoint origin, const QRectF &box, int lineHeight, int lines, double k)
{
    QVector<double> ends;
    for (int i = 0; i < lines; ++i) {
        double end = -1;
        const int top = int(std::floor((box.top() + i * lineHeight) * k)), bottom = int(std::ceil((box.top() + (i + 1) * lineHeight) * k));
        for (int y = top; y < bottom; ++y)
            for (int x = int((box.right() + 4) * k); x >= int(box.left() * k); --x) {
                const QPoint at = QPoint(x, y) - origin;
                if (!image.rect().contains(at))
                    continue;
                const int gray = qGray(image.pixel(at));
                if (gray < 250) {
                    end = std::max(end, x + (255 - gray) / 255.0);
                    break;
                }
            }
        ends << end;
    }
    return ends;
}

// Rasterises a region of page 1 of a PDF (in pixels at dpi).
QImage rasteriseRegion(const QString &pdf, int dpi, const QRect &region, const QTemporaryDir &dir)
{
    const QString prefix = dir.filePath(QStringLiteral("region%1").arg(dpi));
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-x"), QString::number(region.x()),
                                         QStringLiteral("-y"), QString::number(region.y()), QStringLiteral("-W"),
                                         QString::number(region.width()), QStringLiteral("-H"), QString::number(region.height()),
                                         QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf, prefix});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QImage();
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

QString pdfLayoutText(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

TEST(Printing, TheContentsListsDurationsEndAtTheBoxEdgeInEveryAlignment)
{
    QTemporaryDir dir;
    CoverPage page;
    emptyAllTexts(page);
    TextItem &contents = page.item(QStringLiteral("BTo"));
    // Titles of every length, the last digits of every shape, a dot leader, a total.
    const QStringList lines{QStringLiteral("1. Jaro\t3:41"), QStringLiteral("2. Velmi dlouhé léto u řeky\t12:05"),
                            QStringLiteral("3. Podzim…\t0:58"), QStringLiteral("10. Zima\t7:17"),
                            QStringLiteral("Celkem\t1:02:03")};
    contents.setLines(lines);
    const QRectF box = SheetView::pixelRect(page.elementRect("BTo"), 100); // whole pixels at 96 dpi
    const TextLayout &layout = page.layout(QStringLiteral("BTo"));
    ASSERT_EQ(layout.lines.size(), lines.size());

    for (Alignment alignment : {Alignment::Center, Alignment::Left, Alignment::Right}) {
        contents.setAlignment(alignment);
        SCOPED_TRACE(int(alignment));
        QList<std::pair<QString, QVector<double>>> found; // in millimetres from the box's right edge
        for (int dpi : {96, 600}) {
            const double k = dpi / 96.0, perMm = dpi / 25.4;
            auto fromEdge = [&](const QVector<double> &ends) {
                QVector<double> mm;
                for (double end : ends)
                    mm << (end - (box.left() + box.width()) * k) / perMm;
                return mm;
            };
            found << std::pair(QStringLiteral("PNG at %1 dpi").arg(dpi),
                               fromEdge(inkEnds(renderPaper(page, dpi), QPoint(), box, layout.lineHeight, int(lines.size()), k)));
            if (dpi == 96) {
                found << std::pair(QStringLiteral("screen"), fromEdge(inkEnds(renderScreen(page, 100, false), QPoint(), box, layout.lineHeight,
                                                                                 int(lines.size()), k)));
            } else {
                const QString pdf = dir.filePath(QStringLiteral("contents%1.pdf").arg(int(alignment)));
                ASSERT_TRUE(printPdf(page, pdf));
                const QRect region(int(box.left() * k) - 20, int(box.top() * k) - 20, int(box.width() * k) + 60,
                                   int(layout.lineHeight * lines.size() * k) + 40);
                const QImage image = rasteriseRegion(pdf, dpi, region, dir);
                ASSERT_FALSE(image.isNull());
                found << std::pair(QStringLiteral("PDF at %1 dpi").arg(dpi),
                                   fromEdge(inkEnds(image, region.topLeft(), box, layout.lineHeight, int(lines.size()), k)));
                // The text in the PDF: each duration on its title's line, the leader's dots
                // between, and the durations in one column right of every title. (The
                // columns of -layout are characters of an average width, so durations of
                // 4 and 7 characters that end at one x may end a character apart.)
                const QString layoutText = pdfLayoutText(pdf);
                const QStringList text = layoutText.split(QLatin1Char('\n'));
                QList<qsizetype> ends;
                qsizetype titlesEnd = 0, durationsStart = 1000;
                for (const QString &line : lines) {
                    const QString duration = line.section(QLatin1Char('\t'), -1);
                    const QString title = line.section(QLatin1Char('\t'), 0, 0).remove(QChar(u'…'));
                    const auto row = std::find_if(text.begin(), text.end(), [&](const QString &t) { return t.contains(title); });
                    ASSERT_NE(row, text.end()) << title.toStdString() << " in " << layoutText.toStdString();
                    const QString trimmed = row->trimmed();
                    EXPECT_TRUE(trimmed.endsWith(duration)) << row->toStdString();
                    ends << row->lastIndexOf(duration) + duration.size();
                    titlesEnd = std::max(titlesEnd, row->indexOf(title) + title.size());
                    durationsStart = std::min(durationsStart, row->lastIndexOf(duration));
                    if (line.contains(QChar(u'…'))) {
                        EXPECT_TRUE(trimmed.contains(QStringLiteral(". . . . ."))) << row->toStdString();
                    }
                }
                EXPECT_LE(*std::max_element(ends.begin(), ends.end()) - *std::min_element(ends.begin(), ends.end()), 2)
                    << layoutText.toStdString();
                EXPECT_GT(durationsStart, titlesEnd + 10) << layoutText.toStdString();
            }
        }
        for (const auto &[what, ends] : found) {
            SCOPED_TRACE(what.toStdString());
            ASSERT_EQ(ends.size(), lines.size());
            for (qsizetype i = 0; i < ends.size(); ++i)
                EXPECT_NEAR(ends[i], 0.0, 0.1) << lines[i].toStdString();
            EXPECT_LE(*std::max_element(ends.begin(), ends.end()) - *std::min_element(ends.begin(), ends.end()), 0.1);
        }
    }
}

TEST(Printing, PaperEqualsTheScreenWithPicturesToo)
{
    // Solid pictures front and back: the PDF rasterised at 96 dpi is the PNG pixel
    // for pixel, outlines included, and at 600 dpi every outline is still black.
    QTemporaryDir dir;
    CoverPage page;
    emptyAllTexts(page);
    page.MainImg().setPicture(jpegPicture(QColor(200, 30, 30)));
    page.BckImg().setPicture(jpegPicture(QColor(30, 30, 200)));
    const QString pdf = dir.filePath(QStringLiteral("pictures.pdf"));
    ASSERT_TRUE(printPdf(page, pdf));
    const QImage paper = rasteriseAt(pdf, 96, dir);
    const QImage png = renderPaper(page, 96);
    ASSERT_EQ(paper.size(), png.size());
    // The outlines around the pictures: columns 52, 510, 75, 594 and rows 84, 539, 584, 1025.
    for (int y = 100; y < 530; y += 7) {
        EXPECT_EQ(paper.pixel(52, y), qRgb(0, 0, 0)) << y;
        EXPECT_EQ(paper.pixel(510, y), qRgb(0, 0, 0)) << y;
    }
    for (int x = 80; x < 500; x += 7) {
        EXPECT_EQ(paper.pixel(x, 539), qRgb(0, 0, 0)) << x;
        EXPECT_EQ(paper.pixel(x, 584), qRgb(0, 0, 0)) << x;
    }
    int differing = 0;
    for (int y = 0; y < png.height(); ++y)
        for (int x = 0; x < png.width(); ++x) {
            const QRgb a = paper.pixel(x, y), b = png.pixel(x, y);
            // The same picture rectangle; JPEG colours may differ by a unit or two.
            differing += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)) > 12;
        }
    EXPECT_EQ(differing, 0);

    const QImage fine = rasteriseAt(pdf, 600, dir);
    const double perPixel = 600.0 / 96;
    for (int y = 100; y < 530; y += 11) {
        const int row = int(y * perPixel);
        EXPECT_LT(qGray(fine.pixel(int((510 + 0.5) * perPixel), row)), 60) << "front right outline at " << y;
        EXPECT_LT(qGray(fine.pixel(int((52 + 0.5) * perPixel), row)), 60) << "front left outline at " << y;
    }
    for (int x = 100; x < 500; x += 13) {
        const int column = int(x * perPixel);
        EXPECT_LT(qGray(fine.pixel(column, int((584 + 0.5) * perPixel))), 60) << "back top outline at " << x;
        EXPECT_LT(qGray(fine.pixel(column, int((539 + 0.5) * perPixel))), 60) << "front bottom outline at " << x;
    }
}

namespace {

// A 4:3 photo with a known pattern: a black ring in the middle, a light green band
// along its left edge and a light magenta one along its right (too light to count as
// ink).
Picture gridPhoto()
{
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.fillRect(0, 0, 40, 300, QColor(150, 255, 150));
    p.fillRect(360, 0, 40, 300, QColor(255, 150, 255));
    p.setPen(QPen(Qt::black, 8));
    p.drawEllipse(QPointF(200, 150), 100, 100);
    p.end();
    return pictureOfImage(image);
}

// The ring's ink in a region: its width over its height.
double ringProportions(const QImage &image, const QRect &region)
{
    const QRect ink = inkBox(image, region);
    return ink.isEmpty() ? 0 : double(ink.width()) / ink.height();
}

// The screen at 100 % without its corner brackets, which would count as ink.
QImage plainScreen(const CoverPage &page)
{
    QImage image(SheetView(page).pixelSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    SheetRenderer::paint(page, p, PageRenderOptions::forScreen(100));
    return image;
}

int countColour(const QImage &image, const QRect &region, QRgb colour)
{
    int n = 0;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            n += std::abs(qGreen(image.pixel(x, y)) - qGreen(colour)) < 40 && std::abs(qRed(image.pixel(x, y)) - qRed(colour)) < 40
                 && std::abs(qBlue(image.pixel(x, y)) - qBlue(colour)) < 40;
    return n;
}

} // namespace

TEST(Printing, APictureFillsOrFitsItsAreaInItsOwnProportions)
{
    CoverPage page;
    emptyAllTexts(page);
    page.MainImg().setPicture(gridPhoto());
    const QRect front = SheetView::pixelRect(page.elementRect("MainImg"), 100).adjusted(2, 2, -2, -2);
    const QRgb green = qRgb(150, 255, 150), magenta = qRgb(255, 150, 255);

    // Stretched, as every older project: the ring is squashed.
    EXPECT_LT(ringProportions(plainScreen(page), front), 0.85);

    PicturePlacement fill;
    fill.fit = PicturePlacement::Fit::Fill;
    page.MainImg().setPlacement(fill);
    for (const QImage &image : {plainScreen(page), renderPaper(page, 96)}) {
        EXPECT_NEAR(ringProportions(image, front), 1.0, 0.02) << "round";
        EXPECT_EQ(countColour(image, front, green), 0) << "the sides are cut off";
        EXPECT_EQ(countColour(image, front, magenta), 0);
    }
    // The crop moved to the left edge brings the green band into view, at its place.
    fill.x = 0;
    page.MainImg().setPlacement(fill);
    const QImage left = plainScreen(page);
    EXPECT_GT(countColour(left, QRect(front.left(), front.top(), 20, front.height()), green), 10 * front.height());
    EXPECT_EQ(countColour(left, front, magenta), 0);

    // A zoomed crop spreads the photo's pixels over more paper: it is warned about.
    const double stretchedDpi = 400 / (page.elementRect("MainImg").width() / 254.0);
    EXPECT_LT(page.pictureDpi("MainImg"), stretchedDpi) << "the cut-off parts are not printed";
    PicturePlacement zoomed = fill;
    zoomed.zoom = 2000;
    page.MainImg().setPlacement(zoomed);
    EXPECT_NEAR(page.pictureDpi("MainImg"), 300 / (page.elementRect("MainImg").height() / 254.0) / 2, 0.5);

    // Fit: the whole photo, round, the rest of the area paper.
    PicturePlacement fit;
    fit.fit = PicturePlacement::Fit::Fit;
    page.MainImg().setPlacement(fit);
    const QImage fitted = plainScreen(page);
    EXPECT_NEAR(ringProportions(fitted, front), 1.0, 0.02);
    EXPECT_GT(countColour(fitted, front, green), 0);
    EXPECT_GT(countColour(fitted, front, magenta), 0);
    EXPECT_EQ(fitted.pixel(front.center().x(), front.top() + 5), qRgb(255, 255, 255)) << "paper above the photo";

    // On paper at 600 dpi: the same, and the crop's edge where the screen has it.
    page.MainImg().setPlacement(fill);
    const QImage fine = renderPaper(page, 600);
    const double k = 600.0 / 96;
    const QRect fineFront(int(front.left() * k), int(front.top() * k), int(front.width() * k), int(front.height() * k));
    EXPECT_NEAR(ringProportions(fine, fineFront), 1.0, 0.02);
    // The green band's right edge: its columns on screen and on paper, in millimetres.
    const auto bandEndMm = [&](const QImage &image, double perMm, const QRect &region) {
        int last = -1;
        for (int x = region.left(); x <= region.right(); ++x)
            if (countColour(image, QRect(x, region.center().y(), 1, 1), green))
                last = x;
        return (last + 1) / perMm;
    };
    const double screenMm = bandEndMm(left, 96 / 25.4, front);
    const double paperMm = bandEndMm(fine, 600 / 25.4, fineFront);
    EXPECT_NEAR(paperMm, screenMm, 0.3) << "within a screen pixel";

    // The PDF at 96 dpi is the PNG, the cropped photo included.
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("fill.pdf"));
    ASSERT_TRUE(printPdf(page, pdf));
    const QImage paper = rasteriseAt(pdf, 96, dir);
    const QImage png = renderPaper(page, 96);
    int differing = 0;
    for (int y = front.top(); y <= front.bottom(); ++y)
        for (int x = front.left(); x <= front.right(); ++x) {
            const QRgb a = paper.pixel(x, y), b = png.pixel(x, y);
            differing += std::abs(qGray(a) - qGray(b)) > 60;
        }
    EXPECT_LT(differing, front.width() * front.height() / 200) << "the same crop on paper";
}

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray pngBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// The mean difference per channel of two images over a region, every other pixel.
double meanDifference(const QImage &a, const QImage &b, const QRect &region)
{
    qint64 difference = 0, samples = 0;
    for (int y = region.top(); y <= region.bottom(); y += 2)
        for (int x = region.left(); x <= region.right(); x += 2, ++samples) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            difference += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return samples ? double(difference) / (samples * 3) : 255;
}

// The front and back pictures' areas at 96 dpi, inside their outlines.
const QRect kFrontArea(60, 92, 440, 440);
const QRect kBackArea(84, 592, 500, 424);

} // namespace

namespace {

// Rasterises page 1 of a PDF with Ghostscript, the other reader many print paths
// use; *complaints gets what it says about the file.
QImage rasteriseWithGhostscript(const QString &pdf, int dpi, const QTemporaryDir &dir, QString *complaints)
{
    const QString png = dir.filePath(QStringLiteral("gs%1.png").arg(dpi));
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("gs"), {QStringLiteral("-q"), QStringLiteral("-dSAFER"), QStringLiteral("-dBATCH"),
                                   QStringLiteral("-dNOPAUSE"), QStringLiteral("-sDEVICE=png16m"),
                                   QStringLiteral("-r%1").arg(dpi), QStringLiteral("-o"), png, pdf});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QImage();
    *complaints = QString::fromLocal8Bit(p.readAll());
    return QImage(png).convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(Printing, PhotosReachThePdfAsTheirOwnFiles)
{
    QTemporaryDir dir;
    // jpeg_arithmetic.jpg is jpeg_baseline_420.jpg through "jpegtran -arithmetic".
    const char *fixtures[] = {"jpeg_greyscale.jpg", "jpeg_baseline_420.jpg", "jpeg_cmyk.jpg", "jpeg_progressive.jpg",
                              "jpeg_exif_orientation6.jpg", "jpeg_arithmetic.jpg"};
    for (const char *fixture : fixtures) {
        SCOPED_TRACE(fixture);
        QFile source(QStringLiteral(KORVEL_TEST_DATA "/raster/") + QString::fromLatin1(fixture));
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        const QByteArray photo = source.readAll();
        const QString project = dir.filePath(QStringLiteral("p.kvp"));
        {
            QFile kvp(project), side(dir.filePath(QStringLiteral("p.im2")));
            ASSERT_TRUE(kvp.open(QIODevice::WriteOnly) && side.open(QIODevice::WriteOnly));
            kvp.write("[SecCD]\r\n");
            side.write(photo);
        }
        int rc = -1;
        const QString pdf = dir.filePath(QStringLiteral("p.pdf")), png = dir.filePath(QStringLiteral("p.png"));
        ASSERT_EQ((run({project, pdf}, &rc), rc), 0);
        ASSERT_EQ((run({project, png}, &rc), rc), 0);

        // The PDF's image stream is the file, byte for byte, unless the photo stands
        // upright only with its EXIF orientation applied, or is coded in a way not
        // every PDF reader reads: then its pixels go in.
        const int asFiles = int(pdfImageStreams(pdf).count(photo));
        const bool asStored = QByteArray(fixture).indexOf("orientation") < 0 && QByteArray(fixture).indexOf("arithmetic") < 0;
        EXPECT_EQ(asFiles, asStored ? 1 : 0);
        const double ratio = double(QFileInfo(pdf).size()) / photo.size();
        if (asStored) {
            EXPECT_LT(ratio, 1.05 + 100000.0 / photo.size());
        }

        // Rasterised by either reader, the front shows the photo's colours (CMYK not
        // inverted). A PDF reader turns CMYK into screen colours its own way, a little
        // unlike ours (Ghostscript through its colour profiles, further still); an
        // inverted CMYK, or a photo a reader cannot show, would differ by a hundred
        // and more.
        const bool cmyk = QByteArray(fixture).contains("cmyk");
        const double tolerance = cmyk ? 15.0 : 6.0;
        const QImage expected = QImage(png).convertToFormat(QImage::Format_RGB32);
        QString complaints;
        const QImage byPoppler = rasteriseAt(pdf, 96, dir);
        const QImage byGhostscript = rasteriseWithGhostscript(pdf, 96, dir, &complaints);
        ASSERT_EQ(byPoppler.size(), expected.size());
        // Ghostscript rounds A4's 793.7 pixels down.
        ASSERT_NEAR(byGhostscript.width(), expected.width(), 1);
        ASSERT_NEAR(byGhostscript.height(), expected.height(), 1);
        EXPECT_LT(meanDifference(byPoppler, expected, kFrontArea), tolerance) << "pdftoppm, mean difference per channel";
        EXPECT_LT(meanDifference(byGhostscript, expected, kFrontArea), cmyk ? 25.0 : tolerance)
            << "gs, mean difference per channel";
        EXPECT_TRUE(complaints.isEmpty()) << complaints.toStdString();
    }

    // A damaged photo is named, and no PDF is written.
    QFile::remove(dir.filePath(QStringLiteral("p.pdf")));
    QFile damaged(QStringLiteral(KORVEL_TEST_DATA "/raster/damaged/trunc55_jpeg_baseline_420.jpg"));
    ASSERT_TRUE(damaged.open(QIODevice::ReadOnly));
    {
        QFile side(dir.filePath(QStringLiteral("p.im2")));
        ASSERT_TRUE(side.open(QIODevice::WriteOnly));
        side.write(damaged.readAll());
    }
    int rc = -1;
    const QString out = run({dir.filePath(QStringLiteral("p.kvp")), dir.filePath(QStringLiteral("p.pdf"))}, &rc);
    EXPECT_EQ(rc, 1);
    EXPECT_TRUE(out.contains(QStringLiteral("Obrázek přední strany (p.im2) nelze načíst"))) << out.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("p.pdf"))));
}


TEST(Printing, APictureOfAStandInsSizeStaysOnItsOwnPlace)
{
    // The back picture is a grey strip of 4099 × 3 pixels, the size and colour the
    // photos' stand-ins once had; the front is a photo.
    QTemporaryDir dir;
    QImage strip(4099, 3, QImage::Format_RGB32);
    strip.fill(QColor(128, 128, 128));
    const QByteArray photo = fileBytes(QStringLiteral(KORVEL_TEST_DATA "/raster/jpeg_baseline_420.jpg"));
    ASSERT_FALSE(photo.isEmpty());
    {
        QFile kvp(dir.filePath(QStringLiteral("p.kvp"))), back(dir.filePath(QStringLiteral("p.im1"))),
            front(dir.filePath(QStringLiteral("p.im2")));
        ASSERT_TRUE(kvp.open(QIODevice::WriteOnly) && back.open(QIODevice::WriteOnly) && front.open(QIODevice::WriteOnly));
        kvp.write("[SecCD]\r\n");
        back.write(pngBytes(strip));
        front.write(photo);
    }
    int rc = -1;
    const QString project = dir.filePath(QStringLiteral("p.kvp"));
    const QString pdf = dir.filePath(QStringLiteral("p.pdf")), png = dir.filePath(QStringLiteral("p.png"));
    ASSERT_EQ((run({project, pdf}, &rc), rc), 0);
    ASSERT_EQ((run({project, png}, &rc), rc), 0);

    EXPECT_EQ(pdfImageStreams(pdf).count(photo), 1) << "the photo goes in once, as its file";
    const QImage paper = rasteriseAt(pdf, 96, dir);
    const QImage expected = QImage(png).convertToFormat(QImage::Format_RGB32);
    EXPECT_LT(meanDifference(paper, expected, kFrontArea), 6.0) << "the photo on the front";
    EXPECT_LT(meanDifference(paper, expected, kBackArea), 6.0) << "the strip on the back";
    EXPECT_NEAR(qGray(paper.pixel(kBackArea.center())), 128, 6);
}

TEST(Printing, APictureCopyingAStandInIsNeverTakenForIt)
{
    // The worst case: an image with the very pixels and size of a photo's stand-in in
    // the same PDF, drawn losslessly beside the photo.
    Picture photo;
    QString error;
    ASSERT_TRUE(photo.loadFromFile(QStringLiteral(KORVEL_TEST_DATA "/raster/jpeg_baseline_420.jpg"), &error))
        << error.toStdString();
    const QRectF photoArea(100, 100, 5500, 4125), copyArea(100, 5000, 4099, 300);
    QImage copy;
    const auto draw = [&](QPagedPaintDevice &device, PhotoPassThrough *photos) {
        QPainter painter(&device);
        if (photos)
            if (const QImage *standIn = photos->standInFor(photo))
                copy = standIn->copy();
        photo.draw(painter, photoArea, DrawTarget::Paper, photos);
        painter.setRenderHint(QPainter::LosslessImageRendering);
        painter.drawImage(copyArea, copy);
        return true;
    };

    // Found twice, the stand-in is not swapped: the PDF stays as it was drawn.
    {
        PdfPhotoEmbedder embedder;
        QBuffer drawn;
        drawn.open(QIODevice::WriteOnly);
        {
            QPdfWriter writer(&drawn);
            writer.setResolution(1200);
            writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
            ASSERT_TRUE(draw(writer, &embedder));
        }
        ASSERT_FALSE(copy.isNull());
        ASSERT_EQ(copy.size(), QSize(4099, 3));
        QByteArray pdf = drawn.buffer();
        const QByteArray before = pdf;
        EXPECT_FALSE(embedder.embed(&pdf, &error));
        EXPECT_TRUE(pdf == before) << "the PDF was changed";
    }

    // Printed as every PDF is printed: drawn again with the photo as pixels.
    QByteArray pdf;
    ASSERT_TRUE(PdfOutput(PdfOutput::Setup()).render(draw, &pdf));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("copy.pdf"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(pdf);
    }
    const QByteArrayList streams = pdfImageStreams(path);
    EXPECT_EQ(streams.size(), 2) << "the photo and the copy";
    EXPECT_EQ(streams.count(photo.bytes()), 0) << "the photo's file is not swapped in for either";
    // The photo shows where it was drawn, as it does drawn at 96 dpi here.
    const QImage paper = rasteriseAt(path, 96, dir);
    QImage expected(paper.size(), QImage::Format_RGB32);
    expected.fill(Qt::white);
    {
        QPainter painter(&expected);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.scale(96.0 / 1200, 96.0 / 1200);
        photo.draw(painter, photoArea, DrawTarget::Paper);
    }
    EXPECT_LT(meanDifference(paper, expected, QRect(12, 12, 430, 320)), 6.0);
}

// korvel-print and the disc label: --disc prints the label's sheet, --all both sheets
// as the two pages of one PDF; the printer calibration applies to the label as to the
// cover, and the PDF rasterised at 96 dpi is the PNG.
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include "ProjectTestUtil.h"
#include "project/CoverDocument.h"
#include "project/SheetRenderer.h"

using namespace korvel;
using namespace korvel::test;

namespace {

using DiscPrintCommand = ProjectFixture;

int runPrint(const QStringList &args, QString *said = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(KORVEL_PRINT_EXE), args);
    if (!p.waitForFinished(120000))
        return -1;
    if (said)
        *said = QString::fromLocal8Bit(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QImage rasterise(const QString &pdf, int dpi, int pageNumber, const QString &prefix)
{
    QProcess p;
    const QString n = QString::number(pageNumber);
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), n,
                                         QStringLiteral("-l"), n, QStringLiteral("-png"), QStringLiteral("-singlefile"),
                                         pdf, prefix});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QImage();
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// The pages' sizes in points, in their order.
QList<QSizeF> pageSizes(const QString &pdf)
{
    QList<QSizeF> sizes;
    const QString text = QString::fromLatin1(readBytes(pdf));
    QRegularExpressionMatchIterator it =
        QRegularExpression(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]")).globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        sizes << QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
    }
    return sizes;
}

// A label of its own on a printable disc's page: one colour over the whole ring and
// no text, so the ring is all that prints.
QString discProject(const QString &folder, DiscGeometry::Sheet sheet)
{
    QImage colour(300, 300, QImage::Format_RGB32);
    colour.fill(QColor(20, 70, 140));
    const QString picture = folder + QStringLiteral("/blue.png");
    EXPECT_TRUE(colour.save(picture));
    QTemporaryDir start;
    CoverDocument d(start.path());
    d.start(QString());
    DiscGeometry g;
    g.sheet = sheet;
    d.setDiscGeometry(g);
    d.loadLabelPicture(picture);
    for (int text = 0; text < disc::kTextCount; ++text)
        d.setLabelText(text, QString());
    const QString project = folder + QStringLiteral("/disc.kvp");
    d.save(project, true);
    return project;
}

bool inked(QRgb c)
{
    return qGray(c) < 200;
}

// The bounding box of the ring's ink.
QRect inkBox(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (inked(image.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

TEST_F(DiscPrintCommand, DiscPrintsTheLabelsSheetAndTheCalibrationMovesIt)
{
    const QString project = discProject(work.path(), DiscGeometry::Sheet::Disc);
    const QString png = work.filePath(QStringLiteral("disc.png"));
    QString said;
    ASSERT_EQ(runPrint({QStringLiteral("--disc"), QStringLiteral("--dpi"), QStringLiteral("254"), project, png}, &said), 0)
        << said.toStdString();
    const QImage image = QImage(png).convertToFormat(QImage::Format_RGB32);
    // The printable disc's page, 120 mm square at 10 pixels a millimetre, the 117 mm
    // ring in its middle.
    ASSERT_EQ(image.size(), QSize(1200, 1200));
    const QRect ring = inkBox(image);
    EXPECT_NEAR(ring.center().x() + 0.5, 600, 1.5);
    EXPECT_NEAR(ring.center().y() + 0.5, 600, 1.5);
    EXPECT_NEAR(ring.width(), 1170, 2);
    EXPECT_TRUE(inked(image.pixel(600, 600 - 300))) << "the ring";
    EXPECT_FALSE(inked(image.pixel(600, 600))) << "the hole";

    // --offset and --scale as a printer's calibration has them: 5 mm right, 3 mm up.
    const QString moved = work.filePath(QStringLiteral("moved.png"));
    ASSERT_EQ(runPrint({QStringLiteral("--disc"), QStringLiteral("--dpi"), QStringLiteral("254"), QStringLiteral("--offset"),
                        QStringLiteral("50,-30"), project, moved}),
              0);
    // (Its right and top edges go off the paper: the left and bottom ones show it.)
    const QRect movedRing = inkBox(QImage(moved).convertToFormat(QImage::Format_RGB32));
    EXPECT_NEAR(movedRing.left() - ring.left(), 50, 1);
    EXPECT_NEAR(movedRing.bottom() - ring.bottom(), -30, 1);

    // Without --disc the same project prints its cover, on A4.
    const QString cover = work.filePath(QStringLiteral("cover.png"));
    ASSERT_EQ(runPrint({project, cover}), 0);
    EXPECT_EQ(QImage(cover).size(), QSize(794, 1123));
}

TEST_F(DiscPrintCommand, ThePdfAt96DpiIsThePng)
{
    const QString project = discProject(work.path(), DiscGeometry::Sheet::A4Two);
    const QString pdf = work.filePath(QStringLiteral("disc.pdf"));
    const QString png = work.filePath(QStringLiteral("disc.png"));
    ASSERT_EQ(runPrint({QStringLiteral("--disc"), project, pdf}), 0);
    ASSERT_EQ(runPrint({QStringLiteral("--disc"), project, png}), 0);
    const QImage paper = rasterise(pdf, 96, 1, work.filePath(QStringLiteral("raster")));
    const QImage image = QImage(png).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(paper.size(), QSize(794, 1123));
    ASSERT_EQ(paper.size(), image.size());
    // Both labels of the sheet print in both. The rasterisers smooth the circles'
    // edges each in their own way: away from the edges every pixel is the same.
    const DiscGeometry g = [&] {
        Session s;
        s.open(project);
        return s.document.disc().geometry;
    }();
    const double mm = 96 / 25.4;
    int compared = 0, differ = 0;
    for (const double centreY : {g.twoFirstY / 10.0, g.twoSecondY / 10.0}) {
        const QPointF centre(g.twoX / 10.0 * mm, centreY * mm);
        EXPECT_TRUE(inked(image.pixel(centre.toPoint() + QPoint(0, int(40 * mm)))));
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const double r = QLineF(centre, QPointF(x + 0.5, y + 0.5)).length() / mm;
                if (std::abs(r - g.outer() / 20.0) < 1 || std::abs(r - g.hole() / 20.0) < 1 || r > g.outer() / 20.0 + 1)
                    continue;
                ++compared;
                const QRgb a = paper.pixel(x, y), b = image.pixel(x, y);
                differ += std::abs(qRed(a) - qRed(b)) > 2 || std::abs(qGreen(a) - qGreen(b)) > 2
                          || std::abs(qBlue(a) - qBlue(b)) > 2;
            }
    }
    EXPECT_GT(compared, 2 * 100000);
    EXPECT_EQ(differ, 0);
    // And nothing anywhere else on the sheet.
    int elsewhere = 0;
    for (int y = 0; y < paper.height(); ++y)
        for (int x = 0; x < paper.width(); ++x) {
            const QPointF p(x + 0.5, y + 0.5);
            const double r1 = QLineF(QPointF(g.twoX / 10.0, g.twoFirstY / 10.0) * mm, p).length() / mm;
            const double r2 = QLineF(QPointF(g.twoX / 10.0, g.twoSecondY / 10.0) * mm, p).length() / mm;
            if (std::min(r1, r2) > g.outer() / 20.0 + 1)
                elsewhere += paper.pixel(x, y) != qRgb(255, 255, 255);
        }
    EXPECT_EQ(elsewhere, 0);
}

TEST_F(DiscPrintCommand, AllWritesBothSheetsAsTwoPages)
{
    const QString project = discProject(work.path(), DiscGeometry::Sheet::Disc);
    const QString pdf = work.filePath(QStringLiteral("both.pdf"));
    QString said;
    ASSERT_EQ(runPrint({QStringLiteral("--all"), project, pdf}, &said), 0) << said.toStdString();
    const QList<QSizeF> pages = pageSizes(pdf);
    ASSERT_EQ(pages.size(), 2);
    EXPECT_NEAR(pages[0].width(), 595.3, 0.5); // A4
    EXPECT_NEAR(pages[0].height(), 841.9, 0.5);
    EXPECT_NEAR(pages[1].width(), 120 / 25.4 * 72, 0.5);
    EXPECT_NEAR(pages[1].height(), 120 / 25.4 * 72, 0.5);
    // The second page is the label's, as --disc prints it alone.
    const QString alone = work.filePath(QStringLiteral("alone.pdf"));
    ASSERT_EQ(runPrint({QStringLiteral("--disc"), project, alone}), 0);
    const QImage second = rasterise(pdf, 96, 2, work.filePath(QStringLiteral("second")));
    ASSERT_FALSE(second.isNull());
    EXPECT_EQ(second, rasterise(alone, 96, 1, work.filePath(QStringLiteral("alone"))));
    EXPECT_TRUE(inked(second.pixel(second.width() / 2, second.height() / 2 - int(40 * 96 / 25.4))));
    const QImage first = rasterise(pdf, 96, 1, work.filePath(QStringLiteral("first")));
    EXPECT_EQ(first.size(), QSize(794, 1123));
}

TEST_F(DiscPrintCommand, TheSheetOptionsAreRefusedWhereTheyCannotApply)
{
    const QString out = work.filePath(QStringLiteral("out"));
    QString said;
    EXPECT_EQ(runPrint({QStringLiteral("--all"), out + QStringLiteral(".png")}, &said), 2);
    EXPECT_TRUE(said.contains(QStringLiteral("--all"))) << said.toStdString();
    EXPECT_EQ(runPrint({QStringLiteral("--disc"), QStringLiteral("--all"), out + QStringLiteral(".pdf")}), 2);
    EXPECT_EQ(runPrint({QStringLiteral("--disc"), QStringLiteral("--calibration-page"), out + QStringLiteral(".pdf")}), 2);
    EXPECT_FALSE(QFile::exists(out + QStringLiteral(".png")));
    EXPECT_FALSE(QFile::exists(out + QStringLiteral(".pdf")));
    // The help names both, in Czech.
    ASSERT_EQ(runPrint({QStringLiteral("--help")}, &said), 0);
    EXPECT_TRUE(said.contains(QStringLiteral("--disc")));
    EXPECT_TRUE(said.contains(QStringLiteral("--all")));
    EXPECT_TRUE(said.contains(QStringLiteral("etiketou disku")));
}

TEST_F(DiscPrintCommand, TheFinishingOptionsApplyToTheLabel)
{
    const QString project = discProject(work.path(), DiscGeometry::Sheet::A4);
    const QString plain = work.filePath(QStringLiteral("plain.png"));
    const QString bled = work.filePath(QStringLiteral("bled.png"));
    ASSERT_EQ(runPrint({QStringLiteral("--disc"), QStringLiteral("--dpi"), QStringLiteral("254"), project, plain}), 0);
    QString said;
    ASSERT_EQ(runPrint({QStringLiteral("--disc"), QStringLiteral("--dpi"), QStringLiteral("254"), QStringLiteral("--bleed"),
                        QStringLiteral("3"), QStringLiteral("--marks"), project, bled},
                       &said),
              0)
        << said.toStdString();
    const QImage before = QImage(plain).convertToFormat(QImage::Format_RGB32);
    const QImage after = QImage(bled).convertToFormat(QImage::Format_RGB32);
    // Along the row through the centre (105 mm, 148.5 mm): the ring 3 mm wider on
    // either side, the hole 3 mm narrower.
    const auto edges = [](const QImage &image) {
        const int y = 1485;
        QList<int> changes;
        for (int x = 1; x < image.width(); ++x)
            if (inked(image.pixel(x, y)) != inked(image.pixel(x - 1, y)))
                changes << x;
        return changes;
    };
    const QList<int> a = edges(before), b = edges(after);
    ASSERT_EQ(a.size(), 4);
    ASSERT_EQ(b.size(), 4);
    EXPECT_NEAR(b[0], a[0] - 30, 1);
    EXPECT_NEAR(b[1], a[1] + 30, 1);
    EXPECT_NEAR(b[2], a[2] - 30, 1);
    EXPECT_NEAR(b[3], a[3] + 30, 1);
    // A crop mark continues the top edge of the label's square left of its corner,
    // beyond the bleed; none without --marks.
    const QRect corner(1050 - 585 - 100, 1485 - 585 - 5, 60, 10);
    const auto ink = [&](const QImage &image) {
        int n = 0;
        for (int y = corner.top(); y <= corner.bottom(); ++y)
            for (int x = corner.left(); x <= corner.right(); ++x)
                n += inked(image.pixel(x, y));
        return n;
    };
    EXPECT_EQ(ink(before), 0);
    EXPECT_GT(ink(after), 0);

    // The print shop's pieces are the cover's.
    EXPECT_EQ(runPrint({QStringLiteral("--disc"), QStringLiteral("--pieces"), work.filePath(QStringLiteral("p.pdf"))}), 2);
}

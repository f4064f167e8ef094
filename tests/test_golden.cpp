// What the program writes, held against a record made before the page model was
// reshaped: the PNG at 96 and 300 dpi, each PDF page's drawing and its image streams,
// and the saved project file with its side files, byte for byte, for covers that
// between them use every kind of element and attribute. A change of the code's shape
// must change none of it; a change meant to alter the output updates the record
// (KORVEL_UPDATE_GOLDEN=1) and says why in its commit.
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "PdfImageStreams.h"
#include "ProjectTestUtil.h"
#include "project/CoverDocument.h"
#include "project/CoverPage.h"
#include "project/SpinePictureState.h"

using namespace korvel;
using namespace korvel::test;

namespace {

QString sha(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().left(32));
}

// The covers of the record, each made through the document as the window makes it.
using Make = void (*)(CoverDocument &, const QString &folder);

void styled(CoverDocument &d, const QString &)
{
    const char *fonts[] = {"Liberation Serif", "DejaVu Sans", "Liberation Mono", "Arial", "Times New Roman"};
    const int styles[] = {0, fsBold, fsItalic, fsUnderline, fsStrikeOut, fsBold | fsItalic, fsBold | fsItalic | fsUnderline};
    const Alignment alignments[] = {Alignment::Left, Alignment::Center, Alignment::Right};
    int i = 0;
    for (TextItem &item : d.page().items()) {
        if (item.isMultiLine())
            item.setLines({QStringLiteral("První řádek %1").arg(i), QStringLiteral("Žluťoučký kůň úpěl"),
                           QStringLiteral("ďábelské ódy – %1").arg(i * 7)});
        else
            item.setText(QStringLiteral("Příliš žluťoučký %1").arg(i));
        ItemFont font = item.font();
        font.name = QString::fromLatin1(fonts[i % 5]);
        font.color = ColorRef(quint32(0x102030 * (i + 1)) & 0xFFFFFF);
        font.setSize(8 + 3 * (i % 6));
        font.style = styles[i % 7];
        item.setFont(font);
        item.setAlignment(alignments[i % 3]);
        ++i;
    }
    for (SpineBand *band : {&d.page().CDL(), &d.page().CDR()}) {
        band->setCaption(QStringLiteral("Hřbet – Ďáblova CD"));
        band->setStartColor(ColorRef(0x00C03020));
        band->setEndColor(ColorRef(0x002040A0));
        ItemFont font = band->titleFont();
        font.name = QStringLiteral("DejaVu Sans");
        font.setSize(11);
        font.style = fsItalic;
        band->setTitleFont(font);
    }
}

void placedPhotos(CoverDocument &d, const QString &)
{
    d.page().MainImg().setPicture(loadPicture(testData("raster/jpeg_baseline_420.jpg")));
    d.page().MainImg().setPlacement(PicturePlacement{PicturePlacement::Fit::Fill, 380, 620, 1700});
    d.page().BckImg().setPicture(loadPicture(testData("raster/png_rgba_qt.png")));
    d.page().BckImg().setPlacement(PicturePlacement{PicturePlacement::Fit::Fit, 500, 500, 1000});
    d.setText(2, QStringLiteral("Fotky"));
}

void metafileFront(CoverDocument &d, const QString &)
{
    d.page().MainImg().setPicture(loadPicture(testData("metafiles/inkscape_shapes.emf")));
    d.page().BckImg().setPicture(loadPicture(testData("raster/gif_89a.gif")));
}

void spineAndTabs(CoverDocument &d, const QString &)
{
    d.spine().choosePicture(testData("raster/jpeg_progressive.jpg"));
    TextItem &contents = d.page().item(QStringLiteral("BTo"));
    contents.setLines({QStringLiteral("1.\tÚvod\t3:45"), QStringLiteral("2.\tDlouhá píseň o ničem\t12:03"),
                       QStringLiteral("3.\tKonec\t0:59"), QStringLiteral("\tCelkem\t16:47")});
    contents.setAlignment(Alignment::Left);
    d.page().item(QStringLiteral("BTit")).setLines({QStringLiteral("Nahráno\t2026"), QStringLiteral("Praha")});
    d.page().item(QStringLiteral("MTN")).setText(QStringLiteral("A\tB"));
}

const std::pair<const char *, Make> kCovers[] = {
    {"default", nullptr}, {"styled", styled}, {"photos", placedPhotos}, {"metafile", metafileFront}, {"spine-tabs", spineAndTabs}};

QString print(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(KORVEL_PRINT_EXE), arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return QStringLiteral("korvel-print failed: ") + QString::fromLocal8Bit(process.readAllStandardError());
    return QString();
}

// Every line of the record that the covers give now.
QStringList record(const QString &work)
{
    QStringList lines;
    for (const auto &[name, make] : kCovers) {
        const QString folder = QDir(work).filePath(QString::fromLatin1(name));
        QDir().mkpath(folder);
        CoverDocument document(folder);
        document.start(QString());
        if (make)
            make(document, folder);
        const QString project = QDir(folder).filePath(QStringLiteral("cover.kvp"));
        document.save(project, true);
        const QString key = QString::fromLatin1(name) + QLatin1Char('/');
        for (const QString &file : QDir(folder).entryList(QDir::Files, QDir::Name))
            lines << key + file + QLatin1Char(' ') + sha(readBytes(QDir(folder).filePath(file)));
        for (const char *dpi : {"96", "300"}) {
            const QString png = QDir(work).filePath(QStringLiteral("out.png"));
            const QString failed = print({QStringLiteral("--dpi"), QString::fromLatin1(dpi), project, png});
            lines << key + QStringLiteral("page-%1.png ").arg(QString::fromLatin1(dpi)) + (failed.isEmpty() ? sha(readBytes(png)) : failed);
        }
        const QString pdf = QDir(work).filePath(QStringLiteral("out.pdf"));
        if (const QString failed = print({project, pdf}); !failed.isEmpty()) {
            lines << key + QStringLiteral("page.pdf ") + failed;
            continue;
        }
        const QByteArrayList pages = pdfPageContents(pdf);
        for (qsizetype i = 0; i < pages.size(); ++i)
            lines << key + QStringLiteral("pdf-page-%1 ").arg(i + 1) + sha(pages[i]);
        const QByteArrayList images = pdfImageStreams(pdf);
        QStringList hashes;
        for (const QByteArray &image : images)
            hashes << sha(image);
        hashes.sort(); // the streams' order in the file is the writer's business
        lines << key + QStringLiteral("pdf-images ") + hashes.join(QLatin1Char(','));
    }
    return lines;
}

} // namespace

TEST_F(ProjectFixture, GoldenOutputsStayByteForByte)
{
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
    // Another compiler and a debug build may round a coordinate the other way: the
    // record is of the release build, the one people get.
    GTEST_SKIP() << "checked in the release build";
#endif
#endif
    const QString recorded = testData("golden/outputs.txt");
    const QStringList now = record(work.path());
    if (qEnvironmentVariableIsSet("KORVEL_UPDATE_GOLDEN")) {
        QDir().mkpath(QFileInfo(recorded).absolutePath());
        writeBytes(recorded, now.join(QLatin1Char('\n')).toUtf8() + '\n');
        GTEST_SKIP() << "record written";
    }
    const QStringList expected = QString::fromUtf8(readBytes(recorded)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_FALSE(expected.isEmpty()) << "no record at " << recorded.toStdString();
    EXPECT_EQ(now.join(QLatin1Char('\n')).toStdString(), expected.join(QLatin1Char('\n')).toStdString());
}

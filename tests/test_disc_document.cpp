// The disc label as part of the document: what follows the cover, the project file's
// section [SecDisc] and side file .im4 (and their absence for a label nobody touched),
// undo of every label edit, and the recovery copy.
#include <QImage>
#include <QPainter>
#include <QUndoStack>
#include <gtest/gtest.h>

#include "ProjectTestUtil.h"
#include "project/CoverDocument.h"
#include "project/DocumentHistory.h"
#include "project/ProjectFile.h"
#include "project/RecoveryStore.h"
#include "project/SheetRenderer.h"
#include "settings/IniFile.h"

using namespace korvel;
using namespace korvel::test;

namespace {

using DiscDocument = ProjectFixture;

TextItem &labelText(CoverDocument &d, int text)
{
    return d.label().items()[std::size_t(text)];
}

PictureElement &labelPicture(CoverDocument &d)
{
    return d.label().picture(d.label().layout().withRole(Role::LabelPicture));
}

// The label's sheet as it prints, at 150 dpi.
QImage printed(const CoverPage &label)
{
    const QSizeF paper(label.layout().paperWidth, label.layout().paperHeight);
    QImage image(qRound(paper.width() / 254 * 150), qRound(paper.height() / 254 * 150), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    SheetRenderer::paint(label, painter, PageRenderOptions::forPaper(150));
    return image;
}

// A label with everything of its own: size and sheet, picture, texts, paths, fonts.
void makeOwnLabel(CoverDocument &d)
{
    DiscGeometry g;
    g.label = DiscGeometry::Label::Own;
    g.ownOuter = 1160;
    g.ownHole = 180;
    g.sheet = DiscGeometry::Sheet::A4Two;
    g.twoX = 1040;
    g.twoFirstY = 820;
    g.twoSecondY = 2050;
    g.texts[disc::kArtist] = {true, 0};
    g.texts[disc::kLowerText] = {true, 520};
    d.setDiscGeometry(g);
    d.loadLabelPicture(testData("raster/jpeg_baseline_420.jpg"));
    labelPicture(d).setPlacement(PicturePlacement{PicturePlacement::Fit::Fill, 300, 700, 1500});
    d.setLabelText(disc::kTitle, QStringLiteral("Živě v Brně"));
    labelText(d, disc::kLowerText).setLines({QStringLiteral("1. Úvod\t3:45"), QStringLiteral("2. Konec")});
    ItemFont font = labelText(d, disc::kTitle).font();
    font.name = QStringLiteral("Liberation Serif");
    font.setSize(19);
    font.style = fsItalic;
    font.color = 0x204080;
    labelText(d, disc::kTitle).setFont(font);
    labelText(d, disc::kLowerText).setAlignment(Alignment::Left);
}

} // namespace

TEST_F(DiscDocument, AnUntouchedLabelFollowsTheCoverAndLeavesTheProjectAsItWas)
{
    Session s;
    CoverDocument &d = s.document;
    d.start(QString());
    d.page().item(QStringLiteral("MTN")).setText(QStringLiteral("Podzim"));
    d.page().item(QStringLiteral("MThn")).setText(QStringLiteral("Kvartet"));
    d.page().MainImg().setPicture(loadPicture(testData("raster/gif_89a.gif")));
    // The label shows the cover's title, artist and front picture.
    EXPECT_EQ(labelText(d, disc::kTitle).text(), QStringLiteral("Podzim"));
    EXPECT_EQ(labelText(d, disc::kArtist).text(), QStringLiteral("Kvartet"));
    EXPECT_TRUE(labelPicture(d).picture().sameAs(d.page().MainImg().picture()));

    const QString project = work.filePath(QStringLiteral("album.kvp"));
    d.save(project, true);
    const QByteArray text = readBytes(project);
    EXPECT_FALSE(text.contains("[SecDisc]")) << "a label nobody touched has no section";
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("album.im4"))));

    // Touched, saved, and put back: the section stays and reads as the label is.
    ItemFont font = labelText(d, disc::kTitle).font();
    font.setSize(30);
    labelText(d, disc::kTitle).setFont(font);
    d.save(project, true);
    EXPECT_TRUE(readBytes(project).contains("[SecDisc]"));
    d.history().stack()->undo();
    d.save(project, true);
    Session reopened;
    reopened.open(project);
    EXPECT_EQ(reopened.document.snapshot().label(), d.snapshot().label());
    EXPECT_EQ(reopened.document.disc(), d.disc());
    // Still following: a new title shows on the label too.
    reopened.page.item(QStringLiteral("MTN")).setText(QStringLiteral("Zima"));
    EXPECT_EQ(labelText(reopened.document, disc::kTitle).text(), QStringLiteral("Zima"));
}

TEST_F(DiscDocument, ALabelWithItsOwnPictureIsSavedReopenedAndPrintedAsItWas)
{
    Session s;
    CoverDocument &d = s.document;
    d.start(QString());
    d.page().MainImg().setPicture(loadPicture(testData("raster/gif_89a.gif")));
    makeOwnLabel(d);
    // Its own title no longer follows; the artist still does.
    d.page().item(QStringLiteral("MTN")).setText(QStringLiteral("Obal"));
    d.page().item(QStringLiteral("MThn")).setText(QStringLiteral("Soubor"));
    EXPECT_EQ(labelText(d, disc::kTitle).text(), QStringLiteral("Živě v Brně"));
    EXPECT_EQ(labelText(d, disc::kArtist).text(), QStringLiteral("Soubor"));
    EXPECT_FALSE(labelPicture(d).picture().sameAs(d.page().MainImg().picture()));

    const QString project = work.filePath(QStringLiteral("live.kvp"));
    d.save(project, true);
    EXPECT_EQ(readBytes(work.filePath(QStringLiteral("live.im4"))), readBytes(testData("raster/jpeg_baseline_420.jpg")))
        << "the label's picture as its own file";
    const QByteArray text = readBytes(project);
    // A reader of [SecCD] alone finds its section first, whole.
    EXPECT_LT(text.indexOf("[SecCD]"), text.indexOf("[SecDisc]"));
    EXPECT_EQ(ini::findValue(text, "SecDisc", "Label"), QByteArrayView("Own"));
    EXPECT_EQ(ini::findValue(text, "SecDisc", "Outer"), QByteArrayView("1160"));
    EXPECT_EQ(ini::findValue(text, "SecDisc", "Sheet"), QByteArrayView("A4Two"));
    EXPECT_EQ(ini::findValue(text, "SecDisc", "Picture"), QByteArrayView("Own"));
    EXPECT_EQ(ini::findValue(text, "SecDisc", "DTN-Follow"), QByteArrayView("0"));

    Session reopened;
    EXPECT_TRUE(reopened.open(project).isEmpty());
    EXPECT_EQ(reopened.document.disc(), d.disc());
    EXPECT_EQ(reopened.document.snapshot().label(), d.snapshot().label());
    EXPECT_EQ(printed(reopened.document.label()), printed(d.label()));
    // Saved again unchanged, the files stay byte for byte.
    const QByteArray before = readBytes(project);
    reopened.save(project);
    EXPECT_EQ(readBytes(project), before);

    // Back to the front's picture: the side file goes at the next save.
    d.setLabelOwnPicture(false);
    EXPECT_TRUE(labelPicture(d).picture().sameAs(d.page().MainImg().picture()));
    d.save(project, true);
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("live.im4"))));
}

TEST_F(DiscDocument, AHandWrittenOrDamagedSectionReadsWithinRange)
{
    const QString project = work.filePath(QStringLiteral("hand.kvp"));
    writeBytes(project, "[SecCD]\r\nMTN-Tx=Titul\r\n[SecDisc]\r\nLabel=Own\r\nOuter=5000\r\nHole=x\r\nSheet=Moon\r\n"
                        "CentreX=-3\r\nDThn-Tx=Vlastn\xED\r\n"
                        "DThn-Ht=-90000\r\nDTN-Arc=1\r\nDTN-Rad=1\r\nDTdt-Tx-L=99999\r\n"
                        "DTdt-Tx1=Jen jeden\r\nDImg-Fit=Fit\r\nDImg-Zoom=99999\r\nPicture=Own\r\n");
    writeBytes(work.filePath(QStringLiteral("hand.im4")), "not a picture");
    Session s;
    const QStringList problems = s.open(project);
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems.first().startsWith(QStringLiteral("Obrázek disku (hand.im4) nelze načíst"))) << problems.first().toStdString();
    const DiscChoices &disc = s.document.disc();
    EXPECT_EQ(disc.geometry.label, DiscGeometry::Label::Own);
    EXPECT_EQ(disc.geometry.outer(), DiscGeometry::kMaxOuter);
    EXPECT_EQ(disc.geometry.hole(), 410) << "no number: the first value";
    EXPECT_EQ(disc.geometry.sheet, DiscGeometry::Sheet::A4);
    EXPECT_TRUE(disc.geometry.texts[disc::kTitle].arc);
    EXPECT_EQ(disc.geometry.arcRadius(disc::kTitle), disc.geometry.minRadius());
    EXPECT_FALSE(disc.follows[disc::kArtist]) << "a text of its own";
    EXPECT_TRUE(disc.follows[disc::kTitle]);
    EXPECT_EQ(labelText(s.document, disc::kArtist).text(), QStringLiteral("Vlastní"));
    EXPECT_GE(labelText(s.document, disc::kArtist).font().height, -1000);
    EXPECT_EQ(labelText(s.document, disc::kTitle).text(), QStringLiteral("Titul"));
    const QStringList lower = labelText(s.document, disc::kLowerText).lines();
    ASSERT_FALSE(lower.isEmpty());
    EXPECT_EQ(lower.first(), QStringLiteral("Jen jeden"));
    EXPECT_LT(lower.size(), 40) << "no more lines than the file has";
    EXPECT_EQ(labelPicture(s.document).placement().zoom, PicturePlacement::kMaxZoom);
    EXPECT_TRUE(labelPicture(s.document).picture().isEmpty());
    EXPECT_TRUE(s.document.hasLabelPictureToRemove()) << "the damaged side file is the user's to remove";
    // Saved as it is, the damaged side file stays.
    s.save(project);
    EXPECT_EQ(readBytes(work.filePath(QStringLiteral("hand.im4"))), QByteArray("not a picture"));
}

TEST_F(DiscDocument, EveryLabelEditIsOneStepUndoneExactly)
{
    Session s;
    CoverDocument &d = s.document;
    d.start(QString());
    const auto step = [&](const char *what, const QString &label, const std::function<void()> &edit) {
        SCOPED_TRACE(what);
        d.history().recordNow();
        const DocumentSnapshot before = d.snapshot();
        const int steps = d.undoStack()->count();
        edit();
        d.history().recordNow();
        ASSERT_EQ(d.undoStack()->count(), steps + 1);
        EXPECT_EQ(d.undoStack()->undoText(), label);
        const DocumentSnapshot after = d.snapshot();
        d.undoStack()->undo();
        EXPECT_TRUE(d.snapshot() == before);
        d.undoStack()->redo();
        EXPECT_TRUE(d.snapshot() == after);
    };
    DiscGeometry g = d.disc().geometry;
    g.label = DiscGeometry::Label::FullFace;
    step("size", QStringLiteral("Rozměr a arch – Disk"), [&] { d.setDiscGeometry(g); });
    g.sheet = DiscGeometry::Sheet::Disc;
    step("sheet", QStringLiteral("Rozměr a arch – Disk"), [&] { d.setDiscGeometry(g); });
    g.texts[disc::kTitle].arc = true;
    step("path", QStringLiteral("Text po obvodu – Nadpis (disk)"), [&] { d.setDiscGeometry(g); });
    step("text", QStringLiteral("Text – Nadpis (disk)"), [&] { d.setLabelText(disc::kTitle, QStringLiteral("Můj")); });
    step("follows", QStringLiteral("Text – Nadpis (disk)"), [&] { d.setLabelFollows(disc::kTitle, true); });
    step("lower text", QStringLiteral("Text – Dolní text (disk)"),
         [&] { labelText(d, disc::kLowerText).setLines({QStringLiteral("a"), QStringLiteral("b")}); });
    step("font", QStringLiteral("Písmo – Horní nadpis (disk)"), [&] {
        ItemFont font = labelText(d, disc::kArtist).font();
        font.style = fsBold;
        labelText(d, disc::kArtist).setFont(font);
    });
    step("alignment", QStringLiteral("Zarovnání – Horní nadpis (disk)"),
         [&] { labelText(d, disc::kArtist).setAlignment(Alignment::Right); });
    step("own picture", QStringLiteral("Obrázek – Disk"), [&] { d.loadLabelPicture(testData("raster/gif_89a.gif")); });
    step("placement", QStringLiteral("Umístění obrázku – Disk"),
         [&] { labelPicture(d).setPlacement(PicturePlacement{PicturePlacement::Fit::Fit, 500, 500, 1000}); });
    step("removed", QStringLiteral("Odebrání obrázku – Disk"), [&] { d.removeLabelPicture(); });
    step("front's again", QStringLiteral("Obrázek – Disk"), [&] { d.setLabelOwnPicture(false); });
    // A change of the cover that the label follows is the cover's step.
    step("followed", QStringLiteral("Text – Horní nadpis"),
         [&] { d.page().item(QStringLiteral("MThn")).setText(QStringLiteral("Jiný")); });
}

TEST_F(DiscDocument, ARecoveryCopyHoldsTheLabel)
{
    Session s;
    CoverDocument &d = s.document;
    d.start(QString());
    makeOwnLabel(d);
    QTemporaryDir state;
    RecoveryStore store(state.path());
    QString error;
    ASSERT_TRUE(store.write(d.snapshot().stored(), QString(), false, &error)) << error.toStdString();
    const QList<RecoveryStore::Abandoned> none = store.findAbandoned();
    EXPECT_TRUE(none.isEmpty()) << "this run's own copy is not abandoned";

    // Read back as the designer restores a copy.
    const QString copy = store.runFolder() + QStringLiteral("/copy-1/recovery.kvp");
    ASSERT_TRUE(QFile::exists(copy));
    EXPECT_TRUE(QFile::exists(store.runFolder() + QStringLiteral("/copy-1/recovery.im4")));
    Session restored;
    restored.document.restore(copy, QString(), false);
    EXPECT_EQ(restored.document.disc(), d.disc());
    EXPECT_EQ(restored.document.snapshot().label(), d.snapshot().label());
    EXPECT_TRUE(restored.document.isModified());
}

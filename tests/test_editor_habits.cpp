// What people expect of a desktop editor: undo, shortcuts, recent projects, drag and
// drop, hints of what will print, and recovery after a crash, through the real window.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QUndoStack>
#include <QUrl>

#include <sys/stat.h>

#include "GuiTestUtil.h"
#include "ProjectTestUtil.h"
#include "app/PageView.h"
#include "project/SheetView.h"
#include "app/TFrmMain.h"
#include "dialogs/TDotazFrm.h"
#include "dialogs/TFrmHelp.h"
#include "dialogs/TFrmNzvCD.h"
#include "project/ChangeLabel.h"
#include "project/DocumentHistory.h"
#include "project/RecoveryStore.h"
#include "dialogs/TFrmRecovery.h"
#include "project/RecoveryWriter.h"
#include "settings/RecentProjects.h"

using namespace korvel;
using namespace korvel::test;

namespace {

class EditorHabits : public ProjectFixture {
protected:
    struct Designer {
        TFrmMain window;
        QStringList answers;
        explicit Designer(const QString &argument = QString(), const QString &startFolder = QString())
            : window(startFolder)
        {
            window.spineDialog();
            window.setProjectDialog([this](QWidget *, bool, const QString &) {
                return answers.isEmpty() ? QString() : answers.takeFirst();
            });
            window.Params(argument);
            window.show();
        }
        bool unsaved() const { return window.commands().Fsave->isEnabled(); }
        void undo() { window.Undo()->trigger(); }
    };

    // Drops a file on the window where the page shows element.
    static void drop(TFrmMain &window, const QString &file, std::string_view element)
    {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(file)});
        const QPoint at = window.QR()->mapTo(&window, SheetView::pixelRect(window.page().elementRect(element), 100).center());
        // As a drag from a file manager arrives: entering, then the drop.
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &enter);
        QDropEvent event(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &event);
    }
};

} // namespace

TEST_F(EditorHabits, ThreeEditsUndoneGiveBackThePageByteForByte)
{
    writeBytes(work.filePath(QStringLiteral("photo.bmp")), readBytes(testData("raster/bmp_24bpp.bmp")));
    save(work.filePath(QStringLiteral("a.kvp")));
    Designer d(work.filePath(QStringLiteral("a.kvp")));
    const QByteArray original = readBytes(work.filePath(QStringLiteral("a.kvp")));

    QLineEdit *men = d.window.editBox(QStringLiteral("MEN"));
    men->selectAll();
    QTest::keyClicks(men, QStringLiteral("New title"));
    QCoreApplication::processEvents();
    EXPECT_EQ(d.window.history().stack()->count(), 1) << "a run of typing is one step";
    d.window.findChild<QToolButton *>(QStringLiteral("SpeedButton1"))->click(); // MTht flush left
    QCoreApplication::processEvents();
    QString error;
    ASSERT_TRUE(d.window.page().BckImg().loadFromFile(work.filePath(QStringLiteral("photo.bmp")), &error));
    QCoreApplication::processEvents();
    ASSERT_EQ(d.window.history().stack()->count(), 3);

    for (int i = 0; i < 3; ++i)
        d.undo();
    EXPECT_FALSE(d.unsaved()) << "undone back to what was saved";
    EXPECT_EQ(men->text(), QStringLiteral("Nadpis"));
    EXPECT_TRUE(d.window.FsaveClick());
    EXPECT_EQ(readBytes(work.filePath(QStringLiteral("a.kvp"))), original);
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("a.im1"))));

    // Redo brings the edits back; New empties the history.
    d.window.Redo()->trigger();
    EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("New title"));
    answerNextQuestion(false);
    d.window.FNewClick();
    EXPECT_EQ(d.window.history().stack()->count(), 0);
}

TEST_F(EditorHabits, UndoAndRedoSayWhichStepTheyTake)
{
    writeBytes(work.filePath(QStringLiteral("back.bmp")), readBytes(testData("raster/bmp_24bpp.bmp")));
    Designer d;
    QAction *undo = d.window.Undo();
    QAction *redo = d.window.Redo();
    EXPECT_EQ(undo->text(), QStringLiteral("Zpět")) << "nothing to undo";
    EXPECT_EQ(redo->text(), QStringLiteral("Znovu"));
    const auto undoText = [undo] {
        QCoreApplication::processEvents(); // the step is recorded once the event is over
        return undo->text();
    };

    QTest::keyClicks(d.window.editBox(QStringLiteral("MEN")), QStringLiteral("Abc"));
    EXPECT_EQ(undoText(), QStringLiteral("Zpět: Text – Nadpis"));
    EXPECT_EQ(undo->toolTip(), QStringLiteral("Zpět: Text – Nadpis (Ctrl+Z)"));
    EXPECT_EQ(undo->statusTip(), undo->toolTip());
    TextItem &title = d.window.page().item(QStringLiteral("MTN"));
    ItemFont font = title.font();
    font.name = QStringLiteral("Liberation Serif");
    font.color = clRed;
    title.setFont(font);
    EXPECT_EQ(undoText(), QStringLiteral("Zpět: Písmo – Nadpis")) << "a font with its colour is a font";
    title.setColor(clBlue);
    EXPECT_EQ(undoText(), QStringLiteral("Zpět: Barva – Nadpis"));
    d.window.findChild<QToolButton *>(QStringLiteral("SpeedButton3"))->click(); // MTht flush right
    EXPECT_EQ(undoText(), QStringLiteral("Zpět: Zarovnání – Horní text (přední strana)"));
    d.window.setOpenPictureDialog([this](QWidget *) { return work.filePath(QStringLiteral("back.bmp")); });
    d.window.ImgBackClick();
    EXPECT_EQ(undoText(), QStringLiteral("Zpět: Obrázek – Zadní strana"));
    d.window.removePicture(false);
    EXPECT_EQ(undoText(), QStringLiteral("Zpět: Odebrání obrázku – Zadní strana"));
    TFrmNzvCD *spine = d.window.findChildren<TFrmNzvCD *>().last();
    QTest::keyClicks(spine->Edt(), QStringLiteral("Hrbet"));
    EXPECT_EQ(undoText(), QStringLiteral("Zpět: Text – Hřbet"));
    const QString spineTitle = d.window.page().CDL().caption();
    answerNextQuestion(true);
    d.window.ClrTxtClick();
    EXPECT_EQ(undoText(), QStringLiteral("Zpět: Vymazání textů")) << "the command names what changed many places";

    // Undo names the step before; redo the step it makes again.
    d.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d.window));
    QTest::keyClick(d.window.editBox(QStringLiteral("MEN")), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(d.window.page().CDL().caption(), spineTitle) << "Ctrl+Z undid the clearing";
    EXPECT_EQ(undo->text(), QStringLiteral("Zpět: Text – Hřbet"));
    EXPECT_EQ(redo->text(), QStringLiteral("Znovu: Vymazání textů"));
    EXPECT_EQ(redo->toolTip(), QStringLiteral("Znovu: Vymazání textů (Ctrl+Shift+Z)"));
    while (undo->isEnabled())
        undo->trigger();
    EXPECT_EQ(undo->text(), QStringLiteral("Zpět"));
    EXPECT_EQ(redo->text(), QStringLiteral("Znovu: Text – Nadpis"));
    redo->trigger();
    EXPECT_EQ(undo->text(), QStringLiteral("Zpět: Text – Nadpis"));
    EXPECT_EQ(redo->text(), QStringLiteral("Znovu: Písmo – Nadpis"));
    // The popup menu offers them under the same names.
    const QList<QAction *> offered = d.window.PopUpMenuMain()->actions();
    EXPECT_TRUE(offered.contains(undo) && offered.contains(redo));
}

TEST(ChangeLabels, NameWhatChangedAndWhere)
{
    CoverPage page;
    SpinePictureState spine(page);
    const auto snapshot = [&] { return DocumentSnapshot::of(page, spine); };
    const auto labelOf = [&](const std::function<void()> &change) {
        const DocumentSnapshot before = snapshot();
        change();
        return changeLabel(before, snapshot());
    };
    page.MainImg().setPicture(loadPicture(testData("raster/bmp_24bpp.bmp")));
    EXPECT_EQ(labelOf([&] {
                  PicturePlacement p = page.MainImg().placement();
                  p.fit = PicturePlacement::Fit::Fill;
                  page.MainImg().setPlacement(p);
              }),
              QStringLiteral("Umístění obrázku – Přední strana"));
    EXPECT_EQ(labelOf([&] {
                  PicturePlacement p = page.MainImg().placement();
                  p.zoom = 2000;
                  page.MainImg().setPlacement(p);
              }),
              QStringLiteral("Výřez obrázku – Přední strana"));
    EXPECT_EQ(labelOf([&] {
                  page.item(QStringLiteral("MTN")).setText(QStringLiteral("A"));
                  page.item(QStringLiteral("BTo")).setText(QStringLiteral("1\n2"));
              }),
              QStringLiteral("Text – Nadpis, Obsah"));
    EXPECT_EQ(labelOf([&] {
                  for (const char *code : {"MTN", "MThn", "MTdn"})
                      page.item(QString::fromLatin1(code)).setAlignment(Alignment::Left);
              }),
              QStringLiteral("Zarovnání – více míst"));
    EXPECT_EQ(labelOf([&] {
                  page.item(QStringLiteral("MTN")).setText(QStringLiteral("B"));
                  page.BckImg().setPicture(loadPicture(testData("raster/bmp_24bpp.bmp")));
              }),
              QStringLiteral("Úpravy obalu"));
    EXPECT_EQ(labelOf([&] {
                  page.CDL().setStartColor(clRed);
                  page.CDR().setStartColor(clRed);
              }),
              QStringLiteral("Barvy přechodu – Hřbet"));
    EXPECT_EQ(labelOf([&] { page.CDR().setBackImageMode(BackImageMode::pbmTile); }),
              QStringLiteral("Umístění obrázku – Hřbet"))
        << "either band is the spine";

    // A side file that could not be read, taken away: the picture is removed.
    DocumentSnapshot kept = snapshot();
    kept.keptSideFiles = QStringList{QStringLiteral("/p/a.im1")};
    DocumentSnapshot gone = kept;
    gone.keptSideFiles.clear();
    EXPECT_EQ(changeLabel(kept, gone), QStringLiteral("Odebrání obrázku – Zadní strana"));
    // A box typed into that showed a sample: its text, even when it reads the same.
    DocumentSnapshot sample = kept;
    sample.samples[2] = true;
    EXPECT_EQ(changeLabel(sample, kept), QStringLiteral("Text – Nadpis"));
}

TEST_F(EditorHabits, ShortcutsActOnlyWhereTheirCommandCan)
{
    Designer d;
    d.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d.window));
    int dialogs = 0;
    d.window.setProjectDialog([&](QWidget *, bool, const QString &) {
        ++dialogs;
        return QString();
    });
    QTest::keyClick(&d.window, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(dialogs, 0) << "Ctrl+S does nothing while there is nothing to save";
    d.window.editBox(QStringLiteral("MEN"))->setText(QStringLiteral("x"));
    QTest::keyClick(&d.window, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(dialogs, 1);
    QTest::keyClick(&d.window, Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(d.window.view().zoom(), 110);
    QTest::keyClick(&d.window, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(d.window.view().zoom(), 100);
    EXPECT_EQ(d.window.findChild<QLabel *>(QStringLiteral("ZoomLabel"))->text(), QStringLiteral("100 %"));
    QTest::keyClick(&d.window, Qt::Key_F1);
    bool helpShown = false;
    for (QWidget *w : QApplication::topLevelWidgets())
        helpShown |= qobject_cast<TFrmHelp *>(w) && w->isVisible();
    EXPECT_TRUE(helpShown) << "F1 opens the user guide";
}

TEST_F(EditorHabits, DroppedPicturesGoWhereTheyFallAndProjectsAskFirst)
{
    const QString png = QDir(testData("raster")).entryList({QStringLiteral("*.png")}).value(0);
    ASSERT_FALSE(png.isEmpty());
    writeBytes(work.filePath(QStringLiteral("back.png")), readBytes(testData("raster") + QLatin1Char('/') + png));
    writeBytes(work.filePath(QStringLiteral("notes.txt")), "hello");
    writeBytes(work.filePath(QStringLiteral("b.kvp")), "[SecCD]\r\nMTN-Tx=Dropped\r\n");
    Designer d;
    drop(d.window, work.filePath(QStringLiteral("back.png")), "BckImg");
    EXPECT_FALSE(d.window.page().BckImg().picture().isEmpty());
    EXPECT_TRUE(d.window.page().MainImg().picture().isEmpty());
    EXPECT_TRUE(d.unsaved());
    d.answers << work.filePath(QStringLiteral("a.kvp"));
    d.window.SaveAsClick();
    EXPECT_EQ(readBytes(work.filePath(QStringLiteral("a.im1"))), readBytes(work.filePath(QStringLiteral("back.png"))));
    {
        Designer reopened(work.filePath(QStringLiteral("a.kvp")));
        EXPECT_EQ(reopened.window.page().BckImg().picture().format(), PictureFormat::Png);
    }

    drop(d.window, work.filePath(QStringLiteral("back.png")), "CDL");
    EXPECT_FALSE(d.window.page().CDR().backImage().isEmpty()) << "a spine band takes the spine picture";
    drop(d.window, work.filePath(QStringLiteral("notes.txt")), "BckImg");
    EXPECT_TRUE(d.window.statusBar()->currentMessage().contains(QStringLiteral("notes.txt")));

    QString caption;
    answerNextQuestion(false, &caption);
    drop(d.window, work.filePath(QStringLiteral("b.kvp")), "MainImg");
    EXPECT_EQ(caption, QStringLiteral("Neuloženo !"));
    EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Dropped"));
}

TEST_F(EditorHabits, RecentProjectsSurviveARestartAndLoseDeletedFiles)
{
    writeBytes(work.filePath(QStringLiteral("a.kvp")), "[SecCD]\r\nMTN-Tx=A\r\n");
    writeBytes(work.filePath(QStringLiteral("b.kvp")), "[SecCD]\r\nMTN-Tx=B\r\n");
    for (const QString &path : RecentProjects::list())
        RecentProjects::remove(path);
    {
        Designer d(work.filePath(QStringLiteral("a.kvp")));
        d.answers << work.filePath(QStringLiteral("b.kvp"));
        d.window.FOpenClick();
    }
    EXPECT_EQ(RecentProjects::list(),
              (QStringList{work.filePath(QStringLiteral("b.kvp")), work.filePath(QStringLiteral("a.kvp"))}));
    Designer d;
    QMenu *recent = d.window.findChild<QMenu *>(QStringLiteral("RecentMenu"));
    ASSERT_TRUE(recent);
    emit recent->aboutToShow();
    ASSERT_EQ(recent->actions().size(), 2);
    QFile::remove(work.filePath(QStringLiteral("a.kvp")));
    QString message;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        message = box->text();
        box->accept();
    });
    recent->actions().at(1)->trigger();
    EXPECT_TRUE(message.contains(QStringLiteral("a.kvp"))) << message.toStdString();
    EXPECT_EQ(RecentProjects::list(), QStringList{work.filePath(QStringLiteral("b.kvp"))});
    recent->actions().at(0)->trigger();
    EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("B"));
}

TEST_F(EditorHabits, EmptyBoxesHintWhatPrintsAndWarningsNameWhatWillNotPrint)
{
    writeBytes(work.filePath(QStringLiteral("default.kvd")), "[SecCD]\r\nMTN-Tx=Sample title\r\n");
    Designer d(QString(), work.path());
    EXPECT_TRUE(d.window.editBox(QStringLiteral("MEN"))->text().isEmpty());
    EXPECT_EQ(d.window.editBox(QStringLiteral("MEN"))->placeholderText(), QStringLiteral("Sample title"));
    EXPECT_TRUE(d.window.findChild<QToolButton *>(QStringLiteral("SpeedButton8"))->isChecked()) << "MTN centred";

    QStringList lines;
    for (int i = 0; i < 30; ++i)
        lines << QStringLiteral("Track %1").arg(i);
    d.window.page().item(QStringLiteral("BTo")).setLines(lines);
    QCoreApplication::processEvents();
    const QString warnings = d.window.findChild<QLabel *>(QStringLiteral("PrintWarnings"))->text();
    const int hidden = d.window.page().hiddenLines(QStringLiteral("BTo"));
    ASSERT_GT(hidden, 0);
    EXPECT_TRUE(warnings.contains(QStringLiteral("Obsah: %1 řádk").arg(hidden))) << warnings.toStdString();

    // A small picture stretched over the front prints coarse: 119 rows over 120 mm.
    QString error;
    ASSERT_TRUE(d.window.page().MainImg().loadFromFile(testData("raster/bmp_24bpp.bmp"), &error));
    QCoreApplication::processEvents();
    EXPECT_TRUE(d.window.findChild<QLabel *>(QStringLiteral("PrintWarnings"))->text().contains(QStringLiteral("25 dpi")));
}

// Run only as a child of the test below: a designer with unsaved work (in the
// project KORVEL_TEST_PROJECT, if given) writing its recovery copy often, until it
// is killed.
TEST(RecoveryChild, DISABLED_KeepsEditingUntilKilled)
{
    if (qEnvironmentVariableIsEmpty("KORVEL_TEST_TITLE"))
        GTEST_SKIP() << "started by RecoveryAfterACrash only";
    QTemporaryDir start;
    TFrmMain window(start.path());
    window.Params(qEnvironmentVariable("KORVEL_TEST_PROJECT"));
    window.show();
    window.setRecoveryInterval(50);
    window.editBox(QStringLiteral("MEN"))->setText(qEnvironmentVariable("KORVEL_TEST_TITLE"));
    QTest::qWait(600000);
}

namespace {

// Answers the question windows that come, one after the other: 'y' "Ano", 'n' "Ne",
// 'x' closed by its close button. Records their messages.
void answerQuestions(const QString &answers, QStringList *asked)
{
    if (answers.isEmpty())
        return;
    whenModal<TDotazFrm>([answers, asked](TDotazFrm *dialog) {
        asked->append(dialog->text()->text());
        answerQuestions(answers.mid(1), asked);
        const QChar a = answers.front();
        if (a == QLatin1Char('x'))
            dialog->close();
        else
            (a == QLatin1Char('y') ? dialog->BtAno() : dialog->BtNe())->click();
    }, 600);
}

} // namespace

TEST_F(EditorHabits, RecoveryOffersEveryAbandonedCopyAndKeepsWhatIsNotAnswered)
{
    QTemporaryDir home;
    const QString state = home.filePath(QStringLiteral("state"));
    page.item(QStringLiteral("MTN")).setText(QStringLiteral("Saved title"));
    save(work.filePath(QStringLiteral("album.kvp")));

    // Two designers with unsaved work, killed: one in a project, one in a new cover.
    std::vector<std::unique_ptr<QProcess>> children;
    for (const auto &[title, project] : {std::pair{"First rescue", work.filePath(QStringLiteral("album.kvp"))},
                                        std::pair{"Second rescue", QString()}}) {
        auto child = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KORVEL_TEST_TITLE"), QString::fromUtf8(title));
        env.insert(QStringLiteral("KORVEL_TEST_PROJECT"), project);
        env.insert(QStringLiteral("KORVEL_TEST_HOME"), home.path()); // state: home/state
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child->setProcessEnvironment(env);
        child->start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--gtest_also_run_disabled_tests"),
                      QStringLiteral("--gtest_filter=RecoveryChild.DISABLED_KeepsEditingUntilKilled")});
        ASSERT_TRUE(child->waitForStarted());
        children.push_back(std::move(child));
        // One after the other, so that the first copy is the older one. Generous: a
        // designer under AddressSanitizer on two cores starts slowly.
        const auto copies = [&] {
            QDir runs(state + QStringLiteral("/korvel"));
            int n = 0;
            for (const QString &run : runs.entryList({QStringLiteral("run-*")}, QDir::Dirs))
                n += !QDir(runs.filePath(run)).entryList({QStringLiteral("copy-*")}, QDir::Dirs).isEmpty();
            return n;
        };
        for (int i = 0; i < 1200 && copies() < int(children.size()); ++i)
            QTest::qWait(50);
    }
    for (auto &child : children) {
        child->kill(); // SIGKILL: no clean end
        child->waitForFinished();
    }
    RecoveryStore store(state + QStringLiteral("/korvel"));
    ASSERT_EQ(store.findAbandoned().size(), 2) << "no recovery copies within the time";
    // The copies are the user's alone.
    const auto mode = [](const QString &path) {
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        return st.st_mode & 07777;
    };
    EXPECT_EQ(mode(state + QStringLiteral("/korvel")), 0700u);
    for (const RecoveryStore::Abandoned &copy : store.findAbandoned()) {
        EXPECT_EQ(mode(copy.run), 0700u);
        EXPECT_EQ(mode(copy.project()), 0600u);
    }

    const QByteArray previousState = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", QFile::encodeName(state));
    {
        // Two copies are one window that lists both; Escape keeps them for the next start.
        QStringList listed;
        whenModal<TFrmRecovery>([&](TFrmRecovery *list) {
            for (const RecoveryStore::Abandoned &copy : list->copies())
                listed << TFrmRecovery::projectLabel(copy);
            QTest::keyClick(list, Qt::Key_Escape);
        }, 600);
        Designer d;
        EXPECT_EQ(listed, (QStringList{QStringLiteral("album.kvp"), QStringLiteral("nový projekt")}));
        EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Nadpis"));
        d.window.close();
    }
    EXPECT_EQ(store.findAbandoned().size(), 2);
    {
        // The older one restored from the list; the other stays for the next start.
        whenModal<TFrmRecovery>([&](TFrmRecovery *list) {
            auto *rows = list->findChild<QTreeWidget *>(QStringLiteral("Copies"));
            rows->setCurrentItem(rows->topLevelItem(0));
            list->findChild<QPushButton *>(QStringLiteral("Restore"))->click();
        }, 600);
        Designer d;
        EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("First rescue"));
        EXPECT_TRUE(d.unsaved());
        EXPECT_TRUE(d.window.isNamedProject());
        EXPECT_TRUE(d.window.recovery().store().hasCopy()) << "restored work has a copy of its own at once";
        ASSERT_EQ(store.findAbandoned().size(), 1);
        ASSERT_TRUE(d.window.FsaveClick());
        d.window.close();
        EXPECT_TRUE(readBytes(work.filePath(QStringLiteral("album.kvp"))).contains("MTN-Tx=First rescue\r\n"));
    }
    {
        // One copy left: the usual question.
        QStringList asked;
        answerQuestions(QStringLiteral("y"), &asked);
        Designer d;
        ASSERT_EQ(asked.size(), 1);
        EXPECT_TRUE(asked[0].startsWith(QStringLiteral("Obnovit neuložené změny nového projektu ("))) << asked[0].toStdString();
        EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Second rescue"));
        EXPECT_FALSE(d.window.isNamedProject());
        EXPECT_TRUE(store.findAbandoned().isEmpty()) << "both copies were taken";
        answerQuestions(QStringLiteral("n"), &asked);
        d.window.close();
    }
    qputenv("XDG_STATE_HOME", previousState);
}

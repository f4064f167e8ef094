// New, Open, Save, Save As and closing, driven through the main window.
#include <QAction>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMessageBox>

#include "GuiTestUtil.h"
#include "ProjectTestUtil.h"
#include "app/FileDialogFilters.h"
#include "app/TFrmMain.h"
#include "spine/TFrmNzvCD.h"

using namespace korvel;
using namespace korvel::test;

namespace {

class ProjectCommands : public ProjectFixture {
protected:
    // A designer window with its spine picture state, as start-up makes it. Every
    // file dialog it shows is answered from `answers`; an unexpected one fails.
    struct Designer {
        TFrmMain window;
        SpinePictureState &state = window.createSpineDialog()->state();
        QStringList answers;
        int dialogs = 0;
        explicit Designer(const QString &argument = QString())
        {
            window.setProjectDialog([this](QWidget *, bool, const QString &) {
                ++dialogs;
                if (answers.isEmpty()) {
                    ADD_FAILURE() << "an unexpected file dialog";
                    return QString();
                }
                return answers.takeFirst();
            });
            window.Params(argument);
            window.show();
        }
        bool unsaved() const { return window.action(QStringLiteral("Fsave"))->isEnabled(); }
        void type(const char *box, const QString &text) { window.editBox(QString::fromLatin1(box))->setText(text); }
    };
};

} // namespace

TEST_F(ProjectCommands, StartWithoutArgumentLoadsTheTemplateOfTheStartDirectory)
{
    {
        // No template here: the program's own, the creation defaults with empty lists.
        Designer d;
        EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Nadpis"));
        EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).font().height, -64);
        EXPECT_TRUE(d.window.page().item(QStringLiteral("BTo")).lines().isEmpty());
        EXPECT_FALSE(d.unsaved());
        EXPECT_EQ(d.window.windowTitle(), QStringLiteral("Lurdan CD 1.0 - druhé vydání - Neuložen"));
    }
    writeBytes(QStringLiteral("default.kvd"), "[SecCD]\r\nMTN-Tx=Template title\r\nBTo-Tx-L=1\r\nBTo-Tx1=Track\r\n");
    Designer d;
    EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Template title"));
    EXPECT_EQ(d.window.page().item(QStringLiteral("BTo")).lines(), QStringList{QStringLiteral("Track")});
    EXPECT_TRUE(d.window.editBox(QStringLiteral("MEN"))->text().isEmpty());
    EXPECT_FALSE(d.unsaved());
    EXPECT_EQ(d.window.windowTitle(), QStringLiteral("Lurdan CD 1.0 - druhé vydání - Neuložen"));
    EXPECT_FALSE(d.window.isNamedProject());
    EXPECT_TRUE(d.window.loadPath().isEmpty());
}

TEST_F(ProjectCommands, AProjectGivenAtStartIsSavedWithoutADialog)
{
    page.item(QStringLiteral("MTN")).setText(QStringLiteral("Album"));
    SaveProject(context, work.filePath(QStringLiteral("album.kvp")));
    Designer d(work.filePath(QStringLiteral("album.kvp")));
    EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Album"));
    EXPECT_EQ(d.window.editBox(QStringLiteral("MEN"))->text(), QStringLiteral("Album"));
    EXPECT_FALSE(d.unsaved());
    EXPECT_EQ(d.window.windowTitle(), QStringLiteral("Lurdan CD 1.0 - druhé vydání - album.kvp"));
    d.type("MEN", QStringLiteral("Edited"));
    EXPECT_TRUE(d.unsaved());
    EXPECT_TRUE(d.window.FsaveClick());
    EXPECT_EQ(d.dialogs, 0);
    EXPECT_FALSE(d.unsaved());
    EXPECT_TRUE(readBytes(QStringLiteral("album.kvp")).contains("MTN-Tx=Edited\r\n"));
}

TEST_F(ProjectCommands, SaveOfAnUnnamedProjectAsksEveryTimeAndBeforeOverwriting)
{
    Designer d;
    d.type("MEN", QStringLiteral("First"));
    const QString file = work.filePath(QStringLiteral("new.kvp"));
    d.answers << file;
    EXPECT_TRUE(d.window.FsaveClick());
    EXPECT_EQ(d.dialogs, 1);
    EXPECT_FALSE(d.unsaved());
    EXPECT_FALSE(d.window.isNamedProject()) << "Save never names the project";
    EXPECT_EQ(d.window.savePath(), file);

    d.type("MEN", QStringLiteral("Second"));
    d.answers << file;
    QString caption;
    answerNextQuestion(false, &caption);
    EXPECT_TRUE(d.window.FsaveClick());
    EXPECT_EQ(d.dialogs, 2);
    EXPECT_EQ(caption, QStringLiteral("Soubor existuje!"));
    EXPECT_TRUE(readBytes(file).contains("MTN-Tx=First\r\n")) << "\"Ne\" keeps the file";
    EXPECT_TRUE(d.unsaved());

    d.answers << file;
    answerNextQuestion(true);
    EXPECT_TRUE(d.window.FsaveClick());
    EXPECT_TRUE(readBytes(file).contains("MTN-Tx=Second\r\n"));
    EXPECT_FALSE(d.unsaved());

    // Save As names the project; Save then writes without a dialog.
    const QString other = work.filePath(QStringLiteral("other.kvp"));
    d.answers << other;
    d.window.SaveAsClick();
    EXPECT_TRUE(d.window.isNamedProject());
    d.type("MEN", QStringLiteral("Third"));
    EXPECT_TRUE(d.window.FsaveClick());
    EXPECT_EQ(d.dialogs, 4);
    EXPECT_TRUE(readBytes(other).contains("MTN-Tx=Third\r\n"));
}

TEST_F(ProjectCommands, OpenLoadsIntoPageAndBoxesAndMovesToTheProjectsFolder)
{
    QDir(work.path()).mkdir(QStringLiteral("covers"));
    writeBytes(work.filePath(QStringLiteral("covers/a.kvp")), "[SecCD]\r\nMTht-Tx=Opened\r\n");
    writeBytes(work.filePath(QStringLiteral("covers/default.kvd")), "[SecCD]\r\nMTht-Tx=Covers template\r\n");
    Designer d;
    d.answers << QString(); // cancelled: nothing changes
    d.window.FOpenClick();
    EXPECT_EQ(d.window.page().item(QStringLiteral("MTht")).text(), QStringLiteral("Horní text"));

    d.answers << work.filePath(QStringLiteral("covers/a.kvp"));
    d.window.FOpenClick();
    EXPECT_EQ(d.window.page().item(QStringLiteral("MTht")).text(), QStringLiteral("Opened"));
    EXPECT_EQ(d.window.editBox(QStringLiteral("MEht"))->text(), QStringLiteral("Opened"));
    EXPECT_TRUE(d.window.isNamedProject());
    EXPECT_FALSE(d.unsaved());
    EXPECT_EQ(d.window.savePath(), work.filePath(QStringLiteral("covers/a.kvp")));

    // New looks for the template in the folder Open moved to.
    d.window.FNewClick();
    EXPECT_EQ(d.window.page().item(QStringLiteral("MTht")).text(), QStringLiteral("Covers template"));
    EXPECT_TRUE(d.window.editBox(QStringLiteral("MEht"))->text().isEmpty());
    EXPECT_FALSE(d.window.isNamedProject());
    EXPECT_FALSE(d.unsaved());
    EXPECT_EQ(d.window.windowTitle(), QStringLiteral("Lurdan CD 1.0 - druhé vydání - Neuložen"));
}

TEST_F(ProjectCommands, UnsavedWorkIsAskedAboutAndCancellingTheSaveGoesOn)
{
    Designer d;
    d.type("MEN", QStringLiteral("Work"));
    QString caption;
    answerNextQuestion(true, &caption);
    d.answers << QString(); // the save dialog is cancelled
    d.window.FNewClick();
    EXPECT_EQ(caption, QStringLiteral("Neuloženo !"));
    EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Nadpis"));
    EXPECT_FALSE(d.unsaved());
    EXPECT_TRUE(QDir(work.path()).entryList({QStringLiteral("*.kvp")}).isEmpty());
}

TEST_F(ProjectCommands, ClosingAsksAndAnsweringNoWritesNothing)
{
    {
        Designer d;
        d.type("MEN", QStringLiteral("Work"));
        answerNextQuestion(false);
        EXPECT_TRUE(d.window.close());
    }
    EXPECT_TRUE(QDir(work.path()).entryList({QStringLiteral("*.kvp")}).isEmpty());

    // A save asked for at closing that fails keeps the window open with the error.
    Designer d;
    d.type("MEN", QStringLiteral("Work"));
    answerNextQuestion(true);
    d.answers << work.filePath(QStringLiteral("missing/folder/x.kvp"));
    QString error;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        error = box->text();
        box->accept();
    }, 300);
    EXPECT_FALSE(d.window.close());
    EXPECT_TRUE(error.startsWith(QStringLiteral("Unable to write to"))) << error.toStdString();
    EXPECT_TRUE(d.unsaved());
}

TEST_F(ProjectCommands, ASaveThatFailsEndsNewAndOpenAndKeepsTheWork)
{
    writeBytes(work.filePath(QStringLiteral("other.kvp")), "[SecCD]\r\nMTN-Tx=Other\r\n");
    for (const bool open : {false, true}) {
        Designer d;
        d.type("MEN", QStringLiteral("Work"));
        answerNextQuestion(true);
        d.answers << work.filePath(QStringLiteral("missing/folder/x.kvp"));
        if (open)
            d.answers << work.filePath(QStringLiteral("other.kvp")); // must not be asked for
        QString error;
        whenModal<QMessageBox>([&](QMessageBox *box) {
            error = box->text();
            box->accept();
        }, 300);
        if (open)
            d.window.FOpenClick();
        else
            d.window.FNewClick();
        EXPECT_TRUE(error.startsWith(QStringLiteral("Unable to write to"))) << error.toStdString();
        EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Work"));
        EXPECT_EQ(d.window.editBox(QStringLiteral("MEN"))->text(), QStringLiteral("Work"));
        EXPECT_TRUE(d.unsaved());
        EXPECT_EQ(d.dialogs, 1) << (open ? "Open" : "New") << " went on after the failed save";
    }
}

TEST_F(ProjectCommands, TheProjectDialogsOfferProjectsAndEveryFile)
{
    EXPECT_EQ(TFrmMain::projectFilters(),
              (QStringList{QStringLiteral("Projekt CD (*.kvp)"), QStringLiteral("Všechny soubory (*.*)")}));
    // "*.*" stands for every file, also one without a dot in its name.
    EXPECT_EQ(patternsOfFilter(QStringLiteral("Všechny soubory (*.*)")), QStringList{QStringLiteral("*")});
    EXPECT_EQ(patternsOfFilter(QStringLiteral("Vše (*.gif;*.dib)")),
              (QStringList{QStringLiteral("*.gif"), QStringLiteral("*.dib")}));
}

// "Načíst skladby" through the real window: dropped on the page, from the popup menu
// and from the contents list's editor; applied as one step, saved and reopened.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>
#include <QUrl>
#include <atomic>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "DesignerTestUtil.h"
#include "app/PageView.h"
#include "project/SheetView.h"
#include "dialogs/TFrmEdit.h"
#include "dialogs/TFrmTracks.h"
#include "project/CoverDocument.h"
#include "project/DocumentHistory.h"
#include "tracks/TrackReader.h"

using namespace korvel;
using namespace korvel::test;

namespace {

QString audio(const char *relative)
{
    return QStringLiteral(KORVEL_TEST_DATA "/audio/") + QString::fromUtf8(relative);
}

class TracksWindow : public DesignerFixture {
protected:
    // Drops a file or folder on the page where it shows element, as a file manager does.
    static void drop(TFrmMain &window, const QString &path, std::string_view element)
    {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        const QPoint at = window.QR()->mapTo(&window, SheetView::pixelRect(window.page().elementRect(element), 100).center());
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent event(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &event);
        EXPECT_TRUE(event.isAccepted());
    }
    // The open window, once it has read what it was given.
    static TFrmTracks *readWindow(TFrmMain &window)
    {
        TFrmTracks *tracks = window.findChild<TFrmTracks *>();
        if (tracks) {
            EXPECT_TRUE(QTest::qWaitFor([tracks] { return !tracks->isReading(); }, 20000));
        }
        return tracks;
    }
    // Drops a file or folder on a window itself.
    static bool dropOn(QWidget *target, const QString &path)
    {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent event(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
        return event.isAccepted();
    }
    static QCheckBox *box(QWidget *parent, const char *name)
    {
        auto *b = parent->findChild<QCheckBox *>(QString::fromLatin1(name));
        EXPECT_TRUE(b) << name;
        return b;
    }
    static void click(QWidget *parent, const char *name)
    {
        auto *button = parent->findChild<QAbstractButton *>(QString::fromLatin1(name));
        ASSERT_TRUE(button) << name;
        ASSERT_TRUE(button->isEnabled()) << name;
        button->click();
    }
};

} // namespace

TEST_F(TracksWindow, ADroppedFolderIsAppliedAsOneStepSavedAndReopened)
{
    Designer d;
    d.type("MEdn", QStringLiteral("Vlastní dolní nadpis")); // the user's own: kept
    d.window.history().recordNow();
    const int steps = d.window.history().stack()->count();
    drop(d.window, audio("album"), "BTo");
    TFrmTracks *tracks = readWindow(d.window);
    ASSERT_TRUE(tracks);
    EXPECT_TRUE(tracks->isVisible());
    EXPECT_EQ(tracks->findChild<QLabel *>(QStringLiteral("Sample"))->text(), QStringLiteral("1. Příliš žluťoučký kůň (0:01)"));
    EXPECT_TRUE(tracks->findChild<QLabel *>(QStringLiteral("Fit"))->text().contains(QStringLiteral("vytiskne celý obsah")));
    EXPECT_TRUE(tracks->findChild<QCheckBox *>(QStringLiteral("FillYear"))->text().contains(QStringLiteral("ponechá se")));
    ASSERT_TRUE(tracks->previewPage());
    EXPECT_EQ(tracks->previewPage()->item(QStringLiteral("BTo")).lines().size(), 3);
    click(tracks, "Apply");
    QCoreApplication::processEvents();
    EXPECT_FALSE(d.window.findChild<TFrmTracks *>() && d.window.findChild<TFrmTracks *>()->isVisible());

    const QStringList lines{QStringLiteral("1. Příliš žluťoučký kůň (0:01)"), QStringLiteral("2. Úpěl ďábelské ódy (0:02)"),
                            QStringLiteral("10. Čtvrtá a poslední (0:03)")};
    EXPECT_EQ(d.window.page().item(QStringLiteral("BTo")).lines(), lines);
    EXPECT_EQ(d.window.editBox(QStringLiteral("MEN"))->text(), QStringLiteral("Žlutá ponorka")) << "the box shows it";
    EXPECT_EQ(d.window.editBox(QStringLiteral("MEhn"))->text(), QStringLiteral("Hudba Praha"));
    EXPECT_EQ(d.window.editBox(QStringLiteral("MEdn"))->text(), QStringLiteral("Vlastní dolní nadpis"));
    EXPECT_EQ(d.window.history().stack()->count(), steps + 1) << "one undo step";
    EXPECT_TRUE(d.unsaved());

    d.answers << work.filePath(QStringLiteral("deska.kvp"));
    d.window.SaveAsClick();
    Designer reopened(work.filePath(QStringLiteral("deska.kvp")));
    CoverPage &page = reopened.window.page();
    EXPECT_EQ(page.item(QStringLiteral("BTo")).lines(), lines);
    EXPECT_EQ(page.item(QStringLiteral("MTN")).text(), QStringLiteral("Žlutá ponorka"));
    EXPECT_EQ(page.item(QStringLiteral("MThn")).text(), QStringLiteral("Hudba Praha"));
    EXPECT_EQ(page.CDL().caption(), QStringLiteral("Hudba Praha – Žlutá ponorka"));
    EXPECT_EQ(page.MainImg().picture().format(), PictureFormat::Jpeg) << "the cover embedded in b.flac";

    // Undo takes all of it back at once.
    EXPECT_EQ(d.window.Undo()->text(), QStringLiteral("Zpět: Načtení skladeb"));
    d.window.Undo()->trigger();
    EXPECT_TRUE(d.window.page().item(QStringLiteral("BTo")).lines().isEmpty());
    EXPECT_TRUE(d.window.page().MainImg().picture().isEmpty());
    EXPECT_TRUE(d.window.editBox(QStringLiteral("MEN"))->text().isEmpty());
}

TEST_F(TracksWindow, FromTheMenuAndTheEditorWithEncodingFittingAndCancel)
{
    Designer d;
    QAction *menu = d.window.PopUpMenuMain()->findChild<QAction *>(QStringLiteral("ReadTracks"));
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->text(), QStringLiteral("Načíst skladby…"));
    // A large font: the list does not fit until the window makes it smaller.
    TextItem &contents = d.window.page().item(QStringLiteral("BTo"));
    contents.setSize(40);
    d.window.history().recordNow();
    const DocumentSnapshot before = d.window.document().snapshot();
    const int steps = d.window.history().stack()->count();

    menu->trigger();
    TFrmTracks *tracks = d.window.findChild<TFrmTracks *>();
    ASSERT_TRUE(tracks);
    tracks->setSourceDialog([](QWidget *, bool folder) { return folder ? QString() : audio("cue/deska.cue"); });
    click(tracks, "ChooseFile");
    tracks = readWindow(d.window);
    auto *encoding = tracks->findChild<QComboBox *>(QStringLiteral("Encoding"));
    EXPECT_TRUE(encoding->isEnabled());
    EXPECT_EQ(encoding->currentText(), QStringLiteral("Windows-1250 (středoevropské)"));
    EXPECT_EQ(tracks->tracks().tracks.value(1).title, QStringLiteral("Říční"));
    encoding->setCurrentIndex(encoding->findData(int(TextEncoding::Windows1252)));
    tracks = readWindow(d.window);
    EXPECT_EQ(tracks->tracks().tracks.value(1).title, QString::fromLatin1("\xD8\xED\xE8n\xED")) << "read again as chosen";

    ASSERT_GT(tracks->plan().hiddenLines, 0);
    EXPECT_TRUE(tracks->findChild<QLabel *>(QStringLiteral("Fit"))->text().contains(QStringLiteral("nevytiskne")));
    click(tracks, "FitButton");
    EXPECT_EQ(tracks->plan().hiddenLines, 0);
    EXPECT_LT(tracks->plan().font.size(), 40);
    EXPECT_EQ(tracks->previewPage()->hiddenLines(QStringLiteral("BTo")), 0) << "the preview shows it fitted";

    click(tracks, "Cancel");
    QCoreApplication::processEvents();
    EXPECT_TRUE(d.window.document().snapshot() == before) << "Zrušit changes nothing";
    EXPECT_EQ(d.window.history().stack()->count(), steps);

    // The contents list's editor offers the command; the information text's does not.
    d.window.BEitClick();
    d.window.BEoClick();
    TFrmEdit *contentsEditor = nullptr;
    for (TFrmEdit *editor : d.window.findChildren<TFrmEdit *>()) {
        EXPECT_EQ(editor->ReadTracksButton()->isVisibleTo(editor), editor->target() == TFrmEdit::kTargetContents);
        if (editor->target() == TFrmEdit::kTargetContents)
            contentsEditor = editor;
    }
    ASSERT_TRUE(contentsEditor);
    QCoreApplication::processEvents(); // a closed window is gone
    contentsEditor->ReadTracksButton()->click();
    tracks = d.window.findChild<TFrmTracks *>();
    ASSERT_TRUE(tracks);
    EXPECT_TRUE(tracks->isVisible());
    tracks->readSource(audio("twodisc"));
    tracks = readWindow(d.window);
    click(tracks, "Apply");
    EXPECT_EQ(contentsEditor->Text()->toPlainText().split(QLatin1Char('\n')).value(0), QStringLiteral("CD 1"))
        << "the editor shows the new list";
}

TEST_F(TracksWindow, AReadingThatHangsNeverHoldsUpTheWindow)
{
    Designer d;
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("roura.cue"));
    const QByteArray native = QFile::encodeName(fifo);
    ASSERT_EQ(::mkfifo(native.constData(), 0600), 0);
    d.window.history().recordNow();
    const DocumentSnapshot before = d.window.document().snapshot();
    const int steps = d.window.history().stack()->count();

    // A sheet that is a FIFO is refused at once, and the window says why.
    drop(d.window, fifo, "BTo");
    TFrmTracks *tracks = readWindow(d.window);
    ASSERT_TRUE(tracks);
    EXPECT_TRUE(tracks->findChild<QLabel *>(QStringLiteral("Problems"))->text().contains(QStringLiteral("není obyčejný soubor")));

    // A reading that waits in the system all the same (a read of that FIFO, as a
    // network file system that hangs would wait), then gives tracks late: cancelled
    // once, closed the other time.
    for (const bool closed : {false, true}) {
        SCOPED_TRACE(closed ? "closed" : "cancelled");
        if (!tracks) {
            drop(d.window, audio("album"), "BTo");
            tracks = readWindow(d.window);
            ASSERT_TRUE(tracks);
        }
        struct Hang {
            std::atomic<bool> entered{false}, left{false}, released{false}, forced{false};
        };
        auto hang = std::make_shared<Hang>();
        tracks->reader()->setReadFunction([hang](const QString &path, std::optional<TextEncoding>, TextEncoding *,
                                                 const std::function<bool(int, int)> &) {
            hang->entered = true;
            QFile file(path);
            TrackList list;
            if (file.open(QIODevice::ReadOnly)) { // waits for a writer
                const QByteArray text = file.readAll();
                list = TrackList();
                Track t;
                t.title = QString::fromUtf8(text).trimmed();
                list.tracks << t;
            }
            hang->left = true;
            return list;
        });
        tracks->readSource(fifo);
        ASSERT_TRUE(QTest::qWaitFor([&] { return hang->entered.load(); }, 5000));
        EXPECT_TRUE(tracks->isReading());
        // Should the window wait for the reading after all, this lets it go on after
        // ten seconds, and the test fails instead of hanging.
        std::thread watchdog([hang, native] {
            for (int i = 0; i < 1000 && !hang->released; ++i)
                ::usleep(10000);
            if (hang->released)
                return;
            hang->forced = true;
            const int fd = ::open(native.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0)
                ::close(fd);
        });
        QPointer<TFrmTracks> window(tracks);
        if (closed)
            tracks->close();
        else
            click(tracks, "Cancel");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the window goes
        EXPECT_FALSE(window) << "the window is gone";
        EXPECT_FALSE(hang->left) << "still reading";
        EXPECT_FALSE(hang->forced) << "the window waited for the reading";

        // The reading ends late with a track: it goes nowhere.
        hang->released = true;
        watchdog.join();
        if (!hang->forced) {
            const int fd = ::open(native.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            ASSERT_GE(fd, 0);
            EXPECT_EQ(::write(fd, "Pozde\n", 6), 6);
            ::close(fd);
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return hang->left.load(); }, 5000));
        QTest::qWait(50);
        EXPECT_TRUE(d.window.document().snapshot() == before);
        EXPECT_EQ(d.window.history().stack()->count(), steps);
        EXPECT_FALSE(d.window.findChild<TFrmTracks *>());
        tracks = nullptr;
    }
}

TEST_F(TracksWindow, TagsWithAmpersandsAndLongTitlesKeepTheWindowOnTheScreen)
{
    Designer d;
    QTemporaryDir dir;
    const QString title = QStringLiteral("Velmi dlouhý název alba ").repeated(7); // 168 characters
    ASSERT_EQ(title.size(), 168);
    const QString cue = dir.filePath(QStringLiteral("deska.cue"));
    QFile file(cue);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("PERFORMER \"Kvartet Čáp & Řeřicha\"\nTITLE \"%1\"\nFILE \"deska.wav\" WAVE\n"
                              "  TRACK 01 AUDIO\n    TITLE \"%1\"\n    INDEX 01 00:00:00\n"
                              "  TRACK 02 AUDIO\n    TITLE \"<b>Krátká</b>\"\n    INDEX 01 03:00:00\n")
                   .arg(title)
                   .toUtf8());
    file.close();
    drop(d.window, cue, "BTo");
    TFrmTracks *tracks = readWindow(d.window);
    ASSERT_TRUE(tracks);
    QCoreApplication::processEvents();

    // The window and its buttons stand on the screen.
    const QRect screen = tracks->screen()->availableGeometry();
    EXPECT_LE(tracks->frameGeometry().width(), screen.width());
    EXPECT_TRUE(screen.contains(tracks->frameGeometry())) << tracks->frameGeometry().x() << "," << tracks->frameGeometry().width();
    for (const char *name : {"Apply", "Cancel"}) {
        QWidget *button = tracks->findChild<QPushButton *>(QString::fromLatin1(name));
        EXPECT_TRUE(tracks->rect().contains(QRect(button->mapTo(tracks, QPoint()), button->size()))) << name;
    }

    // "&" shows as itself in every label made from tags, never as a shortcut's mark;
    // what is too long for the window is shortened there, whole in its tool tip.
    for (const char *name : {"FillHeading", "FillSpine", "FillTitle", "FillContents"}) {
        const QString text = box(tracks, name)->text();
        EXPECT_TRUE(QKeySequence::mnemonic(text).isEmpty()) << name << ": " << text.toStdString();
    }
    EXPECT_EQ(box(tracks, "FillHeading")->text(), QStringLiteral("Horní nadpis: Kvartet Čáp && Řeřicha"));
    const QCheckBox *spine = box(tracks, "FillSpine");
    EXPECT_TRUE(spine->text().startsWith(QStringLiteral("Hřbet: Kvartet Čáp && Řeřicha – Velmi")));
    EXPECT_TRUE(spine->text().endsWith(QStringLiteral("…")));
    EXPECT_TRUE(spine->toolTip().contains(QStringLiteral("Kvartet Čáp &amp; Řeřicha – ") + title.trimmed().toHtmlEscaped()));
    auto *sample = tracks->findChild<QLabel *>(QStringLiteral("Sample"));
    EXPECT_TRUE(sample->text().startsWith(QStringLiteral("1. Velmi dlouhý")));
    EXPECT_TRUE(sample->text().endsWith(QStringLiteral("…")));
    EXPECT_LT(sample->sizeHint().width(), screen.width() / 2);
    EXPECT_EQ(sample->textFormat(), Qt::PlainText);
    EXPECT_EQ(tracks->previewPage()->item(QStringLiteral("BTo")).lines().value(1), QStringLiteral("2. <b>Krátká</b>"))
        << "a title is text, whatever it looks like";
}

TEST_F(TracksWindow, ItBlocksNothingTakesDropsAndRemembersTheChoices)
{
    Designer d;
    const int contentsIndex = kJewelCase.textIndex("BTo");
    d.window.document().setTextFromBox(contentsIndex, QStringLiteral("Moje první\nMoje druhá\n\nMoje třetí"));
    d.window.history().recordNow();
    const QStringList own = d.window.page().item(QStringLiteral("BTo")).lines();

    drop(d.window, audio("album"), "BTo");
    TFrmTracks *tracks = readWindow(d.window);
    ASSERT_TRUE(tracks);
    EXPECT_EQ(tracks->windowModality(), Qt::NonModal);
    EXPECT_FALSE(QApplication::activeModalWidget()) << "the page stays in reach";
    // The contents list has its own check box, ticked, that says what it replaces.
    EXPECT_TRUE(box(tracks, "FillContents")->isChecked());
    EXPECT_EQ(box(tracks, "FillContents")->text(), QStringLiteral("Obsah: 3 skladby, nahradí 3 vlastní řádky"));
    box(tracks, "FillContents")->setChecked(false);
    EXPECT_FALSE(tracks->plan().fillContents);
    box(tracks, "FillContents")->setChecked(true);

    // A source dropped on the page or on the window goes to the open window.
    drop(d.window, audio("cue/deska.cue"), "MainImg");
    EXPECT_EQ(readWindow(d.window), tracks);
    EXPECT_EQ(d.window.findChildren<TFrmTracks *>().size(), 1);
    EXPECT_EQ(tracks->tracks().tracks.value(1).title, QStringLiteral("Říční"));
    EXPECT_FALSE(dropOn(tracks, audio("make.sh"))) << "no source of tracks";
    EXPECT_TRUE(dropOn(tracks, audio("twodisc")));
    tracks = readWindow(d.window);
    ASSERT_EQ(tracks->tracks().tracks.size(), 4);

    // Discs without headings, numbered "1-01"; the lengths in a column led to by dots,
    // the total under them.
    auto *format = tracks->findChild<QComboBox *>(QStringLiteral("Format"));
    format->setCurrentIndex(format->findData(int(TrackFormat::Style::Column)));
    box(tracks, "DiscHeadings")->setChecked(false);
    box(tracks, "DiscNumbers")->setChecked(true);
    box(tracks, "Total")->setChecked(true);
    ASSERT_TRUE(box(tracks, "DotLeader")->isEnabled());
    box(tracks, "DotLeader")->setChecked(true);
    const QStringList lines{QStringLiteral("1-01. Disk jedna 1…\t0:01"), QStringLiteral("1-02. Disk jedna 2…\t0:01"),
                            QStringLiteral("2-01. Disk dva 1…\t0:01"), QStringLiteral("2-02. Disk dva 2…\t0:01"),
                            QStringLiteral("Celkem\t0:04")};
    EXPECT_EQ(tracks->plan().lines, lines);
    EXPECT_EQ(tracks->findChild<QLabel *>(QStringLiteral("Sample"))->text(), QStringLiteral("1-01. Disk jedna 1 . . . . 0:01"));
    box(tracks, "Durations")->setChecked(false);
    EXPECT_FALSE(box(tracks, "DotLeader")->isEnabled()) << "no lengths, no dots";
    box(tracks, "Durations")->setChecked(true);

    // The cover is edited while the window is open: the window follows.
    EXPECT_FALSE(box(tracks, "FillTitle")->text().contains(QStringLiteral("ponechá se")));
    d.type("MEN", QStringLiteral("Můj vlastní název"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(box(tracks, "FillTitle")->text().contains(QStringLiteral("ponechá se")));
    // (No events between: a status tip of whatever the offscreen mouse stands on
    // would take the status line.)
    click(tracks, "Apply");
    EXPECT_EQ(d.window.page().item(QStringLiteral("BTo")).lines(), lines);
    EXPECT_EQ(d.window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Můj vlastní název"));
    EXPECT_EQ(d.window.statusBar()->currentMessage(), QStringLiteral("Skladby jsou na obalu."));

    // Undone, the import takes its note with it.
    d.window.Undo()->trigger();
    EXPECT_EQ(d.window.page().item(QStringLiteral("BTo")).lines(), own);
    EXPECT_TRUE(d.window.statusBar()->currentMessage().isEmpty());

    // The next window starts with the choices made here.
    d.window.PopUpMenuMain()->findChild<QAction *>(QStringLiteral("ReadTracks"))->trigger();
    tracks = d.window.findChild<TFrmTracks *>();
    ASSERT_TRUE(tracks);
    EXPECT_EQ(TrackFormat::Style(tracks->findChild<QComboBox *>(QStringLiteral("Format"))->currentData().toInt()),
              TrackFormat::Style::Column);
    EXPECT_FALSE(box(tracks, "DiscHeadings")->isChecked());
    EXPECT_TRUE(box(tracks, "DiscNumbers")->isChecked());
    EXPECT_TRUE(box(tracks, "Total")->isChecked());
    EXPECT_TRUE(box(tracks, "DotLeader")->isChecked());
    EXPECT_TRUE(box(tracks, "Durations")->isChecked());
    EXPECT_FALSE(box(tracks, "LeadingZeros")->isChecked());
    click(tracks, "Cancel");
}

TEST_F(TracksWindow, TheProgressBarsPlaceIsKeptWhileItIsHidden)
{
    Designer d;
    d.window.PopUpMenuMain()->findChild<QAction *>(QStringLiteral("ReadTracks"))->trigger();
    TFrmTracks *tracks = d.window.findChild<TFrmTracks *>();
    ASSERT_TRUE(tracks);
    auto go = std::make_shared<std::atomic<bool>>(false);
    tracks->reader()->setReadFunction([go](const QString &path, std::optional<TextEncoding> encoding, TextEncoding *used,
                                           const std::function<bool(int, int)> &progress) {
        while (!*go)
            ::usleep(1000);
        return TrackReader::readNow(path, encoding, used, progress);
    });
    auto *format = tracks->findChild<QComboBox *>(QStringLiteral("Format"));
    auto *progress = tracks->findChild<QProgressBar *>(QStringLiteral("Progress"));
    QCoreApplication::processEvents();
    const int before = format->mapTo(tracks, QPoint()).y();
    EXPECT_FALSE(progress->isVisible());

    tracks->readSource(audio("album"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(format->mapTo(tracks, QPoint()).y(), before) << "nothing moves when the bar shows";
    *go = true;
    tracks = readWindow(d.window);
    QCoreApplication::processEvents();
    EXPECT_FALSE(progress->isVisible());
    EXPECT_EQ(format->mapTo(tracks, QPoint()).y(), before);
    EXPECT_EQ(tracks->tracks().tracks.size(), 3);
}

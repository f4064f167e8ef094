// "Načíst skladby" through the real window: dropped on the page, from the popup menu
// and from the contents list's editor; applied as one step, saved and reopened.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
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
#include "dialogs/TFrmEdit.h"
#include "dialogs/TFrmTracks.h"
#include "project/CoverDocument.h"
#include "project/DocumentHistory.h"
#include "project/tracks/TrackReader.h"

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
        const QPoint at = window.QR()->mapTo(&window, window.page().elementPixelRect(element, 100).center());
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

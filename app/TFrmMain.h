#pragma once
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QTimer;
class QMenu;
class QPrinter;
class QScrollArea;
class QToolBar;

namespace korvel {

class CoverPage;
class PageView;
struct ProjectContext;
class TKivINIEntry;
class TKivRegEntry;
class TFrmNzvCD;
class SpinePictureState;
class PageHistory;
class RecoveryStore;
class ProjectCommands;
class ItemEditors;

// The main window: the toolbar, the A4 cover page and its popup menu.
class TFrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFrmMain(QWidget *parent = nullptr);
    ~TFrmMain() override;

    CoverPage &page() { return *m_page; }
    PageView *QR() const { return m_view; }
    QToolBar *Bar() const { return m_bar; }
    QMenu *PopUpMenuMain() const { return m_popup; }
    QScrollArea *scrollArea() const { return m_scroll; }
    // A toolbar or popup action by its name ("Fsave", "ZoomIn", "N1001", ...).
    QAction *action(const QString &name) const;

    // The window's INI entry for project files (section "SecCD") and its registry
    // entry for the remembered spine picture.
    TKivINIEntry &INIFile() { return *m_iniFile; }
    TKivRegEntry &Reg() { return *m_reg; }

    // Stores the project named on the command line; it is opened when the window is
    // first shown.
    void Params(const QString &argument) { m_argument = argument; }

    // The edit box of a single-line item by its name ("MEht" ... "BEdt").
    QLineEdit *editBox(const QString &name) const;
    // Copies the items' texts into the edit boxes, or empties them (both fire the
    // boxes' change handlers, as typing would).
    void fillEditBoxes();
    void emptyEditBoxes();

    // The open-picture dialog the picture commands run (replaceable, for tests).
    void setOpenPictureDialog(std::function<QString(QWidget *)> dialog) { m_openPicture = std::move(dialog); }

    // Whether Save writes without asking for a name.
    bool isNamedProject() const;

    // Shows or hides every item editing control (and the page's captions).
    void SetEditorsVisible(bool visible);
    bool editorsVisible() const { return m_editorsVisible; }

    // Whether a preview or print is being prepared right now.
    bool isPreparingPrint() const { return m_preparingPrint; }
    // Prints the page on a printer that is already set up, with the progress
    // window. Returns false if cancelled or if the printer refused.
    bool printOn(QPrinter &printer);

    // The project file dialogs (replaceable, for tests): given the title and the
    // offered name, they return the chosen file or an empty string.
    using ProjectDialog = std::function<QString(QWidget *parent, bool save, const QString &offered)>;
    void setProjectDialog(ProjectDialog dialog);
    // The filter labels of the project dialogs, in their order.
    static QStringList projectFilters();
    // A new spine title dialog, owned by this window. Every one of them shows the
    // window's one spine picture state. One is made at start-up, one more by each LRBtn.
    TFrmNzvCD *createSpineDialog();
    SpinePictureState &spineState() { return *m_spineState; }

    // Opens a project as Open does after its dialog: all or nothing. A file that is
    // not a project, or a load that fails part-way, leaves the page, the edit boxes,
    // the caption, the paths, the flag and every tool window as they were, and the
    // error names the file. Returns whether the project was opened.
    bool openProject(const QString &path);

    // Takes the front or back picture away (popup menu "Odebrat obrázek ...").
    void removePicture(bool front);

    // Undo and redo of every change of the cover.
    PageHistory &history() { return *m_history; }

    // Writes the recovery copy of unsaved work every interval (60 s by default).
    void setRecoveryInterval(int milliseconds);
    RecoveryStore &recovery();
    // Writes the recovery copy now if there is unsaved work (the timer's job).
    void writeRecoveryCopy();

    // Opens a dropped or recent file as the user would: pictures onto the element
    // under pos (window coordinates), projects after the unsaved-work question.
    // Returns whether the file was taken.
    bool dropFile(const QString &path, const QPoint &pos);
    // Opens one of the recent projects (popup menu "Nedávné projekty").
    void openRecent(const QString &path);

    const QString &loadPath() const;
    const QString &savePath() const;

public slots:
    void FNewClick();
    void FOpenClick();
    // Returns false when a save was attempted and failed.
    bool FsaveClick();
    void SaveAsClick();
    void ImgMainClick();
    void ImgBackClick();
    void ClrTxtClick();
    void BEoClick();
    void BEitClick();
    void LRBtnClick();
    void ZoomInClick();
    void ZoomOutClick();
    void ZoomDefClick();
    void ViewClick();
    void TiskClick();
    void InfoClick();

protected:
    void showEvent(QShowEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // The project commands work on the window's page, boxes, flag and caption.
    friend class ProjectCommands;
    friend class ItemEditors;

    bool isUnsaved() const;
    // Tells every open tool window to show the page as it is now.
    void refreshToolWindows();
    // A short note in the status line (dropped characters and the like).
    void showNotice(const QString &text);
    void buildEditActions();
    void buildStatusBar();
    // Placeholders, alignment buttons and the print warnings follow the page.
    void pageChanged();
    void updatePrintWarnings();
    void historyApplied();
    void fillRecentMenu();
    void setUnsaved(bool unsaved);
    void FormDestroy();
    void buildToolbar();
    void resizeCanvas();
    void markChanged();
    void choosePicture(bool front);
    void openEditor(int target);
    void buildPopupMenu();
    void changeZoom(int delta);
    void restorePlacement();
    void savePlacement() const;
    static void setUpPrinter(QPrinter &printer);
    void withPrinter(const std::function<void(QPrinter &)> &job);

    CoverPage *m_page;
    PageView *m_view;
    QWidget *m_canvas;
    ItemEditors *m_editors;
    std::function<QString(QWidget *)> m_openPicture;
    QScrollArea *m_scroll;
    QToolBar *m_bar;
    QMenu *m_popup;
    TKivINIEntry *m_iniFile;
    TKivRegEntry *m_reg;
    SpinePictureState *m_spineState;
    PageHistory *m_history;
    ProjectCommands *m_commands;
    QTimer *m_pageChangedTimer;
    QLabel *m_zoomLabel = nullptr;
    QLabel *m_warningsLabel = nullptr;
    QMenu *m_recentMenu = nullptr;
    QString m_argument;
    bool m_shown = false;
    bool m_editorsVisible = true;
    bool m_preparingPrint = false;
};

} // namespace korvel

#pragma once
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>

#include "app/MainToolBar.h"

class QAction;
class QLineEdit;
class QTimer;
class QMenu;
class QPrinter;
class QScrollArea;
class QStackedWidget;
class QTabBar;

namespace korvel {

class CoverDocument;
class CoverPage;
class DocumentHistory;
class PageView;
class SheetView;
class PictureCommands;
class PictureCropper;
class PrintCommands;
class ProjectCommands;
class ItemEditors;
class LabelEditors;
class RecoveryWriter;
class SpinePictureState;
class StatusLine;
class TrackCommands;
class TFrmEdit;
class TFrmNzvCD;

// The main window: the toolbar, the document's sheets with their tabs ("Obal", the
// A4 cover page, and "Disk", the disc label), each with its editing controls beside
// it, the popup menu, and the status line. It shows one CoverDocument and wires the
// user's commands to it; the document, not the window, holds the cover, its file and
// its history.
class TFrmMain : public QMainWindow {
    Q_OBJECT
public:
    // startFolder: where the program was started; the template "default.kvd" is
    // read from there once.
    explicit TFrmMain(const QString &startFolder = QString(), QWidget *parent = nullptr);
    ~TFrmMain() override;

    CoverDocument &document() { return *m_document; }
    CoverPage &page();
    PageView *QR() const { return m_view; }
    // The page as this window shows it: its zoom and screen marks.
    SheetView &view() const;
    QToolBar *Bar() const { return m_bar; }
    QMenu *PopUpMenuMain() const { return m_popup; }
    QScrollArea *scrollArea() const { return m_scroll; }

    // The sheets' tabs, "Obal" (shown at start) and "Disk" ("SheetTabs"); Ctrl+PgDn
    // and Ctrl+PgUp go to the next and the previous sheet ("NextSheet",
    // "PreviousSheet"). The zoom, the preview and printing act on the sheet shown.
    static constexpr int kCoverSheet = 0;
    static constexpr int kLabelSheet = 1;
    QTabBar *sheetTabs() const { return m_sheetTabs; }
    int shownSheet() const { return m_shownSheet; }
    void showSheet(int index);
    // The disc label as this window shows it ("DiscView"), its controls and its view.
    PageView *labelView() const { return m_labelView; }
    LabelEditors &labelEditors() const { return *m_labelEditors; }
    QScrollArea *labelScrollArea() const { return m_labelScroll; }
    // The view of the sheet shown: its zoom is the one the zoom commands change.
    SheetView &shownView() const;
    // The toolbar's commands ("FNew" ... "Info"); each action is named as its member.
    const ToolbarCommands &commands() const;
    // Undo and redo of every change of the cover, the user guide and leaving the
    // program, from any of its windows (actions "Undo", "Redo", "Help", "Quit").
    QAction *Undo() const { return m_undo; }
    QAction *Redo() const { return m_redo; }
    QAction *Help() const { return m_help; }
    QAction *Quit() const { return m_quit; }
    // The popup menu's "Odebrat obrázek přední strany" or "... zadní strany"
    // ("RemoveMainImg", "RemoveBckImg").
    QAction *removePictureAction(bool front) const;

    // Stores the project named on the command line; it is opened when the window is
    // first shown.
    void Params(const QString &argument) { m_argument = argument; }

    // The edit box of a single-line item by its name ("MEht" ... "BEdt").
    QLineEdit *editBox(const QString &name) const;

    // The open-picture dialog the picture commands run (replaceable, for tests).
    void setOpenPictureDialog(std::function<QString(QWidget *)> dialog);

    // Whether Save writes without asking for a name.
    bool isNamedProject() const;
    // The project's file (empty while the cover has none).
    QString savePath() const;

    // Shows or hides every item editing control of the sheet shown (and its captions).
    void SetEditorsVisible(bool visible);
    bool editorsVisible() const { return m_editorsVisible[std::size_t(m_shownSheet)]; }

    // Whether a preview or print is being prepared right now.
    bool isPreparingPrint() const;
    // Prints the page on a printer that is already set up, with the progress
    // window. Returns false if cancelled or if the printer refused.
    bool printOn(QPrinter &printer);

    // The project file dialogs (replaceable, for tests): given the title and the
    // offered name, they return the chosen file or an empty string.
    using ProjectDialog = std::function<QString(QWidget *parent, bool save, const QString &offered)>;
    void setProjectDialog(ProjectDialog dialog);
    // The filter labels of the project dialogs, in their order.
    static QStringList projectFilters();
    // The spine title dialog, owned by this window and made when first asked for;
    // LRBtn shows it.
    TFrmNzvCD *spineDialog();
    // The multi-line editor of the contents list (TFrmEdit::kTargetContents), of
    // the back's information text (kTargetInfo) or of the disc label's lower text
    // (kTargetLabel), made when first asked for; its " Editace" button shows it.
    TFrmEdit *listEditor(int target);
    SpinePictureState &spineState();

    // Opens a project as Open does after its dialog: all or nothing. Returns whether
    // the project was opened.
    bool openProject(const QString &path);

    // Takes the front or back picture away (popup menu "Odebrat obrázek ...").
    void removePicture(bool front);

    // Undo and redo of every change of the cover.
    DocumentHistory &history();

    // The recovery copy of unsaved work, written every interval (60 s by default).
    void setRecoveryInterval(int milliseconds);
    RecoveryWriter &recovery();

    // Opens a dropped or recent file as the user would: pictures onto the element
    // under pos (window coordinates), projects after the unsaved-work question.
    // Returns whether the file was taken.
    bool dropFile(const QString &path, const QPoint &pos);
    // Opens one of the recent projects (popup menu "Nedávné projekty").
    void openRecent(const QString &path);

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
    // A short note in the status line (dropped characters and the like).
    void showNotice(const QString &text);
    // What the keys do while a crop is chosen by them, or nothing when it is kept.
    void showCropHint(const QString &text);
    void buildEditActions();
    void buildToolbar();
    void buildPopupMenu();
    // The popup menu opened by the Menu key or Shift+F10: under the focused item's
    // control, or at `at` (where the key was given) when the focus is on no item.
    void showPopupFromKeyboard(QPoint at);
    // Placeholders, alignment buttons and the print warnings follow the page.
    void pageChanged();
    // The whole cover changed (New, Open, undo, a command that rewrote it): the
    // boxes show it.
    void coverReplaced();
    void FormDestroy();
    // The canvases fit their sheets and the controls shown beside them.
    void resizeCanvas();
    void buildLabelSheet();
    void openEditor(int target);
    void changeZoom(int delta);
    void restorePlacement();
    void savePlacement() const;

    CoverDocument *m_document;
    PageView *m_view;
    QWidget *m_canvas;
    ItemEditors *m_editors;
    QScrollArea *m_scroll;
    MainToolBar *m_bar;
    QMenu *m_popup;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
    QAction *m_help = nullptr;
    QAction *m_quit = nullptr;
    ProjectCommands *m_commands;
    PrintCommands *m_print;
    PictureCommands *m_pictures;
    TrackCommands *m_tracks;
    PictureCropper *m_cropper;
    QTimer *m_pageChangedTimer;
    TFrmNzvCD *m_spineDialog = nullptr;
    std::array<TFrmEdit *, 3> m_listEditors{}; // by target - 1
    StatusLine *m_statusLine = nullptr;
    QString m_argument;
    bool m_shown = false;
    std::array<bool, 2> m_editorsVisible{true, true}; // by sheet
    std::array<QPointer<QWidget>, 2> m_sheetFocus;     // where the user was on each sheet
    QTabBar *m_sheetTabs = nullptr;
    QStackedWidget *m_sheetStack = nullptr;
    int m_shownSheet = kCoverSheet;
    QScrollArea *m_labelScroll = nullptr;
    QWidget *m_labelCanvas = nullptr;
    PageView *m_labelView = nullptr;
    LabelEditors *m_labelEditors = nullptr;
    PictureCropper *m_labelCropper = nullptr;
};

} // namespace korvel

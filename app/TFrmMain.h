#pragma once
#include <QMainWindow>
#include <QPointer>

class QAction;
class QMenu;
class QPrinter;
class QScrollArea;
class QToolBar;

namespace korvel {

class CoverPage;
class PageView;
class TKivINIEntry;
class TKivRegEntry;

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

    // Shows or hides every item editing control (and the page's captions).
    void SetEditorsVisible(bool visible);
    bool editorsVisible() const { return m_editorsVisible; }

    // Whether a preview or print is being prepared right now.
    bool isPreparingPrint() const { return m_preparingPrint; }
    // Prints the page on a printer that is already set up, with the progress
    // window. Returns false if cancelled or if the printer refused.
    bool printOn(QPrinter &printer);

public slots:
    void ZoomInClick();
    void ZoomOutClick();
    void ZoomDefClick();
    void ViewClick();
    void TiskClick();

protected:
    void showEvent(QShowEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormShow();
    void FormDestroy();
    void buildToolbar();
    void buildPopupMenu();
    void changeZoom(int delta);
    void restorePlacement();
    void savePlacement() const;
    static void setUpPrinter(QPrinter &printer);

    CoverPage *m_page;
    PageView *m_view;
    QScrollArea *m_scroll;
    QToolBar *m_bar;
    QMenu *m_popup;
    TKivINIEntry *m_iniFile;
    TKivRegEntry *m_reg;
    QString m_argument;
    bool m_shown = false;
    bool m_editorsVisible = true;
    bool m_preparingPrint = false;
};

} // namespace korvel

#pragma once
#include <QPixmap>
#include <QToolBar>

namespace korvel {

// The toolbar's commands, each a QAction named as its member ("FNew" ... "Info").
struct ToolbarCommands {
    QAction *FNew = nullptr;
    QAction *FOpen = nullptr;
    QAction *Fsave = nullptr;
    QAction *SaveAs = nullptr;
    QAction *ImgMain = nullptr;
    QAction *ImgBack = nullptr;
    QAction *ClrTxt = nullptr;
    QAction *ZoomIn = nullptr;
    QAction *ZoomOut = nullptr;
    QAction *ZoomDef = nullptr;
    QAction *View = nullptr;
    QAction *Tisk = nullptr;
    QAction *Info = nullptr;
};

// The main window's toolbar: its thirteen commands from one table (name, caption,
// shortcut), each a QAction named as the command whose hint is its caption with its
// shortcut, in groups set apart by 8-pixel gaps, 29 pixels high on a background
// picture of its own.
class MainToolBar : public QToolBar {
    Q_OBJECT
public:
    explicit MainToolBar(QWidget *parent);

    const ToolbarCommands &commands() const { return m_commands; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_texture;
    ToolbarCommands m_commands;
};

} // namespace korvel

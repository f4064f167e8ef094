#pragma once
#include <QPixmap>
#include <QToolBar>

namespace korvel {

// The main window's toolbar: its thirteen commands from one table (name, caption,
// shortcut), each a QAction named as the command ("FNew" ... "Info") whose hint is
// its caption with its shortcut, in groups set apart by 8-pixel gaps, 29 pixels high
// on a background picture of its own.
class MainToolBar : public QToolBar {
    Q_OBJECT
public:
    explicit MainToolBar(QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_texture;
};

} // namespace korvel

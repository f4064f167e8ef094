#pragma once
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QMainWindow;
class QMenu;
class QStatusBar;
class QWidget;

namespace korvel {

class CoverDocument;
class TFrmTracks;

// "Načíst skladby…": the contents list, titles, spine and front picture from a folder
// of music, a CUE sheet or a playlist. Reached from the page's popup menu, from the
// contents list's editor and by dropping such a source on the page.
class TrackCommands : public QObject {
    Q_OBJECT
public:
    TrackCommands(CoverDocument &document, QMainWindow &window);

    // The popup menu's "Načíst skladby…".
    void addMenuAction(QMenu &menu);
    // A dropped path: a folder, a .cue or an .m3u/.m3u8 opens the window reading it.
    // Returns whether it was one.
    bool drop(const QString &path);
    // Where the window asks for a source (replaceable, for tests).
    void setSourceDialog(std::function<QString(QWidget *, bool folder)> dialog) { m_sourceDialog = std::move(dialog); }
    // The window while it is open.
    TFrmTracks *window() const;

public slots:
    // Opens the window; it asks for a source, or reads source when one is given.
    void open(const QString &source = QString());

private:
    CoverDocument &m_document;
    QMainWindow &m_window;
    QPointer<TFrmTracks> m_open;
    QString m_notice;      // what the status line says of the last import
    int m_appliedStep = 0; // the undo stack's index right after it
    QPointer<QStatusBar> m_statusBar;
    std::function<QString(QWidget *, bool)> m_sourceDialog;
};

} // namespace korvel

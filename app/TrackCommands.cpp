#include "app/TrackCommands.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>
#include <QUndoStack>

#include "dialogs/TFrmTracks.h"
#include "project/CoverDocument.h"
#include "tracks/TrackReader.h"

namespace korvel {

TrackCommands::TrackCommands(CoverDocument &document, QMainWindow &window)
    : QObject(&window)
    , m_document(document)
    , m_window(window)
{
    // The note of an import goes with the import: once undone it would tell of
    // tracks no longer on the cover.
    connect(m_document.undoStack(), &QUndoStack::indexChanged, this, [this](int index) {
        if (m_notice.isEmpty() || index >= m_appliedStep)
            return;
        // Held apart from the window: the stack also empties while the window goes.
        if (m_statusBar && m_statusBar->currentMessage() == m_notice)
            m_statusBar->clearMessage();
        m_notice.clear();
    });
}

TFrmTracks *TrackCommands::window() const
{
    return m_open.data();
}

void TrackCommands::addMenuAction(QMenu &menu)
{
    QAction *action = menu.addAction(QStringLiteral("Načíst skladby…"));
    action->setObjectName(QStringLiteral("ReadTracks"));
    connect(action, &QAction::triggered, this, [this] { open(); });
}

bool TrackCommands::drop(const QString &path)
{
    if (TrackReader::kindOf(path) == TrackReader::Kind::None)
        return false;
    open(path);
    return true;
}

void TrackCommands::open(const QString &source)
{
    // One window at a time: a second source goes to the one open.
    if (!m_open) {
        m_open = new TFrmTracks(m_document, &m_window);
        m_open->setAttribute(Qt::WA_DeleteOnClose);
        if (m_sourceDialog)
            m_open->setSourceDialog(m_sourceDialog);
        connect(m_open, &TFrmTracks::applied, this, [this](const QStringList &problems) {
            m_notice = problems.isEmpty() ? QStringLiteral("Skladby jsou na obalu.") : problems.join(QLatin1Char(' '));
            m_appliedStep = m_document.undoStack()->index();
            m_statusBar = m_window.statusBar();
            m_statusBar->showMessage(m_notice, 10000);
        });
    }
    if (!source.isEmpty())
        m_open->readSource(source);
    // Not modal: the page stays editable and takes drops while it is open (a
    // folder dropped there comes here), and a drop handler returns at once.
    m_open->show();
    m_open->raise();
    m_open->activateWindow();
}

} // namespace korvel

#include "app/TrackCommands.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>

#include "dialogs/TFrmTracks.h"
#include "project/tracks/TrackReader.h"

namespace korvel {

TrackCommands::TrackCommands(CoverDocument &document, QMainWindow &window)
    : QObject(&window)
    , m_document(document)
    , m_window(window)
{
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
            m_window.statusBar()->showMessage(problems.isEmpty() ? QStringLiteral("Skladby jsou na obalu.")
                                                                 : problems.join(QLatin1Char(' ')),
                                              10000);
        });
    }
    if (!source.isEmpty())
        m_open->readSource(source);
    // Modal to the main window but not blocking here: a drop handler returns at once,
    // and the window stays responsive while the files are read.
    m_open->open();
    m_open->raise();
    m_open->activateWindow();
}

} // namespace korvel

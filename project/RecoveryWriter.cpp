#include "project/RecoveryWriter.h"

#include <QTimer>

namespace korvel {

RecoveryWriter::RecoveryWriter(const RecoverySource &source, std::unique_ptr<RecoveryStore> store, QObject *parent)
    : QObject(parent)
    , m_source(source)
    , m_store(store ? std::move(store) : std::make_unique<RecoveryStore>())
    , m_timer(new QTimer(this))
{
    // One writer thread: copies are written, and removed, in the order asked for.
    m_pool.setMaxThreadCount(1);
    m_timer->setObjectName(QStringLiteral("RecoveryTimer"));
    m_timer->setInterval(60 * 1000);
    connect(m_timer, &QTimer::timeout, this, &RecoveryWriter::writeIfChanged);
    m_timer->start();
}

RecoveryWriter::~RecoveryWriter()
{
    m_pool.waitForDone();
}

void RecoveryWriter::setInterval(int milliseconds)
{
    m_timer->start(milliseconds);
}

void RecoveryWriter::wait()
{
    m_pool.waitForDone();
}

void RecoveryWriter::writeIfChanged()
{
    if (!m_source.isModified())
        return;
    const quint64 generation = m_source.generation();
    if (m_hasWritten && generation == m_writtenGeneration)
        return; // nothing new since the last copy
    if (m_pool.activeThreadCount() > 0)
        return; // the previous copy is still being written: the next tick takes this one
    m_writtenGeneration = generation;
    m_hasWritten = true;
    // Taken here, written there: the value shares its texts and picture bytes.
    DocumentSnapshot snapshot = m_source.snapshot().stored();
    const QString path = m_source.path();
    const bool named = m_source.isNamed();
    RecoveryStore *store = m_store.get();
    // This object outlives the task (its destructor waits for the thread), and a
    // report that arrives after it is gone is dropped by Qt.
    m_pool.start([this, store, snapshot = std::move(snapshot), path, named] {
        QString error;
        if (store->write(snapshot, path, named, &error))
            return;
        QMetaObject::invokeMethod(
            this,
            [this, error] {
                m_hasWritten = false; // try again at the next tick
                emit failed(error);
            },
            Qt::QueuedConnection);
    });
}

bool RecoveryWriter::writeNow(QString *error)
{
    m_pool.waitForDone();
    m_writtenGeneration = m_source.generation();
    m_hasWritten = true;
    if (m_store->write(m_source.snapshot().stored(), m_source.path(), m_source.isNamed(), error))
        return true;
    m_hasWritten = false;
    return false;
}

void RecoveryWriter::remove()
{
    m_pool.waitForDone();
    m_store->remove();
    m_hasWritten = false;
}

void RecoveryWriter::modifiedChanged(bool modified)
{
    // Saved (or undone back to what was saved): there is nothing to recover. Removed
    // whether or not the last write succeeded: a failed one leaves the copy before it.
    if (!modified) {
        RecoveryStore *store = m_store.get();
        m_pool.start([store] { store->remove(); });
        m_hasWritten = false;
    }
}

} // namespace korvel

#pragma once
#include <QObject>
#include <QThreadPool>
#include <memory>

#include "project/RecoveryStore.h"
#include "project/RecoverySource.h"

class QTimer;

namespace korvel {

// Keeps the recovery copy of a document's unsaved work: every interval (60 s) while
// the cover is unsaved and has changed since the last copy, and at once when asked.
// The cover is taken on the GUI thread as a value (pictures as their bytes, which is
// cheap), and written on a thread of its own, so the window never waits for the disk.
// Once the cover is saved, or the window closes cleanly, the copy goes.
class RecoveryWriter : public QObject {
    Q_OBJECT
public:
    explicit RecoveryWriter(const RecoverySource &source, std::unique_ptr<RecoveryStore> store = {},
                            QObject *parent = nullptr);
    ~RecoveryWriter() override;

    RecoveryStore &store() { return *m_store; }
    void setInterval(int milliseconds);

    // Hands a copy to the writing thread if the cover is unsaved and changed since the
    // last one (the timer's job). Returns at once.
    void writeIfChanged();
    // Writes a copy now and waits for it. Returns false (with *error) if it failed.
    bool writeNow(QString *error);
    // The copy goes (saved, or the work deliberately left). Waits for the writer.
    void remove();
    // Waits until the writing thread is idle.
    void wait();

    // The cover became saved or unsaved (the owner's report): once it is saved, or
    // undone back to what was saved, there is nothing to recover.
    void modifiedChanged(bool modified);

signals:
    // A copy could not be written; the previous one stays.
    void failed(const QString &message);

private:
    const RecoverySource &m_source;
    std::unique_ptr<RecoveryStore> m_store;
    QTimer *m_timer;
    QThreadPool m_pool;
    quint64 m_writtenGeneration = 0;
    bool m_hasWritten = false;
};

} // namespace korvel

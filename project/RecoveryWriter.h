#pragma once
#include <QObject>
#include <QThreadPool>
#include <memory>

#include "project/RecoveryStore.h"

class QTimer;

namespace korvel {

class CoverDocument;

// Keeps the recovery copy of a document's unsaved work: every interval (60 s) while
// the cover is unsaved and has changed since the last copy, and at once when asked.
// The cover is taken on the GUI thread as a value (pictures as their bytes, which is
// cheap), and written on a thread of its own, so the window never waits for the disk.
// Once the cover is saved, or the window closes cleanly, the copy goes.
class RecoveryWriter : public QObject {
    Q_OBJECT
public:
    explicit RecoveryWriter(CoverDocument &document, std::unique_ptr<RecoveryStore> store = {},
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

signals:
    // A copy could not be written; the previous one stays.
    void failed(const QString &message);

private:
    void documentModifiedChanged(bool modified);

    CoverDocument &m_document;
    std::unique_ptr<RecoveryStore> m_store;
    QTimer *m_timer;
    QThreadPool m_pool;
    quint64 m_writtenGeneration = 0;
    bool m_hasWritten = false;
};

} // namespace korvel

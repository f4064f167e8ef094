#pragma once
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <optional>
#include <thread>

#include "project/tracks/TextEncoding.h"
#include "project/tracks/TrackList.h"

namespace korvel {

// Reads tracks from a folder of audio files, a CUE sheet or a playlist on a thread of
// its own, so that a window showing the reading stays responsive; progress and the
// result arrive on the thread the reader lives in. A new reading, or the reader's
// end, stops the one under way (after the file it is reading).
class TrackReader : public QObject {
    Q_OBJECT
public:
    enum class Kind { None, Folder, CueSheet, Playlist };
    // What a path is as a source of tracks: a folder, a .cue, an .m3u or .m3u8.
    static Kind kindOf(const QString &path);

    explicit TrackReader(QObject *parent = nullptr);
    ~TrackReader() override;

    // Starts reading path; a CUE sheet or playlist in encoding, or in the one it
    // appears to be in.
    void read(const QString &path, std::optional<TextEncoding> encoding = std::nullopt);
    bool isReading() const { return m_reading; }

    // Reads at once on this thread, as the worker does (tests, benchmarks).
    static TrackList readNow(const QString &path, std::optional<TextEncoding> encoding = std::nullopt,
                             TextEncoding *used = nullptr, const std::function<bool(int, int)> &progress = {});

signals:
    void progress(int done, int total);
    // used: the encoding a CUE sheet or playlist was read in.
    void finished(const korvel::TrackList &list, korvel::TextEncoding used);

private:
    void stop();

    std::thread m_thread;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    quint64 m_generation = 0;
    bool m_reading = false;
};

} // namespace korvel

#pragma once
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "tracks/TextEncoding.h"
#include "tracks/TrackList.h"

namespace korvel {

// Reads tracks from a folder of audio files, a CUE sheet or a playlist on a thread of
// its own, so that a window showing the reading stays responsive; progress and the
// result arrive on the thread the reader lives in.
//
// Nobody ever waits for that thread: a new reading, or the reader's end, only tells
// the one under way to stop and forgets it. Whatever it still finds is dropped. A
// reading stuck in the system (a network file system that hangs) thus holds up
// nothing but itself.
class TrackReader : public QObject {
    Q_OBJECT
public:
    enum class Kind { None, Folder, CueSheet, Playlist };
    // What a path is as a source of tracks: a folder, a .cue, an .m3u or .m3u8.
    static Kind kindOf(const QString &path);

    // What a reading does on its thread: readNow, unless a test puts another in.
    using ReadFunction = std::function<TrackList(const QString &path, std::optional<TextEncoding> encoding,
                                                 TextEncoding *used, const std::function<bool(int, int)> &progress)>;

    explicit TrackReader(QObject *parent = nullptr);
    ~TrackReader() override;

    // Starts reading path; a CUE sheet or playlist in encoding, or in the one it
    // appears to be in. A reading under way is abandoned.
    void read(const QString &path, std::optional<TextEncoding> encoding = std::nullopt);
    // Abandons the reading under way: it reports nothing more.
    void cancel();
    bool isReading() const { return m_reading; }

    void setReadFunction(ReadFunction read) { m_read = std::move(read); }

    // Reads at once on this thread, as the worker does (tests, benchmarks).
    static TrackList readNow(const QString &path, std::optional<TextEncoding> encoding = std::nullopt,
                             TextEncoding *used = nullptr, const std::function<bool(int, int)> &progress = {});

signals:
    void progress(int done, int total);
    // used: the encoding a CUE sheet or playlist was read in. A reading that failed
    // altogether says why in list.error.
    void finished(const korvel::TrackList &list, korvel::TextEncoding used);

private:
    struct Channel;

    std::shared_ptr<Channel> m_channel; // the reading under way, shared with its thread
    ReadFunction m_read;
    bool m_reading = false;
};

} // namespace korvel

#include "tracks/TrackReader.h"

#include <QFileInfo>
#include <mutex>
#include <new>
#include <thread>

#include "tracks/CueSheet.h"
#include "tracks/FolderReader.h"
#include "tracks/Playlist.h"

namespace korvel {

// What a reading's thread and the reader share. The thread reports through it only
// while the reader still wants the reading: cancelling clears the receiver under the
// lock, so no report is posted after that, and the reader's end drops those already
// posted with it.
struct TrackReader::Channel {
    std::mutex lock;
    TrackReader *receiver = nullptr;
    std::atomic<bool> cancelled{false};

    // Runs f on the reader's thread, unless the reading was abandoned meanwhile.
    static void post(const std::shared_ptr<Channel> &channel, std::function<void(TrackReader &)> f)
    {
        const std::lock_guard<std::mutex> guard(channel->lock);
        TrackReader *reader = channel->receiver;
        if (!reader)
            return;
        QMetaObject::invokeMethod(
            reader,
            [reader, channel, f = std::move(f)] {
                // Abandoned after this was posted: a later reading may be under way.
                if (reader->m_channel == channel)
                    f(*reader);
            },
            Qt::QueuedConnection);
    }
    void abandon()
    {
        cancelled = true;
        const std::lock_guard<std::mutex> guard(lock);
        receiver = nullptr;
    }
};

TrackReader::Kind TrackReader::kindOf(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return Kind::Folder;
    const QString suffix = info.suffix().toLower();
    if (suffix == QLatin1String("cue"))
        return Kind::CueSheet;
    if (suffix == QLatin1String("m3u") || suffix == QLatin1String("m3u8"))
        return Kind::Playlist;
    return Kind::None;
}

TrackReader::TrackReader(QObject *parent)
    : QObject(parent)
    , m_read(&TrackReader::readNow)
{
}

TrackReader::~TrackReader()
{
    cancel();
}

void TrackReader::cancel()
{
    if (m_channel)
        m_channel->abandon();
    m_channel.reset();
    m_reading = false;
}

TrackList TrackReader::readNow(const QString &path, std::optional<TextEncoding> encoding, TextEncoding *used,
                               const std::function<bool(int, int)> &progress)
{
    TextEncoding dummy = TextEncoding::Utf8;
    TextEncoding *out = used ? used : &dummy;
    switch (kindOf(path)) {
    case Kind::Folder:
        return readFolder(path, progress);
    case Kind::CueSheet:
        return readCueSheet(path, encoding, out, progress);
    case Kind::Playlist:
        return readPlaylist(path, encoding, out, progress);
    case Kind::None:
        break;
    }
    return TrackList();
}

void TrackReader::read(const QString &path, std::optional<TextEncoding> encoding)
{
    cancel();
    auto channel = std::make_shared<Channel>();
    channel->receiver = this;
    m_channel = channel;
    m_reading = true;
    // Detached: the thread owns its share of the channel and whatever it reads, so it
    // may outlive the reader, the window and everything else it was started from.
    std::thread([channel, read = m_read, path, encoding] {
        TextEncoding used = TextEncoding::Utf8;
        TrackList list;
        // Nothing a damaged or hostile source does may end the program from here: what
        // escapes the readers is the reading's failure, told like any other.
        try {
            list = read(path, encoding, &used, [&channel](int done, int total) {
                Channel::post(channel, [done, total](TrackReader &reader) { emit reader.progress(done, total); });
                return !channel->cancelled.load();
            });
        } catch (const std::bad_alloc &) {
            list = TrackList();
            list.error = QStringLiteral("Na čtení „%1“ nestačila paměť.").arg(QFileInfo(path).fileName());
        } catch (const std::exception &e) {
            list = TrackList();
            list.error = QStringLiteral("Čtení „%1“ selhalo: %2").arg(QFileInfo(path).fileName(), QString::fromLocal8Bit(e.what()));
        } catch (...) {
            list = TrackList();
            list.error = QStringLiteral("Čtení „%1“ selhalo.").arg(QFileInfo(path).fileName());
        }
        if (channel->cancelled.load())
            return;
        Channel::post(channel, [list = std::move(list), used](TrackReader &reader) {
            reader.m_reading = false;
            emit reader.finished(list, used);
        });
    }).detach();
}

} // namespace korvel

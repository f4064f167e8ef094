#include "project/tracks/TrackReader.h"

#include <QFileInfo>

#include "project/tracks/CueSheet.h"
#include "project/tracks/FolderReader.h"
#include "project/tracks/Playlist.h"

namespace korvel {

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
{
}

TrackReader::~TrackReader()
{
    stop();
}

void TrackReader::stop()
{
    if (m_cancel)
        m_cancel->store(true);
    if (m_thread.joinable())
        m_thread.join();
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
    stop();
    const quint64 generation = ++m_generation;
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    m_cancel = cancel;
    m_reading = true;
    // Results are posted to this object; the destructor joins the thread first, and
    // deleting the object drops what is still posted to it.
    m_thread = std::thread([this, path, encoding, cancel, generation] {
        auto post = [this](std::function<void()> f) { QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection); };
        TextEncoding used = TextEncoding::Utf8;
        TrackList list = readNow(path, encoding, &used, [&](int done, int total) {
            post([this, done, total, generation] {
                if (generation == m_generation)
                    emit progress(done, total);
            });
            return !cancel->load();
        });
        if (cancel->load())
            return;
        post([this, list = std::move(list), used, generation] {
            if (generation != m_generation)
                return;
            m_reading = false;
            emit finished(list, used);
        });
    });
}

} // namespace korvel

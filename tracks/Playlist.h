#pragma once
#include <QList>
#include <QString>
#include <functional>
#include <optional>

#include "tracks/TextEncoding.h"
#include "tracks/TrackList.h"

namespace korvel {

// An M3U or M3U8 playlist: the files in its order, each with what an #EXTINF line
// before it says (length in seconds, "Artist - Title"). Other comment lines are
// passed over.
struct PlaylistEntry {
    QString location;      // as written: a path (relative to the list), or a file:// URL
    qint64 durationMs = 0; // from #EXTINF, 0 when it gives none
    QString title;         // from #EXTINF
    QString artist;        // from #EXTINF, when it says "Artist - Title"

    static constexpr int kMaxEntries = 9999;
};
QList<PlaylistEntry> parsePlaylist(const QString &text);

// The playlist's tracks in its order, numbered by their place in it. A file that is
// there is read by its tags; one that is missing (or unreadable) takes its length and
// title from #EXTINF, else its name. Reads the list in encoding, or in the one it
// appears to be written in; *used tells which. progress(done, total) is called
// after each entry, as readFolder calls it; false stops there (the result is then
// the entries read so far).
TrackList readPlaylist(const QString &path, std::optional<TextEncoding> encoding = std::nullopt,
                       TextEncoding *used = nullptr,
                       const std::function<bool(int done, int total)> &progress = {});

} // namespace korvel

#pragma once
#include <QString>
#include <QStringList>

#include "tracks/TrackList.h"

namespace korvel {

// How the contents list writes each track.
struct TrackFormat {
    enum class Style {
        Dotted,     // "1. Název (3:45)"
        Plain,      // "01 Název 3:45" (the number at least two digits)
        WithArtist, // "1. Interpret – Název (3:45)", the artist only on a compilation
        Column,     // "1. Název" and the length after a tab: flush right in the contents list
    };
    Style style = Style::Dotted;
    bool leadingZeros = false; // every number as wide as the largest, at least two digits
    bool durations = true;
    bool total = false;        // a last line "Celkem 47:12"
    bool discHeadings = true;  // "CD 1", "CD 2" before each disc's tracks, when there are several
    bool discNumbers = false;  // "1-01", "2-01": the disc in every number, when there are several
    bool dotLeader = false;    // the column style's lengths led to by dots ("Název…<tab>3:45")

    bool operator==(const TrackFormat &) const = default;
};

// The styles in the order the window offers them, and what each is called there.
inline constexpr TrackFormat::Style kTrackStyles[] = {TrackFormat::Style::Dotted, TrackFormat::Style::Plain,
                                                      TrackFormat::Style::WithArtist, TrackFormat::Style::Column};
QString styleName(TrackFormat::Style style);

// The format a list suggests: with the artist on a compilation, plain otherwise.
TrackFormat suggestedFormat(const TrackList &list);

// "3:45"; "1:02:03" from an hour on.
QString formatDuration(qint64 ms);
// A total: minutes and seconds however many minutes ("74:12"), as CD lengths are given.
QString formatTotal(qint64 ms);

// The lines of the contents list: one per track, the disc headings and the total
// as the format says. A track without a known length is written without one. The
// column style puts a tab before each length and the total: the contents list draws
// its last tab as a stop at its right edge, and a "…" before it as a dot leader.
QStringList formatTracks(const TrackList &list, const TrackFormat &format);

} // namespace korvel

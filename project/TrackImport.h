#pragma once
#include <QString>
#include <QStringList>
#include <memory>

#include "project/ItemFont.h"
#include "project/TextItem.h"
#include "project/layouts/SheetLayout.h"
#include "tracks/TrackFormat.h"
#include "tracks/TrackList.h"

namespace korvel {

class CoverDocument;
class CoverPage;

// What the user chose in the window "Načíst skladby".
struct TrackChoices {
    TrackFormat format;
    bool contents = true; // the contents list BTo
    bool title = true;    // the album to the title MTN
    bool heading = true;  // the artist to the upper heading MThn
    bool spine = true;    // "Interpret – Album" to both spine bands
    bool year = true;     // the year to the lower heading MTdn
    bool cover = true;    // the found cover to the front picture
    // Fill texts the user has written too, not only empty ones and the template's.
    bool overwrite = false;
    // The contents list's size in points; 0 keeps the item's own.
    int fontSize = 0;
};

// What applying puts where, worked out from the tracks, the choices and the cover as
// it is: every text already without the characters a project file cannot hold.
struct TrackPlan {
    QStringList lines;  // the contents list
    ItemFont font;      // its font (the item's, at the chosen size)
    Alignment alignment = Alignment::Center;
    QString album;
    QString artist;
    QString spine;      // "Interpret – Album"
    QString year;
    QString dropped;    // characters left out, each once
    bool fillContents = false;
    bool fillTitle = false;
    bool fillHeading = false;
    bool fillSpine = false;
    bool fillYear = false;
    bool fillCover = false;
    int hiddenLines = 0; // lines of the list that would not print
};

// Whether the item's text may be filled without overwriting the user's: it is empty,
// or its box is empty while it shows the template's sample.
bool isFillable(const CoverDocument &document, Role role);
// The same for the spine title (both bands).
bool isSpineFillable(const CoverDocument &document);

TrackPlan planTracks(const CoverDocument &document, const TrackList &list, const TrackChoices &choices);

// A copy of the cover's page holding the plan's contents list (lines, font,
// alignment): the window paints its preview with it, and it says what will not print.
std::unique_ptr<CoverPage> previewPage(const CoverDocument &document, const TrackPlan &plan);

// The largest size, from the list's current size down to kSmallestFittingSize
// points, at which the plan's lines fit the contents list's box by the page's own
// rules; kSmallestFittingSize when none does.
int fittingSize(const CoverDocument &document, const TrackPlan &plan);
inline constexpr int kSmallestFittingSize = 6;

// Puts the plan in place as one undo step. Returns what could not be done (a cover
// picture that does not load), one Czech message each.
QStringList applyTracks(CoverDocument &document, const TrackList &list, const TrackPlan &plan);

} // namespace korvel

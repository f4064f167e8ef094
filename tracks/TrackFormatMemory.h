#pragma once
#include "tracks/TrackFormat.h"

namespace korvel {

// The last format the user applied in "Načíst skladby", kept per user in the
// registry store (key "\Software\TORVA\Korvel\Skladby"): the style, leading zeros,
// lengths, total, disc headings, disc numbers and dot leader. Each value that is
// missing or makes no sense gives the default's.
TrackFormat rememberedTrackFormat();
// Keeps format for the next time; a store that cannot be written keeps nothing,
// silently (the choice is a convenience, never worth an error box).
void rememberTrackFormat(const TrackFormat &format);

} // namespace korvel

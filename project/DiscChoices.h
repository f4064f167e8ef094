#pragma once
#include <QString>
#include <array>

#include "project/CoverPage.h"
#include "project/layouts/DiscLabel.h"

namespace korvel {

// The disc label's choices beside what its sheet shows: its geometry, whether its
// picture is its own or the cover's front picture ("Stejný jako přední strana"), and
// which of its texts follow the cover's (the title "Nadpis", the artist "Horní
// nadpis") until the user writes their own.
struct DiscChoices {
    DiscGeometry geometry;
    bool ownPicture = false;
    std::array<bool, disc::kTextCount> follows{true, true, false}; // by the label's texts
    bool operator==(const DiscChoices &) const = default;
};

// The cover's text that a label text follows (the one of the same role), or -1.
int followedText(int labelText);
// A label as a new project has it: its own first fonts and placement, the cover's
// title, artist and front picture. A project whose label still is this one has none
// in its file.
PageState untouchedLabel(const PageState &cover);
// Whether a label differs from the one nobody touched.
bool isLabelTouched(const PageState &cover, const PageState &label, const DiscChoices &choices);

} // namespace korvel

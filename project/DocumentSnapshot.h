#pragma once
#include <array>
#include <optional>

#include <QStringList>

#include "project/CoverPage.h"
#include "project/SpinePictureState.h"

namespace korvel {

// Everything the cover is, as a value: the page, the spine picture state with its
// remembered picture, and which edit boxes are empty while their item shows a sample
// text. One type serves every purpose that needs the cover whole: an undo step, an
// open that is swapped in only once it has succeeded, the recovery copy and a save.
struct DocumentSnapshot {
    PageState page;
    bool pictureSwitch = false;
    bool stretch = true;
    SpinePictureState::Remembered remembered;
    // Per item: its edit box is empty while the page prints the item's text (the
    // template's sample texts after New).
    std::array<bool, 12> samples{};
    // The project's side files (absolute paths) that were there when it was opened but
    // gave no picture, and that the user has neither replaced nor removed: the cover
    // shows no picture for them, yet they are the user's, so a save leaves them as
    // they are. Part of the cover, so undo, redo and the recovery copy carry it.
    QStringList keptSideFiles;

    bool operator==(const DocumentSnapshot &other) const
    {
        return page == other.page && pictureSwitch == other.pictureSwitch && stretch == other.stretch
            && remembered == other.remembered && samples == other.samples && keptSideFiles == other.keptSideFiles;
    }

    // The same cover with every picture kept as its file bytes only (Picture::stored):
    // what the undo history and the recovery writer hold.
    DocumentSnapshot stored() const
    {
        DocumentSnapshot s = *this;
        s.page.mainImg = s.page.mainImg.stored();
        s.page.bckImg = s.page.bckImg.stored();
        s.page.cdl.backImage = s.page.cdl.backImage.stored();
        s.page.cdr.backImage = s.page.cdr.backImage.stored();
        s.remembered.picture = s.remembered.picture.stored();
        return s;
    }

    // The picture the project's spine side file holds: the bands' picture while it is
    // shown, otherwise the remembered one. Nothing when the remembered name has not
    // been read (a name the program was started with): such a side file is left as it is.
    std::optional<Picture> spinePicture() const
    {
        if (!page.cdl.gradient.Visible)
            return page.cdl.backImage;
        if (remembered.pictureFor == remembered.imgLRName && !remembered.imgLRName.isEmpty())
            return remembered.picture;
        return std::nullopt;
    }
};

} // namespace korvel

#pragma once
#include <optional>

#include <QStringList>

#include "project/CoverPage.h"
#include "project/SpinePictureState.h"
#include "project/DiscChoices.h"

namespace korvel {

// Everything the cover is, as a value: its sheets, the spine picture state with its
// remembered picture, and which edit boxes are empty while their item shows a sample
// text. One type serves every purpose that needs the cover whole: an undo step, an
// open that is swapped in only once it has succeeded, the recovery copy and a save.
struct DocumentSnapshot {
    // Every sheet of the document: the cover's page, then the disc label.
    QList<PageState> sheets = QList<PageState>(2);
    DiscChoices disc;
    bool pictureSwitch = false;
    bool stretch = true;
    SpinePictureState::Remembered remembered;
    // Per text item of the cover: its edit box is empty while the page prints the
    // item's text (the template's sample texts after New).
    QList<bool> samples = QList<bool>(qsizetype(kJewelCase.texts.size()), false);
    // The project's side files (absolute paths) that were there when it was opened but
    // gave no picture, and that the user has neither replaced nor removed: the cover
    // shows no picture for them, yet they are the user's, so a save leaves them as
    // they are. Part of the cover, so undo, redo and the recovery copy carry it.
    QStringList keptSideFiles;

    bool operator==(const DocumentSnapshot &other) const
    {
        return sheets == other.sheets && disc == other.disc && pictureSwitch == other.pictureSwitch
            && stretch == other.stretch && remembered == other.remembered && samples == other.samples
            && keptSideFiles == other.keptSideFiles;
    }

    // The same cover with every picture kept as its file bytes only (Picture::stored):
    // what the undo history and the recovery writer hold.
    DocumentSnapshot stored() const
    {
        DocumentSnapshot s = *this;
        for (PageState &sheet : s.sheets) {
            for (Picture &picture : sheet.pictures)
                picture = picture.stored();
            for (SpineBand::State &band : sheet.bands)
                band.backImage = band.backImage.stored();
        }
        s.remembered.picture = s.remembered.picture.stored();
        return s;
    }

    // What a cover's page and its spine picture state hold (samples and kept side
    // files aside).
    static DocumentSnapshot of(const CoverPage &page, const SpinePictureState &spine)
    {
        DocumentSnapshot s;
        s.cover() = page.state();
        s.pictureSwitch = spine.pictureSwitch();
        s.stretch = spine.stretchChoice();
        s.remembered = spine.remembered();
        return s;
    }

    PageState &cover() { return sheets.first(); }
    const PageState &cover() const { return sheets.first(); }
    PageState &label() { return sheets[1]; }
    const PageState &label() const { return sheets[1]; }

    // The picture the label's side file holds: its own picture, or none (an empty
    // one) while it shows the front's. Nothing for a snapshot that holds no label (one
    // made of a cover alone): its side file is left as it is.
    std::optional<Picture> labelPicture() const
    {
        if (label().items.isEmpty())
            return std::nullopt;
        return disc.ownPicture && !label().pictures.isEmpty() ? label().pictures.first() : Picture();
    }

    // The picture the project's spine side file holds: the bands' picture while it is
    // shown, otherwise the remembered one. Nothing when the remembered name has not
    // been read (a name the program was started with): such a side file is left as it is.
    std::optional<Picture> spinePicture() const
    {
        if (!cover().cdl().gradient.Visible)
            return cover().cdl().backImage;
        if (remembered.pictureFor == remembered.imgLRName && !remembered.imgLRName.isEmpty())
            return remembered.picture;
        return std::nullopt;
    }
};

} // namespace korvel

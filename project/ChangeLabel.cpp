#include "project/ChangeLabel.h"

#include <QList>

namespace korvel {

namespace {

// The kinds of change, most telling first: a place that changed in several ways at
// once (a picture chosen with its placement, a font with its colour) is named by
// the first.
enum class Kind { Picture, PictureRemoved, Placement, Crop, Text, Font, Colour, Alignment, Gradient, Sheet, Path };

QString kindName(Kind kind)
{
    switch (kind) {
    case Kind::Picture:
        return QStringLiteral("Obrázek");
    case Kind::PictureRemoved:
        return QStringLiteral("Odebrání obrázku");
    case Kind::Placement:
        return QStringLiteral("Umístění obrázku");
    case Kind::Crop:
        return QStringLiteral("Výřez obrázku");
    case Kind::Text:
        return QStringLiteral("Text");
    case Kind::Font:
        return QStringLiteral("Písmo");
    case Kind::Colour:
        return QStringLiteral("Barva");
    case Kind::Alignment:
        return QStringLiteral("Zarovnání");
    case Kind::Gradient:
        return QStringLiteral("Barvy přechodu");
    case Kind::Sheet:
        return QStringLiteral("Rozměr a arch");
    case Kind::Path:
        return QStringLiteral("Text po obvodu");
    }
    return {};
}

struct Change {
    Kind kind;
    QString place;
};

// A font that differs in its colour alone is a colour change.
Kind fontChange(const ItemFont &before, const ItemFont &after)
{
    ItemFont recoloured = before;
    recoloured.color = after.color;
    return recoloured == after ? Kind::Colour : Kind::Font;
}

// The side files the user took away with a picture that could not be read.
bool keptSideFileGone(const DocumentSnapshot &before, const DocumentSnapshot &after, const char *extension)
{
    const QLatin1String suffix(extension);
    for (const QString &path : before.keptSideFiles)
        if (path.endsWith(suffix, Qt::CaseInsensitive) && !after.keptSideFiles.contains(path))
            return true;
    return false;
}

void pictureChange(QList<Change> &changes, const Picture &before, const Picture &after, const PicturePlacement &from,
                   const PicturePlacement &to, bool keptFileGone, const QString &place)
{
    if (!before.sameAs(after))
        changes.append({after.isEmpty() ? Kind::PictureRemoved : Kind::Picture, place});
    else if (keptFileGone)
        changes.append({Kind::PictureRemoved, place});
    else if (from.fit != to.fit)
        changes.append({Kind::Placement, place});
    else if (from != to)
        changes.append({Kind::Crop, place});
}

void spineChange(QList<Change> &changes, const DocumentSnapshot &before, const DocumentSnapshot &after)
{
    // Both bands always carry the same; a change of either is one of the spine.
    const SpineBand::State &b = before.cover().cdl() == after.cover().cdl() ? before.cover().cdr() : before.cover().cdl();
    const SpineBand::State &a = before.cover().cdl() == after.cover().cdl() ? after.cover().cdr() : after.cover().cdl();
    const QString place = QStringLiteral("Hřbet");
    if (!b.backImage.sameAs(a.backImage) || b.gradient.Visible != a.gradient.Visible
        || before.pictureSwitch != after.pictureSwitch || before.remembered != after.remembered)
        changes.append({Kind::Picture, place});
    else if (b.mode != a.mode || before.stretch != after.stretch)
        changes.append({Kind::Placement, place});
    else if (b.caption != a.caption)
        changes.append({Kind::Text, place});
    else if (b.font != a.font)
        changes.append({fontChange(b.font, a.font), place});
    else if (b.gradient.StartColor != a.gradient.StartColor || b.gradient.EndColor != a.gradient.EndColor)
        changes.append({Kind::Gradient, place});
}

// The disc label: what follows the cover is the cover's change, not the label's.
void labelChange(QList<Change> &changes, const DocumentSnapshot &before, const DocumentSnapshot &after)
{
    if (before.sheets.size() < 2 || after.sheets.size() < 2)
        return;
    const PageState &b = before.label(), &a = after.label();
    const auto &texts = DiscLayout::texts();
    if (b.items.size() != a.items.size() || a.items.size() != qsizetype(texts.size()) || b.pictures.size() != a.pictures.size())
        return;
    const QString disc = QStringLiteral("Disk");
    DiscGeometry sized = before.disc.geometry;
    sized.texts = after.disc.geometry.texts;
    if (!(sized == after.disc.geometry))
        changes.append({Kind::Sheet, disc});
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const PageState::Item &bi = b.items[qsizetype(i)], &ai = a.items[qsizetype(i)];
        const QString place = QString::fromUtf8(texts[i].label);
        const bool following = before.disc.follows[i] && after.disc.follows[i];
        if (before.disc.follows[i] != after.disc.follows[i] || (!following && bi.lines != ai.lines))
            changes.append({Kind::Text, place});
        else if (!(before.disc.geometry.texts[i] == after.disc.geometry.texts[i]))
            changes.append({Kind::Path, place});
        else if (bi.font != ai.font)
            changes.append({fontChange(bi.font, ai.font), place});
        else if (bi.alignment != ai.alignment)
            changes.append({Kind::Alignment, place});
    }
    if (before.disc.ownPicture != after.disc.ownPicture)
        changes.append({Kind::Picture, disc});
    else if (!a.pictures.isEmpty() && (after.disc.ownPicture || b.placements != a.placements))
        pictureChange(changes, after.disc.ownPicture ? b.pictures.first() : a.pictures.first(), a.pictures.first(),
                      b.placements.value(0), a.placements.value(0), keptSideFileGone(before, after, ".im4"), disc);
}

} // namespace

QString changeLabel(const DocumentSnapshot &before, const DocumentSnapshot &after)
{
    // Covers of different shapes (one not yet taken from a page) are told apart by
    // nothing finer than a change of the cover.
    const PageState &b0 = before.cover(), &a0 = after.cover();
    if (b0.items.size() != a0.items.size() || b0.pictures.size() != a0.pictures.size()
        || b0.bands.size() != a0.bands.size() || a0.bands.size() < 2 || a0.pictures.size() < 2
        || before.samples.size() != after.samples.size() || after.samples.size() < a0.items.size())
        return QStringLiteral("Úpravy obalu");
    QList<Change> changes;
    for (qsizetype i = 0; i < before.cover().items.size(); ++i) {
        const PageState::Item &b = before.cover().items[i];
        const PageState::Item &a = after.cover().items[i];
        const QString place = QString::fromUtf8(kJewelCase.texts[std::size_t(i)].label);
        // A box that was empty over a sample text and is typed into is a change of
        // the text, even when it is typed to read the same.
        if (b.lines != a.lines || before.samples[i] != after.samples[i])
            changes.append({Kind::Text, place});
        else if (b.font != a.font)
            changes.append({fontChange(b.font, a.font), place});
        else if (b.alignment != a.alignment)
            changes.append({Kind::Alignment, place});
    }
    pictureChange(changes, before.cover().mainImg(), after.cover().mainImg(), before.cover().mainPlacement(),
                  after.cover().mainPlacement(), keptSideFileGone(before, after, ".im2"), QStringLiteral("Přední strana"));
    pictureChange(changes, before.cover().bckImg(), after.cover().bckImg(), before.cover().bckPlacement(), after.cover().bckPlacement(),
                  keptSideFileGone(before, after, ".im1"), QStringLiteral("Zadní strana"));
    spineChange(changes, before, after);
    labelChange(changes, before, after);

    const QString generic = QStringLiteral("Úpravy obalu");
    if (changes.isEmpty())
        return generic; // the boxes' heights alone, which follow the fonts
    QStringList places;
    for (const Change &change : changes) {
        if (change.kind != changes.first().kind)
            return generic;
        places << change.place;
    }
    const QString where = places.size() <= 2 ? places.join(QStringLiteral(", ")) : QStringLiteral("více míst");
    return QStringLiteral("%1 – %2").arg(kindName(changes.first().kind), where);
}

} // namespace korvel

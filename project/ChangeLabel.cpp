#include "project/ChangeLabel.h"

#include <QList>

namespace korvel {

namespace {

// The kinds of change, most telling first: a place that changed in several ways at
// once (a picture chosen with its placement, a font with its colour) is named by
// the first.
enum class Kind { Picture, PictureRemoved, Placement, Crop, Text, Font, Colour, Alignment, Gradient };

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
bool keptSideFileGone(const DocumentSnapshot &before, const DocumentSnapshot &after, bool front)
{
    const QLatin1String suffix(front ? ".im2" : ".im1");
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
                  after.cover().mainPlacement(), keptSideFileGone(before, after, true), QStringLiteral("Přední strana"));
    pictureChange(changes, before.cover().bckImg(), after.cover().bckImg(), before.cover().bckPlacement(), after.cover().bckPlacement(),
                  keptSideFileGone(before, after, false), QStringLiteral("Zadní strana"));
    spineChange(changes, before, after);

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

#include "project/DiscChoices.h"

#include "project/layouts/JewelCase.h"

namespace korvel {

int followedText(int labelText)
{
    if (labelText < 0 || labelText >= disc::kTextCount)
        return -1;
    const Role role = DiscLayout::texts()[std::size_t(labelText)].role;
    return role == Role::None ? -1 : kJewelCase.textWithRole(role);
}

namespace {

// The untouched label without its picture.
PageState untouchedTexts(const PageState &cover)
{
    const DiscLayout layout;
    CoverPage page(layout.layout());
    page.picture(layout.layout().withRole(Role::LabelPicture)).setPlacement(disc::kPlacement);
    for (int text = 0; text < disc::kTextCount; ++text)
        if (const int followed = followedText(text); followed >= 0 && followed < cover.items.size())
            page.items()[std::size_t(text)].setLines(cover.items[followed].lines);
    return page.state();
}

} // namespace

PageState untouchedLabel(const PageState &cover)
{
    PageState label = untouchedTexts(cover);
    if (!cover.pictures.isEmpty() && !label.pictures.isEmpty())
        label.pictures.first() = cover.mainImg();
    return label;
}

bool isLabelTouched(const PageState &cover, const PageState &label, const DiscChoices &choices)
{
    if (!(choices == DiscChoices()))
        return true;
    const PageState fresh = untouchedTexts(cover);
    if (!(label.items == fresh.items && label.heights == fresh.heights && label.placements == fresh.placements
          && label.bands == fresh.bands && label.pictures.size() == fresh.pictures.size()))
        return true;
    // Its picture is the front's, compared as files: neither is decoded for it.
    const Picture front = cover.pictures.isEmpty() ? Picture() : cover.mainImg();
    return !label.pictures.isEmpty() && !label.pictures.first().sameAs(front);
}

} // namespace korvel

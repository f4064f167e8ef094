#include "project/TrackImport.h"


#include "project/CoverDocument.h"
#include "project/CoverPage.h"
#include "project/DocumentHistory.h"
#include "project/SpineBand.h"
#include "settings/Cp1250.h"

namespace korvel {

namespace {

// The text item of the cover that has a role, or -1.
int textOf(const CoverDocument &document, Role role)
{
    return document.page().layout().textWithRole(role);
}

TextItem &textWith(CoverPage &page, Role role)
{
    return page.items()[std::size_t(page.layout().textWithRole(role))];
}

// The text as a project file can hold it; what it cannot goes into *dropped, once.
// A word left out leaves its spaces behind: two in a row, or one at an end or beside
// a tab. Only those spaces go; the column style's tab between a title and its length
// has to stay, or the length would leave the column, and so does a "…" before it.
QString storable(const QString &text, QString *dropped)
{
    QString left;
    const QString kept = keepCp1250(text, &left);
    for (QChar c : left)
        if (!dropped->contains(c))
            dropped->append(c);
    if (left.isEmpty())
        return kept;
    const QChar space = QLatin1Char(' '), tab = QLatin1Char('\t');
    QString squeezed;
    squeezed.reserve(kept.size());
    for (QChar c : kept) {
        if (c == space && (squeezed.isEmpty() || squeezed.back() == space || squeezed.back() == tab))
            continue;
        if (c == tab && squeezed.endsWith(space))
            squeezed.chop(1);
        squeezed.append(c);
    }
    if (squeezed.endsWith(space))
        squeezed.chop(1);
    return squeezed;
}

} // namespace

bool isFillable(const CoverDocument &document, Role role)
{
    const int index = textOf(document, role);
    if (index < 0)
        return false;
    return document.isSample(index) || document.page().items()[std::size_t(index)].text().trimmed().isEmpty();
}

bool isSpineFillable(const CoverDocument &document)
{
    // The spine has no box of its own: its sample is the title a new band has
    // ("Název CD"), which the program's template keeps.
    static const QString sample = SpineBand().caption();
    for (const SpineBand *band : {&document.page().CDL(), &document.page().CDR()}) {
        const QString caption = band->caption().trimmed();
        if (!caption.isEmpty() && caption != sample)
            return false;
    }
    return true;
}

TrackPlan planTracks(const CoverDocument &document, const TrackList &list, const TrackChoices &choices)
{
    TrackPlan plan;
    const TextItem &contents = document.page().items()[std::size_t(textOf(document, Role::Contents))];
    plan.font = contents.font();
    if (choices.fontSize > 0)
        plan.font.setSize(choices.fontSize);
    plan.alignment = contents.alignment();

    QStringList lines = formatTracks(list, choices.format);
    for (QString &line : lines)
        line = storable(line, &plan.dropped);
    // The lengths stand flush right whatever the alignment (the contents list's last
    // tab is a stop at its right edge); the titles start at one place only when the
    // list is flush left.
    if (choices.format.style == TrackFormat::Style::Column)
        plan.alignment = Alignment::Left;
    plan.lines = lines;

    plan.album = storable(list.album(), &plan.dropped);
    plan.artist = storable(list.artist(), &plan.dropped);
    if (!plan.artist.isEmpty() && !plan.album.isEmpty())
        plan.spine = plan.artist + QStringLiteral(" – ") + plan.album;
    else
        plan.spine = plan.artist.isEmpty() ? plan.album : plan.artist;
    plan.year = list.year() > 0 ? QString::number(list.year()) : QString();

    auto fill = [&](bool chosen, const QString &value, bool fillable) {
        return chosen && !value.isEmpty() && (choices.overwrite || fillable);
    };
    plan.fillContents = choices.contents && !plan.lines.isEmpty();
    plan.fillTitle = fill(choices.title, plan.album, isFillable(document, Role::Title));
    plan.fillHeading = fill(choices.heading, plan.artist, isFillable(document, Role::Artist));
    plan.fillSpine = fill(choices.spine, plan.spine, isSpineFillable(document));
    plan.fillYear = fill(choices.year, plan.year, isFillable(document, Role::Year));
    plan.fillCover = choices.cover && !list.cover.isEmpty();
    plan.hiddenLines = plan.fillContents ? previewPage(document, plan)->hiddenLines(textOf(document, Role::Contents)) : 0;
    return plan;
}

std::unique_ptr<CoverPage> previewPage(const CoverDocument &document, const TrackPlan &plan)
{
    auto page = std::make_unique<CoverPage>();
    page->setState(document.page().state());
    TextItem &item = textWith(*page, Role::Contents);
    item.setFont(plan.font);
    item.setAlignment(plan.alignment);
    item.setLines(plan.lines);
    return page;
}

int fittingSize(const CoverDocument &document, const TrackPlan &plan)
{
    std::unique_ptr<CoverPage> page = previewPage(document, plan);
    TextItem &item = textWith(*page, Role::Contents);
    ItemFont font = plan.font;
    for (int size = plan.font.size(); size >= kSmallestFittingSize; --size) {
        font.setSize(size);
        item.setFont(font);
        if (page->hiddenLines(page->layout().textWithRole(Role::Contents)) == 0)
            return size;
    }
    return kSmallestFittingSize;
}

QStringList applyTracks(CoverDocument &document, const TrackList &list, const TrackPlan &plan)
{
    QStringList problems;
    CoverPage &page = document.page();
    document.nameNextChange(QStringLiteral("Načtení skladeb"));
    if (plan.fillContents) {
        TextItem &item = textWith(page, Role::Contents);
        item.setFont(plan.font);
        item.setAlignment(plan.alignment);
        document.setText(textOf(document, Role::Contents), plan.lines.join(QLatin1Char('\n')));
    }
    if (plan.fillTitle)
        document.setText(textOf(document, Role::Title), plan.album);
    if (plan.fillHeading)
        document.setText(textOf(document, Role::Artist), plan.artist);
    if (plan.fillYear)
        document.setText(textOf(document, Role::Year), plan.year);
    if (plan.fillSpine) {
        page.CDL().setCaption(plan.spine);
        page.CDR().setCaption(plan.spine);
    }
    if (plan.fillCover) {
        Picture picture;
        QString error;
        if (picture.loadFromData(list.cover.bytes, list.cover.extension, &error))
            page.MainImg().setPicture(picture);
        else
            problems << QStringLiteral("Obrázek %1 nelze načíst: %2").arg(list.cover.source, error);
    }
    document.history().recordNow();
    return problems;
}

} // namespace korvel

#pragma once
#include <QList>
#include <QStringList>

class QFileDialog;

namespace korvel {

// One entry of a file dialog's filter list, as the platform the program comes from
// writes it: the label the user reads and the patterns it shows, separated by ";".
// Most labels name their patterns in brackets; a label whose words are fixed may
// show more than it names.
struct NameFilter {
    QString label;
    QString patterns;
    bool operator==(const NameFilter &) const = default;
};
using NameFilters = QList<NameFilter>;

// Filters that show exactly the patterns in their labels' brackets.
NameFilters filtersFromLabels(const QStringList &labels);
QStringList labelsOf(const NameFilters &filters);

// Gives a file dialog these filters. Qt's dialog would read "*.*" as "names with a
// dot" and takes its patterns from the labels, so the file list gets the patterns
// set directly (which needs Qt's own dialog, not the desktop's). The first filter is
// selected.
void setPlatformNameFilters(QFileDialog &dialog, const NameFilters &filters);
void setPlatformNameFilters(QFileDialog &dialog, const QStringList &labels);

// The patterns of a list: "*.bmp;*.dib" -> *.bmp, *.dib; "*.*" -> *.
QStringList splitPatterns(const QString &patterns);
// The patterns a filter label names in brackets: "Bitmaps (*.bmp;*.dib)" -> *.bmp, *.dib.
QStringList patternsOfFilter(const QString &filter);

} // namespace korvel

#pragma once
#include <QStringList>

class QFileDialog;

namespace korvel {

// Gives a file dialog filters written as the platform the program comes from writes
// them: patterns separated by ";" and "*.*" for every file. Qt's dialog would read
// "*.*" as "names with a dot", so the file list gets the patterns set directly
// (which needs Qt's own dialog, not the desktop's). The first filter is selected.
void setPlatformNameFilters(QFileDialog &dialog, const QStringList &filters);

// The patterns a filter label stands for: "Bitmaps (*.bmp;*.dib)" -> *.bmp, *.dib;
// "(*.*)" -> *.
QStringList patternsOfFilter(const QString &filter);

} // namespace korvel

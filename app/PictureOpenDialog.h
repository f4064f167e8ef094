#pragma once
#include <QString>

class QWidget;

namespace korvel {

// The open-picture dialog shared by the front and back picture commands: its title,
// a preview pane and the filters in their order, the first selected. Returns the
// chosen file, or an empty string when cancelled.
QString runOpenPictureDialog(QWidget *parent);
// The same dialog with other filters (labels with their patterns in brackets,
// separated by ";"); the first is selected.
QString runOpenPictureDialog(QWidget *parent, const QStringList &filters);

// The filter labels of the front and back picture commands, exactly as offered.
QStringList openPictureFilters();

} // namespace korvel

#pragma once
#include <QString>

#include "dialogs/FileDialogFilters.h"

class QWidget;

namespace korvel {

// The open-picture dialog shared by the front and back picture commands: its title,
// a preview pane and the filters in their order, the first selected. Returns the
// chosen file, or an empty string when cancelled.
QString runOpenPictureDialog(QWidget *parent);
// The same dialog with other filters; the first is selected.
QString runOpenPictureDialog(QWidget *parent, const NameFilters &filters);

// The filters of the front and back picture commands, exactly as offered.
NameFilters openPictureFilters();

} // namespace korvel

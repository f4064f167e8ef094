#pragma once
#include <QString>

#include "dialogs/FileDialogFilters.h"
#include "picture/PicturePlacement.h"

class QWidget;

namespace korvel {

// The open-picture dialog shared by the front and back picture commands: its title,
// a preview pane and the filters in their order, the first selected. Returns the
// chosen file, or an empty string when cancelled.
QString runOpenPictureDialog(QWidget *parent);
// The same dialog with other filters; the first is selected.
QString runOpenPictureDialog(QWidget *parent, const NameFilters &filters);

// The front or back picture's dialog: beside the file list, how the picture is to lie
// in its area ("Umístění": stretch, fill or fit), with the preview showing the area
// of the given proportions as the page will. Returns the chosen file (empty when
// cancelled) and *fit the placement chosen.
QString runOpenPictureDialog(QWidget *parent, const QSizeF &area, PicturePlacement::Fit *fit);

// The filters of the front and back picture commands, exactly as offered.
NameFilters openPictureFilters();

} // namespace korvel

#pragma once
#include <QString>

class QWidget;

namespace korvel {

// The open-picture dialog shared by the front and back picture commands: its title,
// a preview pane and the filters in their order, the first selected. Returns the
// chosen file, or an empty string when cancelled.
QString runOpenPictureDialog(QWidget *parent);

// The filter labels, exactly as the dialog offers them.
QStringList openPictureFilters();

} // namespace korvel

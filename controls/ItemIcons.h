#pragma once
#include <QIcon>

namespace korvel {

// The pictures of the item editing controls beside a sheet: the font button's small
// and large letter A, an alignment button's four lines (left 0, right 1, centred 2,
// as the cover numbers its alignments), and the " Editace" buttons' sheet with a pen.
QIcon fontButtonIcon();
QIcon alignmentIcon(int alignment);
QIcon editIcon();

} // namespace korvel

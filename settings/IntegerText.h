#pragma once
#include <QStringView>

namespace korvel {

// Converts settings text to a 32-bit integer, or gives def.
//
// Text longer than two characters that begins with "0x" or "0X" is taken as "$"
// followed by the rest. Then: leading blanks are skipped; "$" starts hexadecimal
// digits (either case), which may fill all 32 bits ("$FFFFFFFF" is -1); otherwise an
// optional "+" or "-" and decimal digits follow, within the signed 32-bit range. The
// whole text must be consumed: empty text, trailing blanks, any other character, a
// sign without digits or a number out of range gives def.
int strToIntDef(QStringView text, int def);

} // namespace korvel

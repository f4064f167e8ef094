#pragma once
#include <QString>

#include "project/DocumentSnapshot.h"

namespace korvel {

// What the user calls the change from one cover to the next, in Czech, for the undo
// and redo commands ("Zpět: Písmo – Nadpis"): what changed, a dash, and where. Found
// by comparing the two covers, so every way of making a change (an edit box, a
// window, a key, a dropped file) is named alike.
//
// Several places changed alike are named together ("Text – Nadpis, Obsah"); changes
// of different kinds at once, which commands name themselves
// (DocumentHistory::nameNextStep), are "Úpravy obalu" otherwise.
QString changeLabel(const DocumentSnapshot &before, const DocumentSnapshot &after);

} // namespace korvel

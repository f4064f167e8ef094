#pragma once
#include <QString>
#include <QtGlobal>

#include "project/DocumentSnapshot.h"

namespace korvel {

// What the recovery writer copies, seen from the writer: the cover as a value and
// what tells whether there is anything new to copy. The document implements it and
// owns its writer; the writer knows nothing else of the document, and the document
// tells it when the cover becomes saved or unsaved (RecoveryWriter::modifiedChanged).
class RecoverySource {
public:
    // The cover as it is now.
    virtual DocumentSnapshot snapshot() const = 0;
    // Moves with every recorded change and every undo or redo.
    virtual quint64 generation() const = 0;
    // Whether the cover differs from what was saved.
    virtual bool isModified() const = 0;
    // The project's file (empty while the cover has none), and whether Save writes
    // there without asking: restored work comes back under both.
    virtual const QString &path() const = 0;
    virtual bool isNamed() const = 0;

protected:
    ~RecoverySource() = default;
};

} // namespace korvel

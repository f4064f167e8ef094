#pragma once
#include <QDialog>
#include <QList>
#include <optional>

#include "project/RecoveryStore.h"

class QPushButton;
class QTreeWidget;

namespace korvel {

// "Obnova" for more than one copy of unsaved work left behind (several designers
// killed at once, a crash every day for a month): one window that lists each copy,
// its project and when it was written, instead of one question after another.
// "Obnovit" takes the selected copy into the window, "Smazat" deletes the selected
// ones (after asking), "Ponechat" and Escape keep every copy that is left for the
// next start.
class TFrmRecovery : public QDialog {
    Q_OBJECT
public:
    TFrmRecovery(const RecoveryStore &store, QList<RecoveryStore::Abandoned> copies, QWidget *parent = nullptr);

    // The copy to restore, once the window was closed with "Obnovit".
    std::optional<RecoveryStore::Abandoned> chosen() const { return m_chosen; }
    // The copies still listed.
    const QList<RecoveryStore::Abandoned> &copies() const { return m_copies; }

    // "Album.kvp" or "nový projekt", and the time in Czech ("8. 12. 2026 17:05").
    static QString projectLabel(const RecoveryStore::Abandoned &copy);
    static QString timeLabel(const RecoveryStore::Abandoned &copy);

private:
    void fill();
    void selectionChanged();
    void restoreSelected();
    void discardSelected();
    QList<int> selectedRows() const;

    const RecoveryStore &m_store;
    QList<RecoveryStore::Abandoned> m_copies;
    std::optional<RecoveryStore::Abandoned> m_chosen;
    QTreeWidget *m_list;
    QPushButton *m_restore;
    QPushButton *m_discard;
};

} // namespace korvel

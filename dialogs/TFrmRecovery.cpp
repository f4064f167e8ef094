#include "dialogs/TFrmRecovery.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs/Ask.h"

namespace korvel {

TFrmRecovery::TFrmRecovery(const RecoveryStore &store, QList<RecoveryStore::Abandoned> copies, QWidget *parent)
    : QDialog(parent)
    , m_store(store)
    , m_copies(std::move(copies))
    , m_list(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("FrmRecovery"));
    setWindowTitle(QStringLiteral("Obnova"));
    auto *intro = new QLabel(QStringLiteral("Designér minule neskončil řádně. Zůstaly po něm neuložené změny "
                                            "těchto projektů:"),
                             this);
    intro->setWordWrap(true);

    m_list->setObjectName(QStringLiteral("Copies"));
    m_list->setAccessibleName(QStringLiteral("Neuložené změny"));
    m_list->setHeaderLabels({QStringLiteral("Projekt"), QStringLiteral("Uloženo")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_list->header()->setStretchLastSection(false);
    intro->setBuddy(m_list);

    auto *buttons = new QDialogButtonBox(this);
    m_restore = buttons->addButton(QStringLiteral("&Obnovit"), QDialogButtonBox::AcceptRole);
    m_restore->setObjectName(QStringLiteral("Restore"));
    m_restore->setToolTip(QStringLiteral("Otevře vybranou kopii v okně designéru; ostatní zůstanou na příště"));
    m_discard = buttons->addButton(QStringLiteral("&Smazat"), QDialogButtonBox::DestructiveRole);
    m_discard->setObjectName(QStringLiteral("Discard"));
    m_discard->setToolTip(QStringLiteral("Smaže vybrané kopie"));
    QPushButton *keep = buttons->addButton(QStringLiteral("&Ponechat"), QDialogButtonBox::RejectRole);
    keep->setObjectName(QStringLiteral("Keep"));
    keep->setToolTip(QStringLiteral("Nechá všechny kopie na příští spuštění"));
    for (QPushButton *b : {m_restore, m_discard, keep})
        b->setAccessibleDescription(b->toolTip());
    connect(m_restore, &QPushButton::clicked, this, &TFrmRecovery::restoreSelected);
    connect(m_discard, &QPushButton::clicked, this, &TFrmRecovery::discardSelected);
    connect(keep, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &TFrmRecovery::selectionChanged);
    connect(m_list, &QTreeWidget::itemActivated, this, &TFrmRecovery::restoreSelected);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    resize(560, 360);
    fill();
}

QString TFrmRecovery::projectLabel(const RecoveryStore::Abandoned &copy)
{
    return copy.projectPath.isEmpty() ? QStringLiteral("nový projekt") : QFileInfo(copy.projectPath).fileName();
}

QString TFrmRecovery::timeLabel(const RecoveryStore::Abandoned &copy)
{
    return QLocale(QLocale::Czech).toString(copy.written.toLocalTime(), QStringLiteral("d. M. yyyy H:mm"));
}

void TFrmRecovery::fill()
{
    m_list->clear();
    for (const RecoveryStore::Abandoned &copy : std::as_const(m_copies)) {
        auto *row = new QTreeWidgetItem(m_list, {projectLabel(copy), timeLabel(copy)});
        row->setToolTip(0, copy.projectPath);
    }
    // The newest first in sight: the list is oldest first.
    if (m_list->topLevelItemCount() > 0) {
        m_list->setCurrentItem(m_list->topLevelItem(m_list->topLevelItemCount() - 1));
        m_list->scrollToItem(m_list->currentItem());
    }
    m_list->setFocus();
    selectionChanged();
}

QList<int> TFrmRecovery::selectedRows() const
{
    QList<int> rows;
    for (QTreeWidgetItem *item : m_list->selectedItems())
        rows << m_list->indexOfTopLevelItem(item);
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TFrmRecovery::selectionChanged()
{
    const qsizetype n = selectedRows().size();
    m_restore->setEnabled(n == 1);
    m_discard->setEnabled(n > 0);
}

void TFrmRecovery::restoreSelected()
{
    const QList<int> rows = selectedRows();
    if (rows.size() != 1)
        return;
    m_chosen = m_copies[rows.first()];
    accept();
}

void TFrmRecovery::discardSelected()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    const QString what = rows.size() == 1
                             ? QStringLiteral("Smazat neuložené změny projektu %1 (%2)? Nelze to vrátit.")
                                   .arg(projectLabel(m_copies[rows.first()]), timeLabel(m_copies[rows.first()]))
                             : QStringLiteral("Smazat neuložené změny %1 vybraných projektů? Nelze to vrátit.").arg(rows.size());
    if (!Ask(QStringLiteral("Obnova"), what, 1))
        return;
    for (qsizetype i = rows.size(); i-- > 0;) {
        m_store.discard(m_copies[rows[i]]);
        m_copies.removeAt(rows[i]);
    }
    if (m_copies.isEmpty()) {
        reject();
        return;
    }
    fill();
}

} // namespace korvel

#include "app/FileDialogFilters.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QRegularExpression>
#include <QTimer>

namespace korvel {

QStringList patternsOfFilter(const QString &filter)
{
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("\\(([^)]*)\\)\\s*$")).match(filter);
    if (!m.hasMatch())
        return {};
    QStringList patterns = m.captured(1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString &p : patterns)
        p = p.trimmed();
    if (patterns == QStringList{QStringLiteral("*.*")})
        patterns = {QStringLiteral("*")};
    return patterns;
}

void setPlatformNameFilters(QFileDialog &dialog, const QStringList &filters)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(filters);
    if (filters.isEmpty())
        return;
    dialog.selectNameFilter(filters.first());
    QFileDialog *d = &dialog;
    auto applyPatterns = [d](const QString &filter) {
        if (auto *model = d->findChild<QFileSystemModel *>())
            model->setNameFilters(patternsOfFilter(filter));
    };
    // The dialog sets its own patterns when a filter is chosen; ours go on after.
    QObject::connect(d, &QFileDialog::filterSelected, d,
                     [d, applyPatterns](const QString &filter) { QTimer::singleShot(0, d, [=] { applyPatterns(filter); }); });
    applyPatterns(filters.first());
}

} // namespace korvel

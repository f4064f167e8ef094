#include "dialogs/FileDialogFilters.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QRegularExpression>
#include <QTimer>

namespace korvel {

namespace {

QString bracketsOf(const QString &label)
{
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("\\(([^)]*)\\)\\s*$")).match(label);
    return m.hasMatch() ? m.captured(1) : QString();
}

} // namespace

QStringList splitPatterns(const QString &patterns)
{
    QStringList list = patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString &p : list)
        p = p.trimmed();
    if (list == QStringList{QStringLiteral("*.*")})
        list = {QStringLiteral("*")};
    return list;
}

QStringList patternsOfFilter(const QString &filter)
{
    return splitPatterns(bracketsOf(filter));
}

NameFilters filtersFromLabels(const QStringList &labels)
{
    NameFilters filters;
    for (const QString &label : labels)
        filters.append({label, bracketsOf(label)});
    return filters;
}

QStringList labelsOf(const NameFilters &filters)
{
    QStringList labels;
    for (const NameFilter &f : filters)
        labels << f.label;
    return labels;
}

void setPlatformNameFilters(QFileDialog &dialog, const QStringList &labels)
{
    setPlatformNameFilters(dialog, filtersFromLabels(labels));
}

void setPlatformNameFilters(QFileDialog &dialog, const NameFilters &filters)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(labelsOf(filters));
    if (filters.isEmpty())
        return;
    dialog.selectNameFilter(filters.first().label);
    QFileDialog *d = &dialog;
    auto applyPatterns = [d, filters](const QString &label) {
        auto *model = d->findChild<QFileSystemModel *>();
        if (!model)
            return;
        for (const NameFilter &f : filters)
            if (f.label == label) {
                model->setNameFilters(splitPatterns(f.patterns));
                return;
            }
    };
    // The dialog sets its own patterns when a filter is chosen; ours go on after.
    QObject::connect(d, &QFileDialog::filterSelected, d,
                     [d, applyPatterns](const QString &label) { QTimer::singleShot(0, d, [=] { applyPatterns(label); }); });
    applyPatterns(filters.first().label);
}

} // namespace korvel

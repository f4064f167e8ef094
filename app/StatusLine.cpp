#include "app/StatusLine.h"

#include <QLabel>
#include <QStatusBar>

#include "project/CoverPage.h"
#include "project/SheetView.h"

namespace korvel {

namespace {

QString linesThatWillNotPrint(int n)
{
    if (n == 1)
        return QStringLiteral("1 řádek se nevytiskne");
    if (n >= 2 && n <= 4)
        return QStringLiteral("%1 řádky se nevytisknou").arg(n);
    return QStringLiteral("%1 řádků se nevytiskne").arg(n);
}

} // namespace

StatusLine::StatusLine(const CoverPage &page, const SheetView &view, QStatusBar &bar)
    : QObject(&bar)
    , m_page(page)
    , m_warnings(new QLabel(&bar))
    , m_zoom(new QLabel(&bar))
{
    bar.setObjectName(QStringLiteral("StatusBar"));
    m_warnings->setObjectName(QStringLiteral("PrintWarnings"));
    QPalette warn = m_warnings->palette();
    warn.setColor(QPalette::WindowText, QColor(180, 0, 0));
    m_warnings->setPalette(warn);
    bar.addPermanentWidget(m_warnings);
    m_zoom->setObjectName(QStringLiteral("ZoomLabel"));
    m_zoom->setMinimumWidth(50);
    m_zoom->setAlignment(Qt::AlignCenter);
    bar.addPermanentWidget(m_zoom);
    showZoom(view.zoom());
    connect(&view, &SheetView::zoomChanged, this, &StatusLine::showZoom);
}

void StatusLine::showZoom(int zoom)
{
    m_zoom->setText(QStringLiteral("%1 %").arg(zoom));
}

void StatusLine::showWarnings()
{
    QStringList warnings;
    const struct {
        const char *element, *label;
    } pictures[] = {{"MainImg", "Obrázek přední strany"}, {"BckImg", "Obrázek zadní strany"}, {"CDL", "Obrázek hřbetu"},
                    {"DiscImg", "Obrázek disku"}};
    // The label's texts are named as theirs ("Nadpis (disk)").
    for (const CoverPage *sheet : {&m_page, m_label}) {
        if (!sheet)
            continue;
        for (const TextItem &item : sheet->items())
            if (const int hidden = sheet->hiddenLines(item.code()); hidden > 0)
                warnings << QStringLiteral("%1: %2").arg(itemLabel(item.code()), linesThatWillNotPrint(hidden));
        for (const auto &p : pictures) {
            const double dpi = sheet->pictureDpi(p.element);
            if (dpi > 0 && dpi < CoverPage::kMinimumPrintDpi)
                warnings << QStringLiteral("%1 má na papíře jen %2 dpi").arg(QString::fromUtf8(p.label)).arg(qRound(dpi));
        }
    }
    m_warnings->setText(warnings.join(QStringLiteral(" · ")));
}

} // namespace korvel

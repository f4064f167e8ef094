#include "app/PictureOpenDialog.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QRegularExpression>
#include <QTimer>

#include "project/Picture.h"

namespace korvel {

QStringList openPictureFilters()
{
    return {QStringLiteral("Vše (*.gif;*.dib;*.jpeg;*.jpg;*.bmp;*.ico;*.emf;*.wmf)"),
            QStringLiteral("CompuServe GIF Image (*.gif)"),
            QStringLiteral("Device Independent Bitmap (*.dib)"),
            QStringLiteral("JPEG Image File (*.jpeg)"),
            QStringLiteral("JPEG Image File (*.jpg)"),
            QStringLiteral("Bitmapy (*.bmp)"),
            QStringLiteral("Ikony (*.ico)"),
            QStringLiteral("Enhanced Metasoubory (*.emf)"),
            QStringLiteral("Metasoubory (*.wmf)"),
            QStringLiteral("Všechny soubory (*.*)")};
}

namespace {

// The labels separate their patterns with ";" as the platform's dialogs do; Qt's
// dialog wants spaces, so the file list gets the patterns set directly.
QStringList patternsOf(const QString &filter)
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

} // namespace

QString runOpenPictureDialog(QWidget *parent)
{
    return runOpenPictureDialog(parent, openPictureFilters());
}

QString runOpenPictureDialog(QWidget *parent, const QStringList &filters)
{
    QFileDialog dialog(parent, QStringLiteral("Otevřít obrázek..."));
    dialog.setObjectName(QStringLiteral("OpenPicture1"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.first());

    auto applyPatterns = [&dialog](const QString &filter) {
        if (auto *model = dialog.findChild<QFileSystemModel *>())
            model->setNameFilters(patternsOf(filter));
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&](const QString &filter) { QTimer::singleShot(0, &dialog, [=] { applyPatterns(filter); }); });
    if (!filters.isEmpty())
        applyPatterns(filters.first());

    // Preview pane: the picture under the cursor, drawn as the page would draw it.
    auto *preview = new QLabel(&dialog);
    preview->setObjectName(QStringLiteral("PicturePreview"));
    preview->setFixedSize(180, 180);
    preview->setAlignment(Qt::AlignCenter);
    preview->setFrameShape(QFrame::StyledPanel);
    if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout()))
        grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);
    QObject::connect(&dialog, &QFileDialog::currentChanged, preview, [preview](const QString &path) {
        Picture picture;
        QString error;
        if (path.isEmpty() || !picture.loadFromFile(path, &error) || picture.isEmpty()) {
            preview->setPixmap(QPixmap());
            preview->setText(QString());
            return;
        }
        const QSize own = picture.size();
        const QSize fit = own.isEmpty() ? QSize(170, 170) : own.scaled(170, 170, Qt::KeepAspectRatio);
        QImage image(fit, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        picture.draw(p, QRectF(QPointF(0, 0), QSizeF(fit)), DrawTarget::Screen);
        p.end();
        preview->setPixmap(QPixmap::fromImage(image));
    });

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

} // namespace korvel

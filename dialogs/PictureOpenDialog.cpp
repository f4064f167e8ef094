#include "dialogs/PictureOpenDialog.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QTreeView>
#include <algorithm>

#include "dialogs/FileDialogFilters.h"
#include "project/picture/Picture.h"

namespace korvel {

NameFilters openPictureFilters()
{
    // The labels are the ones users of the cover files know, word for word. "Vše"
    // shows PNG pictures too, although its words were fixed before they were read.
    return {{QStringLiteral("Vše (*.gif;*.dib;*.jpeg;*.jpg;*.bmp;*.ico;*.emf;*.wmf)"),
             QStringLiteral("*.gif;*.dib;*.jpeg;*.jpg;*.bmp;*.ico;*.emf;*.wmf;*.png")},
            {QStringLiteral("CompuServe GIF Image (*.gif)"), QStringLiteral("*.gif")},
            {QStringLiteral("Device Independent Bitmap (*.dib)"), QStringLiteral("*.dib")},
            {QStringLiteral("JPEG Image File (*.jpeg)"), QStringLiteral("*.jpeg")},
            {QStringLiteral("JPEG Image File (*.jpg)"), QStringLiteral("*.jpg")},
            {QStringLiteral("Bitmapy (*.bmp)"), QStringLiteral("*.bmp")},
            {QStringLiteral("Ikony (*.ico)"), QStringLiteral("*.ico")},
            {QStringLiteral("Enhanced Metasoubory (*.emf)"), QStringLiteral("*.emf")},
            {QStringLiteral("Metasoubory (*.wmf)"), QStringLiteral("*.wmf")},
            {QStringLiteral("Obrázky PNG (*.png)"), QStringLiteral("*.png")},
            {QStringLiteral("Všechny soubory (*.*)"), QStringLiteral("*.*")}};
}

QString runOpenPictureDialog(QWidget *parent)
{
    return runOpenPictureDialog(parent, openPictureFilters());
}

QString runOpenPictureDialog(QWidget *parent, const NameFilters &filters)
{
    QFileDialog dialog(parent, QStringLiteral("Otevřít obrázek..."));
    dialog.setObjectName(QStringLiteral("OpenPicture1"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    setPlatformNameFilters(dialog, filters);

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

    // Wide enough that the list's size and type columns show in full beside the
    // preview ("229 KiB", "JPEG Image"), not "229…KiB".
    if (auto *details = dialog.findChild<QTreeView *>(QStringLiteral("treeView"))) {
        QHeaderView *header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column < header->count(); ++column)
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    dialog.setViewMode(QFileDialog::Detail);
    dialog.resize(std::max(dialog.sizeHint().width(), 980), std::max(dialog.sizeHint().height(), 520));

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

} // namespace korvel

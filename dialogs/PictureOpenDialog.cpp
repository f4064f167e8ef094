#include "dialogs/PictureOpenDialog.h"

#include <QFileDialog>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTreeView>
#include <QVBoxLayout>
#include <memory>
#include <algorithm>

#include "dialogs/FileDialogFilters.h"
#include "picture/Picture.h"

namespace korvel {

namespace {
QString showPictureDialog(QWidget *parent, const NameFilters &filters, const QSizeF &area, PicturePlacement::Fit *fit);
} // namespace

NameFilters openPictureFilters()
{
    // The labels are the ones users of the cover files know, word for word, but "Vše"
    // names the PNG pictures it shows too.
    return {{QStringLiteral("Vše (*.gif;*.dib;*.jpeg;*.jpg;*.bmp;*.ico;*.emf;*.wmf;*.png)"),
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
    return showPictureDialog(parent, filters, QSizeF(), nullptr);
}

QString runOpenPictureDialog(QWidget *parent, const QSizeF &area, PicturePlacement::Fit *fit)
{
    return showPictureDialog(parent, openPictureFilters(), area, fit);
}

namespace {

QString showPictureDialog(QWidget *parent, const NameFilters &filters, const QSizeF &area, PicturePlacement::Fit *fit)
{
    QFileDialog dialog(parent, QStringLiteral("Otevřít obrázek..."));
    dialog.setObjectName(QStringLiteral("OpenPicture1"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    setPlatformNameFilters(dialog, filters);

    // Beside the list: the preview, drawn as the page would draw it, and for the front
    // and back pictures how the picture is to lie in its area.
    auto *side = new QWidget(&dialog);
    auto *sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    auto *preview = new QLabel(side);
    preview->setObjectName(QStringLiteral("PicturePreview"));
    preview->setFixedSize(180, 180);
    preview->setAlignment(Qt::AlignCenter);
    preview->setFrameShape(QFrame::StyledPanel);
    preview->setAccessibleName(QStringLiteral("Náhled obrázku"));
    sideLayout->addWidget(preview);
    QComboBox *placement = nullptr;
    if (fit) {
        auto *label = new QLabel(QStringLiteral("&Umístění:"), side);
        placement = new QComboBox(side);
        placement->setObjectName(QStringLiteral("PicturePlacement"));
        placement->addItem(QStringLiteral("Roztáhnout"), int(PicturePlacement::Fit::Stretch));
        placement->addItem(QStringLiteral("Vyplnit"), int(PicturePlacement::Fit::Fill));
        placement->addItem(QStringLiteral("Přizpůsobit"), int(PicturePlacement::Fit::Fit));
        placement->setCurrentIndex(placement->findData(int(*fit)));
        label->setBuddy(placement);
        sideLayout->addWidget(label);
        sideLayout->addWidget(placement);
    }
    sideLayout->addStretch();
    if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout()))
        grid->addWidget(side, 0, grid->columnCount(), grid->rowCount(), 1);

    // The area in the preview: its proportions, as large as the pane allows.
    const QSizeF shown = area.isEmpty() ? QSizeF(170, 170) : area.scaled(170, 170, Qt::KeepAspectRatio);
    auto picture = std::make_shared<Picture>();
    const auto showPreview = [preview, placement, picture, shown] {
        if (picture->isEmpty()) {
            preview->setPixmap(QPixmap());
            return;
        }
        QImage image(shown.toSize(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter p(&image);
        const QRectF areaRect(QPointF(0, 0), shown);
        if (placement) {
            PicturePlacement place;
            place.fit = PicturePlacement::Fit(placement->currentData().toInt());
            p.setClipRect(areaRect);
            picture->draw(p, place.pictureRect(areaRect, QSizeF(picture->size())), DrawTarget::Screen);
        } else {
            // Without an area: the picture itself, in its own proportions.
            const QSizeF own = picture->size().isEmpty() ? shown : QSizeF(picture->size()).scaled(shown, Qt::KeepAspectRatio);
            picture->draw(p, QRectF(QPointF(0, 0), own), DrawTarget::Screen);
        }
        p.setClipping(false);
        p.setPen(QColor(128, 128, 128));
        p.drawRect(areaRect.adjusted(0, 0, -1, -1));
        p.end();
        preview->setPixmap(QPixmap::fromImage(image));
    };
    // The file clicked in the list, or typed into the name field.
    auto shownPath = std::make_shared<QString>();
    const auto showFile = [picture, showPreview, shownPath](const QString &path) {
        if (path == *shownPath)
            return;
        *shownPath = path;
        QString error;
        if (path.isEmpty() || !picture->loadFromFile(path, &error))
            *picture = Picture();
        showPreview();
    };
    QObject::connect(&dialog, &QFileDialog::currentChanged, preview, showFile);
    if (auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))) {
        QFileDialog *d = &dialog;
        QObject::connect(name, &QLineEdit::textChanged, preview, [d, showFile](const QString &typed) {
            const QFileInfo file(QDir(d->directory()).absoluteFilePath(typed.trimmed()));
            if (!typed.trimmed().isEmpty() && file.isFile())
                showFile(file.absoluteFilePath());
        });
    }
    if (placement)
        QObject::connect(placement, &QComboBox::currentIndexChanged, preview, showPreview);

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
    if (placement)
        *fit = PicturePlacement::Fit(placement->currentData().toInt());
    return dialog.selectedFiles().first();
}

} // namespace

} // namespace korvel

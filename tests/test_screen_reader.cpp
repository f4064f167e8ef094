// What a screen reader reads: every control that takes the focus has a Czech name,
// found through the accessibility tree as the desktop's bridge walks it.
#include <QAccessible>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

#include "GuiTestUtil.h"
#include "app/TFrmMain.h"
#include "dialogs/PictureOpenDialog.h"
#include "dialogs/TFrmEdit.h"
#include "dialogs/TFrmNzvCD.h"
#include "dialogs/TFrmTracks.h"

using namespace korvel;
using namespace korvel::test;

namespace {

QString describe(QAccessibleInterface *iface)
{
    const QObject *object = iface->object();
    return QStringLiteral("%1 (role %2)")
        .arg(object ? QString::fromLatin1(object->metaObject()->className()) + QLatin1Char(' ') + object->objectName()
                    : QStringLiteral("-"))
        .arg(int(iface->role()));
}

// The visible controls under root that can take the focus, each with what a screen
// reader calls it. The entries of a list or table are its data, not controls (a
// folder's size in the file list is empty).
QList<std::pair<QAccessibleInterface *, QString>> focusableControls(QObject *root)
{
    QList<std::pair<QAccessibleInterface *, QString>> found;
    std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *iface) {
        if (!iface || iface->state().invisible)
            return;
        const QAccessible::Role role = iface->role();
        const bool entry = role == QAccessible::Cell || role == QAccessible::TreeItem || role == QAccessible::ListItem
                           || role == QAccessible::Row;
        if (iface->state().focusable && !entry)
            found.append({iface, iface->text(QAccessible::Name).trimmed()});
        for (int i = 0; i < iface->childCount(); ++i)
            walk(iface->child(i));
    };
    walk(QAccessible::queryAccessibleInterface(root));
    return found;
}

QStringList unnamed(QObject *root)
{
    QStringList missing;
    for (const auto &[iface, name] : focusableControls(root))
        if (name.isEmpty())
            missing << describe(iface);
    return missing;
}

QAccessibleInterface *accessible(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

} // namespace

TEST(ScreenReader, EveryFocusableControlOfTheMainWindowHasAName)
{
    TFrmMain window;
    window.show();
    const auto controls = focusableControls(&window);
    EXPECT_GE(controls.size(), 61) << "the boxes, the font, alignment and window buttons";
    EXPECT_TRUE(unnamed(&window).isEmpty()) << unnamed(&window).join(QLatin1String(", ")).toStdString();

    // Named after their item; each button's hint is its description.
    EXPECT_EQ(accessible(window.editBox(QStringLiteral("MEN")))->text(QAccessible::Name), QStringLiteral("Nadpis"));
    EXPECT_EQ(accessible(window.editBox(QStringLiteral("MEht")))->text(QAccessible::Name),
              QStringLiteral("Horní text (přední strana)"));
    EXPECT_EQ(accessible(window.editBox(QStringLiteral("BEht")))->text(QAccessible::Name),
              QStringLiteral("Horní text (zadní strana)"));
    QAccessibleInterface *left = accessible(window.findChild<QToolButton *>(QStringLiteral("SpeedButton7")));
    EXPECT_EQ(left->text(QAccessible::Name), QStringLiteral("Nadpis – zarovnat vlevo"));
    EXPECT_EQ(left->text(QAccessible::Description), QStringLiteral("Zarovnat doleva (Ctrl+L)"));
    QAccessibleInterface *font = accessible(window.findChild<QToolButton *>(QStringLiteral("RxSpeedButton10")));
    EXPECT_EQ(font->text(QAccessible::Name), QStringLiteral("Obsah – písmo"));
    EXPECT_EQ(font->text(QAccessible::Description), QStringLiteral("Písmo (Ctrl+T)"));
    QAccessibleInterface *contents = accessible(window.findChild<QToolButton *>(QStringLiteral("BEo")));
    EXPECT_EQ(contents->text(QAccessible::Name), QStringLiteral("Upravit obsah"));
    EXPECT_EQ(contents->text(QAccessible::Description), QStringLiteral("Upravit obsah (Ctrl+Shift+E)"));
    // No two controls are called the same: "Horní text" is on both sides.
    QStringList names;
    for (const auto &[iface, name] : controls)
        names << name;
    names.removeDuplicates();
    EXPECT_EQ(names.size(), controls.size());
}

TEST(ScreenReader, TheToolWindowsAndThePictureDialogNameEveryControl)
{
    TFrmMain window;
    window.show();
    TFrmNzvCD *spine = window.spineDialog();
    spine->show();
    EXPECT_TRUE(unnamed(spine).isEmpty()) << unnamed(spine).join(QLatin1String(", ")).toStdString();
    EXPECT_EQ(accessible(spine->Edt())->text(QAccessible::Name), QStringLiteral("Název CD na hřbetu"));

    window.BEoClick();
    auto *editor = window.findChild<TFrmEdit *>();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(unnamed(editor).isEmpty()) << unnamed(editor).join(QLatin1String(", ")).toStdString();
    EXPECT_EQ(accessible(editor->Text())->text(QAccessible::Name), QStringLiteral("Obsah"));
    QAccessibleInterface *right = accessible(editor->SpeedButton4());
    EXPECT_EQ(right->text(QAccessible::Name), QStringLiteral("Zarovnat vpravo"));
    EXPECT_FALSE(right->text(QAccessible::Description).isEmpty());

    TFrmTracks tracks(window.document(), &window);
    tracks.show();
    EXPECT_TRUE(unnamed(&tracks).isEmpty()) << unnamed(&tracks).join(QLatin1String(", ")).toStdString();

    QStringList inDialog{QStringLiteral("not shown")};
    whenModal<QFileDialog>([&inDialog](QFileDialog *d) {
        inDialog = unnamed(d);
        d->reject();
    });
    PicturePlacement::Fit fit = PicturePlacement::Fit::Stretch;
    runOpenPictureDialog(&window, QSizeF(100, 100), &fit);
    EXPECT_TRUE(inDialog.isEmpty()) << inDialog.join(QLatin1String(", ")).toStdString();
}

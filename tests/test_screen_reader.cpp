// What a screen reader reads: every control that takes the focus has a Czech name,
// found through the accessibility tree as the desktop's bridge walks it.
#include <QAccessible>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
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
// reader calls it.
QList<std::pair<QAccessibleInterface *, QString>> focusableControls(QObject *root)
{
    QList<std::pair<QAccessibleInterface *, QString>> found;
    std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *iface) {
        if (!iface || iface->state().invisible)
            return;
        if (iface->state().focusable)
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

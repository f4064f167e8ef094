// The information window of the toolbar's "Informace".
#include <QAction>
#include <gtest/gtest.h>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

#include "GuiTestUtil.h"
#include "app/TFrmMain.h"
#include "controls/TKivCommandLabel.h"
#include "controls/TKivFillBackground.h"
#include "controls/TKivLabel.h"
#include "controls/TKivOfficeButton.h"
#include "dialogs/TFrmInfo.h"

using namespace korvel;
using namespace korvel::test;

TEST(InfoWindow, OpensModalAndCentredAndZavritClosesAndDestroysIt)
{
    for (const bool unsavedBefore : {false, true}) {
        TFrmMain window;
        window.show();
        window.commands().Fsave->setEnabled(unsavedBefore);
        bool seen = false;
        whenModal<TFrmInfo>([&](TFrmInfo *info) {
            seen = true;
            EXPECT_TRUE(info->isModal());
            EXPECT_EQ(QApplication::activeModalWidget(), info);
            EXPECT_EQ(info->windowTitle(), QStringLiteral("Informace"));
            EXPECT_EQ(info->size(), QSize(402, 328));
            EXPECT_EQ(info->minimumSize(), info->maximumSize());
            const QRect screen = info->screen()->availableGeometry();
            EXPECT_LE(std::abs(info->frameGeometry().center().x() - screen.center().x()), 1);
            EXPECT_LE(std::abs(info->frameGeometry().center().y() - screen.center().y()), 1);
            QTest::mouseClick(info->KivOfficeButton1(), Qt::LeftButton, Qt::NoModifier, QPoint(48, 12));
        });
        window.commands().Info->trigger();
        EXPECT_TRUE(seen);
        EXPECT_EQ(window.findChildren<TFrmInfo *>().size(), 0) << "destroyed when closed";
        EXPECT_EQ(window.commands().Fsave->isEnabled(), unsavedBefore);
    }
}

TEST(InfoWindow, TheCloseBoxClosesItToo)
{
    TFrmMain window;
    window.show();
    bool seen = false;
    whenModal<TFrmInfo>([&](TFrmInfo *info) {
        seen = true;
        info->close(); // what the close box does
    });
    window.InfoClick();
    EXPECT_TRUE(seen);
    EXPECT_EQ(window.findChildren<TFrmInfo *>().size(), 0);
}

TEST(InfoWindow, PaintsTheTitleOnAWhiteToNavyGradient)
{
    TFrmInfo info(nullptr);
    info.show();
    const QImage image = info.KivFillBackground1()->grab().toImage();
    ASSERT_EQ(image.size(), QSize(402, 328));
    EXPECT_EQ(QColor(image.pixel(200, 0)), QColor(255, 255, 255));
    EXPECT_EQ(QColor(image.pixel(200, 327)), QColor(1, 1, 128));
    const QColor middle(image.pixel(5, 164));
    EXPECT_GT(middle.blue(), 150);
    EXPECT_LT(middle.red(), 150);

    // The title: the caption's words without its dash, drawn in navy over the
    // gradient (its shadow is navy too).
    EXPECT_EQ(info.KivLabel1()->caption(), QStringLiteral("Lurdan CD 1.0 druhé vydání"));
    EXPECT_EQ(info.KivLabel1()->geometry(), QRect(17, 8, 369, 33));
    const QImage whole = info.grab().toImage();
    int navy = 0;
    for (int y = 8; y < 41; ++y)
        for (int x = 17; x < 386; ++x) {
            const QColor c(whole.pixel(x, y));
            navy += c.blue() > 100 && c.red() < 40 && c.green() < 40;
        }
    EXPECT_GT(navy, 150);
}

TEST(InfoWindow, HoldsTheNoticeAndThreeLinksThatOpenThroughTheShell)
{
    TFrmInfo info(nullptr);
    info.show();
    const QString notice = info.Memo1()->toPlainText();
    // What the program is: free software under the GNU GPL 3 or later, for Linux.
    EXPECT_TRUE(notice.contains(QStringLiteral("1.0")));
    EXPECT_TRUE(notice.contains(QStringLiteral("svobodný software")));
    EXPECT_TRUE(notice.contains(QStringLiteral("GNU GPL")));
    EXPECT_TRUE(notice.contains(QStringLiteral("verze 3 nebo")));
    EXPECT_TRUE(notice.contains(QStringLiteral("Linux")));
    EXPECT_FALSE(notice.contains(QStringLiteral("freeware")));
    EXPECT_FALSE(notice.contains(QStringLiteral("Windows")));
    for (QTextBlock b = info.Memo1()->document()->begin(); b.isValid(); b = b.next())
        EXPECT_EQ(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(info.Memo1()->geometry(), QRect(24, 48, 353, 153));

    QStringList opened;
    TKivCommandLabel::setShellOpen([&](const QString &target) { opened << target; });
    EXPECT_EQ(info.KivCommandLabel2()->command(), runMAIL);
    EXPECT_EQ(info.KivCommandLabel2()->geometry(), QRect(32, 208, 122, 20));
    for (TKivCommandLabel *link : {info.KivCommandLabel2(), info.KivCommandLabel1(), info.KivCommandLabel3()})
        QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    TKivCommandLabel::setShellOpen(nullptr);
    ASSERT_EQ(opened.size(), 3);
    EXPECT_EQ(opened.at(0), QStringLiteral("mailto:") + info.KivCommandLabel2()->caption());
    EXPECT_EQ(opened.at(1), QStringLiteral("http://") + info.KivCommandLabel1()->caption());
    EXPECT_EQ(opened.at(2), QStringLiteral("http://") + info.KivCommandLabel3()->caption());
}

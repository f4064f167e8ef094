// The user guide's window ("Nápověda").
#include <QImage>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <gtest/gtest.h>

#include "dialogs/TFrmHelp.h"

using namespace korvel;

TEST(HelpWindow, ShowsTheCzechGuideWithoutBlockingAndComesBackAsTheSameWindow)
{
    QWidget owner;
    owner.show();
    TFrmHelp *help = TFrmHelp::showHelp(&owner);
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_FALSE(help->isModal());
    EXPECT_EQ(help->windowTitle(), QStringLiteral("Nápověda"));

    // The guide opens at its heading, in view.
    const QTextDocument *guide = help->browser()->document();
    EXPECT_EQ(guide->firstBlock().text().trimmed().toStdString(), "Jak navrhnout obal CD");
    const QRect heading = help->browser()->cursorRect(QTextCursor(guide->firstBlock()));
    EXPECT_TRUE(help->browser()->viewport()->rect().contains(heading.center()));
    const QString text = guide->toPlainText();
    for (const char *topic : {"PNG", ".im3", "Windows-1250", "Ctrl+Shift+P", "Obnovit neuložené změny projektu", "F1"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(topic))) << topic;

    // Closed, it is only put away: asking again shows the same window.
    help->close();
    EXPECT_FALSE(help->isVisible());
    EXPECT_EQ(TFrmHelp::showHelp(&owner), help);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(owner.findChildren<TFrmHelp *>().size(), 1);
}

TEST(HelpWindow, EveryPictureOfTheGuideIsThere)
{
    QWidget owner;
    TFrmHelp *help = TFrmHelp::showHelp(&owner);
    ASSERT_NE(help, nullptr);
    int pictures = 0;
    for (QTextBlock block = help->browser()->document()->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat())
                continue;
            ++pictures;
            const QString name = format.toImageFormat().name();
            const QVariant image =
                help->browser()->loadResource(QTextDocument::ImageResource, help->browser()->source().resolved(QUrl(name)));
            EXPECT_FALSE(image.value<QImage>().isNull() && image.toByteArray().isEmpty()) << name.toStdString();
        }
    EXPECT_GE(pictures, 1) << "the printed disc label";
    help->close();
}

#pragma once
#include <QAction>
#include <QLineEdit>
#include <QMessageBox>
#include <QStringList>

#include "GuiTestUtil.h"
#include "ProjectTestUtil.h"
#include "app/TFrmMain.h"
#include "dialogs/TFrmNzvCD.h"

namespace korvel::test {

// The designer as start-up makes it, in the fixture's folders.
class DesignerFixture : public ProjectFixture {
protected:
    // A designer window with its spine picture state. Every file dialog it shows is
    // answered from `answers`; an unexpected one fails.
    struct Designer {
        TFrmMain window;
        SpinePictureState &state = window.spineDialog()->state();
        QStringList answers;
        int dialogs = 0;
        explicit Designer(const QString &argument = QString(), const QString &startFolder = QString())
            : window(startFolder)
        {
            window.setProjectDialog([this](QWidget *, bool, const QString &) {
                ++dialogs;
                if (answers.isEmpty()) {
                    ADD_FAILURE() << "an unexpected file dialog";
                    return QString();
                }
                return answers.takeFirst();
            });
            window.Params(argument);
            window.show();
        }
        bool unsaved() const { return window.commands().Fsave->isEnabled(); }
        void type(const char *box, const QString &text) { window.editBox(QString::fromLatin1(box))->setText(text); }
    };
};

// Collects the error boxes of the next rounds, pressing OK on each.
struct ErrorBoxes {
    QStringList texts;
    QObject alive; // the watch ends with these boxes
    void watch(int rounds = 3)
    {
        whenModal<QMessageBox>(
            [this, rounds](QMessageBox *box) {
                texts << box->text();
                box->accept();
                if (rounds > 1)
                    watch(rounds - 1);
            },
            150, &alive);
    }
};

} // namespace korvel::test

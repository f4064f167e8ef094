#include "dialogs/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

#include "settings/CommandError.h"
#include "settings/SettingsMessages.h"

namespace korvel {

void showErrorBox(QWidget *parent, const QString &message)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Korvel"), message, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.exec();
}

bool runCommand(QWidget *parent, const std::function<void()> &command)
{
    try {
        command();
        return true;
    } catch (const CommandError &e) {
        showErrorBox(parent, e.message());
    } catch (const std::exception &e) {
        showErrorBox(parent, QString::fromLocal8Bit(e.what()));
    }
    return false;
}

void installMessageBoxes()
{
    setSettingsMessageHandler([](const QString &caption, const QString &text) {
        QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, QApplication::activeWindow());
        box.setObjectName(QStringLiteral("MessageBox"));
        box.exec();
    });
}

} // namespace korvel

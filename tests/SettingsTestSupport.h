#pragma once
// Helpers shared by the settings tests: a private folder, raw file access and a
// recorder for the misuse messages.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "settings/SettingsMessages.h"

namespace korvel::testing {

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write test file %s", qPrintable(path));
}

// Records every message shown through the settings message hook while alive.
class MessageRecorder {
public:
    MessageRecorder()
    {
        m_previous = setSettingsMessageHandler([this](const QString &caption, const QString &text) {
            captions << caption;
            texts << text;
        });
    }
    ~MessageRecorder() { setSettingsMessageHandler(m_previous); }
    MessageRecorder(const MessageRecorder &) = delete;
    MessageRecorder &operator=(const MessageRecorder &) = delete;

    QStringList captions;
    QStringList texts;

private:
    SettingsMessageHandler m_previous;
};

} // namespace korvel::testing

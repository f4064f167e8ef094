#pragma once
#include <QString>
#include <QStringList>

namespace korvel {

// The projects opened or saved last, newest first, kept per user between runs.
class RecentProjects {
public:
    static constexpr int kMaximum = 8;

    static QStringList list();
    // Puts path first (once), keeping at most kMaximum.
    static void add(const QString &path);
    static void remove(const QString &path);
};

} // namespace korvel

#include "tracks/TrackFormatMemory.h"

#include "settings/UserRegistry.h"

namespace korvel {

namespace {

const QString kKey = QStringLiteral("\\Software\\TORVA\\Korvel\\Skladby");

// The flags in the order they are stored, with their value names.
struct Flag {
    const char *name;
    bool TrackFormat::*member;
};
constexpr Flag kFlags[] = {
    {"Nuly", &TrackFormat::leadingZeros},     {"Delky", &TrackFormat::durations},
    {"Celkem", &TrackFormat::total},          {"NadpisyDisku", &TrackFormat::discHeadings},
    {"CislaSDiskem", &TrackFormat::discNumbers}, {"Tecky", &TrackFormat::dotLeader},
};

} // namespace

TrackFormat rememberedTrackFormat()
{
    TrackFormat format;
    bool ok = false;
    const int style = UserRegistry::readValue(kKey, QStringLiteral("Tvar")).value_or(QString()).toInt(&ok);
    for (TrackFormat::Style known : kTrackStyles)
        if (ok && style == int(known))
            format.style = known;
    for (const Flag &flag : kFlags) {
        const QString value = UserRegistry::readValue(kKey, QString::fromLatin1(flag.name)).value_or(QString());
        if (value == QLatin1String("0") || value == QLatin1String("1"))
            format.*flag.member = value == QLatin1String("1");
    }
    return format;
}

void rememberTrackFormat(const TrackFormat &format)
{
    if (!UserRegistry::createKey(kKey))
        return;
    // Each write replaces the whole store on the disk: only what changed is written.
    auto keep = [](const QString &name, const QString &value) {
        return UserRegistry::readValue(kKey, name) == value || UserRegistry::writeValue(kKey, name, value);
    };
    if (!keep(QStringLiteral("Tvar"), QString::number(int(format.style))))
        return;
    for (const Flag &flag : kFlags)
        if (!keep(QString::fromLatin1(flag.name), format.*flag.member ? QStringLiteral("1") : QStringLiteral("0")))
            return;
}

} // namespace korvel

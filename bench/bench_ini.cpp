// A whole project saved and loaded through TKivINIEntry, key by key, the way the
// project file is written and read: every key opens, parses and (for a save)
// atomically replaces the file.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include "settings/TKivINIEntry.h"

using namespace korvel;

namespace {

enum class Kind { Text, Integer, Bool };

struct Key {
    QString name;
    Kind kind;
    QString text;
    int number;
};

// The keys of a project in save order, with contentsLines lines in the back
// contents list (the only list that grows large in practice).
std::vector<Key> projectKeys(int contentsLines)
{
    std::vector<Key> keys;
    auto font = [&](const QString &p) {
        keys.push_back({p + "-Al", Kind::Text, QStringLiteral("Center"), 0});
        keys.push_back({p + "-Ft", Kind::Text, QStringLiteral("Arial"), 0});
        keys.push_back({p + "-Cl", Kind::Integer, {}, -2147483640});
        keys.push_back({p + "-Sz", Kind::Integer, {}, 48});
        keys.push_back({p + "-Ht", Kind::Integer, {}, -64});
        for (const char *s : {"-FsB", "-FsI", "-FsU", "-FsS", "-FsBI", "-FsBIU"})
            keys.push_back({p + QLatin1String(s), Kind::Bool, {}, s[4] == '\0' && s[3] == 'B'});
    };
    for (const char *item : {"MTht", "MThn", "MTN", "MTdn", "MTit", "MTdit", "MTdt", "BTht", "BTno", "BTdt"}) {
        const QString p = QLatin1String(item);
        keys.push_back({p + "-Tx", Kind::Text, QStringLiteral("Text položky ") + p, 0});
        font(p);
    }
    for (const char *item : {"BTo", "BTit"}) {
        const QString p = QLatin1String(item);
        const int lines = p == "BTo" ? contentsLines : 2;
        keys.push_back({p + "-Tx-L", Kind::Integer, {}, lines});
        for (int i = 1; i <= lines; ++i)
            keys.push_back({p + "-Tx" + QString::number(i), Kind::Text,
                            QStringLiteral("%1. Píseň číslo %1 (3:45)").arg(i), 0});
        font(p);
    }
    keys.push_back({QStringLiteral("LR-Grd"), Kind::Bool, {}, 1});
    keys.push_back({QStringLiteral("LR-ImgRoz"), Kind::Bool, {}, 1});
    keys.push_back({QStringLiteral("LR-Txt"), Kind::Text, QStringLiteral("Hřbet"), 0});
    keys.push_back({QStringLiteral("LR-Grd-Strt"), Kind::Integer, {}, 0xFF0000});
    keys.push_back({QStringLiteral("LR-Grd-End"), Kind::Integer, {}, 0x00FF00});
    font(QStringLiteral("LR"));
    return keys;
}

void save(TKivINIEntry &entry, const std::vector<Key> &keys)
{
    for (const Key &k : keys) {
        switch (k.kind) {
        case Kind::Text: entry.WriteString(k.name, k.text); break;
        case Kind::Integer: entry.WriteInteger(k.name, k.number); break;
        case Kind::Bool: entry.WriteBool(k.name, k.number != 0); break;
        }
    }
}

std::int64_t load(TKivINIEntry &entry, const std::vector<Key> &keys)
{
    std::int64_t sum = 0;
    for (const Key &k : keys) {
        switch (k.kind) {
        // Key names are asked in another letter case, as the loader does for MTn.
        case Kind::Text: sum += entry.ReadString(k.name.toLower()).size(); break;
        case Kind::Integer: sum += entry.ReadInteger(k.name); break;
        case Kind::Bool: sum += entry.ReadBool(k.name); break;
        }
    }
    return sum;
}

// An entry on the project file in dir, as the main window sets it up.
void pointAtProject(TKivINIEntry &entry, const QTemporaryDir &dir)
{
    entry.SetFilename(dir.filePath(QStringLiteral("project.kvp")));
    entry.SetSection(QStringLiteral("SecCD"));
}

// A save to a new file, the file removed between iterations.
void BM_IniSaveProject(benchmark::State &state)
{
    QTemporaryDir dir;
    const auto keys = projectKeys(int(state.range(0)));
    TKivINIEntry entry;
    pointAtProject(entry, dir);
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(entry.Filename());
        state.ResumeTiming();
        save(entry, keys);
    }
    state.counters["keys"] = double(keys.size());
}

// A save over the project's own earlier file: every key a rewrite.
void BM_IniResaveProject(benchmark::State &state)
{
    QTemporaryDir dir;
    const auto keys = projectKeys(int(state.range(0)));
    TKivINIEntry entry;
    pointAtProject(entry, dir);
    save(entry, keys);
    for (auto _ : state)
        save(entry, keys);
    state.counters["keys"] = double(keys.size());
}

void BM_IniLoadProject(benchmark::State &state)
{
    QTemporaryDir dir;
    const auto keys = projectKeys(int(state.range(0)));
    TKivINIEntry entry;
    pointAtProject(entry, dir);
    save(entry, keys);
    for (auto _ : state)
        benchmark::DoNotOptimize(load(entry, keys));
    state.counters["keys"] = double(keys.size());
}

} // namespace

// 2 lines: the usual project (about 160 keys); 1000 lines: about 1160 keys.
BENCHMARK(BM_IniSaveProject)->Arg(2)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IniResaveProject)->Arg(2)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IniLoadProject)->Arg(2)->Arg(1000)->Unit(benchmark::kMillisecond);

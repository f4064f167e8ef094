// Damaged INI files: arbitrary bytes as the file content, then the reads and writes
// a project load and save do. Besides not crashing, every write must read back as
// written and must leave the other values where they were.
#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "settings/Cp1250.h"
#include "settings/IniFile.h"
#include "settings/IntegerText.h"
#include "settings/SettingsError.h"
#include "settings/SettingsMessages.h"
#include "settings/TKivINIEntry.h"

using namespace korvel;

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

QByteArray trimmedBytes(QByteArray v)
{
    while (!v.isEmpty() && isBlank(v.front()))
        v.remove(0, 1);
    while (!v.isEmpty() && isBlank(v.back()))
        v.chop(1);
    return v;
}

// Candidate names taken from the content itself, so that the fuzzer's lines do
// address something; a few fixed ones besides.
void collectNames(const QByteArray &content, std::vector<QByteArray> *sections, std::vector<QByteArray> *keys)
{
    sections->push_back("SecCD");
    keys->push_back("MTN-Tx");
    ini::forEachSection(content, [&](QByteArrayView name) {
        sections->push_back(name.toByteArray());
        return sections->size() < 3;
    });
    qsizetype pos = 0;
    while (pos < content.size() && keys->size() < 3) {
        qsizetype end = pos;
        while (end < content.size() && content[end] != '\r' && content[end] != '\n')
            ++end;
        const qsizetype eq = content.indexOf('=', pos);
        if (eq >= 0 && eq < end)
            keys->push_back(trimmedBytes(content.mid(pos, eq - pos)));
        pos = end + 1;
    }
}

bool writable(const QByteArray &section, const QByteArray &key, const QByteArray &value)
{
    try {
        ini::requireWritableSection(section);
        ini::requireWritableKey(key);
        ini::requireWritableValue(value, QString());
    } catch (const SettingsError &) {
        return false;
    }
    return true;
}

QByteArray readOr(const QByteArray &content, const QByteArray &s, const QByteArray &k)
{
    const auto v = ini::findValue(content, s, k);
    return v ? v->toByteArray() : QByteArray("\x01<none>");
}

void checkEngine(const QByteArray &content, std::uint8_t flags)
{
    std::vector<QByteArray> sections, keys;
    collectNames(content, &sections, &keys);

    std::vector<QByteArray> values{QByteArray(" padded\t"), QByteArray("\"q\""), QByteArray()};
    if (!content.isEmpty()) {
        const qsizetype from = flags % content.size();
        values.push_back(content.mid(from, 40));
    }

    // A section read in one pass answers every key as findValue does.
    for (const QByteArray &s : sections) {
        const ini::SectionIndex index(content, s);
        if (index.sectionFound() != ini::hasSection(content, s))
            std::abort();
        for (const QByteArray &k : keys) {
            const auto one = ini::findValue(content, s, k);
            const auto indexed = index.value(k);
            if (one.has_value() != indexed.has_value() || (one && *one != *indexed))
                std::abort();
        }
    }

    const QByteArray &s = sections[flags % sections.size()];
    const QByteArray &k = keys[(flags >> 2) % keys.size()];
    const QByteArray &v = values[(flags >> 4) % values.size()];
    if (!writable(s, k, v))
        return;
    const QByteArray written = ini::withValue(content, s, k, v);
    if (readOr(written, s, k) != v)
        std::abort(); // a write that does not read back
    // Every other value reads as before.
    for (const QByteArray &s2 : sections)
        for (const QByteArray &k2 : keys) {
            const bool same = ini::findValue("[" + s2 + "]\n" + k2 + "=", s, k).has_value();
            if (!same && readOr(written, s2, k2) != readOr(content, s2, k2))
                std::abort();
        }
    const QByteArray withSection = ini::withSection(content, s);
    if (!ini::hasSection(withSection, s))
        std::abort();
}

// The same through the file layer and the entry, on a real file.
void checkEntry(const QByteArray &content, std::uint8_t flags)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fuzz.kvp"));
    if (!IniFile::saveAtomically(path, content))
        std::abort();
    TKivINIEntry entry;
    entry.SetFilename(path);
    entry.SetSection(QStringLiteral("SecCD"));
    std::vector<QByteArray> sections, keys;
    collectNames(content, &sections, &keys);
    entry.SetSection(decodeCp1250(sections[flags % sections.size()]));
    const bool configured = !entry.Section().isEmpty(); // else every call only shows a message
    for (const QByteArray &k : keys) {
        const QString name = decodeCp1250(k);
        const QString text = entry.ReadString(name);
        (void)entry.ReadInteger(name);
        (void)entry.ReadBool(name);
        (void)strToIntDef(text, 0);
        if (text.size() > TKivINIEntry::MaxValueLength)
            std::abort();
    }
    const QString key = decodeCp1250(keys[(flags >> 3) % keys.size()]);
    const QString value = QStringLiteral("Nový obal ") + QString::number(flags);
    try {
        entry.WriteString(key, value);
    } catch (const SettingsError &e) {
        // The folder is writable: only a UTF-16 file is refused (8-bit lines cannot
        // be added to it).
        const bool utf16 = content.startsWith("\xFF\xFE") || content.startsWith("\xFE\xFF");
        if (e.kind() == SettingsError::Kind::WriteRefused && !utf16)
            std::abort();
        return;           // a name that cannot be written is refused, fine
    }
    if (configured && !key.isEmpty() && entry.ReadString(key) != value)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const bool quiet = [] {
        setSettingsMessageHandler([](const QString &, const QString &) {});
        return true;
    }();
    (void)quiet;
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::uint8_t flags = size ? data[size / 2] : 0;
    checkEngine(content, flags);
    if (flags & 1)
        checkEntry(content, flags);
    return 0;
}

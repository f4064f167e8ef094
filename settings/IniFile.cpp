#include "settings/IniFile.h"

#include "settings/Cp1250.h"
#include "settings/FileReplacement.h"
#include "settings/SettingsError.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel {

namespace ini {

namespace {

constexpr char kCrLf[] = "\r\n";

inline bool isBlank(char c) { return c == ' ' || c == '\t'; }
inline bool isLineEnd(char c) { return c == '\r' || c == '\n'; }
inline bool isQuote(char c) { return c == '"' || c == '\''; }

inline char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c; }

QByteArrayView trimmed(QByteArrayView v)
{
    qsizetype s = 0;
    qsizetype e = v.size();
    while (s < e && isBlank(v[s]))
        ++s;
    while (e > s && isBlank(v[e - 1]))
        --e;
    return v.sliced(s, e - s);
}

bool sameTrimmedName(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && foldAscii(a[i]) != foldAscii(b[i]))
            return false;
    return true;
}

// One line of the file. The offsets are into the whole content: [start, end) is the
// line without its line end, next is where the following line starts.
struct Line {
    qsizetype start;
    qsizetype end;
    qsizetype next;
};

// Splits content into lines in one forward pass. The next CR and the next LF are
// each searched with memchr and remembered until passed, so a file with only one
// kind of line end is not rescanned to its end for the other kind on every line.
class LineScanner {
public:
    explicit LineScanner(QByteArrayView content) : m_data(content.data()), m_size(content.size()) {}

    bool next(Line *line)
    {
        if (m_pos >= m_size)
            return false;
        if (m_nextCr < m_pos)
            m_nextCr = find('\r');
        if (m_nextLf < m_pos)
            m_nextLf = find('\n');
        const qsizetype eol = std::min(m_nextCr, m_nextLf);
        line->start = m_pos;
        line->end = eol;
        qsizetype next = eol;
        if (eol < m_size) {
            ++next;
            if (m_data[eol] == '\r' && next < m_size && m_data[next] == '\n')
                ++next;
        }
        line->next = next;
        m_pos = next;
        return true;
    }

private:
    qsizetype find(char c) const
    {
        const void *hit = std::memchr(m_data + m_pos, c, size_t(m_size - m_pos));
        return hit ? static_cast<const char *>(hit) - m_data : m_size;
    }

    const char *m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
    qsizetype m_nextCr = -1;
    qsizetype m_nextLf = -1;
};

// What a trimmed line is.
enum class LineKind { Other, Header, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    QByteArrayView name;  // section or key name, trimmed
    qsizetype equals = 0; // offset of the first "=" of a key line, into the content
};

// The header test alone, for lines outside the section of interest.
bool parseHeader(QByteArrayView content, const Line &line, ParsedLine *out)
{
    const QByteArrayView text = trimmed(content.sliced(line.start, line.end - line.start));
    if (text.isEmpty() || text[0] != '[')
        return false;
    for (qsizetype i = text.size() - 1; i > 0; --i) {
        if (text[i] == ']') {
            out->kind = LineKind::Header;
            out->name = trimmed(text.sliced(1, i - 1));
            return true;
        }
    }
    return false; // "[" without "]" is no header; it may still be a key
}

ParsedLine parseLine(QByteArrayView content, const Line &line)
{
    ParsedLine out;
    if (parseHeader(content, line, &out))
        return out;
    const char *begin = content.data() + line.start;
    const void *eq = std::memchr(begin, '=', size_t(line.end - line.start));
    if (!eq)
        return out;
    out.kind = LineKind::Key;
    out.equals = static_cast<const char *>(eq) - content.data();
    out.name = trimmed(content.sliced(line.start, out.equals - line.start));
    return out;
}

// Everything a read or a write needs to know about one section and one key.
struct Location {
    bool sectionFound = false;
    bool keyFound = false;
    Line keyLine{};
    qsizetype keyEquals = 0;
    // Where a new key of the section goes: after the last key line, or after the
    // header when the section has no keys; and whether that line has a line end.
    qsizetype insertAt = 0;
    bool insertAfterLineEnd = true;
};

// The lines of the first section named section: onHeader with its header line, then
// onKey with each key line up to the next header, until onKey returns false. Only
// the first section of a name counts. Returns whether the section was found.
template <typename OnHeader, typename OnKey>
bool scanSection(QByteArrayView content, QByteArrayView section, OnHeader &&onHeader, OnKey &&onKey)
{
    LineScanner scanner(content);
    Line line;
    bool inSection = false;
    while (scanner.next(&line)) {
        if (!inSection) {
            ParsedLine header;
            if (parseHeader(content, line, &header) && sameTrimmedName(header.name, section)) {
                inSection = true;
                onHeader(line);
            }
            continue;
        }
        const ParsedLine parsed = parseLine(content, line);
        if (parsed.kind == LineKind::Header)
            break;
        if (parsed.kind == LineKind::Key && !onKey(line, parsed))
            break;
    }
    return inSection;
}

// Scans up to the end of the first section named section. With stopAtKey, the scan
// ends at the first matching key (enough for reading).
Location locate(QByteArrayView content, QByteArrayView section, QByteArrayView key, bool stopAtKey)
{
    Location loc;
    const auto insertAfter = [&loc](const Line &line) {
        loc.insertAt = line.next;
        loc.insertAfterLineEnd = line.next > line.end;
    };
    loc.sectionFound = scanSection(content, section, insertAfter, [&](const Line &line, const ParsedLine &parsed) {
        if (!loc.keyFound && sameTrimmedName(parsed.name, key)) {
            loc.keyFound = true;
            loc.keyLine = line;
            loc.keyEquals = parsed.equals;
            if (stopAtKey)
                return false;
        }
        insertAfter(line);
        return true;
    });
    return loc;
}

bool endsWithLineEnd(QByteArrayView content)
{
    return !content.isEmpty() && isLineEnd(content.back());
}

} // namespace

bool sameName(QByteArrayView a, QByteArrayView b)
{
    return sameTrimmedName(trimmed(a), trimmed(b));
}

namespace {

QByteArray folded(QByteArrayView name)
{
    QByteArray out(name.data(), name.size());
    for (char &c : out)
        c = foldAscii(c);
    return out;
}

QByteArrayView unquoted(QByteArrayView value)
{
    if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

} // namespace

std::optional<QByteArrayView> findValue(QByteArrayView content, QByteArrayView section, QByteArrayView key)
{
    section = trimmed(section);
    key = trimmed(key);
    const Location loc = locate(content, section, key, true);
    if (!loc.keyFound)
        return std::nullopt;
    return unquoted(trimmed(content.sliced(loc.keyEquals + 1, loc.keyLine.end - loc.keyEquals - 1)));
}


SectionIndex::SectionIndex(QByteArrayView content, QByteArrayView section)
{
    // The lines of findValue's scan, all keys at once; of a key that comes twice, the
    // first line.
    m_sectionFound = scanSection(content, trimmed(section), [](const Line &) {}, [&](const Line &line, const ParsedLine &parsed) {
        const QByteArray name = folded(parsed.name);
        if (!m_values.contains(name))
            m_values.insert(name, unquoted(trimmed(content.sliced(parsed.equals + 1, line.end - parsed.equals - 1))));
        return true;
    });
}

std::optional<QByteArrayView> SectionIndex::value(QByteArrayView key) const
{
    const auto found = m_values.constFind(folded(trimmed(key)));
    if (found == m_values.cend())
        return std::nullopt;
    return *found;
}

bool hasSection(QByteArrayView content, QByteArrayView section)
{
    section = trimmed(section);
    bool found = false;
    forEachSection(content, [&](QByteArrayView name) {
        found = sameTrimmedName(name, section);
        return !found;
    });
    return found;
}

void forEachSection(QByteArrayView content, const std::function<bool(QByteArrayView name)> &visit)
{
    LineScanner scanner(content);
    Line line;
    while (scanner.next(&line)) {
        ParsedLine header;
        if (parseHeader(content, line, &header) && !visit(header.name))
            return;
    }
}

QByteArray quotedValue(QByteArrayView value)
{
    const bool needsQuotes =
        !value.isEmpty() && (isBlank(value.front()) || isBlank(value.back()) ||
                             (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front()));
    if (!needsQuotes)
        return value.toByteArray();
    QByteArray out;
    out.reserve(value.size() + 2);
    out.append('"').append(value).append('"');
    return out;
}

QByteArray withValue(QByteArrayView content, QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    section = trimmed(section);
    key = trimmed(key);
    const QByteArray text = quotedValue(value);
    const Location loc = locate(content, section, key, false);

    QByteArray out;
    out.reserve(content.size() + section.size() + key.size() + text.size() + 8);
    if (loc.keyFound) {
        // Keep everything up to and including the "=", so the key keeps its spelling
        // and indentation; the old value with its blanks goes, the line end stays.
        out.append(content.first(loc.keyEquals + 1));
        out.append(text);
        out.append(content.sliced(loc.keyLine.end));
    } else if (loc.sectionFound) {
        out.append(content.first(loc.insertAt));
        if (!loc.insertAfterLineEnd)
            out.append(kCrLf);
        out.append(key).append('=').append(text).append(kCrLf);
        out.append(content.sliced(loc.insertAt));
    } else {
        out.append(content);
        if (!content.isEmpty() && !endsWithLineEnd(content))
            out.append(kCrLf);
        out.append('[').append(section).append(']').append(kCrLf);
        out.append(key).append('=').append(text).append(kCrLf);
    }
    return out;
}

QByteArray withSection(QByteArrayView content, QByteArrayView section)
{
    section = trimmed(section);
    if (hasSection(content, section))
        return content.toByteArray();
    QByteArray out;
    out.reserve(content.size() + section.size() + 6);
    out.append(content);
    if (!content.isEmpty() && !endsWithLineEnd(content))
        out.append(kCrLf);
    out.append('[').append(section).append(']').append(kCrLf);
    return out;
}

namespace {

bool hasLineBreak(QByteArrayView v)
{
    return !v.isEmpty() &&
           (std::memchr(v.data(), '\r', size_t(v.size())) || std::memchr(v.data(), '\n', size_t(v.size())));
}

} // namespace

void requireWritableSection(QByteArrayView section)
{
    if (hasLineBreak(section))
        throw SettingsError(SettingsError::Kind::LineBreak,
                            QStringLiteral("Section name \"%1\" contains a line break")
                                .arg(decodeCp1250(section).simplified()));
}

void requireWritableKey(QByteArrayView key)
{
    if (hasLineBreak(key))
        throw SettingsError(SettingsError::Kind::LineBreak,
                            QStringLiteral("Key name \"%1\" contains a line break")
                                .arg(decodeCp1250(key).simplified()));
    const QByteArrayView name = trimmed(key);
    if (name.contains('=') || (!name.isEmpty() && name.front() == '['))
        throw SettingsError(SettingsError::Kind::ReservedName,
                            QStringLiteral("Key name \"%1\" cannot be stored: it contains \"=\" or starts with \"[\"")
                                .arg(decodeCp1250(name)));
}

void requireWritableValue(QByteArrayView value, const QString &keyForMessage)
{
    if (hasLineBreak(value))
        throw SettingsError(SettingsError::Kind::LineBreak,
                            QStringLiteral("The value of \"%1\" contains a line break").arg(keyForMessage));
}

} // namespace ini

// ---- the file layer ----

namespace {

// Encodes a name or value for writing, or throws: text the code page cannot hold
// must not reach the file as question marks. The message is only built on failure,
// since a project save passes here a few hundred times.
enum class TextRole { Section, Key, Value };

QByteArray encodeOrThrow(const QString &text, TextRole role, const QString &key)
{
    QByteArray bytes;
    if (encodeCp1250(text, &bytes))
        return bytes;
    const QString what = role == TextRole::Section ? QStringLiteral("The section name")
                         : role == TextRole::Key   ? QStringLiteral("The key name")
                                                   : QStringLiteral("The value of \"%1\"").arg(key);
    throw SettingsError(SettingsError::Kind::Unrepresentable,
                        QStringLiteral("%1 has characters that code page Windows-1250 cannot store: \"%2\"")
                            .arg(what, text.left(80)));
}

} // namespace

IniFile::LoadResult IniFile::load(const QString &path, QByteArray *content)
{
    content->clear();
    const QByteArray native = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return (errno == ENOENT || errno == ENOTDIR) ? LoadResult::Missing : LoadResult::Unreadable;

    LoadResult result = LoadResult::Unreadable;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        // Read until end of file rather than trusting the size, which may change
        // under us; the size only sizes the first buffer.
        qsizetype used = 0;
        content->resize(qsizetype(st.st_size) + 1);
        for (;;) {
            if (used == content->size())
                content->resize(content->size() * 2);
            const ssize_t n = ::read(fd, content->data() + used, size_t(content->size() - used));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                break;
            }
            if (n == 0) {
                result = LoadResult::Loaded;
                break;
            }
            used += n;
        }
        content->resize(result == LoadResult::Loaded ? used : 0);
    }
    ::close(fd);
    return result;
}

bool IniFile::saveAtomically(const QString &path, QByteArrayView content)
{
    // The callers report "Unable to write to ..." themselves; the Czech reason is for
    // callers that use FileReplacement directly.
    return replaceFile(path, content, nullptr);
}

bool IniFile::syncToDisk(const QString &path)
{
    return syncFileAndFolder(path);
}

void IniFile::throwWriteRefused() const
{
    throw SettingsError(SettingsError::Kind::WriteRefused, QStringLiteral("Unable to write to %1").arg(m_path));
}

QByteArray IniFile::loadForWrite() const
{
    QByteArray content;
    // An existing file we cannot read must not be replaced by one holding only the
    // new key.
    if (load(m_path, &content) == LoadResult::Unreadable)
        throwWriteRefused();
    // A UTF-16 text would get 8-bit lines appended that no reader can make sense of.
    if (content.startsWith("\xFF\xFE") || content.startsWith("\xFE\xFF"))
        throwWriteRefused();
    return content;
}

void IniFile::save(QByteArrayView content) const
{
    if (!saveAtomically(m_path, content))
        throwWriteRefused();
}

std::optional<QString> IniFile::readString(const QString &section, const QString &key, qsizetype maxChars) const
{
    QByteArray sectionBytes, keyBytes;
    if (!encodeCp1250(section, &sectionBytes) || !encodeCp1250(key, &keyBytes))
        return std::nullopt;
    QByteArray content;
    if (load(m_path, &content) != LoadResult::Loaded)
        return std::nullopt;
    std::optional<QByteArrayView> value = ini::findValue(content, sectionBytes, keyBytes);
    if (!value)
        return std::nullopt;
    // One byte is one character in this code page, so the cut can come first.
    if (maxChars >= 0 && value->size() > maxChars)
        value = value->first(maxChars);
    return decodeCp1250(*value);
}

void IniFile::checkValue(const QString &key, const QString &value)
{
    ini::requireWritableValue(encodeOrThrow(value, TextRole::Value, key), key);
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value) const
{
    const QByteArray sectionBytes = encodeOrThrow(section, TextRole::Section, key);
    const QByteArray keyBytes = encodeOrThrow(key, TextRole::Key, key);
    const QByteArray valueBytes = encodeOrThrow(value, TextRole::Value, key);
    ini::requireWritableSection(sectionBytes);
    ini::requireWritableKey(keyBytes);
    ini::requireWritableValue(valueBytes, key);

    const QByteArray content = loadForWrite();
    save(ini::withValue(content, sectionBytes, keyBytes, valueBytes));
}

void IniFile::writeStrings(const QString &section, const QList<std::pair<QString, QString>> &values) const
{
    const QByteArray sectionBytes = encodeOrThrow(section, TextRole::Section, QString());
    ini::requireWritableSection(sectionBytes);
    QList<std::pair<QByteArray, QByteArray>> encoded;
    encoded.reserve(values.size());
    for (const auto &[key, value] : values) {
        const QByteArray keyBytes = encodeOrThrow(key, TextRole::Key, key);
        const QByteArray valueBytes = encodeOrThrow(value, TextRole::Value, key);
        ini::requireWritableKey(keyBytes);
        ini::requireWritableValue(valueBytes, key);
        encoded.append({keyBytes, valueBytes});
    }
    QByteArray content = loadForWrite();
    for (const auto &[key, value] : encoded)
        content = ini::withValue(content, sectionBytes, key, value);
    save(content);
}

void IniFile::addSection(const QString &section) const
{
    const QByteArray sectionBytes = encodeOrThrow(section, TextRole::Section, QString());
    ini::requireWritableSection(sectionBytes);
    const QByteArray content = loadForWrite();
    if (ini::hasSection(content, sectionBytes))
        return;
    save(ini::withSection(content, sectionBytes));
}

} // namespace korvel

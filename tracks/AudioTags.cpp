#include "tracks/AudioTags.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <functional>
#include <memory>

#include <unistd.h>

#include <aifffile.h>
#include <apefile.h>
#include <asffile.h>
#include <asfpicture.h>
#include <attachedpictureframe.h>
#include <flacfile.h>
#include <flacpicture.h>
#include <id3v2tag.h>
#include <mp4coverart.h>
#include <mp4file.h>
#include <mp4tag.h>
#include <mpegfile.h>
#include <mpegheader.h>
#include <opusfile.h>
#include <tbytevectorstream.h>
#include <tdebuglistener.h>
#include <tfilestream.h>
#include <tpropertymap.h>
#include <vorbisfile.h>
#include <wavfile.h>
#include <xiphcomment.h>

#include "picture/Picture.h"
#include "tracks/RegularFile.h"

namespace korvel {

namespace {

// TagLib tells stderr about every damaged file; the window lists them instead.
class QuietTagLib : public TagLib::DebugListener {
public:
    void printMessage(const TagLib::String &) override {}
};

void silenceTagLib()
{
    // Never destroyed: an abandoned reading may still be in TagLib while the
    // program ends.
    static QuietTagLib *const quiet = new QuietTagLib;
    static const bool once = [] {
        TagLib::setDebugListener(quiet);
        return true;
    }();
    (void)once;
}

// A file as TagLib reads it, with a limit on what one file may cost. Tags and
// pictures are read in a few large reads near the start and the end. A search for
// the first or the last frame of sound (an MP3 without a length header and with
// something else at its end, an Ogg file cut short) reads small block after small
// block through the whole stream instead: minutes for a file of gigabytes. Past the
// limit such reads give nothing, as at the end of a file, and cost nothing either:
// TagLib's backward search for the last MP3 frame walks on to the file's start
// whatever it reads, so a seek and a read that gives nothing must not touch the file.
class BoundedStream : public TagLib::IOStream {
public:
    explicit BoundedStream(TagLib::IOStream &inner)
        : m_inner(inner)
        , m_length(inner.length())
        , m_innerPosition(inner.tell())
    {
    }
    // A fresh allowance of small reads, for one more search of our own.
    void renew() { m_small = kSmallReads; }

    TagLib::FileName name() const override { return m_inner.name(); }
    TagLib::ByteVector readBlock(unsigned long length) override
    {
        // What a damaged size asks for is cut to what the file holds.
        const long left = m_position < 0 ? 0 : std::max(0L, m_length - m_position);
        length = std::min<unsigned long>(length, static_cast<unsigned long>(left));
        qint64 &allowance = length < kSmallRead ? m_small : m_large;
        if (length == 0 || qint64(length) > allowance)
            return nothing(); // a shared empty block: no allocation per refused read
        if (m_innerPosition != m_position)
            m_inner.seek(m_position);
        TagLib::ByteVector block = m_inner.readBlock(length);
        allowance -= qint64(block.size());
        m_position += long(block.size());
        m_innerPosition = m_position;
        return block;
    }
    void writeBlock(const TagLib::ByteVector &) override {}
    void insert(const TagLib::ByteVector &, unsigned long, unsigned long) override {}
    void removeBlock(unsigned long, unsigned long) override {}
    bool readOnly() const override { return true; }
    bool isOpen() const override { return m_inner.isOpen(); }
    void seek(long offset, Position p = Beginning) override
    {
        // A damaged size can send a search before the start or past any number:
        // nothing is read from there. (Put back at the start instead, TagLib would
        // parse the same objects over and over.)
        const long base = p == Beginning ? 0 : p == Current ? m_position : m_length;
        long position = -1;
        if (base < 0 || __builtin_add_overflow(base, offset, &position) || position < 0)
            position = -1;
        m_position = position;
    }
    void clear() override { m_inner.clear(); }
    long tell() const override { return m_position; }
    long length() override { return m_length; }
    void truncate(long) override {}

private:
    static const TagLib::ByteVector &nothing()
    {
        static const TagLib::ByteVector empty;
        return empty;
    }
    // TagLib searches in blocks of 1 KB; tags, pictures and Ogg pages come in larger
    // ones. A megabyte of searching takes some 30 ms; no tag needs 128 MB.
    static constexpr unsigned long kSmallRead = 4096;
    static constexpr qint64 kSmallReads = 1024 * 1024;
    static constexpr qint64 kLargeReads = 128 * 1024 * 1024;

    TagLib::IOStream &m_inner;
    const long m_length;
    long m_position = 0;
    long m_innerPosition;
    qint64 m_small = kSmallReads;
    qint64 m_large = kLargeReads;
};

// No real piece of music is longer; anything longer is a damaged header.
constexpr qint64 kLongestMs = 24LL * 3600 * 1000;

QString toQString(const TagLib::String &s)
{
    return QString::fromStdWString(s.toWString()).trimmed();
}

QString firstValue(const TagLib::PropertyMap &map, const char *key)
{
    const auto it = map.find(key);
    if (it == map.end() || it->second.isEmpty())
        return QString();
    return toQString(it->second.front());
}

QByteArray toBytes(const TagLib::ByteVector &v)
{
    return QByteArray(v.data(), qsizetype(v.size()));
}

FoundCover coverOf(const TagLib::ByteVector &data)
{
    FoundCover cover;
    const QByteArray bytes = toBytes(data);
    cover.extension = Picture::extensionBySignature(bytes);
    if (!cover.extension.isEmpty())
        cover.bytes = bytes;
    return cover;
}

FoundCover id3Cover(TagLib::ID3v2::Tag *tag)
{
    if (!tag)
        return {};
    FoundCover any;
    for (TagLib::ID3v2::Frame *frame : tag->frameListMap()["APIC"]) {
        auto *picture = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame *>(frame);
        if (!picture)
            continue;
        FoundCover c = coverOf(picture->picture());
        if (c.isEmpty())
            continue;
        if (picture->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover)
            return c;
        if (any.isEmpty())
            any = c;
    }
    return any;
}

FoundCover flacPictures(const TagLib::List<TagLib::FLAC::Picture *> &pictures)
{
    FoundCover any;
    for (TagLib::FLAC::Picture *picture : pictures) {
        if (!picture)
            continue;
        FoundCover c = coverOf(picture->data());
        if (c.isEmpty())
            continue;
        if (picture->type() == TagLib::FLAC::Picture::FrontCover)
            return c;
        if (any.isEmpty())
            any = c;
    }
    return any;
}

FoundCover embeddedCover(TagLib::File &file)
{
    if (auto *mpeg = dynamic_cast<TagLib::MPEG::File *>(&file))
        return mpeg->hasID3v2Tag() ? id3Cover(mpeg->ID3v2Tag()) : FoundCover();
    if (auto *flac = dynamic_cast<TagLib::FLAC::File *>(&file)) {
        FoundCover c = flacPictures(flac->pictureList());
        if (c.isEmpty() && flac->hasXiphComment())
            c = flacPictures(flac->xiphComment()->pictureList());
        return c;
    }
    if (auto *vorbis = dynamic_cast<TagLib::Ogg::Vorbis::File *>(&file))
        return vorbis->tag() ? flacPictures(vorbis->tag()->pictureList()) : FoundCover();
    if (auto *opus = dynamic_cast<TagLib::Ogg::Opus::File *>(&file))
        return opus->tag() ? flacPictures(opus->tag()->pictureList()) : FoundCover();
    if (auto *mp4 = dynamic_cast<TagLib::MP4::File *>(&file)) {
        TagLib::MP4::Tag *tag = mp4->tag();
        if (!tag || !tag->contains("covr"))
            return {};
        for (const TagLib::MP4::CoverArt &art : tag->item("covr").toCoverArtList()) {
            FoundCover c = coverOf(art.data());
            if (!c.isEmpty())
                return c;
        }
        return {};
    }
    if (auto *wav = dynamic_cast<TagLib::RIFF::WAV::File *>(&file))
        return wav->hasID3v2Tag() ? id3Cover(wav->ID3v2Tag()) : FoundCover();
    if (auto *aiff = dynamic_cast<TagLib::RIFF::AIFF::File *>(&file))
        return aiff->hasID3v2Tag() ? id3Cover(aiff->tag()) : FoundCover();
    if (auto *asf = dynamic_cast<TagLib::ASF::File *>(&file)) {
        TagLib::ASF::Tag *tag = asf->tag();
        if (!tag || !tag->contains("WM/Picture"))
            return {};
        FoundCover any;
        for (const TagLib::ASF::Attribute &attribute : tag->attribute("WM/Picture")) {
            const TagLib::ASF::Picture picture = attribute.toPicture();
            if (!picture.isValid())
                continue;
            FoundCover c = coverOf(picture.picture());
            if (c.isEmpty())
                continue;
            if (picture.type() == TagLib::ASF::Picture::FrontCover)
                return c;
            if (any.isEmpty())
                any = c;
        }
        return any;
    }
    return {};
}

// TagLib's ASF reader takes the number of records of three objects of the header
// (extended content description, metadata, metadata library) from the file and
// parses that many, up to 65,535 each, whether the file holds them or not: past its
// end every record costs allocations and reads nothing, and a damaged WMA of a few
// hundred bytes takes a quarter of a second, one of a megabyte hours. The header is
// therefore first walked as TagLib 1.13 walks it, reading only the sizes; a file
// whose counted records would run past its end is damaged and refused. A file that
// passes costs TagLib at most one record per 6 of its bytes.
class AsfWalk {
public:
    explicit AsfWalk(TagLib::IOStream &stream)
        : m_stream(stream)
        , m_length(stream.length())
    {
    }

    // Whether TagLib would read every counted record from within the file.
    bool recordsFit()
    {
        static const TagLib::ByteVector header = guid("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C");
        static const TagLib::ByteVector extension = guid("\xB5\x03\xBF\x5F\x2E\xA9\xCF\x11\x8E\xE3\x00\xC0\x0C\x20\x53\x65");
        static const TagLib::ByteVector description = guid("\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C");
        static const TagLib::ByteVector contents = guid("\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50");
        static const TagLib::ByteVector metadata = guid("\xEA\xCB\xF8\xC5\xAF\x5B\x77\x48\x84\x67\xAA\x8C\x44\xFA\x4C\xCA");
        static const TagLib::ByteVector library = guid("\x94\x1C\x23\x44\x98\x94\xD1\x49\xA1\x41\x1D\x13\x4E\x45\x70\x54");

        m_stream.seek(0);
        if (read(16) != header)
            return true; // no ASF: TagLib refuses it at once
        bool ok = true;
        read(8); // the header's size, which TagLib does not go by
        const qint32 objects = qint32(dword(&ok)); // a count TagLib takes as signed
        if (!ok)
            return true;
        m_stream.seek(2, TagLib::IOStream::Current);
        for (qint32 i = 0; i < objects; ++i) {
            const TagLib::ByteVector id = read(16);
            const qint64 size = qword(&ok);
            if (id.size() != 16 || !ok)
                return true;
            if (id == contents) {
                if (!attributesFit(0))
                    return false;
            } else if (id == description) {
                unsigned lengths = 0;
                for (int n = 0; n < 5; ++n)
                    lengths += word(&ok);
                skipRead(lengths);
            } else if (id == extension) {
                m_stream.seek(18, TagLib::IOStream::Current);
                const qint64 data = dword(&ok);
                for (qint64 done = 0; ok && done < data;) {
                    const TagLib::ByteVector nested = read(16);
                    const qint64 nestedSize = qword(&ok);
                    // TagLib leaves the extension here, and reads on as the header.
                    if (nested.size() != 16 || !ok || nestedSize < 0 || nestedSize > data - done)
                        break;
                    if ((nested == metadata || nested == library) && !attributesFit(nested == metadata ? 1 : 2))
                        return false;
                    if (nested != metadata && nested != library)
                        skipObject(nestedSize);
                    done += nestedSize;
                }
            } else {
                skipObject(size);
            }
        }
        return !m_blind;
    }

private:
    static TagLib::ByteVector guid(const char *bytes) { return TagLib::ByteVector(bytes, 16); }
    // A read that gives less than the file holds there (the stream's limit): the walk
    // can no longer tell where TagLib would be.
    TagLib::ByteVector read(unsigned long n)
    {
        const long at = m_stream.tell();
        TagLib::ByteVector v = m_stream.readBlock(n);
        if (at >= 0 && at < m_length && v.size() < std::min<qint64>(qint64(n), m_length - at))
            m_blind = true;
        return v;
    }
    quint32 word(bool *ok)
    {
        const TagLib::ByteVector v = read(2);
        *ok = *ok && v.size() == 2;
        return v.size() == 2 ? v.toUShort(false) : 0;
    }
    quint32 dword(bool *ok)
    {
        const TagLib::ByteVector v = read(4);
        *ok = *ok && v.size() == 4;
        return v.size() == 4 ? v.toUInt(false) : 0;
    }
    qint64 qword(bool *ok)
    {
        const TagLib::ByteVector v = read(8);
        *ok = *ok && v.size() == 8;
        return v.size() == 8 ? v.toLongLong(false) : 0;
    }
    // What TagLib reads and passes over: as far as the file goes.
    void skipRead(qint64 n)
    {
        const long at = m_stream.tell();
        if (at >= 0 && at < m_length)
            m_stream.seek(long(std::min<qint64>(n, m_length - at)), TagLib::IOStream::Current);
    }
    // An object TagLib reads whole, when its size is one the file can hold (both cut
    // to 32 bits, as TagLib compares them); otherwise it reads nothing of it.
    void skipObject(qint64 size)
    {
        const quint32 size32 = quint32(size);
        if (size32 > 24 && size32 <= quint32(m_length))
            skipRead(size32 - 24);
    }
    // The records of a content description (kind 0), metadata (1) or metadata library
    // (2) object, as TagLib's ASF::Attribute::parse reads them.
    bool attributesFit(int kind)
    {
        bool ok = true;
        quint32 count = word(&ok);
        while (count-- > 0) {
            if (m_blind || m_stream.tell() < 0 || m_stream.tell() >= m_length)
                return false;
            quint32 nameLength = 0, type = 0, size = 0;
            if (kind == 0) {
                nameLength = word(&ok);
                skipRead(nameLength);
                type = word(&ok);
                size = word(&ok);
            } else {
                word(&ok);
                word(&ok);
                nameLength = word(&ok);
                type = word(&ok);
                size = dword(&ok);
                skipRead(nameLength);
            }
            switch (type) {
            case 5: // word
                skipRead(2);
                break;
            case 2: // bool
                skipRead(kind == 0 ? 4 : 2);
                break;
            case 3: // dword
                skipRead(4);
                break;
            case 4: // qword
                skipRead(8);
                break;
            case 0: // text
            case 1: // bytes
            case 6: // GUID
                skipRead(size);
                break;
            default:
                break;
            }
        }
        return true;
    }

    TagLib::IOStream &m_stream;
    const long m_length;
    bool m_blind = false;
};

// The file object of the kind the extension names, on stream; for ".ogg" both Ogg
// codecs are tried.
std::unique_ptr<TagLib::File> openByExtension(BoundedStream *stream, const QString &extension)
{
    const QString ext = extension.toLower();
    auto valid = [](std::unique_ptr<TagLib::File> file) {
        return file && file->isValid() ? std::move(file) : nullptr;
    };
    auto *frames = TagLib::ID3v2::FrameFactory::instance();
    if (ext == QLatin1String("mp3"))
        return valid(std::make_unique<TagLib::MPEG::File>(stream, frames));
    if (ext == QLatin1String("flac"))
        return valid(std::make_unique<TagLib::FLAC::File>(stream, frames));
    if (ext == QLatin1String("ogg") || ext == QLatin1String("oga") || ext == QLatin1String("opus")) {
        if (ext != QLatin1String("opus"))
            if (auto file = valid(std::make_unique<TagLib::Ogg::Vorbis::File>(stream)))
                return file;
        stream->seek(0);
        return valid(std::make_unique<TagLib::Ogg::Opus::File>(stream));
    }
    if (ext == QLatin1String("m4a") || ext == QLatin1String("mp4") || ext == QLatin1String("aac")
        || ext == QLatin1String("m4b"))
        return valid(std::make_unique<TagLib::MP4::File>(stream));
    if (ext == QLatin1String("wav"))
        return valid(std::make_unique<TagLib::RIFF::WAV::File>(stream));
    if (ext == QLatin1String("aif") || ext == QLatin1String("aiff") || ext == QLatin1String("aifc"))
        return valid(std::make_unique<TagLib::RIFF::AIFF::File>(stream));
    if (ext == QLatin1String("wma") || ext == QLatin1String("asf")) {
        if (!AsfWalk(*stream).recordsFit())
            return nullptr;
        stream->renew();
        stream->seek(0);
        return valid(std::make_unique<TagLib::ASF::File>(stream));
    }
    if (ext == QLatin1String("ape"))
        return valid(std::make_unique<TagLib::APE::File>(stream));
    return nullptr;
}

// The length of an MP3 whose last frame TagLib gave up looking for: its stream's
// size at the bitrate of its first frame, as TagLib reckons a file without a length
// header when it does find the last frame. 0 when there is no frame of sound.
qint64 estimatedMpegLength(TagLib::MPEG::File &mpeg, BoundedStream &stream, int *sampleRate)
{
    stream.renew();
    const long first = mpeg.firstFrameOffset();
    if (first < 0)
        return 0;
    const TagLib::MPEG::Header header(&mpeg, first, false);
    if (!header.isValid() || header.bitrate() <= 0)
        return 0;
    *sampleRate = header.sampleRate();
    const long end = mpeg.length() - (mpeg.hasID3v1Tag() ? 128 : 0);
    return end > first ? qint64(end - first) * 8 / header.bitrate() : 0;
}

std::optional<AudioFile> readStream(BoundedStream *stream, const QString &fileName)
{
    silenceTagLib();
    std::unique_ptr<TagLib::File> file = openByExtension(stream, QFileInfo(fileName).suffix());
    const TagLib::AudioProperties *properties = file ? file->audioProperties() : nullptr;
    if (!properties)
        return std::nullopt;
    qint64 ms = properties->lengthInMilliseconds();
    int sampleRate = properties->sampleRate();
    if (ms <= 0)
        if (auto *mpeg = dynamic_cast<TagLib::MPEG::File *>(file.get()))
            ms = estimatedMpegLength(*mpeg, *stream, &sampleRate);
    // A file without a stream of sound in it is no music, whatever tags it has.
    if (sampleRate <= 0 && ms <= 0)
        return std::nullopt;
    AudioFile result;
    Track &t = result.track;
    const TagLib::PropertyMap tags = file->properties();
    t.title = firstValue(tags, "TITLE");
    t.artist = firstValue(tags, "ARTIST");
    t.album = firstValue(tags, "ALBUM");
    t.albumArtist = firstValue(tags, "ALBUMARTIST");
    t.number = leadingNumber(firstValue(tags, "TRACKNUMBER"), 999);
    t.disc = leadingNumber(firstValue(tags, "DISCNUMBER"), 99);
    const int year = leadingNumber(firstValue(tags, "DATE"), 9999);
    t.year = year >= 1000 ? year : 0;
    t.durationMs = ms > 0 && ms <= kLongestMs ? ms : 0;
    result.cover = embeddedCover(*file);
    return result;
}

} // namespace

bool isAudioFileName(const QString &fileName)
{
    static const QStringList kinds = {
        QStringLiteral("mp3"), QStringLiteral("flac"), QStringLiteral("ogg"),  QStringLiteral("oga"),
        QStringLiteral("opus"), QStringLiteral("m4a"), QStringLiteral("mp4"),  QStringLiteral("m4b"),
        QStringLiteral("aac"), QStringLiteral("wav"),  QStringLiteral("aif"),  QStringLiteral("aiff"),
        QStringLiteral("aifc"), QStringLiteral("wma"), QStringLiteral("asf"),  QStringLiteral("ape")};
    return kinds.contains(QFileInfo(fileName).suffix().toLower());
}

std::optional<AudioFile> readAudioFile(const QString &path)
{
    // Named like music but a FIFO or a link to a device: nothing is read from it.
    qint64 size = 0;
    QString reason;
    const int fd = openRegularFile(path, &size, &reason);
    if (fd < 0)
        return std::nullopt;
    TagLib::FileStream file(fd, true); // takes fd over once it has opened it
    if (!file.isOpen()) {
        ::close(fd);
        return std::nullopt;
    }
    BoundedStream stream(file);
    std::optional<AudioFile> result = readStream(&stream, path);
    if (result)
        result->track.file = path;
    return result;
}

std::optional<AudioFile> readAudioData(const QByteArray &bytes, const QString &fileName)
{
    TagLib::ByteVectorStream data(TagLib::ByteVector(bytes.constData(), unsigned(bytes.size())));
    BoundedStream stream(data);
    std::optional<AudioFile> result = readStream(&stream, fileName);
    if (result)
        result->track.file = fileName;
    return result;
}

} // namespace korvel

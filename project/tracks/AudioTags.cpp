#include "project/tracks/AudioTags.h"

#include <QFile>
#include <QFileInfo>
#include <memory>

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
#include <opusfile.h>
#include <tbytevectorstream.h>
#include <tdebuglistener.h>
#include <tfilestream.h>
#include <tpropertymap.h>
#include <vorbisfile.h>
#include <wavfile.h>
#include <xiphcomment.h>

#include "project/picture/Picture.h"

namespace korvel {

namespace {

// TagLib tells stderr about every damaged file; the window lists them instead.
class QuietTagLib : public TagLib::DebugListener {
public:
    void printMessage(const TagLib::String &) override {}
};

void silenceTagLib()
{
    static QuietTagLib quiet;
    static const bool once = [] {
        TagLib::setDebugListener(&quiet);
        return true;
    }();
    (void)once;
}

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

// The file object of the kind the extension names, on stream; for ".ogg" both Ogg
// codecs are tried.
std::unique_ptr<TagLib::File> openByExtension(TagLib::IOStream *stream, const QString &extension)
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
    if (ext == QLatin1String("wma") || ext == QLatin1String("asf"))
        return valid(std::make_unique<TagLib::ASF::File>(stream));
    if (ext == QLatin1String("ape"))
        return valid(std::make_unique<TagLib::APE::File>(stream));
    return nullptr;
}

std::optional<AudioFile> readStream(TagLib::IOStream *stream, const QString &fileName)
{
    silenceTagLib();
    std::unique_ptr<TagLib::File> file = openByExtension(stream, QFileInfo(fileName).suffix());
    // A file without a stream of sound in it is no music, whatever tags it has.
    const TagLib::AudioProperties *properties = file ? file->audioProperties() : nullptr;
    if (!properties || (properties->sampleRate() <= 0 && properties->lengthInMilliseconds() <= 0))
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
    const qint64 ms = properties->lengthInMilliseconds();
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
    const QByteArray name = QFile::encodeName(path);
    TagLib::FileStream stream(name.constData(), true);
    if (!stream.isOpen())
        return std::nullopt;
    std::optional<AudioFile> result = readStream(&stream, path);
    if (result)
        result->track.file = path;
    return result;
}

std::optional<AudioFile> readAudioData(const QByteArray &bytes, const QString &fileName)
{
    TagLib::ByteVectorStream stream(TagLib::ByteVector(bytes.constData(), unsigned(bytes.size())));
    std::optional<AudioFile> result = readStream(&stream, fileName);
    if (result)
        result->track.file = fileName;
    return result;
}

} // namespace korvel

#include "picture/PngDecoder.h"

#include <cstdio>
#include <cstring>

#include <png.h>

#include "picture/Picture.h"
#include "picture/RasterContent.h"

namespace korvel {

namespace {

// What libpng allocates for one chunk other than the pixel data (a colour
// profile, inflated, is the largest that is still read): the largest profiles
// in use are a few MB, and a forged chunk must not make libpng allocate without
// bound. A longer ancillary chunk is dropped with a warning, the picture stays.
constexpr png_alloc_size_t kMaxChunkBytes = 8 * 1024 * 1024;

// How many text, palette suggestion and unknown chunks libpng keeps (0 would be
// no limit). None of them is kept any more, see below; this is the backstop.
constexpr png_uint_32 kMaxCachedChunks = 32;

// Chunks nothing draws, which libpng would otherwise read and keep: text (zTXt
// and iTXt are compressed; libpng would inflate each one, up to kMaxChunkBytes,
// and keep it, so a file of 7 MB could take gigabytes and a minute), suggested
// palettes and Exif data. Declared unknown and never kept, they are only stepped
// over, their checksums checked. Five bytes each: the name and a zero.
constexpr png_byte kIgnoredChunks[] = "tEXt\0zTXt\0iTXt\0sPLT\0eXIf";
constexpr int kIgnoredChunkCount = int(sizeof kIgnoredChunks / 5);
static_assert(kIgnoredChunkCount == 5);

// Deflate turns at most 258 bytes into one match of at least two bits, about
// 1032 : 1. Image data beyond that ratio of the whole file cannot be in it.
constexpr qint64 kMaxDeflateRatio = 1032;

// Everything that lives across setjmp/longjmp sits here, outside the frame of
// the function that calls setjmp, so its state is well defined after a jump.
struct PngSession {
    png_structp png = nullptr;
    png_infop info = nullptr;
    const uchar *data = nullptr;
    qint64 size = 0;
    qint64 pos = 0;
    QImage image;
    qint64 width = 0;
    qint64 height = 0;
    bool sizeRefused = false;
    bool tooShort = false;
    bool outOfMemory = false;
    char message[256] = {};
};

void readData(png_structp png, png_bytep out, size_t length)
{
    auto *s = static_cast<PngSession *>(png_get_io_ptr(png));
    if (qint64(length) > s->size - s->pos)
        png_error(png, "zkrácená data PNG");
    std::memcpy(out, s->data + s->pos, length);
    s->pos += qint64(length);
}

// The library's usual complaints in Czech (its messages are fixed English texts,
// some prefixed with the chunk's name); its own words only for the rare rest.
const char *czechReason(const char *message)
{
    static constexpr struct {
        const char *english, *czech;
    } kReasons[] = {
        {"Not a PNG file", "není to soubor PNG"},
        {"PNG file corrupted by ASCII conversion", "soubor byl poškozen převodem na text"},
        {"CRC error", "kontrolní součet nesouhlasí, data jsou poškozená"},
        {"Read Error", "soubor končí předčasně"},
        {"Not enough image data", "soubor končí předčasně"},
        {"invalid", "data obrázku jsou poškozená"},
        {"incorrect", "data obrázku jsou poškozená"},
        {"too far back", "data obrázku jsou poškozená"},
        {"bad adaptive filter", "data obrázku jsou poškozená"},
        {"Missing IHDR", "chybí hlavička obrázku"},
        {"Missing PLTE", "chybí paleta barev"},
        {"out of place", "části souboru jsou v nesprávném pořadí"},
        {"Insufficient memory", "nedostatek paměti"},
        {"Out of Memory", "nedostatek paměti"},
        {"exceeds", "obrázek je příliš velký"},
        {"Image width", "neplatná velikost obrázku"},
        {"Image height", "neplatná velikost obrázku"},
    };
    if (!message)
        return nullptr;
    for (const auto &reason : kReasons)
        if (std::strstr(message, reason.english))
            return reason.czech;
    return nullptr;
}

[[noreturn]] void onError(png_structp png, png_const_charp message)
{
    auto *s = static_cast<PngSession *>(png_get_error_ptr(png));
    const char *czech = czechReason(message);
    std::snprintf(s->message, sizeof s->message, "%s", czech ? czech : message ? message : "");
    png_longjmp(png, 1);
}

// What libpng only warns about (an odd colour profile, a text chunk it skips)
// leaves the pixels as they are; anything that changes them is an error above.
void onWarning(png_structp, png_const_charp) {}

// The decoding proper. Any libpng error jumps out of this function, so it holds
// no object with a destructor: all state is in the session.
bool runDecode(PngSession *s)
{
    png_structp png = s->png;
    png_infop info = s->info;
    png_set_read_fn(png, s, readData);
    // A bad checksum in an ancillary chunk would make libpng drop the chunk and go
    // on; a dropped transparency chunk changes the picture, so it is damage too.
    png_set_crc_action(png, PNG_CRC_DEFAULT, PNG_CRC_ERROR_QUIT);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // Every chunk carries a checksum, and a mutating fuzzer almost never fixes it
    // up after changing a byte: with the checks on, nearly every input ends at the
    // first chunk it touched and nothing behind the checksums gets fuzzed. The
    // same goes for the checksum at the end of the compressed pixels. Only fuzz
    // builds skip both; the program and its tests keep every check.
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#ifdef PNG_IGNORE_ADLER32
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
#endif
    // libpng's own limit on the sides would report a large picture as damaged;
    // ours below says what is wrong with it.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_set_chunk_cache_max(png, kMaxCachedChunks);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kIgnoredChunks, kIgnoredChunkCount);
    png_read_info(png, info);

    s->width = png_get_image_width(png, info);
    s->height = png_get_image_height(png, info);
    if (!RasterContent::sizeAcceptable(s->width, s->height, nullptr)) {
        s->sizeRefused = true;
        return false;
    }
    const qint64 bitsPerPixel = qint64(png_get_channels(png, info)) * png_get_bit_depth(png, info);
    if (s->width * s->height * bitsPerPixel / 8 > s->size * kMaxDeflateRatio + 1024) {
        s->tooShort = true;
        return false;
    }

    // Every kind of PNG becomes 8-bit RGB with alpha in QImage's ARGB32 layout
    // (0xAARRGGBB in native byte order).
    const int colorType = png_get_color_type(png, info);
    const bool alpha = (colorType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    png_set_expand(png); // palette to RGB, grey below 8 bits to 8, transparency chunk to alpha
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
#else
    png_set_swap_alpha(png);
    png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
#endif
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(s->width) * 4)
        png_error(png, "nečekaný formát řádků PNG");

    s->image = QImage(int(s->width), int(s->height), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (s->image.isNull()) {
        s->outOfMemory = true;
        return false;
    }
    // An interlaced picture comes in seven passes over the same rows, each adding
    // its pixels to what the earlier passes left there.
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < int(s->height); ++y)
            png_read_row(png, s->image.scanLine(y), nullptr);
    // Reads on to the end chunk: a file cut after its last pixel row is damaged
    // too, and the checksums of what follows are checked.
    png_read_end(png, nullptr);
    return true;
}

// Returns true on success; after a libpng error, s.message says why.
bool decodeSession(PngSession &s, bool *jumped)
{
    *jumped = false;
    s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s, onError, onWarning);
    if (!s.png) {
        s.outOfMemory = true;
        return false;
    }
    s.info = png_create_info_struct(s.png);
    if (!s.info) {
        png_destroy_read_struct(&s.png, nullptr, nullptr);
        s.outOfMemory = true;
        return false;
    }
    if (setjmp(png_jmpbuf(s.png))) {
        *jumped = true;
        png_destroy_read_struct(&s.png, &s.info, nullptr);
        return false;
    }
    const bool ok = runDecode(&s);
    png_destroy_read_struct(&s.png, &s.info, nullptr);
    return ok;
}

} // namespace

QImage PngDecoder::decode(const QByteArray &bytes, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return QImage();
    };
    static const uchar kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    if (bytes.size() < 8 || std::memcmp(bytes.constData(), kSignature, 8) != 0)
        return fail(QStringLiteral("Soubor není obrázek PNG"));

    PngSession s;
    s.data = reinterpret_cast<const uchar *>(bytes.constData());
    s.size = bytes.size();
    bool jumped = false;
    if (!decodeSession(s, &jumped)) {
        if (jumped)
            return fail(RasterContent::damaged(QStringLiteral("PNG: %1").arg(QString::fromUtf8(s.message))));
        if (s.sizeRefused) {
            RasterContent::sizeAcceptable(s.width, s.height, error);
            return QImage();
        }
        if (s.tooShort)
            return fail(RasterContent::damaged(
                QStringLiteral("data PNG jsou pro %1 × %2 pixelů příliš krátká").arg(s.width).arg(s.height)));
        return fail(QStringLiteral("Nedostatek paměti pro obrázek o %1 × %2 pixelech").arg(s.width).arg(s.height));
    }
    return s.image;
}

} // namespace korvel

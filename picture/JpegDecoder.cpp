#include "picture/JpegDecoder.h"

#include <QTransform>
#include <csetjmp>
#include <cstdio>
#include <cstring>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>
#include <jerror.h>

#include "picture/ByteReader.h"
#include "picture/RasterContent.h"

namespace korvel {

namespace {

// A progressive file may legally hold any number of scans, each a full pass
// over the coefficients; real encoders write about ten. Far more is an attack.
constexpr int kMaxScans = 1000;

struct JpegErrorManager {
    jpeg_error_mgr pub; // first, so that cinfo->err can be cast back
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// Everything that lives across setjmp/longjmp sits here, outside the frame of
// the function that calls setjmp, so its state is well defined after a jump.
struct JpegSession {
    jpeg_decompress_struct cinfo;
    JpegErrorManager err;
    jpeg_progress_mgr progress;
    const uchar *data = nullptr;
    unsigned long size = 0;
    QImage image;
    int orientation = 1;
    qint64 width = 0;
    qint64 height = 0;
    bool sizeRefused = false;
    bool outOfMemory = false;
    bool unsupportedColors = false;
    bool tooShort = false;
    // Each side divided by this (1, 2, 4 or 8) by libjpeg's scaled inverse DCT: every
    // coefficient is still read, so a damaged file fails as at full size.
    int reduction = 1;
    // Read the whole file for its errors, but keep none of the pixels.
    bool inspectOnly = false;
    // Only what the header and markers say.
    bool headerOnly = false;
    JpegDecoder::Info info;
};

// What the user is told of the library's usual complaints, in Czech; its own English
// words only for the rare rest.
const char *czechReason(int code)
{
    switch (code) {
    case JWRN_JPEG_EOF:
    case JERR_INPUT_EOF:
        return "soubor končí předčasně";
    case JERR_INPUT_EMPTY:
        return "soubor je prázdný";
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JERR_BAD_HUFF_TABLE:
    case JERR_NO_HUFF_TABLE:
    case JERR_NO_QUANT_TABLE:
    case JERR_BAD_LENGTH:
    case JERR_BAD_COMPONENT_ID:
    case JERR_SOF_DUPLICATE:
    case JERR_SOI_DUPLICATE:
    case JERR_SOS_NO_SOF:
    case JERR_SOF_NO_SOS:
    case JERR_EOI_EXPECTED:
    case JERR_BAD_PROGRESSION:
    case JERR_BAD_SAMPLING:
    case JERR_COMPONENT_COUNT:
    case JERR_EMPTY_IMAGE:
        return "data obrázku jsou poškozená";
    case JERR_NO_SOI:
        return "není to soubor JPEG";
    case JERR_NO_IMAGE:
        return "soubor neobsahuje žádný obrázek";
    case JERR_SOF_UNSUPPORTED:
    case JERR_NOT_COMPILED:
    case JERR_NOTIMPL:
    case JERR_BAD_PRECISION:
    case JERR_CONVERSION_NOTIMPL:
        return "tento druh souboru JPEG program neumí číst";
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW:
        return "obrázek je příliš velký";
    case JERR_OUT_OF_MEMORY:
        return "nedostatek paměti";
    default:
        return nullptr;
    }
}

[[noreturn]] void errorExit(j_common_ptr cinfo)
{
    auto *err = reinterpret_cast<JpegErrorManager *>(cinfo->err);
    if (const char *czech = czechReason(cinfo->err->msg_code))
        std::snprintf(err->message, sizeof err->message, "%s", czech);
    else
        (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// libjpeg only warns about data that is missing or corrupt and goes on with
// made-up pixels. Those warnings are errors here: a damaged photo must not be
// taken for a good one. Harmless warnings (extra bytes, odd JFIF versions)
// are let through.
void emitMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return; // trace output
    switch (cinfo->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_MUST_RESYNC:
        errorExit(cinfo);
    default:
        ++cinfo->err->num_warnings;
    }
}

void progressMonitor(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor)
        return;
    auto *d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans) {
        auto *err = reinterpret_cast<JpegErrorManager *>(cinfo->err);
        std::snprintf(err->message, sizeof err->message, "více než %d průchodů", kMaxScans);
        std::longjmp(err->jump, 1);
    }
}

// The marker of the frame header (SOF0 to SOF15) that precedes the first scan, as
// libjpeg found it, or 0. libjpeg 6.2's interface does not tell a baseline frame
// from an extended sequential one, so the segments are walked here.
int frameMarker(const uchar *data, qint64 size)
{
    const ByteReader file(data, size);
    qint64 at = 2; // after SOI
    while (file.has(at, 2)) {
        if (file.u8(at) != 0xFF)
            return 0;
        const int marker = file.u8(at + 1);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // no length
            at += 2;
            continue;
        }
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            return marker;
        if (marker == 0xDA || marker == 0xD9 || !file.has(at + 2, 2))
            return 0;
        at += 2 + file.be16(at + 2);
    }
    return 0;
}

inline uchar cmykChannel(int ink, int black, bool inverted)
{
    // Adobe writes CMYK inverted (0 = full ink); others store it plainly.
    return inverted ? uchar(ink * black / 255) : uchar((255 - ink) * (255 - black) / 255);
}

// The decoding proper. Any libjpeg error jumps out of this function, so it holds
// no object with a destructor: all state is in the session.
bool runDecode(JpegSession *s)
{
    j_decompress_ptr cinfo = &s->cinfo;
    jpeg_mem_src(cinfo, s->data, s->size);
    jpeg_save_markers(cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(cinfo, TRUE);

    s->width = cinfo->image_width;
    s->height = cinfo->image_height;
    if (!RasterContent::sizeAcceptable(s->width, s->height, nullptr)) {
        s->sizeRefused = true;
        return false;
    }

    // A sequential Huffman-coded file spends at least two bits on every 8 × 8
    // block (a DC code and an end-of-block code, each one bit at best). A small
    // file claiming a huge size is refused here, before the picture is allocated.
    if (!cinfo->progressive_mode && !cinfo->arith_code) {
        int maxH = 1, maxV = 1;
        for (int c = 0; c < cinfo->num_components; ++c) {
            maxH = qMax(maxH, cinfo->comp_info[c].h_samp_factor);
            maxV = qMax(maxV, cinfo->comp_info[c].v_samp_factor);
        }
        qint64 blocks = 0;
        for (int c = 0; c < cinfo->num_components; ++c) {
            const qint64 across = (s->width * cinfo->comp_info[c].h_samp_factor + 8 * maxH - 1) / (8 * maxH);
            const qint64 down = (s->height * cinfo->comp_info[c].v_samp_factor + 8 * maxV - 1) / (8 * maxV);
            blocks += across * down;
        }
        if (qint64(s->size) < blocks / 4) {
            s->tooShort = true;
            return false;
        }
    }

    bool cmyk = false;
    switch (cinfo->jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        // Straight into QImage's RGB32 layout (0xAARRGGBB in native byte order).
        cinfo->out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRA : JCS_EXT_ARGB;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo->out_color_space = JCS_CMYK;
        cmyk = true;
        break;
    default:
        s->unsupportedColors = true;
        return false;
    }
    const bool inverted = cmyk && cinfo->saw_Adobe_marker;
    s->info.width = int(s->width);
    s->info.height = int(s->height);
    s->info.components = cinfo->num_components;
    s->info.colorSpace = cinfo->jpeg_color_space == JCS_GRAYSCALE ? JpegDecoder::Info::Grey
                         : cmyk ? (cinfo->jpeg_color_space == JCS_YCCK ? JpegDecoder::Info::Ycck : JpegDecoder::Info::Cmyk)
                         : cinfo->jpeg_color_space == JCS_RGB ? JpegDecoder::Info::Rgb
                                                              : JpegDecoder::Info::YCbCr;
    s->info.invertedCmyk = inverted;
    s->info.baseline = frameMarker(s->data, qint64(s->size)) == 0xC0;
    s->info.progressive = cinfo->progressive_mode;
    s->info.arithmetic = cinfo->arith_code;
    s->info.precision = cinfo->data_precision;
    for (jpeg_saved_marker_ptr m = cinfo->marker_list; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 1) {
            const int o = JpegDecoder::exifOrientation(m->data, m->data_length);
            if (o != 1) {
                s->orientation = o;
                break;
            }
        }
    }
    s->info.orientation = s->orientation;
    if (s->headerOnly)
        return true;
    // Every coefficient is still read (a damaged file fails as in a full decode); a
    // reduction of 8 turns only the DC terms into pixels.
    cinfo->scale_num = 1;
    cinfo->scale_denom = s->inspectOnly ? 8 : s->reduction;

    jpeg_start_decompress(cinfo);
    const JDIMENSION width = cinfo->output_width;
    const JDIMENSION height = cinfo->output_height;
    s->image = RasterContent::allocate(int(width), int(height), QImage::Format_RGB32);
    if (s->image.isNull()) {
        s->outOfMemory = true;
        return false;
    }
    JSAMPARRAY cmykRow = nullptr;
    if (cmyk)
        cmykRow = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                              width * 4, 1);
    while (cinfo->output_scanline < height) {
        uchar *line = s->image.scanLine(int(cinfo->output_scanline));
        if (!cmyk) {
            JSAMPROW row = line;
            jpeg_read_scanlines(cinfo, &row, 1);
            continue;
        }
        if (jpeg_read_scanlines(cinfo, cmykRow, 1) != 1)
            continue;
        const uchar *in = cmykRow[0];
        auto *out = reinterpret_cast<QRgb *>(line);
        for (JDIMENSION x = 0; x < width; ++x, in += 4) {
            out[x] = qRgb(cmykChannel(in[0], in[3], inverted), cmykChannel(in[1], in[3], inverted),
                          cmykChannel(in[2], in[3], inverted));
        }
    }

    // Reads on to the end of the image: a file cut after the last row still
    // lacks its end marker and is reported as damaged by the warning hook.
    jpeg_finish_decompress(cinfo);
    return true;
}

// Returns true on success; on a libjpeg error, err.message says why.
bool decodeSession(JpegSession &s, bool *jumped)
{
    *jumped = false;
    s.cinfo.err = jpeg_std_error(&s.err.pub);
    s.err.pub.error_exit = errorExit;
    s.err.pub.emit_message = emitMessage;
    s.err.message[0] = '\0';
    if (setjmp(s.err.jump)) {
        *jumped = true;
        jpeg_destroy_decompress(&s.cinfo);
        return false;
    }
    jpeg_create_decompress(&s.cinfo);
    s.progress.progress_monitor = progressMonitor;
    s.cinfo.progress = &s.progress;
    const bool ok = runDecode(&s);
    jpeg_destroy_decompress(&s.cinfo);
    return ok;
}

} // namespace

int JpegDecoder::exifOrientation(const uchar *data, qint64 length)
{
    static const char kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (!data || length < 6 + 8 || std::memcmp(data, kExif, 6) != 0)
        return 1;
    const ByteReader tiff(data + 6, length - 6);
    bool little;
    if (tiff.u8(0) == 'I' && tiff.u8(1) == 'I')
        little = true;
    else if (tiff.u8(0) == 'M' && tiff.u8(1) == 'M')
        little = false;
    else
        return 1;
    auto u16 = [&](qint64 p) { return little ? tiff.le16(p) : tiff.be16(p); };
    auto u32 = [&](qint64 p) { return little ? tiff.le32(p) : tiff.be32(p); };
    if (u16(2) != 42)
        return 1;
    const qint64 ifd = u32(4);
    if (!tiff.has(ifd, 2))
        return 1;
    const int entries = u16(ifd);
    for (int i = 0; i < entries; ++i) {
        const qint64 e = ifd + 2 + qint64(i) * 12;
        if (!tiff.has(e, 12))
            return 1;
        constexpr quint16 kOrientationTag = 0x0112;
        constexpr quint16 kShort = 3;
        if (u16(e) == kOrientationTag) {
            if (u16(e + 2) != kShort || u32(e + 4) != 1)
                return 1;
            const int value = u16(e + 8); // a SHORT sits in the first half of the value field
            return value >= 1 && value <= 8 ? value : 1;
        }
    }
    return 1;
}

QImage JpegDecoder::applyOrientation(const QImage &image, int orientation)
{
    const QTransform quarter = QTransform().rotate(90);
    const QTransform threeQuarters = QTransform().rotate(270);
    switch (orientation) {
    case 2: return image.mirrored(true, false);
    case 3: return image.mirrored(true, true);
    case 4: return image.mirrored(false, true);
    case 5: return image.mirrored(true, false).transformed(threeQuarters);
    case 6: return image.transformed(quarter);
    case 7: return image.mirrored(true, false).transformed(quarter);
    case 8: return image.transformed(threeQuarters);
    default: return image;
    }
}

namespace {

// Runs a session (header, inspection or decode, as s says) over bytes. On failure,
// *error (when given) says why in the user's words.
bool runSession(const QByteArray &bytes, JpegSession &s, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (bytes.size() < 2 || uchar(bytes[0]) != 0xFF || uchar(bytes[1]) != 0xD8)
        return fail(QStringLiteral("Soubor není obrázek JPEG"));
    s.data = reinterpret_cast<const uchar *>(bytes.constData());
    s.size = static_cast<unsigned long>(bytes.size());
    bool jumped = false;
    if (decodeSession(s, &jumped))
        return true;
    if (jumped)
        return fail(RasterContent::damaged(QStringLiteral("JPEG: %1").arg(QString::fromUtf8(s.err.message))));
    if (s.sizeRefused)
        return RasterContent::sizeAcceptable(s.width, s.height, error);
    if (s.tooShort)
        return fail(RasterContent::damaged(
            QStringLiteral("data JPEG jsou pro %1 × %2 pixelů příliš krátká").arg(s.width).arg(s.height)));
    if (s.unsupportedColors)
        return fail(QStringLiteral("Tento druh obrázku JPEG není podporován (neznámý barevný prostor)"));
    return fail(QStringLiteral("Nedostatek paměti pro obrázek o %1 × %2 pixelech").arg(s.width).arg(s.height));
}

} // namespace

bool JpegDecoder::readHeader(const QByteArray &bytes, Info *info)
{
    JpegSession s;
    s.headerOnly = true;
    if (!runSession(bytes, s, nullptr))
        return false;
    *info = s.info;
    return true;
}

bool JpegDecoder::inspect(const QByteArray &bytes, Info *info, QString *error)
{
    JpegSession s;
    s.inspectOnly = true;
    if (!runSession(bytes, s, error))
        return false;
    *info = s.info;
    return true;
}

QImage JpegDecoder::decode(const QByteArray &bytes, QString *error, int reduction)
{
    JpegSession s;
    s.reduction = reduction == 2 || reduction == 4 || reduction == 8 ? reduction : 1;
    if (!runSession(bytes, s, error))
        return QImage();
    return applyOrientation(s.image, s.orientation);
}

} // namespace korvel

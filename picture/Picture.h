#pragma once
#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>
#include <memory>

class QPainter;

namespace korvel {

enum class PictureFormat { None, Bitmap, Gif, Jpeg, Icon, Png, Metafile };

class PhotoPassThrough;
class SmoothScreenCopy;

// Where a drawing goes. The screen keeps a copy of each picture scaled for the
// current zoom; paper and PDF get the picture itself (a metafile is replayed as
// vectors, a photo is embedded once at full resolution).
enum class DrawTarget { Screen, Paper };

struct ScreenArea;

// Decoded content of a picture: its own size and how to draw itself stretched.
class PictureContent {
public:
    virtual ~PictureContent() = default;
    // Own size in pixels at 96 dpi (used when a spine picture is tiled).
    virtual QSize size() const = 0;
    // Draws the whole picture stretched into target, in the painter's coordinates.
    virtual void draw(QPainter &painter, const QRectF &target) const = 0;
    // A raster rendition of exactly pixelSize, for the screen cache.
    virtual QImage render(QSize pixelSize) const;
    virtual bool isVector() const { return false; }
};

// The one picture type of the cover: front, back and spine pictures alike.
//
// A picture keeps the bytes it was loaded from and saves exactly those bytes, so
// a GIF or an icon is never re-encoded and a JPEG never loses quality; a saved side
// file loads again as the same picture. Copies share the decoded content.
class Picture {
public:
    Picture() = default;

    // Loads by the file name's extension (case-insensitive): ".bmp", ".gif", ".jpg",
    // ".jpeg", ".ico", ".png", ".emf", ".wmf". A name without an extension gives a present but
    // empty picture. Any other extension fails with "Unknown picture file extension
    // (.ext)". On failure *this is left untouched and *error says why.
    bool loadFromFile(const QString &path, QString *error);
    // The same for bytes already in memory; extension as in a file name ("" or ".jpg").
    // shownAt: where the picture will be shown on the screen first, if it will.
    bool loadFromData(const QByteArray &bytes, const QString &extension, QString *error,
                      const ScreenArea *shownAt = nullptr);

    // Writes the picture in its own format, replacing an existing file. An absent or
    // empty picture writes nothing and succeeds. The file is replaced atomically.
    bool saveToFile(const QString &path, QString *error) const;

    void clear();
    bool isEmpty() const { return m_format == PictureFormat::None; }
    QSize size() const;
    PictureFormat format() const { return m_format; }
    const QByteArray &bytes() const { return m_bytes; }
    const PictureContent *content() const { return m_content.get(); }

    // Draws the picture stretched into target (aspect ratio not kept). On the screen
    // the scaled copy for the device size is cached and reused until the size changes.
    // On paper, a picture that photos has a stand-in for is drawn as the stand-in.
    void draw(QPainter &painter, const QRectF &target, DrawTarget where, PhotoPassThrough *photos = nullptr) const;

    // True when both hold the same picture (same format and bytes).
    bool sameAs(const Picture &other) const;

    // The picture as the undo history keeps it: its file bytes, not its pixels. A
    // 12-megapixel photo is 47 MB decoded but a few MB as a file, and a history of
    // twenty chosen photos must not hold twenty decoded ones. It draws nothing until
    // revived.
    Picture stored() const;
    bool isStored() const { return !m_content && m_format != PictureFormat::None; }
    // The picture ready to draw: the pixels are shared with any picture still holding
    // them, or decoded again from the bytes.
    Picture revived() const;

    // The extension without its dot, lower-cased, for the error message; exposed for tests.
    static QString extensionOf(const QString &fileName);
    // Whether a file's extension has a picture loader (".png", ".jpg", ...).
    static bool hasLoaderFor(const QString &fileName);
    // The extension of the format whose signature the bytes begin with (".jpg",
    // ".png", ...), or an empty string when they begin like no picture.
    static QString extensionBySignature(const QByteArray &bytes);

private:
    struct ScreenCache {
        QSize size[2];   // most recent first
        QImage image[2];
        // A quick nearest-pixel copy of a large photo stands in until its smooth copy
        // arrives from the background through smooth; the next paint takes it.
        bool quick[2] = {false, false};
        std::shared_ptr<SmoothScreenCopy> smooth;
    };
    std::shared_ptr<const PictureContent> m_content;
    // A stored picture's pixels while some other copy still holds them.
    std::weak_ptr<const PictureContent> m_decoded;
    QByteArray m_bytes;
    PictureFormat m_format = PictureFormat::None;
    std::shared_ptr<ScreenCache> m_cache = std::make_shared<ScreenCache>();
};

// Decoders, one per family. Each validates the data fully and returns null with a
// readable message for anything damaged; none may crash or allocate without bound.
std::shared_ptr<const PictureContent> decodeRaster(const QByteArray &bytes, PictureFormat format,
                                                   QString *error);
std::shared_ptr<const PictureContent> decodeMetafile(const QByteArray &bytes, QString *error);

// Largest picture accepted, in pixels, before any memory is allocated for it.
inline constexpr qint64 kMaxPicturePixels = qint64(100) * 1000 * 1000;
inline constexpr int kMaxPictureSide = 30000;

} // namespace korvel

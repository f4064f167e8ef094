#pragma once
#include <QImage>
#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "picture/Picture.h"

class QByteArray;

namespace korvel {

// A smooth screen copy made in the background for one picture's screen cache. The
// cache keeps a quick copy on show meanwhile and takes this one at its next paint.
class SmoothScreenCopy {
public:
    // The smooth copy of exactly this size if it has arrived, once; else a null image.
    QImage take(QSize size);

private:
    friend class RasterContent;
    std::mutex m_mutex;
    QSize m_wanted;      // the size the screen shows now
    bool m_queued = false; // a job is on its way: a new size only changes m_wanted
    QImage m_ready;      // made for m_ready.size(), not taken yet
};

// Background work for the screen copies of photos, and word of its results. A picture
// knows nothing of the page that shows it: the page listens here and repaints, and
// that paint takes the smooth copies.
class ScreenScaling final : public QObject {
    Q_OBJECT
public:
    // Lives on the thread that first asks for it, the GUI thread.
    static ScreenScaling &instance();

    // Where background work goes instead of Qt's global thread pool: a test sets one to
    // run the work when it chooses. An empty function gives the pool back.
    using Runner = std::function<void(std::function<void()>)>;
    static void setRunner(Runner runner);
    // Blocks until the pool has done all the work handed to it.
    static void waitForBackground();

signals:
    // Emitted on the GUI thread, once for any number of copies that arrived together.
    void smoothCopiesArrived();

private:
    friend class RasterContent;
    friend class DeferredJpeg;
    ScreenScaling() = default;
    // One job at a time, so the GUI thread always keeps a core and a thread of the pool.
    static void run(std::function<void()> job);
    void announce(); // from any thread
    std::atomic<bool> m_announced{false};
};

// A decoded BMP, GIF, JPEG, PNG or icon. The image is kept in a format that the
// painter blits without conversion: RGB32 when opaque, ARGB32_Premultiplied
// when it has transparency.
class RasterContent final : public PictureContent {
public:
    // quickFirst: shown at a new size from a quick scaling first and smooth from the
    // background, as a large picture is, however small it is (a photo decoded for the
    // screen while a project opens: the window waits for that first paint).
    explicit RasterContent(QImage image, bool quickFirst = false);

    ~RasterContent() override;

    QSize size() const override { return m_image.size(); }
    void draw(QPainter &painter, const QRectF &target) const override;
    // Smooth, resampled from the smallest halving that is at least pixelSize (the
    // picture itself when there is none).
    QImage render(QSize pixelSize) const override;
    const QImage &image() const { return m_image; }

    // The screen copy of pixelSize to show now. It is smooth when that costs little: a
    // picture of a megapixel or less, or a small copy. Otherwise it is a nearest-pixel
    // scaling of the nearest halving, *smooth is set false, and the smooth copy follows
    // from the background through *pending (see smoothLater).
    QImage screenCopy(QSize pixelSize, const std::shared_ptr<SmoothScreenCopy> &pending, bool *smooth) const;
    // Has the smooth copy of pixelSize made in the background and left in *pending,
    // then announced by ScreenScaling. Only the size asked for last is made.
    void smoothLater(QSize pixelSize, const std::shared_ptr<SmoothScreenCopy> &pending) const;
    // The halvings made so far (1/2, 1/4, ...); none for a picture too small to need them.
    int levelCount() const;

    // Converts a decoded image to the drawing format described above.
    static QImage toDrawFormat(QImage image);

    // An image for a decoder to fill, uninitialised. A photo's pixels (tens of
    // megabytes) go into memory the kernel may back with huge pages: touching them
    // row by row then costs a few hundred page faults instead of tens of thousands,
    // which is most of what a decode costs beyond the decoding itself.
    static QImage allocate(int width, int height, QImage::Format format);

    // The size limits every raster decoder applies before allocating anything.
    static bool sizeAcceptable(qint64 width, qint64 height, QString *error);

    // "Soubor obrázku je poškozený (why)": the one wording for damaged data.
    static QString damaged(const QString &why);

    // Reads the first (or index-th) image through Qt's reader for the named format,
    // with format guessing off and an allocation limit matching our size limits.
    static QImage readWithQt(const QByteArray &bytes, const char *format, int index,
                             QString *error);

private:
    struct Levels;
    // The halvings are made once, in the background, when the picture is first shown on
    // the screen: a print never needs them.
    void startLevels() const;

    QImage m_image;
    std::shared_ptr<Levels> m_levels; // null for a picture that gets no halvings
};

} // namespace korvel

#include "picture/RasterContent.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageReader>
#include <QPainter>
#include <QThreadPool>
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <utility>
#include <vector>

#include <sys/mman.h>

namespace korvel {

namespace {

qint64 area(QSize size)
{
    return qint64(size.width()) * size.height();
}

// A picture up to this many pixels is scaled smooth at once, in a millisecond or two,
// and gets no halvings.
constexpr qint64 kLevelsFrom = qint64(1) << 20;
// A copy this small of a larger picture is made smooth at once too, even from the
// whole photo before its halvings exist: it is what a preview shows, and nothing
// repaints a preview. A larger copy is shown quick first: Qt spreads a smooth scaling
// from more than 128 K pixels over its thread pool, where the GUI thread would wait
// for a thread busy with the background work.
constexpr qint64 kSmallCopy = 256 * 256;
// The halvings stop before a side would drop below this: about a photo on the
// page at the smallest zoom.
constexpr int kSmallestLevelSide = 64;

QSize halfOf(QSize size)
{
    return QSize((size.width() + 1) / 2, (size.height() + 1) / 2);
}

// The screen's background work, run one job at a time on Qt's global pool. Qt's own
// smooth scaling spreads over that pool unless it already runs in it: run there, a
// job keeps to one thread and leaves the GUI thread a core and the pool a thread.
struct Background {
    std::mutex mutex;
    std::condition_variable idle;
    std::deque<std::function<void()>> jobs;
    bool running = false;
    ScreenScaling::Runner runner;
};

Background &background()
{
    // Never destroyed: the pool may finish a job while the program exits.
    static auto *state = new Background;
    return *state;
}

void runNextJob()
{
    Background &b = background();
    std::function<void()> job;
    {
        std::lock_guard lock(b.mutex);
        job = std::move(b.jobs.front());
        b.jobs.pop_front();
    }
    job();
    job = nullptr; // what it holds goes before it counts as done
    std::lock_guard lock(b.mutex);
    if (b.jobs.empty()) {
        b.running = false;
        b.idle.notify_all();
    } else {
        // Queued again behind anything else waiting for the pool, such as the parts of
        // a smooth scaling the GUI thread is waiting for.
        QThreadPool::globalInstance()->start(runNextJob);
    }
}

} // namespace

QImage SmoothScreenCopy::take(QSize size)
{
    std::lock_guard lock(m_mutex);
    if (m_ready.isNull() || m_ready.size() != size)
        return QImage();
    return std::exchange(m_ready, QImage());
}

ScreenScaling &ScreenScaling::instance()
{
    // Never destroyed, like the queue: a job finishing at exit may still announce.
    static ScreenScaling *notifier = [] {
        auto *made = new ScreenScaling;
        if (QCoreApplication *app = QCoreApplication::instance())
            made->moveToThread(app->thread());
        return made;
    }();
    return *notifier;
}

void ScreenScaling::setRunner(Runner runner)
{
    Background &b = background();
    std::lock_guard lock(b.mutex);
    b.runner = std::move(runner);
}

void ScreenScaling::waitForBackground()
{
    Background &b = background();
    std::unique_lock lock(b.mutex);
    b.idle.wait(lock, [&] { return !b.running; });
}

void ScreenScaling::run(std::function<void()> job)
{
    Background &b = background();
    std::unique_lock lock(b.mutex);
    if (b.runner) {
        Runner runner = b.runner;
        lock.unlock();
        runner(std::move(job));
        return;
    }
    b.jobs.push_back(std::move(job));
    if (!b.running) {
        b.running = true;
        QThreadPool::globalInstance()->start(runNextJob);
    }
}

void ScreenScaling::announce()
{
    // Copies arriving close together cost one repaint.
    if (m_announced.exchange(true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_announced = false;
            emit smoothCopiesArrived();
        },
        Qt::QueuedConnection);
}

// The halvings of a picture, shared with the jobs that make them and use them. A job
// holds them only through a weak pointer between steps, so a picture dropped before
// or while they are made goes, with its pixels, when the job's current step is done.
struct RasterContent::Levels {
    explicit Levels(QImage image) : full(std::move(image)) {}

    // The smallest image made so far that is at least size both ways.
    QImage nearest(QSize size)
    {
        std::lock_guard lock(mutex);
        for (auto level = halves.rbegin(); level != halves.rend(); ++level)
            if (level->width() >= size.width() && level->height() >= size.height())
                return *level;
        return full;
    }

    const QImage full; // the picture's own pixels, shared, not copied
    std::atomic<bool> started{false};
    std::mutex mutex;
    std::vector<QImage> halves; // 1/2, 1/4, ... as far as made; never changed once made
};

RasterContent::RasterContent(QImage image, bool quickFirst)
    : m_image(toDrawFormat(std::move(image)))
{
    // A quarter, a sixteenth, ...: a third of the picture's memory in all.
    if (area(m_image.size()) > kLevelsFrom || (quickFirst && !m_image.isNull()))
        m_levels = std::make_shared<Levels>(m_image);
}

RasterContent::~RasterContent() = default;

void RasterContent::draw(QPainter &painter, const QRectF &target) const
{
    painter.drawImage(target, m_image);
}

QImage RasterContent::render(QSize pixelSize) const
{
    if (pixelSize == m_image.size())
        return m_image;
    const QImage source = m_levels ? m_levels->nearest(pixelSize) : m_image;
    return source.scaled(pixelSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

int RasterContent::levelCount() const
{
    if (!m_levels)
        return 0;
    std::lock_guard lock(m_levels->mutex);
    return int(m_levels->halves.size());
}

void RasterContent::startLevels() const
{
    if (!m_levels || m_levels->started.exchange(true))
        return;
    ScreenScaling::run([weak = std::weak_ptr<Levels>(m_levels)] {
        for (;;) {
            QImage from;
            {
                const std::shared_ptr<Levels> levels = weak.lock();
                if (!levels)
                    return;
                std::lock_guard lock(levels->mutex);
                from = levels->halves.empty() ? levels->full : levels->halves.back();
            }
            const QSize half = halfOf(from.size());
            if (std::min(half.width(), half.height()) < kSmallestLevelSide)
                return;
            QImage next = from.scaled(half, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            from = QImage();
            const std::shared_ptr<Levels> levels = weak.lock();
            if (!levels || next.isNull())
                return;
            std::lock_guard lock(levels->mutex);
            levels->halves.push_back(std::move(next));
        }
    });
}

QImage RasterContent::screenCopy(QSize pixelSize, const std::shared_ptr<SmoothScreenCopy> &pending,
                                 bool *smooth) const
{
    *smooth = true;
    if (!m_levels || pixelSize == m_image.size())
        return render(pixelSize);
    startLevels();
    const QImage source = m_levels->nearest(pixelSize);
    if (area(pixelSize) <= kSmallCopy)
        return source.scaled(pixelSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Nearest pixels of a halving at most twice the size: the colours of the smooth
    // copy, only a little coarser, in about a millisecond.
    *smooth = false;
    smoothLater(pixelSize, pending);
    return source.scaled(pixelSize, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

void RasterContent::smoothLater(QSize pixelSize, const std::shared_ptr<SmoothScreenCopy> &pending) const
{
    if (!m_levels || !pending)
        return;
    {
        std::lock_guard lock(pending->m_mutex);
        pending->m_wanted = pixelSize;
        if (pending->m_queued || pending->m_ready.size() == pixelSize)
            return;
        pending->m_queued = true;
    }
    ScreenScaling::instance(); // made here, on the GUI thread, where it announces
    ScreenScaling::run([weakLevels = std::weak_ptr<Levels>(m_levels),
                        weakPending = std::weak_ptr<SmoothScreenCopy>(pending)] {
        for (;;) {
            QSize size;
            QImage source;
            {
                const std::shared_ptr<SmoothScreenCopy> pending = weakPending.lock();
                if (!pending)
                    return;
                const std::shared_ptr<Levels> levels = weakLevels.lock();
                std::lock_guard lock(pending->m_mutex);
                if (!levels) {
                    pending->m_queued = false;
                    return;
                }
                size = pending->m_wanted;
                source = levels->nearest(size);
            }
            QImage smooth = source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            source = QImage();
            const std::shared_ptr<SmoothScreenCopy> pending = weakPending.lock();
            if (!pending)
                return;
            {
                std::lock_guard lock(pending->m_mutex);
                if (pending->m_wanted != size)
                    continue; // the screen has moved on to another size meanwhile
                pending->m_ready = std::move(smooth);
                pending->m_queued = false;
            }
            ScreenScaling::instance().announce();
            return;
        }
    });
}

QImage RasterContent::toDrawFormat(QImage image)
{
    if (image.isNull())
        return image;
    const QImage::Format want = image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                        : QImage::Format_RGB32;
    if (image.format() != want)
        image.convertTo(want);
    return image;
}

namespace {

constexpr std::size_t kHugePage = std::size_t(2) * 1024 * 1024;

struct MappedPixels {
    void *mapping;
    std::size_t length;
};

void unmapPixels(void *info)
{
    auto *pixels = static_cast<MappedPixels *>(info);
    ::munmap(pixels->mapping, pixels->length);
    delete pixels;
}

} // namespace

QImage RasterContent::allocate(int width, int height, QImage::Format format)
{
    if (width <= 0 || height <= 0)
        return QImage();
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    const qsizetype bytesPerLine = ((qsizetype(width) * depth + 31) / 32) * 4;
    const std::size_t bytes = std::size_t(bytesPerLine) * std::size_t(height);
    // Small pictures gain nothing from this.
    if (bytes < 4 * kHugePage)
        return QImage(width, height, format);
    // Huge pages need a 2 MB aligned start: map a little more and align inside.
    const std::size_t length = bytes + kHugePage;
    void *mapping = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        return QImage(width, height, format);
    auto start = (reinterpret_cast<std::uintptr_t>(mapping) + kHugePage - 1) & ~(std::uintptr_t(kHugePage) - 1);
    auto *data = reinterpret_cast<uchar *>(start);
    ::madvise(data, bytes, MADV_HUGEPAGE); // a hint: without it, ordinary pages
    return QImage(data, width, height, bytesPerLine, format, unmapPixels, new MappedPixels{mapping, length});
}

bool RasterContent::sizeAcceptable(qint64 width, qint64 height, QString *error)
{
    if (width <= 0 || height <= 0) {
        if (error)
            *error = damaged(QStringLiteral("neplatná velikost obrázku %1 × %2").arg(width).arg(height));
        return false;
    }
    if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels) {
        if (error)
            *error = QStringLiteral("Obrázek je příliš velký (%1 × %2 pixelů)").arg(width).arg(height);
        return false;
    }
    return true;
}

QString RasterContent::damaged(const QString &why)
{
    return QStringLiteral("Soubor obrázku je poškozený (%1)").arg(why);
}

QImage RasterContent::readWithQt(const QByteArray &bytes, const char *format, int index,
                                 QString *error)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    // Our own limit is checked from the headers before this; Qt's default limit
    // (256 MB) would refuse some pictures that we accept.
    reader.setAllocationLimit(int(kMaxPicturePixels * 4 / (1024 * 1024)) + 1);
    if (index > 0 && !reader.jumpToImage(index)) {
        if (error)
            *error = damaged(QStringLiteral("obrázek č. %1 nelze najít").arg(index + 1));
        return QImage();
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        if (error)
            *error = damaged(reader.errorString());
        return QImage();
    }
    return image;
}

} // namespace korvel

#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>
#include <future>
#include <memory>
#include <mutex>

#include "picture/JpegDecoder.h"
#include "picture/Picture.h"

namespace korvel {

class RasterContent;

// A JPEG photo whose whole pixels are decoded later than it is loaded, in one of two
// ways.
//
// For a PDF (korvel-print): korvel-print embeds the file's own bytes and never needs
// its pixels, so a cover with two 12-megapixel photos is printed without decoding
// either. Its header is read when it is made; the check of the whole file (every
// coefficient, as a decode would read it) runs meanwhile on a thread of its own,
// while the page is drawn, and problem() gives its outcome.
//
// For the screen (the designer opening a project): the photo is decoded at once at
// the smallest of libjpeg's reduced scales (1/2 to 1/8) that still covers its area on
// the screen, which reads and checks the whole file as a full decode does, in a
// fraction of the time. Its whole pixels are decoded in the background once it has
// been shown (when the event loop is next reached), for higher zooms and for paper. The screen shows the reduced pixels
// only while they cover the size it asks for; a paint that needs more, and paper
// always, get the whole picture (waiting for it, or decoding it, if the background has
// not got that far).
class DeferredJpeg final : public PictureContent {
public:
    // For a PDF: the header read, the whole file checked in the background.
    DeferredJpeg(QByteArray bytes, const JpegDecoder::Info &info);
    // For the screen: screenImage is the file decoded at a reduced scale, upright.
    DeferredJpeg(QByteArray bytes, const JpegDecoder::Info &info, QImage screenImage);
    ~DeferredJpeg() override;

    // A JPEG file loaded for the screen at area: a DeferredJpeg with a reduced decode,
    // or, when no reduction covers the area, the whole picture decoded at once (a
    // RasterContent). Null, with *error, for a file that does not decode.
    static std::shared_ptr<const PictureContent> forScreen(const QByteArray &bytes, const ScreenArea &area,
                                                           QString *error);
    // The reduction (1, 2, 4 or 8) whose pixels still cover wanted, for a picture of
    // upright size.
    static int reductionFor(QSize upright, QSize wanted);

    QSize size() const override;
    void draw(QPainter &painter, const QRectF &target) const override;
    QImage render(QSize pixelSize) const override;
    const JpegDecoder::Info &info() const { return m_info; }
    // Why the file is damaged, once its check has finished (waiting for it), or why
    // its pixels could not be had if they were asked for; empty when all is well.
    // Called on the thread that draws.
    QString problem() const;

    // The pixels to show the photo from on the screen at pixelSize: the reduced decode
    // while it covers pixelSize, else the whole picture. Null only when neither could
    // be had (memory).
    std::shared_ptr<const RasterContent> screenSource(QSize pixelSize) const;
    // The reduced decode's size, or an empty size for a photo loaded for a PDF.
    QSize screenSize() const;
    // Whether this photo, loaded elsewhere, shows at area as well as one loaded for it:
    // not when it was reduced for a smaller area and has not been decoded whole yet.
    bool servesScreenAt(const ScreenArea &area) const;
    // Whether the whole picture has been decoded (by the background or for paper).
    bool wholeDecoded() const;

    // Whether JPEG pictures are loaded for a PDF this way (korvel-print sets it);
    // otherwise every picture is decoded when loaded, at a reduced scale when it is
    // loaded for the screen.
    static void setEnabled(bool enabled);
    static bool enabled();

private:
    struct Whole;
    // The whole picture: decoded on first need, once, on whichever thread asks first;
    // a second asker waits for the first.
    const PictureContent &whole() const;
    void decodeWholeLater() const;

    JpegDecoder::Info m_info;
    std::shared_future<QString> m_check; // for a PDF only
    std::shared_ptr<const RasterContent> m_screen; // for the screen only
    std::shared_ptr<Whole> m_whole;
    mutable std::once_flag m_backgroundStarted;
};

} // namespace korvel

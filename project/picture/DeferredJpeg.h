#pragma once
#include <QByteArray>
#include <QString>
#include <future>
#include <memory>
#include <mutex>

#include "project/picture/JpegDecoder.h"
#include "project/picture/Picture.h"

namespace korvel {

// A JPEG photo decoded only when its pixels are first asked for. korvel-print writing
// a PDF embeds the file's own bytes and never needs its pixels: a cover with two
// 12-megapixel photos is then printed without decoding either. Its header is read
// when it is made; the check of the whole file (every coefficient, as a decode would
// read it) runs meanwhile on a thread of its own, while the page is drawn, and
// problem() gives its outcome.
class DeferredJpeg final : public PictureContent {
public:
    DeferredJpeg(QByteArray bytes, const JpegDecoder::Info &info);

    QSize size() const override;
    void draw(QPainter &painter, const QRectF &target) const override;
    QImage render(QSize pixelSize) const override;
    const JpegDecoder::Info &info() const { return m_info; }
    // Why the file is damaged, once its check has finished (waiting for it), or why
    // its pixels could not be had if they were asked for; empty when all is well.
    // Called on the thread that draws.
    QString problem() const;

    // Whether JPEG pictures are loaded this way (korvel-print sets it for a PDF);
    // otherwise every picture is decoded when loaded.
    static void setEnabled(bool enabled);
    static bool enabled();

private:
    const PictureContent &decoded() const;

    QByteArray m_bytes;
    JpegDecoder::Info m_info;
    std::shared_future<QString> m_check;
    mutable std::once_flag m_once;
    mutable std::shared_ptr<const PictureContent> m_decoded;
    mutable QString m_decodeError; // why the pixels could not be had, once asked for
};

} // namespace korvel

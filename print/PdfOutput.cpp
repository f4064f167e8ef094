#include "print/PdfOutput.h"

#include <QBuffer>
#include <QPdfWriter>
#include <QSaveFile>
#include <cerrno>
#include <utility>

#include "print/PdfPhotoEmbedder.h"
#include "settings/FileReplacement.h"

namespace korvel {

PdfOutput::PdfOutput(Setup setup)
    : m_setup(std::move(setup))
{
}

bool PdfOutput::drawInto(const Draw &draw, PhotoPassThrough *photos, QByteArray *pdf) const
{
    pdf->clear();
    QBuffer device(pdf);
    device.open(QIODevice::WriteOnly);
    QPdfWriter writer(&device);
    writer.setCreator(m_setup.creator);
    writer.setTitle(m_setup.title);
    writer.setPdfVersion(m_setup.version);
    writer.setResolution(m_setup.resolution);
    writer.setPageLayout(m_setup.pageBoxes.empty() ? m_setup.pageLayout : m_setup.pageBoxes.front().drawnLayout());
    return draw(writer, photos);
}

bool PdfOutput::render(const Draw &draw, QByteArray *pdf) const
{
    bool done = false;
    {
        PdfPhotoEmbedder photos;
        QByteArray made;
        if (!drawInto(draw, &photos, &made))
            return false;
        QString ignored;
        if (photos.embed(&made, &ignored)) {
            *pdf = std::move(made);
            done = true;
        }
    }
    // The stand-ins are still in: the photos go in as pixels instead.
    if (!done && !drawInto(draw, nullptr, pdf))
        return false;
    QString ignored;
    return m_setup.pageBoxes.empty() || setPdfPageBoxes(pdf, m_setup.pageBoxes, &ignored);
}

bool PdfOutput::write(const QString &path, const Draw &draw, QString *error, const std::function<bool()> &ready) const
{
    // Written beside the target and renamed over it on success, so a failure never
    // leaves a half-written file under the name; opened first, so a file that cannot
    // be written is said before the page is drawn.
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        *error = outputWriteError(path, file, errno);
        return false;
    }
    QByteArray pdf;
    if (!render(draw, &pdf)) {
        *error = QStringLiteral("stranu nelze vykreslit do %1").arg(path);
        file.cancelWriting();
        return false;
    }
    if (ready && !ready()) {
        error->clear();
        file.cancelWriting();
        return false;
    }
    errno = 0;
    if (file.write(pdf) != pdf.size()) {
        *error = outputWriteError(path, file, errno);
        file.cancelWriting();
        return false;
    }
    errno = 0;
    if (!file.commit()) {
        *error = outputWriteError(path, file, errno);
        return false;
    }
    return true;
}

} // namespace korvel

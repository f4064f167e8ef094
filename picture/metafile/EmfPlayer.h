#pragma once
#include "picture/metafile/ByteReader.h"

#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>

class QPainter;

namespace korvel::metafile {

// What the header record of an enhanced metafile says about its geometry.
struct EmfHeader {
    QRect bounds;          // device pixels (inclusive)
    QRect frame;           // 0.01 mm (inclusive)
    QSize devicePixels;    // reference device
    QSize deviceMillimeters;
    std::uint32_t handles = 0;
    std::uint32_t fileBytes = 0;
};

// True when data starts with a sane EMF header record; *error says what is wrong
// otherwise.
bool readEmfHeader(const ByteReader &data, EmfHeader &header, QString *error);

// The header's frame in reference-device pixels (the bounds if the frame is empty).
QRectF emfDeviceFrame(const EmfHeader &header);
QSizeF emfPixelsPerMm(const EmfHeader &header);

// The device-pixel bounds of everything the records draw; null if nothing.
QRectF measureEmf(const ByteReader &data);

// Plays an enhanced metafile stretched so that deviceFrame (reference-device
// pixels; the header's frame if null) fills target. Records that are damaged are
// skipped; a record that does not fit the data ends playback.
void playEmf(const ByteReader &data, QPainter &painter, const QRectF &target, QRectF deviceFrame = QRectF());

} // namespace korvel::metafile

#pragma once
#include "picture/metafile/ByteReader.h"

#include <QByteArray>
#include <QRectF>
#include <QString>

class QPainter;

namespace korvel::metafile {

// What a 16-bit metafile's headers say.
struct WmfHeader {
    bool placeable = false;
    QRectF frame;       // logical units: the placeable bounding box or the first window
    int unitsPerInch = 0; // placeable only
    std::uint64_t recordsAt = 0;
    int objects = 0;
    QByteArray embeddedEmf; // whole EMF carried in "WMFC" comment records, if any
};

// Reads the placeable and standard headers and scans the records once for the
// window (when there is no placeable header) and for an embedded EMF.
bool readWmfHeader(const ByteReader &data, WmfHeader &header, QString *error);

// Plays the records stretched so that the frame fills target.
void playWmf(const ByteReader &data, const WmfHeader &header, QPainter &painter, const QRectF &target);

} // namespace korvel::metafile

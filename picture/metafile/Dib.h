#pragma once
#include "picture/metafile/ByteReader.h"

#include <QImage>

namespace korvel::metafile {

// Decodes a device-independent bitmap as metafiles embed it: a BITMAPINFO (header
// and colour table) and the pixel bits, each located separately in a record.
// Returns a null image for anything inconsistent: sizes that do not fit the bytes
// given, more pixels than a picture may have, unknown formats. With premultiplied,
// a 32-bit bitmap's fourth byte is kept as premultiplied alpha (alpha blending);
// otherwise 32-bit bitmaps are opaque, as plain bit-block transfers draw them.
QImage decodeDib(const ByteReader &info, const ByteReader &bits, bool premultipliedAlpha = false);

// The same for a packed DIB (BITMAPINFO immediately followed by the bits), as the
// 16-bit metafile records carry them.
QImage decodePackedDib(const ByteReader &packed);

} // namespace korvel::metafile

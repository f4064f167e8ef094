#pragma once

namespace korvel {

// The A4 page the cover is laid out on, in tenths of a millimetre from the paper's
// top-left corner. One pixel at 100 % zoom (96 dpi) is 254/96 tenths of a millimetre.
inline constexpr double kTenthMmPerPixel = 254.0 / 96.0;
inline constexpr double kPaperWidth = 2100.0;  // A4 portrait
inline constexpr double kPaperHeight = 2970.0;
inline constexpr double kMargin = 100.0;       // 10 mm on every side

} // namespace korvel

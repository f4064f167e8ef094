#pragma once
// What the files that make up Renderer share among themselves; nothing else includes this.
#include <QTransform>

#include <cmath>

namespace korvel::metafile {

// Limits that keep a hostile file from making playback slow or memory-hungry.
inline constexpr int kMaxClipElements = 4000;

inline double scaleOf(const QTransform &t)
{
    const double d = std::sqrt(std::fabs(t.determinant()));
    return std::isfinite(d) ? d : 0.0;
}

} // namespace korvel::metafile

#pragma once

class QImage;

namespace korvel {

class Picture;

// Where the photos of a drawing for paper may go other than through the painter: a
// PDF that carries each JPEG photo as its own file has the drawing leave a stand-in
// image in the photo's place, and swaps the stand-in for the file's bytes once the
// drawing is done. The drawing is handed one with its options (PageRenderOptions);
// without one, every picture is drawn as pixels.
class PhotoPassThrough {
public:
    virtual ~PhotoPassThrough() = default;
    // The image to draw in the place of picture, drawn losslessly and stretched as the
    // picture would be; the same one each time for the same picture. Null when the
    // picture is to be drawn itself.
    virtual const QImage *standInFor(const Picture &picture) = 0;
};

} // namespace korvel

// How frames reach the page: the playfield's canvas (#canvas) and the box's
// (#box), as the RGBA that ImageData takes.
#pragma once

#include <span>
#include <vector>

#include "platform/graphics/surface.h"

namespace platform {

// The playfield's canvas, width x height pixels.
class PlayfieldCanvas {
public:
    PlayfieldCanvas(int width, int height);

    // Shows frame, or only its changed parts; a frame of another size is not
    // the playfield's and is not shown.
    void Present(const Surface& frame, std::span<const Rect> changed);

private:
    int width_;
    int height_;
    std::vector<unsigned char> rgba_;  // the canvas's pixels as ImageData wants them
};

// Shows pixels as the whole of the box's client area.
void PutBoxPixels(const Surface& pixels);

}  // namespace platform

// The pictures and the font stored with the program, decoded once per run.
#pragma once

#include <map>
#include <span>

#include "platform/graphics/surface.h"
#include "platform/graphics/text.h"

namespace platform {

// A picture as stored with the program: the bytes of its file.
using PictureData = std::span<const unsigned char>;

// Decodes an embedded JPEG, BMP or PNG; throws std::runtime_error if the
// bytes are not a picture (a fault of the build, not of the player).
Surface DecodePicture(PictureData data);

class Media {
public:
    explicit Media(std::span<const unsigned char> fontData) : text_(fontData) {}

    // The decoded picture; an empty picture gives an empty surface.
    const Surface& Picture(PictureData data);
    const TextRenderer& Text() const { return text_; }

private:
    TextRenderer text_;
    std::map<const unsigned char*, Surface> pictures_;
};

}  // namespace platform

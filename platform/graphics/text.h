// Text for the labels, rendered with the embedded substitute for the old
// desktop's sans-serif face, so that it looks the same on every machine.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "platform/graphics/surface.h"

namespace platform {

// Coverage of rendered text, 0 to 255 per pixel.
struct TextImage {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Alpha;
};

class TextRenderer {
public:
    // fontData must outlive the renderer: the font library reads from it for
    // the whole life of each font.
    explicit TextRenderer(std::span<const unsigned char> fontData);
    ~TextRenderer();
    TextRenderer(const TextRenderer&) = delete;
    TextRenderer& operator=(const TextRenderer&) = delete;

    TextImage Render(std::string_view text, int points) const;
    // Opens the font at points now rather than at its first text: a step of
    // its own for a start-up in steps.
    void Open(int points) const { FontAt(points); }

private:
    struct Font;
    const Font& FontAt(int points) const;

    std::span<const unsigned char> fontData_;
    mutable std::map<int, std::unique_ptr<Font>> fonts_;
};

// Text in colour over dest with its top-left at (x, y), clipped to dest and to
// clip.
void BlendText(Surface& dest, const TextImage& text, int x, int y, const Rect& clip, Pixel colour);

}  // namespace platform

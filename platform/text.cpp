#include "platform/text.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace platform {

namespace {

// Point sizes mean what they meant on the old desktop at its standard density.
constexpr unsigned kDotsPerInch = 96;

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};

}  // namespace

struct TextRenderer::Font {
    TTF_Font* handle = nullptr;
    ~Font()
    {
        if (handle != nullptr) {
            TTF_CloseFont(handle);
        }
    }
};

TextRenderer::TextRenderer(std::span<const unsigned char> fontData) : fontData_(fontData)
{
    if (TTF_WasInit() == 0 && TTF_Init() != 0) {
        throw std::runtime_error(std::string("cannot start the font library: ") + TTF_GetError());
    }
}

TextRenderer::~TextRenderer()
{
    fonts_.clear();
    TTF_Quit();
}

const TextRenderer::Font& TextRenderer::FontAt(int points) const
{
    auto& font = fonts_[points];
    if (!font) {
        font = std::make_unique<Font>();
        SDL_RWops* rw = SDL_RWFromConstMem(fontData_.data(), static_cast<int>(fontData_.size()));
        font->handle = TTF_OpenFontDPIRW(rw, 1, points, kDotsPerInch, kDotsPerInch);
        if (font->handle == nullptr) {
            throw std::runtime_error(std::string("cannot open the embedded font: ") + TTF_GetError());
        }
    }
    return *font;
}

TextImage TextRenderer::Render(std::string_view text, int points) const
{
    TextImage image;
    if (text.empty()) {
        return image;
    }
    const std::string copy(text);
    std::unique_ptr<SDL_Surface, SurfaceDeleter> rendered(
        TTF_RenderUTF8_Blended(FontAt(points).handle, copy.c_str(), SDL_Color{255, 255, 255, 255}));
    if (!rendered) {
        return image;  // Text that cannot be rendered simply does not show.
    }
    std::unique_ptr<SDL_Surface, SurfaceDeleter> argb(
        SDL_ConvertSurfaceFormat(rendered.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    if (!argb) {
        return image;
    }
    image.Width = argb->w;
    image.Height = argb->h;
    image.Alpha.resize(static_cast<std::size_t>(argb->w) * static_cast<std::size_t>(argb->h));
    for (int y = 0; y < argb->h; ++y) {
        const auto* row = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(argb->pixels) + y * argb->pitch);
        for (int x = 0; x < argb->w; ++x) {
            image.Alpha[static_cast<std::size_t>(y * argb->w + x)] = static_cast<std::uint8_t>(row[x] >> 24);
        }
    }
    return image;
}

void BlendText(Surface& dest, const TextImage& text, int x, int y, int clipWidth, int clipHeight, Pixel colour)
{
    const int width = std::min(text.Width, clipWidth);
    const int height = std::min(text.Height, clipHeight);
    for (int row = 0; row < height; ++row) {
        const int dy = y + row;
        if (dy < 0 || dy >= dest.Height()) {
            continue;
        }
        for (int col = 0; col < width; ++col) {
            const int dx = x + col;
            const unsigned a = text.Alpha[static_cast<std::size_t>(row * text.Width + col)];
            if (a == 0 || dx < 0 || dx >= dest.Width()) {
                continue;
            }
            const Pixel under = dest.At(dx, dy);
            Pixel out = 0;
            for (int shift = 0; shift <= 16; shift += 8) {
                const unsigned d = (under >> shift) & 0xFFU;
                const unsigned c = (colour >> shift) & 0xFFU;
                out |= ((c * a + d * (255U - a) + 127U) / 255U) << shift;
            }
            dest.At(dx, dy) = out;
        }
    }
}

}  // namespace platform

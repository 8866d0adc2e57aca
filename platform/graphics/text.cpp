#include "platform/graphics/text.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "platform/graphics/sdl_surface.h"

namespace platform {

namespace {

// Point sizes mean what they meant on the old desktop at its standard density.
constexpr unsigned kDotsPerInch = 96;

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
    // The library counts its starts, and each renderer's TTF_Quit takes back
    // only its own: the last renderer gone shuts it down, not the first.
    if (TTF_Init() != 0) {
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
    if (const auto found = fonts_.find(points); found != fonts_.end()) {
        return *found->second;
    }
    // Kept only once open: a font that failed is tried again, never handed out.
    auto font = std::make_unique<Font>();
    SDL_RWops* rw = SDL_RWFromConstMem(fontData_.data(), static_cast<int>(fontData_.size()));
    font->handle = TTF_OpenFontDPIRW(rw, 1, points, kDotsPerInch, kDotsPerInch);
    if (font->handle == nullptr) {
        throw std::runtime_error(std::string("cannot open the embedded font: ") + TTF_GetError());
    }
    return *fonts_.emplace(points, std::move(font)).first->second;
}

TextImage TextRenderer::Render(std::string_view text, int points) const
{
    TextImage image;
    if (text.empty()) {
        return image;
    }
    const std::string copy(text);
    SdlSurfacePtr rendered(
        TTF_RenderUTF8_Blended(FontAt(points).handle, copy.c_str(), SDL_Color{255, 255, 255, 255}));
    if (!rendered) {
        return image;  // Text that cannot be rendered simply does not show.
    }
    SdlSurfacePtr argb(
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

void BlendText(Surface& dest, const TextImage& text, int x, int y, const Rect& clip, Pixel colour)
{
    const Rect area = Rect{x, y, text.Width, text.Height}.Intersect(clip).Intersect(dest.Bounds());
    for (int dy = area.Y; dy < area.Y + area.Height; ++dy) {
        const std::uint8_t* alpha = text.Alpha.data() + static_cast<std::size_t>(dy - y) * text.Width;
        Pixel* row = dest.Row(dy);
        for (int dx = area.X; dx < area.X + area.Width; ++dx) {
            const unsigned a = alpha[dx - x];
            if (a == 0) {
                continue;
            }
            const Pixel under = row[dx];
            Pixel out = 0;
            for (int shift = 0; shift <= 16; shift += 8) {
                const unsigned d = (under >> shift) & 0xFFU;
                const unsigned c = (colour >> shift) & 0xFFU;
                out |= ((c * a + d * (255U - a) + 127U) / 255U) << shift;
            }
            row[dx] = out;
        }
    }
}

}  // namespace platform

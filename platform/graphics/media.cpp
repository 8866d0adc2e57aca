#include "platform/graphics/media.h"

#include <SDL.h>
#include <SDL_image.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "platform/graphics/sdl_surface.h"

namespace platform {

Surface DecodePicture(PictureData data)
{
    SDL_RWops* rw = SDL_RWFromConstMem(data.data(), static_cast<int>(data.size()));
    SdlSurfacePtr decoded(IMG_Load_RW(rw, 1));
    if (!decoded) {
        throw std::runtime_error(std::string("cannot decode an embedded picture: ") + IMG_GetError());
    }
    SdlSurfacePtr xrgb(SDL_ConvertSurfaceFormat(decoded.get(), SDL_PIXELFORMAT_RGB888, 0));
    if (!xrgb) {
        throw std::runtime_error(std::string("cannot convert an embedded picture: ") + SDL_GetError());
    }
    Surface picture(xrgb->w, xrgb->h);
    for (int y = 0; y < xrgb->h; ++y) {
        const auto* row = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(xrgb->pixels) + y * xrgb->pitch);
        for (int x = 0; x < xrgb->w; ++x) {
            picture.At(x, y) = row[x] & 0x00FFFFFFU;
        }
    }
    return picture;
}

const Surface& Media::Picture(PictureData data)
{
    auto found = pictures_.find(data.data());
    if (found == pictures_.end()) {
        found = pictures_.emplace(data.data(), data.empty() ? Surface() : DecodePicture(data)).first;
    }
    return found->second;
}

}  // namespace platform

// An SDL surface owned, freed with its owner: for the code that sees SDL (the
// graphics layer's own files and the SDL backend), never a layer above.
#pragma once

#include <SDL_surface.h>

#include <memory>

namespace platform {

struct SdlSurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SdlSurfacePtr = std::unique_ptr<SDL_Surface, SdlSurfaceDeleter>;

}  // namespace platform

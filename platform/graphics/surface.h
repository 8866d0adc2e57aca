// A drawing surface of 32-bit pixels (0x00RRGGBB) and the block transfer that
// stands in for the system's BitBlt.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

using Pixel = std::uint32_t;

constexpr Pixel Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return (Pixel{r} << 16) | (Pixel{g} << 8) | Pixel{b};
}

// A rectangle of pixels.
struct Rect {
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;

    bool Empty() const { return Width <= 0 || Height <= 0; }
    bool Contains(int x, int y) const { return x >= X && y >= Y && x - X < Width && y - Y < Height; }
    Rect Intersect(const Rect& other) const;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Pixels of its own, or a view of pixels that something else owns, such as a
// window's own surface. A copy always owns its pixels.
class Surface {
public:
    Surface() = default;
    Surface(int width, int height, Pixel fill = 0);
    // rowPitch pixels from one row to the next; the pixels must outlive the view.
    static Surface View(Pixel* pixels, int width, int height, int rowPitch);

    Surface(const Surface& other);
    Surface& operator=(const Surface& other);
    Surface(Surface&& other) noexcept;
    Surface& operator=(Surface&& other) noexcept;
    ~Surface() = default;

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    Rect Bounds() const { return {0, 0, width_, height_}; }
    // A view of pixels something else owns, which it cannot resize.
    bool Borrowed() const { return data_ != nullptr && owned_.empty(); }

    Pixel& At(int x, int y) { return data_[Index(x, y)]; }
    Pixel At(int x, int y) const { return data_[Index(x, y)]; }
    Pixel* Row(int y) { return data_ + Index(0, y); }
    const Pixel* Row(int y) const { return data_ + Index(0, y); }

    void Fill(Pixel colour);
    // Opaque copy of src with its top-left at (x, y), clipped to this surface
    // and to clip.
    void Draw(const Surface& src, int x, int y, const Rect& clip);

    // Counts every change, so that a caller can tell whether anything was
    // drawn since it last looked.
    std::uint64_t Generation() const { return generation_; }
    void Touch() { ++generation_; }

    friend bool operator==(const Surface& a, const Surface& b);

private:
    std::size_t Index(int x, int y) const
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(pitch_) + static_cast<std::size_t>(x);
    }

    int width_ = 0;
    int height_ = 0;
    int pitch_ = 0;
    std::vector<Pixel> owned_;
    Pixel* data_ = nullptr;  // owned_'s pixels, or the viewed ones
    std::uint64_t generation_ = 0;
};

// A device context: the surface a BitBlt reads or writes. Valid only for the
// handler call that took it, like the handle it stands in for.
using HDC = Surface*;

enum class RasterOp : std::int32_t {
    SrcCopy = 0x00CC0020,
    SrcAnd = 0x008800C6,
    SrcInvert = 0x00660046,
};

// Copies width x height pixels from (xSrc, ySrc) of src to (x, y) of dest,
// clipped to both surfaces, combining per pixel with rop; false for an
// unknown operation.
bool Blit(Surface& dest, std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height, const Surface& src,
          std::int64_t xSrc, std::int64_t ySrc, RasterOp rop);

// The block transfer: copies width x height pixels from (xSrc, ySrc) of src to
// (x, y) of dest, clipped to both surfaces, combining per pixel with rop.
// Returns nonzero on success; a null context or an unknown operation fails
// and leaves dest unchanged.
std::int32_t BlockTransfer(HDC dest, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                           HDC src, std::int32_t xSrc, std::int32_t ySrc, std::int32_t rop);

}  // namespace platform

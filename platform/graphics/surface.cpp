#include "platform/graphics/surface.h"

#include <algorithm>
#include <cstring>

namespace platform {

Surface::Surface(int width, int height, Pixel fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pitch_(width_),
      owned_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), fill),
      data_(owned_.data())
{
}

Surface Surface::View(Pixel* pixels, int width, int height, int rowPitch)
{
    Surface view;
    if (pixels != nullptr && width > 0 && height > 0 && rowPitch >= width) {
        view.width_ = width;
        view.height_ = height;
        view.pitch_ = rowPitch;
        view.data_ = pixels;
    }
    return view;
}

Surface::Surface(const Surface& other)
    : width_(other.width_), height_(other.height_), pitch_(other.width_), generation_(other.generation_)
{
    owned_.reserve(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    for (int y = 0; y < height_; ++y) {
        owned_.insert(owned_.end(), other.Row(y), other.Row(y) + width_);
    }
    data_ = owned_.data();
}

Surface& Surface::operator=(const Surface& other)
{
    if (this != &other) {
        *this = Surface(other);
    }
    return *this;
}

Surface::Surface(Surface&& other) noexcept
    : width_(other.width_),
      height_(other.height_),
      pitch_(other.pitch_),
      owned_(std::move(other.owned_)),
      data_(owned_.empty() ? other.data_ : owned_.data()),
      generation_(other.generation_)
{
    other = Surface();
}

Surface& Surface::operator=(Surface&& other) noexcept
{
    if (this != &other) {
        width_ = other.width_;
        height_ = other.height_;
        pitch_ = other.pitch_;
        owned_ = std::move(other.owned_);
        data_ = owned_.empty() ? other.data_ : owned_.data();
        generation_ = other.generation_;
        other.width_ = other.height_ = other.pitch_ = 0;
        other.owned_.clear();
        other.data_ = nullptr;
    }
    return *this;
}

bool operator==(const Surface& a, const Surface& b)
{
    if (a.width_ != b.width_ || a.height_ != b.height_) {
        return false;
    }
    for (int y = 0; y < a.height_; ++y) {
        if (!std::equal(a.Row(y), a.Row(y) + a.width_, b.Row(y))) {
            return false;
        }
    }
    return true;
}

void Surface::Fill(Pixel colour)
{
    for (int y = 0; y < height_; ++y) {
        std::fill_n(Row(y), width_, colour);
    }
    Touch();
}

Rect Rect::Intersect(const Rect& other) const
{
    using Wide = long long;  // so that a corner's sum cannot overflow
    const Wide left = std::max<Wide>(X, other.X);
    const Wide top = std::max<Wide>(Y, other.Y);
    const Wide right = std::min(Wide{X} + Width, Wide{other.X} + other.Width);
    const Wide bottom = std::min(Wide{Y} + Height, Wide{other.Y} + other.Height);
    // Each extent is at most the smaller of the two, so it fits an int.
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(std::max<Wide>(right - left, 0)),
            static_cast<int>(std::max<Wide>(bottom - top, 0))};
}

void Surface::Draw(const Surface& src, int x, int y, const Rect& clip)
{
    const Rect area = Rect{x, y, src.Width(), src.Height()}.Intersect(clip);
    if (!area.Empty()) {
        Blit(*this, area.X, area.Y, area.Width, area.Height, src, std::int64_t{area.X} - x, std::int64_t{area.Y} - y,
             RasterOp::SrcCopy);
    }
}

namespace {

// One axis of the clip: shifts the start of both rectangles so that the
// copy lies inside both surfaces. 64-bit, so that extreme coordinates cannot
// overflow.
struct Span {
    std::int64_t dest;
    std::int64_t src;
    std::int64_t length;
};

Span Clip(std::int64_t dest, std::int64_t src, std::int64_t length, std::int64_t destSize, std::int64_t srcSize)
{
    const std::int64_t shift = std::max({std::int64_t{0}, -dest, -src});
    dest += shift;
    src += shift;
    length -= shift;
    length = std::min({length, destSize - dest, srcSize - src});
    return {dest, src, std::max<std::int64_t>(length, 0)};
}

template <class Combine>
void Transfer(Surface& dest, const Surface& src, const Span& h, const Span& v, Combine combine)
{
    for (std::int64_t row = 0; row < v.length; ++row) {
        Pixel* out = dest.Row(static_cast<int>(v.dest + row)) + h.dest;
        const Pixel* in = src.Row(static_cast<int>(v.src + row)) + h.src;
        for (std::int64_t col = 0; col < h.length; ++col) {
            out[col] = combine(out[col], in[col]);
        }
    }
}

}  // namespace

bool Blit(Surface& dest, std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height, const Surface& src,
          std::int64_t xSrc, std::int64_t ySrc, RasterOp rop)
{
    const Span h = Clip(x, xSrc, width, dest.Width(), src.Width());
    const Span v = Clip(y, ySrc, height, dest.Height(), src.Height());
    if (h.length == 0 || v.length == 0) {
        return true;  // Nothing visible to copy is still a success.
    }
    switch (rop) {
    case RasterOp::SrcCopy:
        for (std::int64_t row = 0; row < v.length; ++row) {
            std::memmove(dest.Row(static_cast<int>(v.dest + row)) + h.dest,
                         src.Row(static_cast<int>(v.src + row)) + h.src,
                         static_cast<std::size_t>(h.length) * sizeof(Pixel));
        }
        break;
    case RasterOp::SrcAnd:
        Transfer(dest, src, h, v, [](Pixel d, Pixel s) { return d & s; });
        break;
    case RasterOp::SrcInvert:
        Transfer(dest, src, h, v, [](Pixel d, Pixel s) { return d ^ s; });
        break;
    default:
        return false;
    }
    dest.Touch();
    return true;
}

std::int32_t BlockTransfer(HDC dest, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                           HDC src, std::int32_t xSrc, std::int32_t ySrc, std::int32_t rop)
{
    if (dest == nullptr || src == nullptr) {
        return 0;
    }
    return Blit(*dest, x, y, width, height, *src, xSrc, ySrc, static_cast<RasterOp>(rop)) ? 1 : 0;
}

}  // namespace platform

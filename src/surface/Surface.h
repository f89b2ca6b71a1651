#pragma once
// The drawing surface a strip composes its frames on, and the display a frame is shown on.
// OffscreenDC_win32 implements the surface on GDI; the host tests record what is drawn.
#include <cstdint>
#include <memory>
#include <string_view>

#include "surface/StdFont.h"

namespace gb {

using Color = std::uint32_t; // 0x00BBGGRR, passed to the platform unchanged

// Dots per inch that the design's pixel sizes are given at.
inline constexpr int kDefaultDpi = 96;

// A pixel length designed at 96 dots per inch, at another DPI (rounded half up).
constexpr int ScaleForDpi(int pixelsAt96, int dpi) noexcept {
    if (dpi <= 0) dpi = kDefaultDpi;
    return static_cast<int>((static_cast<long long>(pixelsAt96) * dpi + kDefaultDpi / 2) /
                            kDefaultDpi);
}

class ISurface {
  public:
    virtual ~ISurface() = default;

    virtual std::int32_t Width() const = 0;
    virtual std::int32_t Height() const = 0;
    // Height first. The new content is undefined until Clear.
    virtual void Resize(std::int32_t height, std::int32_t width) = 0;
    // Fills the whole surface with BackColor.
    virtual void Clear() = 0;
    virtual Color BackColor() const = 0;
    // Stores the colour and clears at once.
    virtual void SetBackColor(Color color) = 0;
    virtual Color ForeColor() const = 0;
    virtual void SetForeColor(Color color) = 0;

    // The font object; a fresh default one is created, kept and returned when none is held.
    virtual std::shared_ptr<StdFont> Font() = 0;
    // Keeps the reference and realises the font as it is now.
    virtual void SetFont(std::shared_ptr<StdFont> font) = 0;
    // The dots per inch that font sizes in points are realised at from now on.
    virtual void SetDpi(int dpi) = 0;

    // Text in ForeColor and the current font, its cell painted opaque white.
    virtual void DrawTxt(std::u16string_view text, std::int32_t x, std::int32_t y) = 0;
    virtual std::int32_t StringWidth(std::u16string_view text) = 0;
    virtual std::int32_t StringHeight(std::u16string_view text) = 0;
    // An unfilled rectangle with the current pen, through (x1,y1) (x2,y1) (x2,y2) (x1,y2);
    // the far corner's row and column are left out, as lines leave out their last point.
    virtual void DrawRect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) = 0;
    // A line from one point to the other with the current pen, its last point left out.
    virtual void DrawLine(std::int32_t xFrom, std::int32_t yFrom, std::int32_t xTo,
                          std::int32_t yTo) = 0;

    // The pen: a new surface's is black and one pixel wide. Writing the colour keeps the
    // width and writing the width keeps the colour; where no such pen can be made the old one
    // stays, and so does the colour.
    virtual Color LineColor() const = 0;
    virtual void SetLineColor(Color color) = 0;
    virtual std::int16_t LineWidth() const = 0;
    virtual void SetLineWidth(std::int16_t width) = 0;
    // The brush, white on a new surface.
    virtual Color FillColor() const = 0;
    virtual void SetFillColor(Color color) = 0;

    // Moves the whole content left by that many pixels; the columns it leaves on the right
    // hold anything until drawn.
    virtual void ScrollLeft(std::int32_t pixels) = 0;
    // Drawing (Clear included) touches only the columns from left up to, not including, right
    // until ResetClip.
    virtual void ClipColumns(std::int32_t left, std::int32_t right) = 0;
    virtual void ResetClip() = 0;

    // Copies a block of this surface onto another one at (destX, destY). A source height or
    // width of 0 means this surface's Height or Width. Height before width.
    virtual void BltTo(ISurface& destination, std::int32_t destX, std::int32_t destY,
                       std::int32_t srcX, std::int32_t srcY, std::int32_t srcHeight,
                       std::int32_t srcWidth) = 0;
};

// Where a strip is shown: a window or a picture box, sized in pixels.
class IDisplay {
  public:
    virtual ~IDisplay() = default;
    virtual float ScaleWidth() const = 0;
    virtual float ScaleHeight() const = 0;
    // Copies the whole composed canvas to the display's top-left corner in one transfer.
    virtual void Present(ISurface& canvas) = 0;
};

// How a strip gets its two surfaces.
class ISurfaceFactory {
  public:
    virtual ~ISurfaceFactory() = default;
    // A new 1 x 1 white surface.
    virtual std::unique_ptr<ISurface> CreateCanvas() = 0;
    // A surface holding the emoticon picture strip with square cells of cellSize pixels (cell k
    // at x = cellSize k; 19 at 96 dots per inch). Its Width and Height may stay 1 x 1, so copies
    // from it give explicit sizes.
    virtual std::unique_ptr<ISurface> CreateEmoticonStrip(int cellSize) = 0;
};

} // namespace gb

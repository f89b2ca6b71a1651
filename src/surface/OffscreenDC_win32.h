#pragma once
// The double buffer of the strip on GDI: a memory device context with its own bitmap, pen,
// brush and font. Each slot owns the object selected into it and puts back the one it found
// there before the device context goes.
#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "kit/Handles_win32.h"
#include "surface/Surface.h"

namespace gb {

class OffscreenDC final : public ISurface {
  public:
    // 1 x 1 white, a black one-pixel pen, a white brush, black text, 12-point Arial.
    OffscreenDC();
    ~OffscreenDC() override;
    OffscreenDC(const OffscreenDC&) = delete;
    OffscreenDC& operator=(const OffscreenDC&) = delete;

    // Null when the device context could not be created; the surface is then inert.
    HDC hDC() const noexcept { return dc_.get(); }

    Color ForeColor() const override;
    void SetForeColor(Color color) override;
    Color BackColor() const override { return backColor_; }
    void SetBackColor(Color color) override;

    // BitBlt to a device context; a source height or width of 0 means Height or Width.
    void BltTo(HDC destination, std::int32_t destX, std::int32_t destY, std::int32_t srcX,
               std::int32_t srcY, std::int32_t srcHeight, std::int32_t srcWidth,
               DWORD rop = SRCCOPY) const;
    // The destination must be an OffscreenDC.
    void BltTo(ISurface& destination, std::int32_t destX, std::int32_t destY, std::int32_t srcX,
               std::int32_t srcY, std::int32_t srcHeight, std::int32_t srcWidth) override;

    std::int32_t Height() const override { return height_; }
    std::int32_t Width() const override { return width_; }
    void Resize(std::int32_t height, std::int32_t width) override;
    void Clear() override;
    void ScrollLeft(std::int32_t pixels) override;
    void ClipColumns(std::int32_t left, std::int32_t right) override;
    void ResetClip() override;
    void DrawRect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) override;
    void DrawLine(std::int32_t xFrom, std::int32_t yFrom, std::int32_t xTo,
                  std::int32_t yTo) override;

    Color LineColor() const override { return lineColor_; }
    void SetLineColor(Color color) override;
    std::int16_t LineWidth() const override { return static_cast<std::int16_t>(lineWidth_); }
    // Stored even when no pen of that width can be made.
    void SetLineWidth(std::int16_t width) override;
    Color FillColor() const override { return fillColor_; }
    void SetFillColor(Color color) override;

    std::shared_ptr<StdFont> Font() override;
    void SetFont(std::shared_ptr<StdFont> font) override;
    // Font sizes are realised at the device context's own DPI until this says otherwise.
    void SetDpi(int dpi) override;

    void DrawTxt(std::u16string_view text, std::int32_t x, std::int32_t y) override;
    std::int32_t StringWidth(std::u16string_view text) override;
    std::int32_t StringHeight(std::u16string_view text) override;

    // Takes over a copy of the picture's bitmap, so that the picture object may delete its
    // own whenever it is released. With sizeToFit the surface first takes the picture's size
    // (HIMETRIC converted to pixels); otherwise Width and Height stay as they were.
    void LoadStdPicture(IPicture* picture, bool sizeToFit);

  private:
    void ApplyFont();
    // A length in HIMETRIC units (1/100 mm) as pixels, 26.45703125 to the pixel, rounded.
    static std::int32_t HimetricToPixels(std::int32_t himetric) noexcept;
    SIZE Extent(std::u16string_view text) const;

    // Declared before the slots: the slots give the device context its own objects back
    // before it is deleted.
    unique_hdc dc_;
    selected_object<HBITMAP> bitmap_;
    selected_object<HPEN> pen_;
    selected_object<HBRUSH> brush_;
    selected_object<HFONT> fontObject_;
    std::shared_ptr<StdFont> font_;
    std::optional<StdFont> realised_; // what the selected font was made from
    std::int32_t height_ = 0;
    std::int32_t width_ = 0;
    Color lineColor_ = 0;
    std::int32_t lineWidth_ = 0;
    Color fillColor_ = 0;
    Color backColor_ = 0;
    int dpi_ = 0; // 0: the device context's own
};

// Canvas and emoticon surfaces on GDI; the emoticon strip is bitmap resource 101 of module.
class OffscreenDCFactory final : public ISurfaceFactory {
  public:
    explicit OffscreenDCFactory(HINSTANCE module = nullptr) noexcept;
    std::unique_ptr<ISurface> CreateCanvas() override;
    // The committed strip whose cells are nearest above the size asked for, smoothly scaled
    // to it where no strip has that size.
    std::unique_ptr<ISurface> CreateEmoticonStrip(int cellSize) override;

  private:
    HINSTANCE module_;
};

// The emoticon strips: cells of 19 pixels (for 96 dots per inch), 29 and 38.
inline constexpr int kEmoticonBitmapId = 101;
struct EmoticonStripResource {
    int id;
    int cell;
};
inline constexpr EmoticonStripResource kEmoticonStrips[] = {{101, 19}, {102, 29}, {103, 38}};

} // namespace gb

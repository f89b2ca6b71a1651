#pragma once
// One emoticon picture: a 19 x 19 cell of the emoticon picture strip.
#include <cstdint>

#include "strip/clsItem.h"
#include "surface/Surface.h"

namespace gb {

inline constexpr std::int32_t kEmoCellSize = 19; // at 96 dots per inch

// The cell's side at a monitor's dots per inch.
constexpr std::int32_t EmoCellSize(int dpi) noexcept { return ScaleForDpi(kEmoCellSize, dpi); }

class clsEmo final : public clsItem {
  public:
    static constexpr ItemKind kKind = ItemKind::Emo;

    explicit clsEmo(const StripHost& host) noexcept : clsItem(kKind, host) {}

    std::uint8_t PicNumber() const noexcept { return picNumber_; }
    void SetPicNumber(std::uint8_t cell) noexcept { picNumber_ = cell; }
    messenger::WindowHandle hWnd() const noexcept { return hwnd_; }
    void SethWnd(messenger::WindowHandle hwnd) noexcept { hwnd_ = hwnd; }

    float Width() const override;
    void OnClick(std::size_t index) override;

  private:
    std::uint8_t picNumber_ = 0;
    messenger::WindowHandle hwnd_ = 0;
};

} // namespace gb

#pragma once
// A run of text in one font and colour.
#include <memory>
#include <string>

#include "strip/MeasuredWidth.h"
#include "strip/clsItem.h"
#include "surface/StdFont.h"
#include "surface/Surface.h"

namespace gb {

class clsString final : public clsItem {
  public:
    static constexpr ItemKind kKind = ItemKind::String;

    // Empty, black, in a new Arial font of the host's font size.
    explicit clsString(const StripHost& host);

    const std::u16string& Text() const noexcept { return text_; }
    void SetText(std::u16string text) {
        text_ = std::move(text);
        measured_.Forget();
    }
    const std::shared_ptr<StdFont>& TextFont() const noexcept { return font_; }
    void SetTextFont(std::shared_ptr<StdFont> font) { font_ = std::move(font); }
    Color TextColor() const noexcept { return color_; }
    void SetTextColor(Color color) noexcept { color_ = color; }
    // Greater than 0 a window to bring to the front, -1 hand the click to the next item of
    // the bar's strip, anything else nothing.
    messenger::WindowHandle hWnd() const noexcept { return hwnd_; }
    void SethWnd(messenger::WindowHandle hwnd) noexcept { hwnd_ = hwnd; }

    float Width() const override;
    void OnClick(std::size_t index) override;

  private:
    std::u16string text_;
    std::shared_ptr<StdFont> font_;
    Color color_ = 0;
    messenger::WindowHandle hwnd_ = 0;
    MeasuredWidth measured_;
};

} // namespace gb

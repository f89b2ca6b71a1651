#pragma once
// A run of text in one font and colour.
#include <memory>
#include <string>

#include "strip/TextRun.h"
#include "strip/clsItem.h"
#include "surface/StdFont.h"
#include "surface/Surface.h"

namespace gb {

class clsString final : public clsItem, public TextRun {
  public:
    static constexpr ItemKind kKind = ItemKind::String;

    // Empty, black, in a new Arial font of the host's font size.
    explicit clsString(const StripHost& host);

    // Greater than 0 a window to bring to the front, -1 hand the click to the next item of
    // the bar's strip, anything else nothing.
    messenger::WindowHandle hWnd() const noexcept { return hwnd_; }
    void SethWnd(messenger::WindowHandle hwnd) noexcept { hwnd_ = hwnd; }

    float Width() const override;
    void OnClick(std::size_t index) override;

  private:
    messenger::WindowHandle hwnd_ = 0;
};

} // namespace gb

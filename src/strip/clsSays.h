#pragma once
// A buddy's name followed by the says text, drawn in grey in the strip's says font.
#include <memory>
#include <string>

#include "strip/MeasuredWidth.h"
#include "strip/clsItem.h"
#include "surface/StdFont.h"

namespace gb {

class clsSays final : public clsItem {
  public:
    static constexpr ItemKind kKind = ItemKind::Says;

    // saysFont: the font the strip draws says items in; the item is measured in it too.
    clsSays(const StripHost& host, std::shared_ptr<const StdFont> saysFont);

    const std::u16string& Buddy() const noexcept { return buddy_; }
    void SetBuddy(std::u16string buddy) {
        buddy_ = std::move(buddy);
        measured_.Forget();
    }
    // Any non-zero value is a window to bring to the front; there is no hand-over.
    messenger::WindowHandle hWnd() const noexcept { return hwnd_; }
    void SethWnd(messenger::WindowHandle hwnd) noexcept { hwnd_ = hwnd; }

    // Buddy alone when the Says setting is empty, else Buddy, a blank and Says (read now).
    std::u16string Text() const;

    float Width() const override;
    void OnClick(std::size_t index) override;

  private:
    std::shared_ptr<const StdFont> saysFont_;
    std::u16string buddy_;
    messenger::WindowHandle hwnd_ = 0;
    // The last measurement and the Says setting it was made with.
    MeasuredWidth measured_;
    mutable std::u16string measuredSays_;
};

} // namespace gb

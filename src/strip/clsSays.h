#pragma once
// A buddy's name followed by the says text, drawn in grey in the strip's says font.
#include <memory>
#include <optional>
#include <string>

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
        measuredIn_.reset();
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
    // The last measurement, for as long as the Says setting and the font stay what they were:
    // a long says text is not measured again at every tick while it is in view.
    mutable std::optional<StdFont> measuredIn_;
    mutable std::u16string measuredSays_;
    mutable float measuredWidth_ = 0;
    mutable int measuredDpi_ = 0;
};

} // namespace gb

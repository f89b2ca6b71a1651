#include "strip/clsSays.h"

#include "strip/StripHost.h"

namespace gb {

clsSays::clsSays(const StripHost& host, std::shared_ptr<const StdFont> saysFont)
    : clsItem(kKind, host), saysFont_(std::move(saysFont)) {}

std::u16string clsSays::Text() const {
    const std::u16string& says = Host().settings.Says;
    if (says.empty()) return buddy_;
    std::u16string text;
    text.reserve(buddy_.size() + 1 + says.size());
    text.append(buddy_).append(u" ").append(says);
    return text;
}

// Measured in the font it is drawn in, whatever font the host measured last.
float clsSays::Width() const {
    const std::u16string& says = Host().settings.Says;
    if (buddy_.empty() && says.empty()) return WhiteSpace();
    const StdFont font = saysFont_ ? *saysFont_ : StdFont(u"Arial", Host().fontSize);
    if (measuredSays_ != says) {
        measured_.Forget();
        measuredSays_ = says;
    }
    return measured_.Of(Host().measure, font, Host().dpi, [this] { return Text(); }) + WhiteSpace();
}

void clsSays::OnClick(std::size_t /*index*/) {
    if (hwnd_ != 0) ActivateWindow(hwnd_);
}

} // namespace gb

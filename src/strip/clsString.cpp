#include "strip/clsString.h"

#include "strip/HandOver.h"
#include "strip/StripHost.h"

namespace gb {

clsString::clsString(const StripHost& host)
    : clsItem(kKind, host), font_(std::make_shared<StdFont>(u"Arial", host.fontSize)) {}

float clsString::Width() const {
    if (text_.empty()) return WhiteSpace();
    const auto text = [this]() -> const std::u16string& { return text_; };
    return measured_.Of(Host().measure, font_ ? *font_ : StdFont(), Host().dpi, text) +
           WhiteSpace();
}

void clsString::OnClick(std::size_t index) {
    if (hwnd_ > 0)
        ActivateWindow(hwnd_);
    else if (hwnd_ == -1)
        HandClickOn(Host(), index);
}

} // namespace gb

#include "strip/clsString.h"

#include "strip/HandOver.h"
#include "strip/StripHost.h"

namespace gb {

clsString::clsString(const StripHost& host)
    : clsItem(kKind, host), font_(std::make_shared<StdFont>(u"Arial", host.fontSize)) {}

float clsString::Width() const {
    if (text_.empty()) return WhiteSpace();
    return Host().measure.TextWidth(font_ ? *font_ : StdFont(), text_, Host().dpi) + WhiteSpace();
}

void clsString::OnClick(std::size_t index) {
    if (hwnd_ > 0)
        ActivateWindow(hwnd_);
    else if (hwnd_ == -1)
        HandClickOn(Host(), index);
}

} // namespace gb

#include "strip/clsString.h"

#include "strip/HandOver.h"
#include "strip/StripHost.h"

namespace gb {

clsString::clsString(const StripHost& host) : clsItem(kKind, host), TextRun(host, 0) {}

float clsString::Width() const { return TextWidth(Host()) + WhiteSpace(); }

void clsString::OnClick(std::size_t index) {
    if (hwnd_ > 0)
        ActivateWindow(hwnd_);
    else if (hwnd_ == -1)
        HandClickOn(Host(), index);
}

} // namespace gb

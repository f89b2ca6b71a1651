#include "strip/clsEmo.h"

#include "strip/HandOver.h"
#include "strip/StripHost.h"

namespace gb {

float clsEmo::Width() const { return static_cast<float>(EmoCellSize(Host().dpi)) + WhiteSpace(); }

void clsEmo::OnClick(std::size_t index) {
    if (hwnd_ > 0)
        ActivateWindow(hwnd_);
    else if (hwnd_ == -1)
        HandClickOn(Host(), index);
}

} // namespace gb

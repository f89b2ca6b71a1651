#include "options/OptionsTicker.h"

#include <cmath>

namespace gb {

std::u16string TickerLeadIn(float scaleWidth, float nameWidth, float blankWidth) {
    if (!(blankWidth > 0)) return {};
    const double w = std::floor(static_cast<double>(scaleWidth) - nameWidth);
    if (w <= 0) return {};
    const double n = std::nearbyint(w / blankWidth); // the default rounding: halves to even
    return std::u16string(static_cast<std::size_t>(n), u' ');
}

void TickerGestures::MouseDown(int button, float x) noexcept {
    if (button == kLeftButton)
        lastX_ = x;
    else if (button == kRightButton)
        paused_ = true;
}

float TickerGestures::MouseMove(int buttons, float x, float speed) noexcept {
    if (buttons != kLeftButton) return speed;
    const float s = SpeedWithin(speed - x + lastX_);
    lastX_ = x;
    return s;
}

void TickerGestures::MouseUp(int button) noexcept {
    if (button == kRightButton) paused_ = false;
}

} // namespace gb

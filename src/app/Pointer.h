#pragma once
// The mouse as the bar's and the dialog's handlers pass it on, and the scroll speed a drag or
// the stored Speed may give a strip.
#include <algorithm>

namespace gb {

// Mouse buttons, one bit each, as the window handlers pass them to their controllers.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;

// Pixels per scroll step: at least 1, so that a strip can neither stop nor run backwards.
inline constexpr float kMinimumSpeed = 1.0f;
inline constexpr float kMaximumSpeed = 100.0f;
constexpr float SpeedWithin(float speed) noexcept {
    return std::clamp(speed, kMinimumSpeed, kMaximumSpeed);
}

} // namespace gb

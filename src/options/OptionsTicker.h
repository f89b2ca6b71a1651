#pragma once
// The rules of the dialog's ticker: its lead-in, its speed gestures and when the next pass of
// the About lines is due. The speed belongs to the ticker alone and is never stored.
#include <cstddef>
#include <string>

#include "app/Pointer.h"

namespace gb {

inline constexpr float kTickerStartSpeed = 15.0f;

// The blanks of the lead-in: about one ticker width minus the product name, so that the
// first frame shows the name at the right end. A font without a blank width gives none.
std::u16string TickerLeadIn(float scaleWidth, float nameWidth, float blankWidth);

// Whether the next pass is due: the strip is down to the last item of the previous pass.
constexpr bool TickerNeedsPass(std::size_t count) noexcept { return count <= 1; }

// The ticker's mouse: the left button drags its speed, the right button held pauses it.
class TickerGestures {
  public:
    // Left button: remembers x. Right button: pauses.
    void MouseDown(int button, float x) noexcept;
    // Only with exactly the left button held: dragging left by d adds d to speed, within
    // 1..100. Returns the new speed.
    float MouseMove(int buttons, float x, float speed) noexcept;
    // Right button: resumes.
    void MouseUp(int button) noexcept;
    // Another window took the mouse while the ticker held it: the release will never come
    // here, so a pause ends now rather than never.
    void CaptureLost() noexcept { paused_ = false; }

    bool Paused() const noexcept { return paused_; }
    float LastX() const noexcept { return lastX_; }

  private:
    float lastX_ = 0;
    bool paused_ = false;
};

} // namespace gb

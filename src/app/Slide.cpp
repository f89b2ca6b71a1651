#include "app/Slide.h"

namespace modMain {

bool SlideIn(ISlideForm& form, float targetTwips) {
    // The left edge is kept here rather than read back, so pixel rounding never accumulates.
    float left = form.Left();
    while (left >= targetTwips) {
        left -= kSlideStepTwips;
        form.SetLeft(left);
        if (!form.RunPendingMessages()) return false;
    }
    form.SetLeft(targetTwips);
    return true;
}

bool SlideOut(ISlideForm& form) {
    const float width = form.Width();
    float left = form.Left();
    while (width + left > 0) {
        left -= kSlideStepTwips;
        form.SetLeft(left);
        if (!form.RunPendingMessages()) return false;
    }
    return true;
}

} // namespace modMain

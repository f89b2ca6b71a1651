#pragma once
// The stepping of the window slide animations, apart from any window system: a form moves
// left 200 twips a step and pending messages run after each step.

#include <cmath>

#include "app/Lifetime.h"

namespace modMain {

class ISlideForm {
  public:
    virtual ~ISlideForm() = default;
    virtual float Left() = 0;  // twips
    virtual float Width() = 0; // twips
    virtual void SetLeft(float twips) = 0;
    // Lets pending messages run; false when the form was closed or destroyed meanwhile, or the
    // application is quitting, so that the slide must stop touching the form at once.
    virtual bool RunPendingMessages() = 0;
};

inline constexpr float kSlideStepTwips = 200.0f;

// The screen a window slides on: its left edge in pixels and its dots per inch.
struct SlideScreen {
    int left = 0;
    int dpi = 96;
};

// A window as a slide moves it: only its left edge, in twips counted from the left edge of its
// screen (so that a slide-out ends beyond that edge, wherever the screen lies) at that
// screen's scale, and pending messages after each step. With stopWith, a close the window's
// life notes stops the slide too; without, only the window's end or a quit does. W has
// MoveLeft(int pixels) and RunPendingMessages().
template <class W> class WindowSlide final : public ISlideForm {
  public:
    WindowSlide(W& window, int leftPixels, int widthPixels, SlideScreen screen,
                const gb::Lifetime* stopWith)
        : window_(window), screen_(screen), stopWith_(stopWith),
          twipsPerPixel_(1440.0f / static_cast<float>(screen.dpi > 0 ? screen.dpi : 96)),
          left_(ToTwips(leftPixels - screen.left)), width_(ToTwips(widthPixels)) {}
    float Left() override { return left_; }
    float Width() override { return width_; }
    void SetLeft(float twips) override {
        window_.MoveLeft(screen_.left + static_cast<int>(std::nearbyint(twips / twipsPerPixel_)));
    }
    bool RunPendingMessages() override {
        if (!window_.RunPendingMessages()) return false;
        return !(stopWith_ && stopWith_->Stopping());
    }
    float ToTwips(int pixels) const { return static_cast<float>(pixels) * twipsPerPixel_; }

  private:
    W& window_;
    SlideScreen screen_;
    const gb::Lifetime* stopWith_;
    float twipsPerPixel_, left_, width_;
};

// Moves the form left in steps until its left edge passes target, then sets target exactly.
// Returns false when the form closed during the slide.
bool SlideIn(ISlideForm& form, float targetTwips);
// Moves the form left in steps until its right edge is at or left of 0.
bool SlideOut(ISlideForm& form);

} // namespace modMain

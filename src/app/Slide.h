#pragma once
// The stepping of the window slide animations, apart from any window system: a form moves
// left 200 twips a step and pending messages run after each step.

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

// Moves the form left in steps until its left edge passes target, then sets target exactly.
// Returns false when the form closed during the slide.
bool SlideIn(ISlideForm& form, float targetTwips);
// Moves the form left in steps until its right edge is at or left of 0.
bool SlideOut(ISlideForm& form);

} // namespace modMain

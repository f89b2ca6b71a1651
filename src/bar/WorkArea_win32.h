#pragma once
// The top strip of the desktop work area that the bar reserves while it lies across the top
// of the screen, so that maximised windows stay below it.
#include <windows.h>

#include "bar/BarWindow.h"

namespace gb {

// The desktop work area in screen pixels, through SystemParametersInfoW.
RECT ReadWorkArea() noexcept;
void WriteWorkArea(const RECT& area) noexcept;

// Remembers whether the bar has moved the work area's top down. Giving it back puts the top
// at 0. The reservation is given back when the object ends, so that no way out of the
// program leaves the desktop shrunk.
class WorkAreaReservation final : public IWorkArea {
  public:
    WorkAreaReservation() noexcept = default;
    WorkAreaReservation(const WorkAreaReservation&) = delete;
    WorkAreaReservation& operator=(const WorkAreaReservation&) = delete;
    ~WorkAreaReservation() override { Restore(); }

    // Moves the top down to heightPixels, unless already reserved.
    void Reserve(int heightPixels) noexcept override;
    // Puts the top back at 0, if reserved.
    void Restore() noexcept override;
    bool IsSet() const noexcept { return set_; }

  private:
    bool set_ = false;
};

} // namespace gb

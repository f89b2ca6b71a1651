#pragma once
// A window as the display of a strip: its client area, presented through its device context.
#include <windows.h>

#include "surface/Surface.h"

namespace gb {

class WindowDisplay final : public IDisplay {
  public:
    // paintDC: the device context of a paint in progress; null to take the window's own.
    explicit WindowDisplay(HWND hwnd, HDC paintDC = nullptr) noexcept
        : hwnd_(hwnd), paintDC_(paintDC) {}
    float ScaleWidth() const override;
    float ScaleHeight() const override;
    // The canvas must be an OffscreenDC.
    void Present(ISurface& canvas) override;

  private:
    HWND hwnd_;
    HDC paintDC_;
};

} // namespace gb

#include <windows.h>

#include "surface/WindowDisplay_win32.h"

#include "kit/Handles_win32.h"
#include "surface/OffscreenDC_win32.h"

namespace gb {

float WindowDisplay::ScaleWidth() const {
    RECT r{};
    ::GetClientRect(hwnd_, &r);
    return static_cast<float>(r.right - r.left);
}

float WindowDisplay::ScaleHeight() const {
    RECT r{};
    ::GetClientRect(hwnd_, &r);
    return static_cast<float>(r.bottom - r.top);
}

void WindowDisplay::Present(ISurface& canvas) {
    auto* offscreen = dynamic_cast<OffscreenDC*>(&canvas);
    if (offscreen == nullptr) return;
    if (paintDC_) {
        offscreen->BltTo(paintDC_, 0, 0, 0, 0, 0, 0, SRCCOPY);
        return;
    }
    unique_hdc_window dc(hwnd_);
    if (dc) offscreen->BltTo(dc.get(), 0, 0, 0, 0, 0, 0, SRCCOPY);
}

} // namespace gb

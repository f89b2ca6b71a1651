#include <windows.h>

#include "strip/StripHost_win32.h"

#include "app/modMain_win32.h"
#include "surface/FontFaces_win32.h"

namespace gb {

float StripHostBase::TextWidth(const StdFont& font, std::u16string_view text) {
    if (!measure_) measure_ = std::make_unique<OffscreenDC>();
    // Consecutive items mostly share a font; realise it only when it differs. (The font a new
    // surface starts with is sized differently from an assigned one, so it never counts.)
    if (!realised_ || !(*realised_ == font)) {
        measure_->SetFont(std::make_shared<StdFont>(font));
        realised_ = font;
    }
    return static_cast<float>(measure_->StringWidth(text));
}

bool StripHostBase::FaceExists(std::u16string_view face) { return gb::FaceExists(face); }

HWND StripHostBase::ToHwnd(messenger::WindowHandle hwnd) noexcept {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(hwnd));
}

bool StripHostBase::IsIconic(messenger::WindowHandle hwnd) {
    return ::IsIconic(ToHwnd(hwnd)) != FALSE;
}

void StripHostBase::RestoreWindow(messenger::WindowHandle hwnd) {
    modMain::RestoreWindow(ToHwnd(hwnd));
}

void StripHostBase::SetForegroundWindow(messenger::WindowHandle hwnd) {
    ::SetForegroundWindow(ToHwnd(hwnd));
}

} // namespace gb

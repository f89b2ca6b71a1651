#include <windows.h>

#include "strip/StripHost_win32.h"

#include "app/modMain_win32.h"
#include "surface/FontFaces_win32.h"

namespace gb {

OffscreenDC& GdiTextMeasure::In(const StdFont& font, int dpi) {
    if (!measure_) measure_ = std::make_unique<OffscreenDC>();
    if (dpi != dpi_) {
        measure_->SetDpi(dpi);
        dpi_ = dpi;
        realised_.reset();
    }
    // Consecutive items mostly share a font; realise it only when it differs. (The font a new
    // surface starts with is sized differently from an assigned one, so it never counts.)
    if (!realised_ || !(*realised_ == font)) {
        measure_->SetFont(std::make_shared<StdFont>(font));
        realised_ = font;
    }
    return *measure_;
}

float GdiTextMeasure::TextWidth(const StdFont& font, std::u16string_view text, int dpi) {
    return static_cast<float>(In(font, dpi).StringWidth(text));
}

float GdiTextMeasure::TextHeight(const StdFont& font, std::u16string_view text, int dpi) {
    return static_cast<float>(In(font, dpi).StringHeight(text));
}

bool GdiTextMeasure::FaceExists(std::u16string_view face) { return gb::FaceExists(face); }

HWND DesktopWindowActions::ToHwnd(messenger::WindowHandle hwnd) noexcept {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(hwnd));
}

bool DesktopWindowActions::IsIconic(messenger::WindowHandle hwnd) {
    return ::IsIconic(ToHwnd(hwnd)) != FALSE;
}

void DesktopWindowActions::RestoreWindow(messenger::WindowHandle hwnd) {
    modMain::RestoreWindow(ToHwnd(hwnd));
}

void DesktopWindowActions::SetForegroundWindow(messenger::WindowHandle hwnd) {
    ::SetForegroundWindow(ToHwnd(hwnd));
}

} // namespace gb

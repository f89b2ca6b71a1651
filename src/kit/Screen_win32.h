#pragma once
// The screen's measures in the units of the design: window positions and sizes are twips,
// converted with the screen's real dots per inch.
#include <windows.h>

namespace gb {

float TwipsPerPixelX() noexcept;
float TwipsPerPixelY() noexcept;
float ScreenWidthTwips() noexcept;
float ScreenHeightTwips() noexcept;

// The effective dots per inch of a monitor, and of the monitor a window mostly lies on (the
// system's where the platform cannot tell a monitor's own).
int MonitorDpi(HMONITOR monitor) noexcept;
int WindowDpi(HWND hwnd) noexcept;

// A window's left edge, top edge, width and height in twips (screen coordinates).
struct TwipsRect {
    float Left = 0, Top = 0, Width = 0, Height = 0;
};
TwipsRect WindowRectTwips(HWND hwnd) noexcept;

// Moves (and, with width or height given, sizes) a window to twips, rounded to pixels.
void MoveWindowTwips(HWND hwnd, float left, float top) noexcept;

} // namespace gb

#pragma once
// What the strip picture, the GDI tick timing and the Win32 strip tests share: a strip host on
// the real measuring and face check with settings of its own (no bar, no messenger), and a
// display that keeps a copy of what it is shown.
#include <windows.h>

#include "strip/StripHost_win32.h"
#include "strip/colMsg.h"
#include "surface/OffscreenDC_win32.h"

namespace striptool {

class Host final : public gb::StripHost {
  public:
    Host() : gb::StripHost{12, measure_, windows_, record} {}
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Empty until the user of the host fills it.
    modSettings::SettingsRecord record;

  private:
    gb::GdiTextMeasure measure_;
    gb::DesktopWindowActions windows_;
};

class CapturingDisplay final : public gb::IDisplay {
  public:
    float width, height;
    gb::OffscreenDC screen;
    int presents = 0;
    CapturingDisplay(float w, float h) : width(w), height(h) {
        screen.Resize(static_cast<int>(h), static_cast<int>(w));
    }
    float ScaleWidth() const override { return width; }
    float ScaleHeight() const override { return height; }
    void Present(gb::ISurface& canvas) override {
        ++presents;
        static_cast<gb::OffscreenDC&>(canvas).BltTo(screen.hDC(), 0, 0, 0, 0, 0, 0, SRCCOPY);
    }
    COLORREF Pixel(int x, int y) const { return ::GetPixel(screen.hDC(), x, y); }
};

} // namespace striptool

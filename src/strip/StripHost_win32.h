#pragma once
// The strip host's interfaces on Windows: measuring on a memory device context of its own, the
// face check, and the window operations of a click.
#include <windows.h>

#include <memory>
#include <optional>

#include "strip/StripHost.h"
#include "surface/OffscreenDC_win32.h"

namespace gb {

class GdiTextMeasure final : public ITextMeasure {
  public:
    float TextWidth(const StdFont& font, std::u16string_view text, int dpi) override;
    float TextHeight(const StdFont& font, std::u16string_view text, int dpi) override;
    bool FaceExists(std::u16string_view face) override;

  private:
    OffscreenDC& In(const StdFont& font, int dpi);

    std::unique_ptr<OffscreenDC> measure_;
    std::optional<StdFont> realised_;
    int dpi_ = 0;
};

class DesktopWindowActions final : public IWindowActions {
  public:
    bool IsIconic(messenger::WindowHandle hwnd) override;
    void RestoreWindow(messenger::WindowHandle hwnd) override;
    void SetForegroundWindow(messenger::WindowHandle hwnd) override;

    static HWND ToHwnd(messenger::WindowHandle hwnd) noexcept;
};

} // namespace gb

#pragma once
// The parts of a strip host that are the same for every window on Windows: measuring on a
// memory device context of its own, the face check and the window operations. The bar (and
// tools) add the font size, the bar's strip, PrevBuddy and the messenger.
#include <windows.h>

#include <memory>
#include <optional>

#include "strip/StripHost.h"
#include "surface/OffscreenDC_win32.h"

namespace gb {

class StripHostBase : public IStripHost {
  public:
    float TextWidth(const StdFont& font, std::u16string_view text) override;
    bool FaceExists(std::u16string_view face) override;
    bool IsIconic(messenger::WindowHandle hwnd) override;
    void RestoreWindow(messenger::WindowHandle hwnd) override;
    void SetForegroundWindow(messenger::WindowHandle hwnd) override;

    static HWND ToHwnd(messenger::WindowHandle hwnd) noexcept;

  private:
    std::unique_ptr<OffscreenDC> measure_;
    std::optional<StdFont> realised_;
};

} // namespace gb

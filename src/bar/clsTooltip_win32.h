#pragma once
// One tooltip window attached to the whole client area of a parent window: a title, an icon
// and a text of one or more lines. The object owns the window.
#include <windows.h>

#include <string_view>

#include "kit/Handles_win32.h"

namespace gb {

class clsTooltip {
  public:
    // Registers the tooltip window class.
    clsTooltip() noexcept;
    clsTooltip(const clsTooltip&) = delete;
    clsTooltip& operator=(const clsTooltip&) = delete;

    // Builds the tooltip over the parent's client rectangle as it is now, replacing the one a
    // previous call made. icon goes to the title: 0 none, 1 information, 2 warning, 3 error.
    // Lines of the text are separated by CR LF; a line is broken where it is wider than
    // maxWidth pixels (without a maximum width the control ignores the line breaks).
    void Create(HWND parent, std::u16string_view text, std::u16string_view title, int icon,
                int maxWidth = 600);

    // Null while no tooltip window exists (or it could not be created).
    HWND hWnd() const noexcept { return window_.get(); }

  private:
    unique_hwnd window_;
};

} // namespace gb

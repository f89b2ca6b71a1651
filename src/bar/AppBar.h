#pragma once
// Where the bar reserves its strip: the shell's application-bar interface, and the work area
// where no shell arranges it. The Win32 layer implements both; the host tests fake them.
#include "bar/Desktop.h"

namespace gb {

// The shell's application-bar interface for the bar, always at the top edge of a monitor.
class IAppBar {
  public:
    virtual ~IAppBar() = default;
    // Registers the bar with its callback message; false when the shell refuses.
    virtual bool Register() = 0;
    virtual void Unregister() = 0;
    // Asks where the strip would go (the bar's height kept); telling nobody.
    virtual PixelRect QueryPos(const PixelRect& wanted) = 0;
    // Takes that strip and returns the rectangle the shell grants.
    virtual PixelRect SetPos(const PixelRect& proposed) = 0;
    virtual void Activate() = 0;
    virtual void WindowPosChanged() = 0;
};

// The work area of a monitor, read and written directly where no shell arranges it.
class IWorkArea {
  public:
    virtual ~IWorkArea() = default;
    virtual PixelRect Get(const Monitor& monitor) = 0;
    virtual void Set(const PixelRect& area) = 0;
};

} // namespace gb

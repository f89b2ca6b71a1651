#include <windows.h>

#include "bar/WorkArea_win32.h"

namespace gb {

RECT ReadWorkArea() noexcept {
    RECT area{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

void WriteWorkArea(const RECT& area) noexcept {
    RECT copy = area;
    // Tell the other top-level windows, so that maximised ones move out of the strip.
    ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &copy, SPIF_SENDWININICHANGE);
}

void WorkAreaReservation::Reserve(int heightPixels) noexcept {
    if (set_) return;
    RECT area = ReadWorkArea();
    area.top = heightPixels;
    WriteWorkArea(area);
    set_ = true;
}

void WorkAreaReservation::Restore() noexcept {
    if (!set_) return;
    RECT area = ReadWorkArea();
    area.top = 0;
    WriteWorkArea(area);
    set_ = false;
}

} // namespace gb

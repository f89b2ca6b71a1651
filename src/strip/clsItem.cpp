#include "strip/clsItem.h"

#include "strip/StripHost.h"

namespace gb {

void clsItem::ActivateWindow(messenger::WindowHandle hwnd) const {
    IWindowActions& windows = Host().windows;
    if (windows.IsIconic(hwnd)) windows.RestoreWindow(hwnd);
    windows.SetForegroundWindow(hwnd);
}

} // namespace gb

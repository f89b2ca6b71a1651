#include "strip/clsItem.h"

#include "strip/StripHost.h"

namespace gb {

void clsItem::ActivateWindow(messenger::WindowHandle hwnd) const {
    IStripHost& host = Host();
    if (host.IsIconic(hwnd)) host.RestoreWindow(hwnd);
    host.SetForegroundWindow(hwnd);
}

} // namespace gb

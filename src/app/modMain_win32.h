#pragma once
// The window routines of modMain that several windows share.
#include <windows.h>

#include <string>

namespace modMain {

// Opens an address in the system's default handler through the shell's open verb; no
// character of the address is ever run as a command. Returns at once; failure is ignored.
void OpenWebPage(const std::u16string& address);

// Restores a minimised window, keeping the rest of its placement.
void RestoreWindow(HWND hwnd);

} // namespace modMain

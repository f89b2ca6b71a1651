#pragma once
// What the bar's Win32 tests share: pumping messages for a while, and the tooltip windows of
// this thread.
#include <windows.h>

#include <vector>

namespace bartest {

// Runs this thread's messages for about the given time.
void Pump(DWORD milliseconds);

// The tooltip windows of this thread that the given window owns.
std::vector<HWND> TooltipsOwnedBy(HWND owner);

} // namespace bartest

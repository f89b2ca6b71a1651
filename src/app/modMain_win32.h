#pragma once
// The window routines of modMain that several windows share.
#include <windows.h>

#include <functional>
#include <string>

namespace modMain {

// Asked between slide steps; true stops the slide at once (the form is closing).
using SlideCancelled = std::function<bool()>;

// Shows the form and moves it left in 200-twip steps until its left edge reaches target
// (twips), letting pending messages run after each step; then sets target exactly. Stops at
// once, touching nothing more, when the window is destroyed or cancelled says so meanwhile.
// Returns false when it stopped early.
bool SlideFormIn(HWND form, float targetTwips, const SlideCancelled& cancelled = {});

// Moves the form left in 200-twip steps until its right edge has left the screen, letting
// messages run after each step. Neither hides nor closes it. Returns false when stopped early.
bool SlideFormOut(HWND form, const SlideCancelled& cancelled = {});

// Opens an address in the system's default handler through the shell's open verb; no
// character of the address is ever run as a command. Returns at once; failure is ignored.
void OpenWebPage(const std::u16string& address);

// Restores a minimised window, keeping the rest of its placement.
void RestoreWindow(HWND hwnd);

// Runs every message that is pending now. Returns false when WM_QUIT came (it is posted
// again for the message loop) and the caller should stop animating.
bool DoEvents();

} // namespace modMain

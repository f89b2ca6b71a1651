#pragma once
// The bar's strip at the top of its monitor, kept free of other windows. Where the shell
// arranges the work area for application bars, the bar docks through it: the shell places it
// beside the taskbar and every other bar and keeps the strip free from then on. Where no shell
// answers for the work area (no taskbar; a shell that acknowledges but changes nothing), the
// bar moves the top of the monitor's work area down itself, below whatever top it had, and
// gives back exactly what it took. Which way is in force is decided by what the shell does.
#include <optional>

#include "bar/AppBar.h"

namespace gb {

class Docking {
  public:
    enum class Method { None, Shell, WorkArea };

    Docking(IAppBar& shell, IWorkArea& workArea) : shell_(shell), workArea_(workArea) {}

    // Reserves a strip of that height at the top of the monitor, unless reserved already;
    // returns the rectangle the bar must take (the shell may grant it below other bars).
    PixelRect Reserve(const Monitor& monitor, int height);
    // Gives the strip back, if reserved.
    void Restore();
    // The shell's bars moved: the strip it now proposes, taken, when that differs from the one
    // held; none otherwise. Only asking, where nothing changed, tells no other bar anything,
    // so two bars answering each other's notices come to rest.
    std::optional<PixelRect> Follow();
    Method InForce() const noexcept { return method_; }
    bool Reserved() const noexcept { return method_ != Method::None; }
    // The rectangle reserved; empty when none is.
    const PixelRect& Rect() const noexcept { return rect_; }

  private:
    IAppBar& shell_;
    IWorkArea& workArea_;
    Method method_ = Method::None;
    PixelRect rect_;
    Monitor monitor_;
    int topBefore_ = 0; // the work area's top that was there before the bar took its strip
    int height_ = 0;
};

} // namespace gb

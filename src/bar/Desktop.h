#pragma once
// The desktop the bar stands on: its monitors in virtual-screen pixels, each with its work
// area and dots per inch, and the twips the bar's place is stored in.
//
// Twips of the virtual screen: a monitor's origin counts at the primary monitor's twips per
// pixel, a point inside a monitor at that monitor's own. With one monitor, or monitors of one
// DPI, that is simply pixels times twips per pixel; with mixed DPIs every monitor keeps a
// place of its own and a size true to its scale.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "bar/BarRules.h"
#include "surface/Surface.h"

namespace gb {

struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const noexcept { return right - left; }
    int Height() const noexcept { return bottom - top; }
    bool operator==(const PixelRect&) const = default;
};

struct Monitor {
    PixelRect bounds; // virtual-screen pixels
    PixelRect work;   // its work area
    int dpi = 96;
    bool primary = false;
    bool operator==(const Monitor&) const = default;
};

// The window in the foreground, as the full-screen rule sees it.
struct ForegroundWindow {
    PixelRect rect;
    bool captionless = false;  // no caption bar: a game, a video, a slide show
    bool ours = false;         // one of the program's own windows
    std::uintptr_t handle = 0; // the window itself, for the bar to lie below it
    bool operator==(const ForegroundWindow&) const = default;
};

// What Windows says of the user's wish not to be disturbed.
enum class QuietState { None, FullScreenProgram, Presentation, Direct3DFullScreen, QuietTime };

class DesktopLayout;

// Whether a full-screen program stands on the bar's monitor: the shell says so (and the
// foreground, where known, is on that monitor), or the foreground window covers the whole
// monitor without a caption, or the user is presenting, running a full-screen Direct3D
// program or in quiet time.
bool FullScreenOn(const DesktopLayout& layout, std::size_t barMonitor,
                  std::optional<bool> shellSays, const std::optional<ForegroundWindow>& foreground,
                  QuietState quiet);

class DesktopLayout {
  public:
    // Never empty: without monitors (a desktop that cannot be read) a 1024 x 768 primary.
    explicit DesktopLayout(std::vector<Monitor> monitors);

    const std::vector<Monitor>& Monitors() const noexcept { return monitors_; }
    std::size_t PrimaryIndex() const noexcept { return primary_; }
    const Monitor& At(std::size_t index) const { return monitors_.at(index); }

    // The monitor a rectangle mostly lies on; the nearest one when it lies on none.
    std::size_t MonitorOf(const PixelRect& rect) const;
    // The monitor holding a point; the nearest one when none does.
    std::size_t MonitorAt(int x, int y) const;
    // The monitor a stored top-left corner (twips) stands on; the primary when none.
    std::size_t MonitorOfTwips(float x, float y) const;

    // A monitor as the design's "screen": its place and size in twips and its scale.
    BarRules::Screen ScreenOf(std::size_t monitor) const;
    BarRules::Geometry ToTwips(const PixelRect& rect, std::size_t monitor) const;
    PixelRect ToPixels(const BarRules::Geometry& g, std::size_t monitor) const;

  private:
    float PrimaryTwipsPerPixel() const noexcept;

    std::vector<Monitor> monitors_;
    std::size_t primary_ = 0;
};

// The desktop as the controller reads it; the Win32 layer implements it, the host tests fake it.
class IDesktop {
  public:
    virtual ~IDesktop() = default;
    virtual std::vector<Monitor> Monitors() const = 0;
    virtual std::optional<ForegroundWindow> Foreground() const = 0;
    virtual QuietState Quiet() const = 0;
};

} // namespace gb

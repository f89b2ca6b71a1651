#include "bar/Desktop.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace gb {
namespace {

long long Overlap(const PixelRect& a, const PixelRect& b) noexcept {
    const long long w = std::min(a.right, b.right) - std::max(a.left, b.left);
    const long long h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

// Squared distance from a point to a rectangle; 0 inside.
long long DistanceSquared(const PixelRect& r, int x, int y) noexcept {
    const long long dx = x < r.left ? r.left - x : x >= r.right ? x - r.right + 1 : 0;
    const long long dy = y < r.top ? r.top - y : y >= r.bottom ? y - r.bottom + 1 : 0;
    return dx * dx + dy * dy;
}

float TwipsPerPixel(int dpi) noexcept { return 1440.0f / static_cast<float>(dpi > 0 ? dpi : 96); }

int Round(float v) noexcept { return static_cast<int>(std::nearbyint(v)); }

} // namespace

DesktopLayout::DesktopLayout(std::vector<Monitor> monitors) : monitors_(std::move(monitors)) {
    std::erase_if(monitors_,
                  [](const Monitor& m) { return m.bounds.Width() <= 0 || m.bounds.Height() <= 0; });
    if (monitors_.empty()) {
        const PixelRect screen{0, 0, 1024, 768};
        monitors_.push_back({screen, screen, kDefaultDpi, true});
    }
    const auto primary = std::find_if(monitors_.begin(), monitors_.end(),
                                      [](const Monitor& m) { return m.primary; });
    primary_ =
        primary == monitors_.end() ? 0 : static_cast<std::size_t>(primary - monitors_.begin());
}

std::size_t DesktopLayout::MonitorAt(int x, int y) const {
    std::size_t best = primary_;
    long long bestDistance = std::numeric_limits<long long>::max();
    for (std::size_t i = 0; i < monitors_.size(); ++i) {
        const long long d = DistanceSquared(monitors_[i].bounds, x, y);
        if (d < bestDistance) best = i, bestDistance = d;
    }
    return best;
}

std::size_t DesktopLayout::MonitorOf(const PixelRect& rect) const {
    std::size_t best = 0;
    long long bestArea = 0;
    for (std::size_t i = 0; i < monitors_.size(); ++i) {
        const long long area = Overlap(rect, monitors_[i].bounds);
        if (area > bestArea) best = i, bestArea = area;
    }
    if (bestArea > 0) return best;
    return MonitorAt(rect.left + rect.Width() / 2, rect.top + rect.Height() / 2);
}

float DesktopLayout::PrimaryTwipsPerPixel() const noexcept {
    return TwipsPerPixel(monitors_[primary_].dpi);
}

BarRules::Screen DesktopLayout::ScreenOf(std::size_t index) const {
    const Monitor& m = monitors_.at(index);
    const float origin = PrimaryTwipsPerPixel();
    const float tpp = TwipsPerPixel(m.dpi);
    return {static_cast<float>(m.bounds.Width()) * tpp,
            static_cast<float>(m.bounds.Height()) * tpp,
            tpp,
            tpp,
            static_cast<float>(m.bounds.left) * origin,
            static_cast<float>(m.bounds.top) * origin};
}

std::size_t DesktopLayout::MonitorOfTwips(float x, float y) const {
    for (std::size_t i = 0; i < monitors_.size(); ++i) {
        const auto s = ScreenOf(i);
        if (x >= s.LeftTwips && x < s.LeftTwips + s.WidthTwips && y >= s.TopTwips &&
            y < s.TopTwips + s.HeightTwips)
            return i;
    }
    return primary_;
}

BarRules::Geometry DesktopLayout::ToTwips(const PixelRect& rect, std::size_t index) const {
    const Monitor& m = monitors_.at(index);
    const auto s = ScreenOf(index);
    return {s.LeftTwips + static_cast<float>(rect.left - m.bounds.left) * s.TwipsPerPixelX,
            s.TopTwips + static_cast<float>(rect.top - m.bounds.top) * s.TwipsPerPixelY,
            static_cast<float>(rect.Width()) * s.TwipsPerPixelX,
            static_cast<float>(rect.Height()) * s.TwipsPerPixelY};
}

PixelRect DesktopLayout::ToPixels(const BarRules::Geometry& g, std::size_t index) const {
    const Monitor& m = monitors_.at(index);
    const auto s = ScreenOf(index);
    const int left = m.bounds.left + Round((g.Left - s.LeftTwips) / s.TwipsPerPixelX);
    const int top = m.bounds.top + Round((g.Top - s.TopTwips) / s.TwipsPerPixelY);
    return {left, top, left + Round(g.Width / s.TwipsPerPixelX),
            top + Round(g.Height / s.TwipsPerPixelY)};
}

bool FullScreenOn(const DesktopLayout& layout, std::size_t barMonitor,
                  std::optional<bool> shellSays, const std::optional<ForegroundWindow>& foreground,
                  QuietState quiet) {
    switch (quiet) {
    case QuietState::Presentation:
    case QuietState::Direct3DFullScreen:
    case QuietState::QuietTime:
        return true;
    default:
        break;
    }
    const bool onOurs =
        foreground && !foreground->ours && layout.MonitorOf(foreground->rect) == barMonitor;
    if (shellSays.value_or(false) && (!foreground || onOurs)) return true;
    if (!onOurs) return false;
    const PixelRect& m = layout.At(barMonitor).bounds;
    const PixelRect& w = foreground->rect;
    const bool covers =
        w.left <= m.left && w.top <= m.top && w.right >= m.right && w.bottom >= m.bottom;
    return covers && (foreground->captionless || quiet == QuietState::FullScreenProgram);
}

} // namespace gb

#include "bar/Docking.h"

namespace gb {

PixelRect Docking::Reserve(const Monitor& monitor, int height) {
    if (Reserved()) return rect_;
    const PixelRect wanted{monitor.bounds.left, monitor.bounds.top, monitor.bounds.right,
                           monitor.bounds.top + height};
    const int topBefore = workArea_.Get(monitor).top;
    if (shell_.Register()) {
        const PixelRect granted = shell_.SetPos(shell_.QueryPos(wanted));
        // The shell keeps the strip when its work area, which held the strip before, leaves
        // it out now.
        if (granted.Height() > 0 && topBefore < granted.bottom &&
            workArea_.Get(monitor).top >= granted.bottom) {
            method_ = Method::Shell;
            rect_ = granted;
            monitor_ = monitor;
            height_ = height;
            return rect_;
        }
        // It acknowledged and changed nothing: the work area is the bar's to set.
        shell_.Unregister();
    }
    PixelRect area = workArea_.Get(monitor);
    topBefore_ = area.top;
    height_ = height;
    area.top += height;
    workArea_.Set(area);
    method_ = Method::WorkArea;
    monitor_ = monitor;
    rect_ = wanted;
    return rect_;
}

std::optional<PixelRect> Docking::Follow() {
    if (method_ != Method::Shell) return std::nullopt;
    const PixelRect& m = monitor_.bounds;
    const PixelRect proposed = shell_.QueryPos({m.left, m.top, m.right, m.top + height_});
    if (proposed == rect_) return std::nullopt;
    rect_ = shell_.SetPos(proposed);
    return rect_;
}

void Docking::Restore() {
    switch (method_) {
    case Method::Shell:
        shell_.Unregister();
        break;
    case Method::WorkArea: {
        PixelRect area = workArea_.Get(monitor_);
        // Only what is still the bar's goes back: a top another program has moved since stays.
        if (area.top == topBefore_ + height_) {
            area.top = topBefore_;
            workArea_.Set(area);
        }
        break;
    }
    case Method::None:
        return;
    }
    method_ = Method::None;
    rect_ = {};
}

} // namespace gb

#include "bar/BarRules.h"

#include <algorithm>
#include <cmath>

namespace BarRules {

int BarHeightPixels(int alphabetHeightPixels) { return alphabetHeightPixels + 4; }

int BannerBlankCount(float innerWidth, float nameWidth, float blankWidth) {
    const double lead = std::floor(static_cast<double>(innerWidth - nameWidth - 58.0f));
    if (lead <= 0 || !(blankWidth > 0)) return 0;
    return static_cast<int>(std::nearbyint(lead / blankWidth));
}

bool IsExcludedBannerEmoticon(int cell) {
    switch (cell) {
    case 1:
    case 7:
    case 14:
    case 15:
    case 16:
    case 17:
    case 18:
    case 20:
    case 24:
    case 28:
    case 39:
    case 41:
    case 42:
        return true;
    default:
        return cell < 0 || cell > 43;
    }
}

int DrawBannerEmoticon(const std::function<int()>& next) {
    int k = next();
    while (IsExcludedBannerEmoticon(k))
        k = next();
    return k;
}

int SecondBannerEmoticon(int first) { return first == 8 ? 7 : first; }

Geometry ClampToScreen(Geometry g, const Screen& screen) {
    const float right = screen.LeftTwips + screen.WidthTwips;
    const float bottom = screen.TopTwips + screen.HeightTwips;
    if (g.Top < screen.TopTwips) g.Top = screen.TopTwips;
    if (g.Top + g.Height > bottom) g.Top = bottom - g.Height;
    if (g.Left < screen.LeftTwips) g.Left = screen.LeftTwips;
    if (g.Left + g.Width > right) g.Left = right - g.Width;
    return g;
}

Geometry PlaceStored(float x, float y, float width, float heightTwips, const Screen& screen) {
    Geometry g{x, y, std::min(width, screen.WidthTwips), heightTwips};
    if (!(g.Width >= screen.TwipsPerPixelX)) g.Width = screen.WidthTwips;
    return ClampToScreen(g, screen);
}

bool LiesAcrossTop(const Geometry& g, const Screen& screen) {
    return g.Top == screen.TopTwips && g.Width == screen.WidthTwips;
}

CursorChoice ChooseCursor(int button, int shift, float x, float innerWidth) {
    if (shift == 0) return {Cursor::Hand, std::nullopt};
    if (shift == kAlt) return {Cursor::SizeWE, std::nullopt};
    if (shift == kShift) {
        if (button != 0) return {Cursor::Unchanged, std::nullopt};
        if (x < 5 || x > innerWidth - 5) return {Cursor::SizeWE, true};
        return {Cursor::SizeAll, false};
    }
    return {Cursor::Arrow, std::nullopt};
}

PressAction OnMouseDown(int button, int shift) {
    if (button == gb::kLeftButton) {
        if (shift == 0) return PressAction::StripClick;
        if (shift == kShift || shift == kAlt) return PressAction::StartDrag;
        return PressAction::None;
    }
    if (button == gb::kRightButton) return PressAction::Pause;
    return PressAction::None;
}

Geometry DragStep(Geometry g, bool sizeMode, float xInBar, float innerWidth, int dx, int dy,
                  const Screen& screen) {
    const float moveX = screen.TwipsPerPixelX * static_cast<float>(dx);
    const float moveY = screen.TwipsPerPixelY * static_cast<float>(dy);
    if (sizeMode && xInBar < innerWidth / 2) {
        // The left edge is dragged: the right edge stays where it is.
        const float right = g.Left + g.Width;
        g.Left = std::max(g.Left - moveX, screen.LeftTwips);
        g.Width = right - g.Left;
        if (g.Width < kMinimumWidthTwips) {
            g.Left = right - kMinimumWidthTwips;
            g.Width = kMinimumWidthTwips;
        }
        return g;
    }
    if (sizeMode) {
        g.Width = std::min(g.Width - moveX, screen.LeftTwips + screen.WidthTwips - g.Left);
        g.Width = std::max(g.Width, kMinimumWidthTwips);
        return g;
    }
    g.Left -= moveX;
    g.Top -= moveY;
    return ClampToScreen(g, screen);
}

float SpeedStep(float speed, int lastCursorX, int cursorX) {
    return gb::SpeedWithin(speed + static_cast<float>(lastCursorX - cursorX));
}

TrayAction OnTrayCallback(TrayMouse mouse) {
    switch (mouse) {
    case TrayMouse::LeftUp:
        return TrayAction::Maximize;
    case TrayMouse::RightDown:
        return TrayAction::ShowMenu;
    default:
        return TrayAction::None;
    }
}

MenuVisibility MenuFor(bool barVisible) { return {barVisible, !barVisible}; }

BandMoves LeaveTopmost(const BandLeave& found) noexcept {
    return {found.barTopmost, found.coverKnown && !found.coverTopmost && !found.barBelowCover};
}

} // namespace BarRules

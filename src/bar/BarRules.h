#pragma once
// The bar's rules that need no window: its geometry, the start-up banner, the mouse gestures,
// the work-area decision, the notification icon's callback and the menu. frmScroll_win32
// turns window messages into these calls and their answers into Win32 calls.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/Pointer.h"

namespace BarRules {

// Modifier masks as the bar's handlers receive them.
inline constexpr int kShift = 1;
inline constexpr int kCtrl = 2;
inline constexpr int kAlt = 4;

inline constexpr float kMinimumWidthTwips = 4500.0f;
inline constexpr int kMenuButtonSize = 14;  // cmdMenu, pixels
inline constexpr int kMenuButtonMargin = 2; // from the top and right edges, pixels

inline constexpr char16_t kTitle[] = u"Glidebanner";
inline constexpr char16_t kHeightSample[] = u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
inline constexpr std::uint32_t kBannerColor = 0x3264FF;
inline constexpr char16_t kByline[] = u"- see what your buddies say while you work";

// The bar's height: the height of the alphabet in its font, plus 4 pixels.
int BarHeightPixels(int alphabetHeightPixels);

// Blanks in front of the banner so that it starts near the bar's right end; none when the bar
// is narrower than the name plus 58 pixels (or a blank has no width).
int BannerBlankCount(float innerWidth, float nameWidth, float blankWidth);

// The banner's emoticon: drawn from 0..43 by next() until it is none of the excluded cells.
int DrawBannerEmoticon(const std::function<int()>& next);
bool IsExcludedBannerEmoticon(int cell);
// The emoticon after the name: the same, except that 8 gives 7.
int SecondBannerEmoticon(int first);

// A rectangle of the bar in twips.
struct Geometry {
    float Left = 0, Top = 0, Width = 0, Height = 0;
    bool operator==(const Geometry&) const = default;
};

// The screen of the bar: the monitor it belongs to, in twips.
struct Screen {
    float WidthTwips = 0, HeightTwips = 0;
    float TwipsPerPixelX = 15, TwipsPerPixelY = 15;
    float LeftTwips = 0, TopTwips = 0;
};

// Keeps the bar on the screen: top, bottom, left, right, in that order.
Geometry ClampToScreen(Geometry g, const Screen& screen);

// The stored geometry made safe for this screen: a width wider than the screen becomes the
// screen's width, a width of less than a pixel (a damaged value) the screen's width too, and
// a bar that would stand wholly or partly off the screen is moved on. Any other width stays,
// however narrow: the minimum belongs to the Shift-drag alone.
Geometry PlaceStored(float x, float y, float width, float heightTwips, const Screen& screen);

// Whether the bar lies across the whole top of the screen (exact, in twips), at its top or
// at the place the shell docked it.
bool LiesAcrossTop(const Geometry& g, const Screen& screen);

// The cursor over the bar, and what it does to SizeMode.
enum class Cursor { Hand, SizeWE, SizeAll, Arrow, Unchanged };
struct CursorChoice {
    Cursor cursor;
    std::optional<bool> sizeMode; // set when the choice decides SizeMode
};
CursorChoice ChooseCursor(int button, int shift, float x, float innerWidth);

// What a button press on the bar does.
enum class PressAction { None, StripClick, StartDrag, Pause };
PressAction OnMouseDown(int button, int shift);

// One step of a Shift-drag: dx and dy are the pixels the pointer went left and up. A resize
// keeps the dragged edge on the screen and the other edge where it is, as a move keeps the
// whole bar on it.
Geometry DragStep(Geometry g, bool sizeMode, float xInBar, float innerWidth, int dx, int dy,
                  const Screen& screen);

// One step of an Alt-drag: moving left by d pixels adds d to the speed, within 1..100.
float SpeedStep(float speed, int lastCursorX, int cursorX);

// What the notification icon reports of the mouse: the left button released on it, the right
// button pressed on it, or anything else.
enum class TrayMouse { LeftUp, RightDown, Other };
enum class TrayAction { None, Maximize, ShowMenu };
TrayAction OnTrayCallback(TrayMouse mouse);

// The pop-up menu's entries, and which of the first two it shows: they follow the bar's
// visibility.
enum class MenuEntry { Minimize, Maximize, Snap, Options, Exit };
struct MenuVisibility {
    bool minimize;
    bool maximize;
};
MenuVisibility MenuFor(bool barVisible);

// Leaving the topmost band for a full-screen window: the window's own moves, from what it finds.
// It drops out of the band only while in it, and goes just below the full-screen window only
// where that one is known, not topmost (the band would lift it over the bar again) and not
// above the bar already (this is asked at every tick).
struct BandLeave {
    bool barTopmost;
    bool coverKnown; // a window other than the bar, still there
    bool coverTopmost;
    bool barBelowCover;
};
struct BandMoves {
    bool leaveBand;
    bool placeBelowCover;
    bool operator==(const BandMoves&) const = default;
};
BandMoves LeaveTopmost(const BandLeave& found) noexcept;

// The help tooltip's text and title.
inline constexpr char16_t kHelpText[] = u"Click items with the left mouse button.\r\n"
                                        u"Shift + Drag to move or resize the window,\r\n"
                                        u"Alt + Drag Left/Right to change speed.";
inline constexpr int kHelpIcon = 1; // information

} // namespace BarRules

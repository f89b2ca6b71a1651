// The slides on a real window. Their stepping is a core test; here the twips reach the
// window as pixels, and a slide stops at once when its window closes or its owner cancels.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/modMain_win32.h"
#include "kit/Handles_win32.h"
#include "kit/Screen_win32.h"

namespace {

// A plain top-level window that records the left edge of every move it receives, and closes
// itself on move closeOnMove as a user's Exit during a slide would.
struct RecordingWindow {
    static inline std::vector<int> lefts;
    static inline std::size_t closeOnMove = 0;

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lp);
        if (msg == WM_WINDOWPOSCHANGED && !(pos->flags & SWP_NOMOVE)) {
            lefts.push_back(pos->x);
            if (lefts.size() == closeOnMove) ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
        }
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }

    gb::unique_hwnd hwnd;

    RecordingWindow(int leftPx, int widthPx, DWORD shown = WS_VISIBLE) {
        static const ATOM atom = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = Proc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"GbSlideTest";
            return ::RegisterClassW(&wc);
        }();
        (void)atom;
        hwnd.reset(::CreateWindowExW(WS_EX_TOOLWINDOW, L"GbSlideTest", L"slide", WS_POPUP | shown,
                                     leftPx, 10, widthPx, 20, nullptr, nullptr,
                                     ::GetModuleHandleW(nullptr), nullptr));
        lefts.clear();
        closeOnMove = 0;
    }
};

int Px(int twips) {
    return static_cast<int>(std::nearbyint(static_cast<float>(twips) / gb::TwipsPerPixelX()));
}

TEST(SlideForm, InAndOutMoveTheWindowInPixels) {
    ASSERT_EQ(gb::TwipsPerPixelX(), 15.0f) << "the tests expect 96 dots per inch";
    RecordingWindow in(334, 100, 0); // 5010 twips: 4810, 4610, ... 810, then exactly 1000
    EXPECT_TRUE(modMain::SlideFormIn(in.hwnd.get(), 1000));
    EXPECT_TRUE(::IsWindowVisible(in.hwnd.get()));
    std::vector<int> expected;
    for (int t = 4810; t >= 810; t -= 200)
        expected.push_back(Px(t));
    expected.push_back(Px(1000));
    EXPECT_EQ(RecordingWindow::lefts, expected);

    RecordingWindow out(105, 300); // left 1575 twips, width 4500: until the right edge is off
    EXPECT_TRUE(modMain::SlideFormOut(out.hwnd.get()));
    expected.clear();
    for (int t = 1375; t + 4500 + 200 > 0; t -= 200)
        expected.push_back(Px(t));
    EXPECT_EQ(RecordingWindow::lefts, expected);
}

TEST(SlideForm, StopsAtOnceWhenTheWindowClosesOrTheOwnerCancels) {
    RecordingWindow closing(Px(5000), 100);
    RecordingWindow::closeOnMove = 3;
    const HWND hwnd = closing.hwnd.release(); // the close destroys it
    EXPECT_FALSE(modMain::SlideFormIn(hwnd, 1000));
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(RecordingWindow::lefts.size(), 3u) << "nothing moved after the close";

    RecordingWindow cancelled(Px(5000), 100);
    int asked = 0;
    EXPECT_FALSE(modMain::SlideFormIn(cancelled.hwnd.get(), 1000, [&] { return ++asked == 2; }));
    EXPECT_EQ(RecordingWindow::lefts.size(), 2u);
}

TEST(ShellRoutines, RestoreWindowRestoresAMinimisedWindow) {
    RecordingWindow w(100, 200);
    ::ShowWindow(w.hwnd.get(), SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(::IsIconic(w.hwnd.get()));
    modMain::RestoreWindow(w.hwnd.get());
    EXPECT_FALSE(::IsIconic(w.hwnd.get()));
}

} // namespace

#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/Handles_win32.h"
#include "app/Screen_win32.h"
#include "app/modMain_win32.h"

namespace {

// A plain top-level window that records the left edge of every move it receives.
struct RecordingWindow {
    static inline std::vector<int> lefts;
    static inline bool destroyOnMove = false;
    static inline int movesBeforeDestroy = 0;

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
        if (msg == WM_WINDOWPOSCHANGED) {
            const auto* pos = reinterpret_cast<const WINDOWPOS*>(lp);
            if (!(pos->flags & SWP_NOMOVE)) {
                lefts.push_back(pos->x);
                // Closing the window from inside the slide, as a user's Exit would.
                if (destroyOnMove && static_cast<int>(lefts.size()) == movesBeforeDestroy) {
                    ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
                }
            }
        }
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }

    gb::unique_hwnd hwnd;

    RecordingWindow(int leftPx, int widthPx) {
        static const ATOM atom = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = Proc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"GbSlideTest";
            return ::RegisterClassW(&wc);
        }();
        (void)atom;
        hwnd.reset(::CreateWindowExW(WS_EX_TOOLWINDOW, L"GbSlideTest", L"slide", WS_POPUP, leftPx,
                                     10, widthPx, 20, nullptr, nullptr, ::GetModuleHandleW(nullptr),
                                     nullptr));
        lefts.clear();
    }
};

int Px(float twips) { return static_cast<int>(std::nearbyint(twips / gb::TwipsPerPixelX())); }

class SlideForm : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(gb::TwipsPerPixelX(), 15.0f) << "the tests expect 96 dots per inch";
        RecordingWindow::destroyOnMove = false;
    }
};

TEST_F(SlideForm, InStepsOf200TwipsThenExactlyToTheTarget) {
    // 334 pixels are 5010 twips: 4810, 4610, ... 810 then exactly 1000.
    RecordingWindow w(334, 100);
    ASSERT_TRUE(w.hwnd);
    EXPECT_TRUE(modMain::SlideFormIn(w.hwnd.get(), 1000));
    std::vector<int> expected;
    for (int t = 4810; t >= 810; t -= 200)
        expected.push_back(Px(static_cast<float>(t)));
    expected.push_back(Px(1000));
    EXPECT_EQ(RecordingWindow::lefts, expected);
    EXPECT_TRUE(::IsWindowVisible(w.hwnd.get()));
}

TEST_F(SlideForm, OutUntilTheRightEdgeLeavesTheScreen) {
    RecordingWindow w(105, 300); // left 1575 twips, width 4500 twips
    ::ShowWindow(w.hwnd.get(), SW_SHOWNOACTIVATE);
    RecordingWindow::lefts.clear();
    EXPECT_TRUE(modMain::SlideFormOut(w.hwnd.get()));
    std::vector<int> expected;
    for (int t = 1375; t + 4500 + 200 > 0; t -= 200)
        expected.push_back(Px(static_cast<float>(t)));
    EXPECT_EQ(RecordingWindow::lefts, expected);
    EXPECT_LE(RecordingWindow::lefts.back() + 300, 0);
}

TEST_F(SlideForm, StopsAtOnceWhenTheWindowIsClosedDuringTheSlide) {
    RecordingWindow w(Px(5000), 100);
    RecordingWindow::destroyOnMove = true;
    RecordingWindow::movesBeforeDestroy = 3;
    const HWND hwnd = w.hwnd.get();
    EXPECT_FALSE(modMain::SlideFormIn(hwnd, 1000));
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(RecordingWindow::lefts.size(), 3u); // nothing moved after the close
    w.hwnd.release();
}

TEST_F(SlideForm, StopsWhenTheOwnerCancels) {
    RecordingWindow w(Px(5000), 100);
    int asked = 0;
    EXPECT_FALSE(modMain::SlideFormIn(w.hwnd.get(), 1000, [&] { return ++asked == 2; }));
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

#include <windows.h>

#include <shellapi.h>

#include "app/modMain_win32.h"

#include "app/Slide.h"
#include "kit/Screen_win32.h"

namespace modMain {
namespace {

// A top-level window as a slide sees it: twips, and a message pump that notices the close.
class HwndSlideForm final : public ISlideForm {
  public:
    HwndSlideForm(HWND hwnd, const SlideCancelled& cancelled)
        : hwnd_(hwnd), cancelled_(cancelled), start_(gb::WindowRectTwips(hwnd)) {}
    float Left() override { return start_.Left; }
    float Width() override { return start_.Width; }
    void SetLeft(float twips) override { gb::MoveWindowTwips(hwnd_, twips, start_.Top); }
    bool RunPendingMessages() override {
        if (!DoEvents() || !::IsWindow(hwnd_)) return false;
        return !(cancelled_ && cancelled_());
    }

  private:
    HWND hwnd_;
    const SlideCancelled& cancelled_;
    gb::TwipsRect start_;
};

} // namespace

bool DoEvents() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return true;
}

bool SlideFormIn(HWND form, float targetTwips, const SlideCancelled& cancelled) {
    ::ShowWindow(form, SW_SHOW);
    HwndSlideForm slide(form, cancelled);
    return SlideIn(slide, targetTwips);
}

bool SlideFormOut(HWND form, const SlideCancelled& cancelled) {
    HwndSlideForm slide(form, cancelled);
    return SlideOut(slide);
}

void OpenWebPage(const std::u16string& address) {
    ::ShellExecuteW(nullptr, L"open", reinterpret_cast<const wchar_t*>(address.c_str()), nullptr,
                    nullptr, SW_SHOWNORMAL);
}

void RestoreWindow(HWND hwnd) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ::GetWindowPlacement(hwnd, &placement);
    placement.showCmd = SW_RESTORE;
    ::SetWindowPlacement(hwnd, &placement);
}

} // namespace modMain

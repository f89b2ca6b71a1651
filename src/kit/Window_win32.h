#pragma once
// The one window base of the program, the stand-in and the tools. Its window procedure finds
// the object (stored when the window is created), hands every message to OnMessage, and is
// the one place where an exception stops: a message whose handler threw gets DefWindowProc's
// answer, and no exception crosses into Windows' frames.
#include <windows.h>

#include "kit/Handles_win32.h"

namespace gb {

class Window {
  public:
    Window() = default;
    // Destroys the window if it still exists. Its last messages go to DefWindowProc: the
    // derived object is already gone, so a class that must act on WM_DESTROY destroys its
    // window in its own destructor (Destroy).
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hWnd() const noexcept { return hwnd_.get(); }

    // Registers a class whose procedure is this base's; style, cursor, brush and icons as
    // given. A second registration of the same name fails harmlessly.
    static void RegisterClass(HINSTANCE instance, const wchar_t* name, WNDCLASSEXW cls = {});

  protected:
    // Creates the window with this object as its target; false when it could not be made.
    bool Create(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                RECT placement, HWND parent, UINT_PTR childId, HINSTANCE instance) noexcept;
    // Destroys the window now; nothing when there is none. The handle stays known through the
    // destroy messages, so that their default handling reaches the real window.
    void Destroy() noexcept {
        if (hwnd_) ::DestroyWindow(hwnd_.get());
    }

    // Every message of the window from WM_NCCREATE on; Default for what it leaves alone.
    virtual LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) = 0;
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) const noexcept {
        return ::DefWindowProcW(hwnd_.get(), msg, wp, lp);
    }

    // Routes a child control's messages (a button's presses, say) to OnChildMessage first.
    void SubclassChild(HWND child) noexcept;
    // True when handled; result is then the answer. The control's own handling runs otherwise.
    virtual bool OnChildMessage(HWND child, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

  private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    static LRESULT CALLBACK ChildProcedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                           DWORD_PTR self) noexcept;

    unique_hwnd hwnd_;
};

// Runs every message that is pending now: the nested loops of the slides and page turns call
// it after each step. False when the program is quitting (the quit is posted again for the
// message loop), and the animation should stop.
bool PumpPendingMessages() noexcept;

} // namespace gb

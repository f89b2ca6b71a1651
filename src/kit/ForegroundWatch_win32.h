#pragma once
// Tells a window when another window comes to the foreground anywhere on the desktop, or the
// foreground window moves or is resized, by posting it a message. The hooks are out of
// context, so their calls come through the installing thread's own message loop.
#include <windows.h>

namespace gb {

class ForegroundWatch {
  public:
    ForegroundWatch() = default;
    ForegroundWatch(const ForegroundWatch&) = delete;
    ForegroundWatch& operator=(const ForegroundWatch&) = delete;
    ~ForegroundWatch() { Stop(); }

    void Start(HWND target, UINT message) noexcept;
    void Stop() noexcept;

  private:
    static void CALLBACK Callback(HWINEVENTHOOK hook, DWORD event, HWND hwnd, LONG object,
                                  LONG child, DWORD thread, DWORD time) noexcept;

    HWINEVENTHOOK foreground_ = nullptr;
    HWINEVENTHOOK location_ = nullptr;
};

} // namespace gb

#pragma once
// The minimised bar's icon in the notification area: its record, added, removed, and added
// again when the shell has restarted and forgotten it. Never left behind when it ends.
#include <windows.h>

#include <shellapi.h>

#include "bar/TrayIcon.h"

namespace gb {

class TrayIcon final : public ITrayIcon {
  public:
    TrayIcon() = default;
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;
    ~TrayIcon() override { Remove(); }

    // The window that receives callback as the icon's mouse messages, the icon and its tip.
    void Attach(HWND owner, UINT callback, HICON icon, const wchar_t* tip) noexcept;

    bool Add() override;
    void Remove() override;
    bool Shown() const override { return shown_; }
    void AddAgain() override;

  private:
    NOTIFYICONDATAW data_{};
    bool shown_ = false;
};

} // namespace gb

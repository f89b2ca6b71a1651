#pragma once
// The messenger's notification-area icon: its state in the picture and the tooltip (with the
// reason when it cannot connect), and its menu: Sign in, Sign out, Account..., Exit.
#include <windows.h>

#include <shellapi.h>

#include <array>
#include <string>

#include "kit/Handles_win32.h"
#include "kit/Window_win32.h"

namespace im {

enum class TrayState { SignedOut, SigningIn, SignedIn, CannotConnect };

class ITrayCommands {
  public:
    virtual ~ITrayCommands() = default;
    virtual void SignIn() = 0;
    virtual void SignOut() = 0;
    virtual void EditAccount() = 0;
    virtual void Exit() = 0;
};

// The tooltip for a state, within the 127 characters the notification area shows.
std::wstring TrayTip(TrayState state, const std::string& reason);
// The menu for a state: each entry enabled only where it can act.
gb::unique_hmenu TrayMenu(TrayState state);

class MessengerTray final : public gb::Window {
  public:
    explicit MessengerTray(ITrayCommands& commands) : commands_(commands) {}
    ~MessengerTray() override;
    // Adds the icon (again after Explorer restarts).
    bool Create(HINSTANCE instance);
    // `reason`: the words shown with CannotConnect (UTF-8).
    void Show(TrayState state, const std::string& reason = {});
    TrayState State() const { return state_; }

  private:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void LoadIcons(HINSTANCE instance);
    void Update(DWORD how);
    void ShowMenu();
    void OnCommand(UINT id);

    ITrayCommands& commands_;
    TrayState state_ = TrayState::SignedOut;
    std::string reason_;
    NOTIFYICONDATAW data_{};
    bool shown_ = false;
    UINT taskbarCreated_ = 0;
    std::array<gb::unique_hicon, 4> icons_; // by state
};

} // namespace im

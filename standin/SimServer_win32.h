#pragma once
// The stand-in's server, one per process while any of its objects lives: the state, the
// message-only control window that takes the controller's requests, the conversations'
// windows, and the sinks that hear the events. Its windows only unpack what arrives and
// forward it to the state; what the state decides they carry out (ISimHost).
#include <windows.h>

#include <oaidl.h>

#include <atomic>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "SimState.h"
#include "kit/Handles_win32.h"
#include "kit/Window_win32.h"

namespace msgrsim {

class Server;

// The message-only window that takes the controller's requests.
class ControlWindow final : public gb::Window {
  public:
    explicit ControlWindow(Server& server) : server_(server) {}
    bool Open(HINSTANCE instance) noexcept {
        return Create(0, kControlWindowClass, L"", 0, {}, HWND_MESSAGE, 0, instance);
    }

  private:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    Server& server_;
};

// A conversation's window: the texts of the conversation in a read-only edit.
class ConversationFrame final : public gb::Window {
  public:
    explicit ConversationFrame(Server& server) : server_(server) {}
    bool Open(const std::wstring& title, POINT at, HINSTANCE instance) noexcept {
        return Create(0, kConversationWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                      {at.x, at.y, at.x + 420, at.y + 260}, nullptr, 0, instance);
    }

  private:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    Server& server_;
};

// The stand-in's window classes, registered while a server exists: a DLL's classes are not
// unregistered when it is unloaded, and would keep a procedure that is gone.
struct WindowClasses {
    WindowClasses();
    ~WindowClasses();
    WindowClasses(const WindowClasses&) = delete;
    WindowClasses& operator=(const WindowClasses&) = delete;
};

struct Connection {
    DWORD cookie;
    const void* source;
    gb::com_ptr<IDispatch> sink;
};

class Server final : public ISimHost {
  public:
    Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    SimState state;

    DWORD Connect(const void* source, gb::com_ptr<IDispatch> sink);
    bool Disconnect(const void* source, DWORD cookie);
    void DisconnectAll(const void* source);
    // Called when the last object went away: tears down now, or once the current request
    // is finished.
    bool Busy() const { return busy_ > 0; }
    void TeardownWhenIdle();

    std::intptr_t OpenWindow(const Conversation& conversation) override;
    void CloseWindow(std::intptr_t window) override;
    void BringForward(std::intptr_t window) override;
    void ShowText(std::intptr_t window, const ContactData& sender,
                  const std::string& text) override;
    void RaiseText(const ConversationRef& session, const ContactRef& sender,
                   const std::string& header, const std::string& text) override;
    void RaiseStateChanged(const ContactRef& user, std::int32_t previous) override;
    void RaiseUnreadMail(std::int32_t folder, std::int32_t count) override;
    std::intptr_t MessengerWindow(const std::string& address) override;

    // Once the server is up: the project's messenger is told of this stand-in (or started,
    // when an account is set up and it does not run).
    void MeetMessenger();

    // A request of the controller (SimRequest.h); what the message returns.
    LRESULT OnCopyData(HWND from, const COPYDATASTRUCT& data);
    // Closed by the user or by a request.
    void ConversationWindowDestroyed(HWND hwnd);

  private:
    void Raise(DISPID id, std::span<VARIANT> reversedArgs);

    // Destroyed from the last up: the sinks are released first, the windows go (their last
    // messages to DefWindowProc) before their classes.
    WindowClasses classes_;
    ControlWindow control_{*this};
    // A window closed by the user leaves its object behind until the next window opens.
    std::vector<std::unique_ptr<ConversationFrame>> windows_;
    std::vector<Connection> connections_;
    DWORD nextCookie_ = 1;
    int busy_ = 0;
};

// What the DLL keeps for the process: the object and lock counts, and the server (state and
// windows), which exists exactly while at least one messenger object does.
struct Module {
    HINSTANCE instance = nullptr;
    std::atomic<long> objects{0};
    std::atomic<long> locks{0};
    std::unique_ptr<Server> server;
};
Module& TheModule();
inline Server& TheServer() { return *TheModule().server; }

} // namespace msgrsim

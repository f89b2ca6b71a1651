#pragma once
// Helpers of the messenger tests: the stand-in's registration, running msgrctl.exe while
// this process (which hosts the stand-in) keeps handling messages, and a recording sink.
#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "messenger/Messenger.h"

namespace standin {

std::wstring ServerPath();     // msgrsim.dll, as a Windows path
std::wstring ControllerPath(); // msgrctl.exe

// Calls the DLL's own entry points, as regsvr32 does.
HRESULT RegisterMachineWide();
HRESULT UnregisterMachineWide();
HRESULT InstallPerUser(bool install);

// While registered machine-wide; unregistered again when it ends.
class Registered {
  public:
    Registered();
    ~Registered();
    Registered(const Registered&) = delete;
    Registered& operator=(const Registered&) = delete;
    bool ok = false;
};

struct Run {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
    std::string err;
};
// Runs a program with these arguments and handles this thread's messages until it ends.
Run RunProgram(const std::wstring& program, std::initializer_list<std::wstring> args);
// The same for msgrctl.exe.
Run RunController(std::initializer_list<std::wstring> args);

// Handles this thread's pending messages for about that long.
void Pump(DWORD milliseconds);

// One event as the sink delivered it, with the values read from its objects at once.
struct Event {
    std::string kind;
    std::u16string address, nickname, header, text;
    std::vector<std::u16string> participants;
    std::int32_t state = -1, previous = -1, folder = -1, count = -1;
};

class RecordingEvents final : public messenger::IMessengerEvents {
  public:
    std::vector<Event> events;
    void OnTextReceived(const messenger::SessionPtr& session, const messenger::ContactPtr& sender,
                        const std::u16string& header, const std::u16string& text) override;
    void OnUserStateChanged(const messenger::ContactPtr& user, std::int32_t previous) override;
    void OnUnreadEmailChanged(std::int32_t folder, std::int32_t count) override;
};

// The participants' addresses of a session, in order.
std::vector<std::u16string> Addresses(messenger::ISession& session);

bool RegistryKeyExists(HKEY root, const std::wstring& path);

} // namespace standin

// msgrctl.exe: drives the stand-in messenger inside a running program from a shell. The
// request goes to the stand-in's message-only window as WM_COPYDATA; its answer comes back
// as WM_COPYDATA to a message-only window of ours while we wait (SimRequest.h).
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Utf8.h"
#include "kit/Handles_win32.h"
#include "kit/Window_win32.h"

namespace {

using msgrsim::Command;

enum Exit : int {
    kDone = 0,
    kNoProgram = 1,
    kBadArguments = 2,
    kRefused = 3,
    kRegistrationFailed = 4,
};

constexpr wchar_t kReplyWindowClass[] = L"MsgrCtlReply";

void Print(std::FILE* to, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), to);
    std::fflush(to);
}

// The message-only window the stand-in's answer comes to while we wait for it.
class AnswerWindow final : public gb::Window {
  public:
    bool Open(HINSTANCE instance) noexcept {
        RegisterClass(instance, kReplyWindowClass);
        return Create(0, kReplyWindowClass, L"", 0, {}, HWND_MESSAGE, 0, instance);
    }
    const std::string& Answer() const noexcept { return answer_; }

  private:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg != WM_COPYDATA || !lp) return Default(msg, wp, lp);
        const auto& data = *reinterpret_cast<const COPYDATASTRUCT*>(lp);
        if (data.dwData != msgrsim::kReplyTag || (!data.lpData && data.cbData)) return FALSE;
        answer_.assign(static_cast<const char*>(data.lpData), data.cbData);
        return TRUE;
    }

    std::string answer_;
};

// What became of one request: the exit code, and the answer or why it failed.
struct Outcome {
    int code = kDone;
    std::string text;
};

Outcome Send(const msgrsim::Request& request) {
    const HWND target =
        ::FindWindowExW(HWND_MESSAGE, nullptr, msgrsim::kControlWindowClass, nullptr);
    if (!target) return {kNoProgram, "no program with the stand-in messenger is running"};
    AnswerWindow window;
    window.Open(::GetModuleHandleW(nullptr)); // without it the request goes unanswered

    std::string data = msgrsim::EncodeArgs(request.args);
    COPYDATASTRUCT cds{static_cast<ULONG_PTR>(request.op), static_cast<DWORD>(data.size()),
                       data.empty() ? nullptr : data.data()};
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(window.hWnd()),
                               reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG, 10000, &result)) {
        return {kNoProgram, "the program with the stand-in messenger does not answer"};
    }
    switch (static_cast<std::intptr_t>(result)) {
    case msgrsim::kResultDone:
        return {kDone, window.Answer()};
    case msgrsim::kResultRefused:
        return {kRefused, "the stand-in messenger refused: " + window.Answer()};
    case msgrsim::kResultMalformed:
        return {kRefused, "the stand-in messenger refused the request as malformed"};
    case msgrsim::kResultTooLong:
        return {kRefused,
                "the stand-in messenger refused: " + msgrsim::TooLongMessage(data.size())};
    default:
        return {kNoProgram, "the window found is not the stand-in messenger's"};
    }
}

int SendAndSay(const msgrsim::Request& request) {
    const Outcome outcome = Send(request);
    if (outcome.code == kDone) {
        Print(stdout, outcome.text);
    } else {
        Print(stderr, "msgrctl: " + outcome.text + "\n");
    }
    return outcome.code;
}

// Each line of standard input as a text; a line that does not go through is reported with its
// number and the rest still go.
int Feed(const msgrsim::Feed& feed) {
    _setmode(_fileno(stdin), _O_BINARY); // CR, LF and ^Z are the feed's to read as they are
    int code = kDone;
    long number = 0;
    std::string line;
    std::size_t length = 0;
    const auto sendLine = [&] {
        ++number;
        const auto fed = msgrsim::FeedLine(feed, line, length);
        Outcome outcome;
        if (fed.request) {
            outcome = Send(*fed.request);
        } else if (!fed.error.empty()) {
            outcome = {kRefused, fed.error};
        }
        if (outcome.code != kDone) {
            Print(stderr, "msgrctl: line " + std::to_string(number) + ": " + outcome.text + "\n");
            if (code != kNoProgram) code = outcome.code;
        }
        line.clear();
        length = 0;
    };
    for (int c; (c = std::getc(stdin)) != EOF;) {
        if (c == '\n') {
            sendLine();
            continue;
        }
        // Enough of a long line to know it is too long, not all of it.
        if (line.size() <= msgrsim::kMaxRequestBytes) line.push_back(static_cast<char>(c));
        ++length;
    }
    if (length > 0) sendLine(); // the last line may end without LF
    return code;
}

// msgrsim.dll beside this program.
std::wstring ServerPath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, length);
    const auto slash = p.find_last_of(L"\\/");
    return (slash == std::wstring::npos ? std::wstring() : p.substr(0, slash + 1)) + L"msgrsim.dll";
}

int Register(bool install, bool perUser) {
    struct Library {
        HMODULE h;
        ~Library() {
            if (h) ::FreeLibrary(h);
        }
    } dll{::LoadLibraryW(ServerPath().c_str())};
    if (!dll.h) {
        Print(stderr, "msgrctl: cannot load msgrsim.dll beside msgrctl.exe\n");
        return kRegistrationFailed;
    }
    HRESULT hr = E_FAIL;
    if (perUser) {
        using InstallFn = HRESULT(STDAPICALLTYPE*)(BOOL, LPCWSTR);
        auto fn = reinterpret_cast<InstallFn>(
            reinterpret_cast<void*>(::GetProcAddress(dll.h, "DllInstall")));
        if (fn) hr = fn(install, L"user");
    } else {
        using RegisterFn = HRESULT(STDAPICALLTYPE*)();
        auto fn = reinterpret_cast<RegisterFn>(reinterpret_cast<void*>(
            ::GetProcAddress(dll.h, install ? "DllRegisterServer" : "DllUnregisterServer")));
        if (fn) hr = fn();
    }
    if (FAILED(hr)) {
        char text[96];
        std::snprintf(text, sizeof text, "msgrctl: %s failed (0x%08lX)%s\n",
                      install ? "registration" : "unregistration", static_cast<unsigned long>(hr),
                      perUser ? "" : "; machine-wide needs administrator rights, try --user");
        Print(stderr, text);
        return kRegistrationFailed;
    }
    Print(stdout, std::string(install ? "registered" : "unregistered") +
                      (perUser ? " for this user\n" : " machine-wide\n"));
    return kDone;
}

int Demo(std::int32_t paceMs) {
    for (const auto& step : msgrsim::DemoScript()) {
        ::Sleep(static_cast<DWORD>(step.pauses) * static_cast<DWORD>(paceMs));
        const auto parsed = msgrsim::ParseCommandLine(step.args);
        if (!parsed.command) {
            Print(stderr, "msgrctl: demo step is wrong: " + parsed.error + "\n");
            return kBadArguments;
        }
        std::string line = "demo:";
        for (const auto& a : parsed.command->request.args) {
            if (!a.empty()) line += " " + a;
        }
        Print(stdout, line + "\n");
        if (const int rc = SendAndSay(parsed.command->request); rc != kDone) return rc;
    }
    return kDone;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    // The answers are UTF-8 text with "\n" line ends, passed on unchanged.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    try {
        std::vector<std::u16string> args;
        for (int i = 1; i < argc; ++i) {
            const std::wstring a(argv[i]);
            args.emplace_back(a.begin(), a.end());
        }
        const auto parsed = msgrsim::ParseCommandLine(args);
        if (!parsed.command) {
            Print(stderr, "msgrctl: " + parsed.error + "\nTry 'msgrctl --help'.\n");
            return kBadArguments;
        }
        const Command& c = *parsed.command;
        switch (c.kind) {
        case Command::Kind::Help:
            Print(stdout, msgrsim::UsageText());
            return kDone;
        case Command::Kind::Send:
            return SendAndSay(c.request);
        case Command::Kind::Feed:
            return Feed(c.feed);
        case Command::Kind::Register:
        case Command::Kind::Unregister:
            return Register(c.kind == Command::Kind::Register, c.perUser);
        case Command::Kind::Demo:
            return Demo(c.paceMs);
        }
    } catch (...) {
        Print(stderr, "msgrctl: out of memory\n");
    }
    return kNoProgram;
}

// The binding against the registered stand-in (hosted in this process), and msgrctl.exe run
// from here while this thread keeps handling the messages its requests arrive as.
#include <windows.h>

#include <gtest/gtest.h>

#include "SimRequest.h"
#include "Utf8.h" // its text conversion
#include "contract/MessengerCom_win32.h"
#include "contract/MessengerText.h"
#include "kit/Handles_win32.h"
#include "messenger/EventSink_win32.h"
#include "messenger/MessengerBinding_win32.h"
#include "messenger/MessengerLink_win32.h"

namespace {

using unique_kernel = gb::unique_handle<HANDLE, gb::detail::NullTraits<HANDLE, ::CloseHandle>>;
using Lines = std::vector<std::string>;
using namespace std::string_literals;

std::wstring WindowsPath(std::string_view unixPath) {
    std::wstring path = L"Z:" + std::wstring(unixPath.begin(), unixPath.end());
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}
const std::wstring kServer = WindowsPath(MSGRSIM_PATH);

// The DLL's own entry points as regsvr32 calls them: machine-wide, or through DllInstall
// ("user": per user).
HRESULT Register(bool on, const wchar_t* install = nullptr) {
    const HMODULE dll = ::LoadLibraryW(kServer.c_str());
    const char* entry = install ? "DllInstall" : on ? "DllRegisterServer" : "DllUnregisterServer";
    void* fn = reinterpret_cast<void*>(::GetProcAddress(dll, entry));
    const HRESULT hr =
        !fn       ? E_FAIL
        : install ? reinterpret_cast<HRESULT(STDAPICALLTYPE*)(BOOL, LPCWSTR)>(fn)(on, install)
                  : reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(fn)();
    ::FreeLibrary(dll);
    return hr;
}

struct Registered {
    const bool ok = SUCCEEDED(Register(true));
    ~Registered() { Register(false); }
};

// A file a child process inherits, gone once closed.
unique_kernel TempFile() {
    wchar_t dir[MAX_PATH] = {}, name[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, dir);
    ::GetTempFileNameW(dir, L"gbm", 0, name);
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    return unique_kernel(::CreateFileW(
        name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, CREATE_ALWAYS,
        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
}

// The exit code, and standard output and error together.
using Outcome = std::pair<DWORD, std::string>;

// Runs msgrctl.exe on the given input, handling this thread's messages until it ends.
Outcome RunController(const std::vector<std::wstring>& args, const std::string& input = {}) {
    Outcome run{0xFFFFFFFF, ""};
    unique_kernel in = TempFile(), out = TempFile();
    DWORD wrote = 0;
    ::WriteFile(in.get(), input.data(), static_cast<DWORD>(input.size()), &wrote, nullptr);
    ::SetFilePointer(in.get(), 0, nullptr, FILE_BEGIN);
    std::wstring line = L"\"" + WindowsPath(MSGRCTL_PATH) + L"\"";
    for (const auto& a : args)
        line += L" \"" + a + L"\""; // no argument here holds a quote or ends in a backslash
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in.get();
    si.hStdOutput = si.hStdError = out.get();
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                          nullptr, &si, &pi)) {
        ADD_FAILURE() << "cannot start msgrctl";
        return run;
    }
    unique_kernel process(pi.hProcess), thread(pi.hThread);
    while (::MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, INFINITE, QS_ALLINPUT) !=
           WAIT_OBJECT_0)
        for (MSG msg; ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);)
            ::DispatchMessageW(&msg);
    ::GetExitCodeProcess(pi.hProcess, &run.first);
    ::SetFilePointer(out.get(), 0, nullptr, FILE_BEGIN);
    char buffer[4096];
    for (DWORD got = 0; ::ReadFile(out.get(), buffer, sizeof buffer, &got, nullptr) && got > 0;)
        run.second.append(buffer, got);
    return run;
}

std::string U8(const std::optional<std::u16string>& text) {
    return text ? msgrsim::ToUtf8(*text).value_or("<bad>") : "<failed>";
}

// The participants' addresses of a session, in order, separated by commas.
std::string Participants(const messenger::SessionPtr& session) {
    std::string out;
    auto list = session ? session->Participants() : nullptr;
    for (std::int32_t i = 0; list && i < list->Count().value_or(0); ++i) {
        auto c = list->Item(i);
        out += (i ? "," : "") + (c ? U8(c->EmailAddress()) : "<null>");
    }
    return out;
}

// Each event as one line, with the values read from its objects at once.
struct RecordingEvents final : messenger::IMessengerEvents {
    std::vector<std::string> events;
    static std::string Who(const messenger::ContactPtr& c) {
        return U8(c->EmailAddress()) + " " + U8(c->FriendlyName()) + " " +
               std::to_string(c->State().value_or(-2));
    }
    void OnTextReceived(const messenger::SessionPtr& session, const messenger::ContactPtr& sender,
                        const std::u16string& header, const std::u16string& text) override {
        events.push_back("text " + Who(sender) + " [" + U8(header) + "] " + U8(text) + " (" +
                         Participants(session) + ")");
    }
    void OnUserStateChanged(const messenger::ContactPtr& user, std::int32_t previous) override {
        events.push_back("state " + Who(user) + " from " + std::to_string(previous));
    }
    void OnUnreadEmailChanged(std::int32_t folder, std::int32_t count) override {
        events.push_back("mail " + std::to_string(folder) + " " + std::to_string(count));
    }
};

VARIANT Var(VARTYPE vt, LONG value = 0, void* p = nullptr) {
    VARIANT v{}; // VT_EMPTY
    v.vt = vt;
    if (vt == VT_I4) v.lVal = value;
    if (p) v.byref = p;
    return v;
}

const std::wstring kClasses = L"Software\\Classes\\";
const std::wstring kAppKey = kClasses + L"CLSID\\{F3A614DD-ABE0-11D2-A441-00C04F795683}";
const std::wstring kKeys[] = {kClasses + L"CLSID\\{F3A614DC-ABE0-11D2-A441-00C04F795683}", kAppKey,
                              kClasses + L"CLSID\\{B69003B3-C55E-4B48-836C-BC5946FC3B28}",
                              kClasses + L"Messenger.MessengerApp"};

bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return false;
    gb::unique_hkey key(raw);
    return true;
}

void ExpectAbsentUnder(HKEY root) {
    for (const auto& key : kKeys)
        EXPECT_FALSE(KeyExists(root, key)) << std::string(key.begin(), key.end());
}

// Machine-wide and per user, in and out, leave the registry exactly as they found it:
// nothing before, nothing after, nothing ever under the other root, twice harmless; while
// registered, the classes name this DLL.
TEST(Registration, EachWayInAndOutLeavesTheRegistryAsFound) {
    const struct {
        HKEY root, other;
        const wchar_t* install;
    } rows[] = {{HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, nullptr},
                {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, L"user"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.install ? "per user" : "machine-wide");
        ExpectAbsentUnder(row.root);
        ASSERT_EQ(Register(true, row.install), S_OK);
        EXPECT_EQ(Register(true, row.install), S_OK);
        wchar_t server[MAX_PATH] = {}; // the application's class, in this DLL
        DWORD bytes = sizeof server - sizeof(wchar_t);
        ::RegGetValueW(row.root, (kAppKey + L"\\InprocServer32").c_str(), nullptr, RRF_RT_REG_SZ,
                       nullptr, server, &bytes);
        EXPECT_EQ(::lstrcmpiW(server, kServer.c_str()), 0);
        ExpectAbsentUnder(row.other);
        EXPECT_EQ(Register(false, row.install), S_OK);
        EXPECT_EQ(Register(false, row.install), S_OK);
        ExpectAbsentUnder(row.root);
    }
}

// Unregistered (after a registration, so nothing cached may help) nothing attaches or is
// created and nothing fails loudly; registered, the link attaches once (one event arrives
// once), hears nothing detached, and attaches again. The controller checks its arguments
// before it looks for the stand-in, and its exit code says how a request ended; what a click
// asks is logged with its argument, written out unchanged.
TEST(Link, AttachesOnceRegisteredAndTheControllerSaysHowARequestEnded) {
    ASSERT_EQ(Register(false), S_OK);
    RecordingEvents events;
    messenger::MessengerLink link(events);
    messenger::ComMessengerFactory factory;
    EXPECT_FALSE(link.TryAttach());
    EXPECT_FALSE(factory.CreateApp() || factory.CreateMessenger());
    const struct {
        bool registered;
        std::vector<std::wstring> args;
        Outcome run;
    } rows[] = {
        // clang-format off
        {false, {L"text", L"a@x"},
         {2, "msgrctl: text takes 2 arguments, got 1\nTry 'msgrctl --help'.\n"}},
        {false, {L"log"}, {1, "msgrctl: no program with the stand-in messenger is running\n"}},
        {true, {L"mail", L"4"}, {0, ""}},
        {true, {L"status", L"away"}, {0, ""}},
        {true, {L"log"}, {0, "OpenInbox\nInstantMessage(carl@x)\nconversation opened (carl@x)\n"}},
        {true, {L"close", L"nobody@x"},
         {3, "msgrctl: the stand-in messenger refused: no open conversation with nobody@x\n"}},
        // clang-format on
    };
    std::optional<Registered> registered;
    std::shared_ptr<messenger::IMessenger> messenger;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.run.second);
        if (row.registered && !registered) {
            ASSERT_TRUE(registered.emplace().ok);
            EXPECT_TRUE(link.TryAttach());
            EXPECT_TRUE(link.TryAttach()); // already attached: no second connection
            messenger = factory.CreateMessenger();
            ASSERT_TRUE(messenger);
            // A contact without an address fails where it happens and is not logged.
            EXPECT_TRUE(messenger->OpenInbox() && messenger->InstantMessage(u"carl@x") &&
                        !messenger->InstantMessage(u""));
        }
        EXPECT_EQ(RunController(row.args), row.run);
    }
    EXPECT_EQ(messenger->MyStatus(), 4);
    link.Detach();
    RunController({L"mail", L"5"});
    EXPECT_EQ(events.events, Lines{"mail 0 4"});
    ASSERT_TRUE(link.TryAttach());

    // Every event reaches the sink with exactly the values raised; a text comes as one
    // character per UTF-8 byte, bytes above 0x7F included, even from a session no window
    // shows, its session naming the participants in their order. Fed lines arrive in order:
    // an empty one is skipped, one that cannot be sent is reported with its number, and the
    // rest still go.
    events.events.clear();
    for (const std::vector<std::wstring>& args :
         {std::vector<std::wstring>{L"text", L"anna@example.com", L"Ol\u00E1 \u263A \U0001F600 :)",
                                    L"--nick", L"Anna (L)", L"--header", L"FN=Verdana; CO=ff0000;",
                                    L"--with", L"anna@example.com,bob@x", L"--no-window"},
          {L"state", L"bob@x", L"away", L"--prev", L"offline", L"--nick", L"Bob \u00C9"},
          {L"mail", L"7", L"--folder", L"2"}})
        EXPECT_EQ(RunController(args), Outcome(0, ""));
    EXPECT_EQ(RunController({L"feed", L"--from", L"ann@x", L"--no-window"},
                            "one\r\n\nbad\0line\nthree :)"s),
              Outcome(3, "msgrctl: line 3: the line holds a NUL character\n"));
    const std::string bytes =
        U8(messenger::ByteText("Ol\xC3\xA1 \xE2\x98\xBA \xF0\x9F\x98\x80 :)"));
    const std::string feed = "text ann@x ann@x 2 [FN=Arial; EF=; CO=0; CS=0; PF=22] ";
    EXPECT_EQ(events.events, (Lines{"text anna@example.com Anna (L) 2 [FN=Verdana; CO=ff0000;] " +
                                        bytes + " (anna@example.com,bob@x)",
                                    "state bob@x Bob \xC3\x89 4 from 1", "mail 2 7",
                                    feed + "one (ann@x)", feed + "three :) (ann@x)"}));
}

// A request straight from this thread, the stand-in's own, as any program could send it.
LRESULT Ask(msgrsim::Op op, const std::string& address, HWND answerTo = nullptr) {
    std::string data = msgrsim::EncodeArgs({address});
    COPYDATASTRUCT cds{static_cast<ULONG_PTR>(op), static_cast<DWORD>(data.size()), data.data()};
    return ::SendMessageW(
        ::FindWindowExW(HWND_MESSAGE, nullptr, msgrsim::kControlWindowClass, nullptr), WM_COPYDATA,
        reinterpret_cast<WPARAM>(answerTo), reinterpret_cast<LPARAM>(&cds));
}

// An answer to its own thread (to the control window itself above all) would make it answer
// itself without end: refused at once; a request that wants no answer is carried out. Windows close
// in any order, each destroyed once, the list of the rest intact, a closed one naming no window.
TEST(StandIn, RequestsFromItsOwnThreadAndClosesInAnyOrder) {
    using msgrsim::Op;
    Registered registered;
    ASSERT_TRUE(registered.ok);
    // The stand-in's control window lives while one of its objects does.
    auto windows = messenger::ComMessengerFactory().CreateApp()->Windows();
    const HWND control =
        ::FindWindowExW(HWND_MESSAGE, nullptr, msgrsim::kControlWindowClass, nullptr);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(Ask(Op::Open, "a@x", control), msgrsim::kResultMalformed);
    EXPECT_EQ(windows->Count(), 0);
    for (const char* first : {"a@x", "b@x"}) {
        SCOPED_TRACE(first);
        ASSERT_EQ(Ask(Op::Open, "a@x"), msgrsim::kResultDone);
        ASSERT_EQ(Ask(Op::Open, "b@x"), msgrsim::kResultDone);
        auto second = windows->Item(1);
        EXPECT_GT(second->HWnd().value_or(0), 0);
        EXPECT_EQ(Ask(Op::Close, first), msgrsim::kResultDone);
        EXPECT_EQ(windows->Count(), 1);
        EXPECT_FALSE(windows->Item(1) || windows->Item(-1));
        EXPECT_EQ(Ask(Op::Close, first[0] == 'a' ? "b@x" : "a@x"), msgrsim::kResultDone);
        EXPECT_EQ(windows->Count(), 0);
        EXPECT_EQ(second->HWnd(), 0);
        EXPECT_EQ(::FindWindowW(msgrsim::kConversationWindowClass, nullptr), nullptr);
    }
}

// The real Invoke follows the sink's decision (its rule is the fuzz target's): a call of the
// wrong shape is refused before the program sees it, and pfEnableDefault is never written.
// Once forgotten, a source that still holds the sink reaches no one.
TEST(EventSink, RefusesMalformedEvents) {
    RecordingEvents events;
    auto sink = messenger::EventSink::Create(events);
    VARIANT_BOOL enable = VARIANT_TRUE;
    const VARIANT byref = Var(VT_BOOL | VT_BYREF, 0, &enable), three = Var(VT_I4, 3),
                  zero = Var(VT_I4, 0);
    const DISPID mail = msgr::dispid::kOnUnreadEmailChanged;
    const struct {
        DISPID id;
        std::vector<VARIANT> args; // last first, as Invoke takes them
        HRESULT expected;
    } rows[] = {
        {mail, {byref, three, zero}, S_OK},
        {mail, {byref, Var(VT_EMPTY), zero}, DISP_E_TYPEMISMATCH},
        {mail, {three, zero}, DISP_E_BADPARAMCOUNT},
        {99, {}, DISP_E_MEMBERNOTFOUND},
    };
    const auto invoke = [&](const auto& row) {
        events.events.clear();
        std::vector<VARIANT> args = row.args;
        DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
        return sink->Invoke(row.id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr,
                            nullptr);
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        EXPECT_EQ(invoke(row), row.expected);
        EXPECT_EQ(events.events.size(), row.expected == S_OK ? 1u : 0u);
        EXPECT_EQ(enable, VARIANT_TRUE);
    }
    sink->Forget();
    EXPECT_EQ(invoke(rows[0]), S_OK);
    EXPECT_TRUE(events.events.empty());
}

} // namespace

// COM on this thread as the program has it: a single-threaded apartment. The tests start
// with the stand-in registered nowhere; a registration found before them (a demo set up in
// the same prefix) is put back when they end.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const bool machineWide = KeyExists(HKEY_LOCAL_MACHINE, kAppKey);
    const bool perUser = KeyExists(HKEY_CURRENT_USER, kAppKey);
    if (machineWide) Register(false);
    if (perUser) Register(false, L"user");
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int rc = RUN_ALL_TESTS();
    ::CoUninitialize();
    if (machineWide) Register(true);
    if (perUser) Register(true, L"user");
    return rc;
}

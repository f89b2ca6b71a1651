// The binding against the registered stand-in (hosted in this process), and msgrctl.exe run
// from here while this thread keeps handling the messages its requests arrive as.
#include <windows.h>

#include <gtest/gtest.h>

#include "SimProtocol.h" // its text conversion
#include "contract/MessengerCom_win32.h"
#include "contract/MessengerText.h"
#include "kit/Handles_win32.h"
#include "messenger/MessengerBinding_win32.h"
#include "messenger/MessengerLink_win32.h"

namespace {

using unique_kernel = gb::unique_handle<HANDLE, gb::detail::NullTraits<HANDLE, ::CloseHandle>>;

std::wstring WindowsPath(const char* unixPath) {
    std::wstring path = L"Z:";
    for (const char* p = unixPath; *p; ++p)
        path.push_back(*p == '/' ? L'\\' : wchar_t(*p));
    return path;
}
const std::wstring kServer = WindowsPath(MSGRSIM_PATH);

// Calls the DLL's own entry points, as regsvr32 does.
HRESULT CallServer(const char* entry, BOOL install = TRUE, const wchar_t* cmd = nullptr) {
    HMODULE dll = ::LoadLibraryW(kServer.c_str());
    void* fn = dll ? reinterpret_cast<void*>(::GetProcAddress(dll, entry)) : nullptr;
    using Install = HRESULT(STDAPICALLTYPE*)(BOOL, LPCWSTR);
    const HRESULT hr = !fn   ? E_FAIL
                       : cmd ? reinterpret_cast<Install>(fn)(install, cmd)
                             : reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(fn)();
    if (dll) ::FreeLibrary(dll);
    return hr;
}
HRESULT Register(bool on) { return CallServer(on ? "DllRegisterServer" : "DllUnregisterServer"); }
HRESULT InstallPerUser(bool on) { return CallServer("DllInstall", on, L"user"); }

struct Registered {
    const bool ok = SUCCEEDED(Register(true));
    ~Registered() { Register(false); }
};

struct Run {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out; // standard output and error together
};

bool Has(const Run& run, const char* text) { return run.out.find(text) != std::string::npos; }

// Runs msgrctl.exe, with input piped in, handling this thread's messages until it ends.
Run RunController(const std::vector<std::wstring>& args, const std::string& input = {}) {
    Run run;
    wchar_t dir[MAX_PATH] = {}, name[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, dir);
    ::GetTempFileNameW(dir, L"gbm", 0, name);
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    unique_kernel out(::CreateFileW(name, GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    std::wstring line = L"\"" + WindowsPath(MSGRCTL_PATH) + L"\"";
    for (const auto& a : args)
        line += L" \"" + a + L"\""; // no argument here holds a quote or ends in a backslash
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = out.get();
    HANDLE read = nullptr, write = nullptr; // the pipe holds the whole input: it is short
    ::CreatePipe(&read, &write, &sa, 0);
    unique_kernel readEnd(read);
    {
        unique_kernel writeEnd(write);
        DWORD wrote = 0;
        ::WriteFile(write, input.data(), static_cast<DWORD>(input.size()), &wrote, nullptr);
    }
    si.hStdInput = read;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                          nullptr, &si, &pi)) {
        ADD_FAILURE() << "cannot start msgrctl";
        return run;
    }
    unique_kernel process(pi.hProcess), thread(pi.hThread);
    const DWORD start = ::GetTickCount();
    while (::MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0) {
        for (MSG msg; ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);)
            ::DispatchMessageW(&msg);
        if (::GetTickCount() - start > 60000 && ::TerminateProcess(pi.hProcess, 0xFFFF))
            ADD_FAILURE() << "msgrctl did not end";
    }
    ::GetExitCodeProcess(pi.hProcess, &run.exitCode);
    ::SetFilePointer(out.get(), 0, nullptr, FILE_BEGIN);
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(out.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        run.out.append(buffer, got);
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
    void OnTextReceived(const messenger::SessionPtr& session, const messenger::ContactPtr& sender,
                        const std::u16string& header, const std::u16string& text) override {
        events.push_back("text " + U8(sender->EmailAddress()) + " " + U8(sender->FriendlyName()) +
                         " " + std::to_string(sender->State().value_or(-2)) + " [" + U8(header) +
                         "] " + U8(text) + " (" + Participants(session) + ")");
    }
    void OnUserStateChanged(const messenger::ContactPtr& user, std::int32_t previous) override {
        events.push_back("state " + U8(user->EmailAddress()) + " " + U8(user->FriendlyName()) +
                         " " + std::to_string(previous) + "->" +
                         std::to_string(user->State().value_or(-2)));
    }
    void OnUnreadEmailChanged(std::int32_t folder, std::int32_t count) override {
        events.push_back("mail " + std::to_string(folder) + " " + std::to_string(count));
    }
};
using Lines = std::vector<std::string>;

VARIANT Var(VARTYPE vt, LONG value = 0, void* p = nullptr) {
    VARIANT v{}; // VT_EMPTY
    v.vt = vt;
    if (vt == VT_I4) v.lVal = value;
    if (p) v.byref = p;
    return v;
}

// A property of a messenger object read through IDispatch, as a script would.
gb::com_ptr<IDispatch> Get(const gb::com_ptr<IDispatch>& object, DISPID id,
                           std::optional<LONG> index = {}) {
    VARIANT arg = Var(VT_I4, index.value_or(0)), result = Var(VT_EMPTY);
    DISPPARAMS params{&arg, nullptr, index ? 1u : 0u, 0};
    if (object) object->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &params, &result, 0, 0);
    if (result.vt == VT_DISPATCH) return gb::com_ptr<IDispatch>::attach(result.pdispVal);
    ::VariantClear(&result);
    return nullptr;
}

// Arguments are checked before the stand-in is looked for; runs while no stand-in exists.
TEST(Controller, ExitCodesWithoutAProgram) {
    const auto bad = RunController({L"text", L"a@example.com"});
    EXPECT_EQ(bad.exitCode, 2u);
    EXPECT_TRUE(Has(bad, "text takes 2 arguments, got 1")) << bad.out;
    const auto none = RunController({L"log"});
    EXPECT_EQ(none.exitCode, 1u);
    EXPECT_TRUE(Has(none, "no program with the stand-in messenger is running")) << none.out;
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
// registered, each class names this DLL.
TEST(Registration, EachWayInAndOutLeavesTheRegistryAsFound) {
    const struct {
        HKEY root, other;
        HRESULT (*set)(bool);
    } rows[] = {{HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, Register},
                {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, InstallPerUser}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.root == HKEY_CURRENT_USER ? "per user" : "machine-wide");
        ExpectAbsentUnder(row.root);
        ASSERT_EQ(row.set(true), S_OK);
        EXPECT_EQ(row.set(true), S_OK);
        for (const auto& key : {kKeys[0], kKeys[1], kKeys[2]}) { // the classes, in this DLL
            wchar_t value[MAX_PATH] = {};
            DWORD bytes = sizeof value - sizeof(wchar_t);
            EXPECT_EQ(::RegGetValueW(row.root, (key + L"\\InprocServer32").c_str(), nullptr,
                                     RRF_RT_REG_SZ, nullptr, value, &bytes),
                      ERROR_SUCCESS);
            EXPECT_EQ(::lstrcmpiW(value, kServer.c_str()), 0);
        }
        ExpectAbsentUnder(row.other);
        EXPECT_EQ(row.set(false), S_OK);
        EXPECT_EQ(row.set(false), S_OK);
        ExpectAbsentUnder(row.root);
    }
    EXPECT_EQ(CallServer("DllInstall", TRUE, L"everyone"), E_INVALIDARG);
    ExpectAbsentUnder(HKEY_LOCAL_MACHINE);
    ExpectAbsentUnder(HKEY_CURRENT_USER);
}

// With no messenger registered (after it was registered and unregistered, so nothing cached
// may help) nothing can be created and nothing fails loudly; once registered, it attaches.
// Attaching twice makes no second connection: one event arrives once.
TEST(NoMessenger, FailsSoftlyAndAttachesOnceRegistered) {
    ASSERT_EQ(Register(false), S_OK);
    RecordingEvents events;
    messenger::MessengerLink link(events);
    messenger::ComMessengerFactory factory;
    EXPECT_FALSE(link.TryAttach());
    EXPECT_EQ(factory.CreateApp(), nullptr);
    EXPECT_EQ(factory.CreateMessenger(), nullptr);

    Registered registered;
    ASSERT_TRUE(registered.ok);
    EXPECT_TRUE(link.TryAttach());
    EXPECT_TRUE(link.TryAttach()); // already attached: stays so, no second connection
    EXPECT_NE(factory.CreateApp(), nullptr);
    RunController({L"mail", L"4"});
    link.Detach(); // a detached link receives nothing, and can attach again
    EXPECT_FALSE(link.Attached());
    RunController({L"mail", L"5"});
    EXPECT_EQ(events.events, Lines{"mail 0 4"});
    EXPECT_TRUE(link.TryAttach());
}

// Each test holds its own objects; when they are all released the stand-in forgets its
// state, so every test starts from a fresh messenger.
class StandIn : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { registered_ = std::make_unique<Registered>(); }
    static void TearDownTestSuite() { registered_.reset(); }
    void SetUp() override {
        ASSERT_TRUE(registered_->ok);
        ASSERT_TRUE(link_.TryAttach());
    }
    static void Send(const std::vector<std::wstring>& args) {
        const auto run = RunController(args);
        ASSERT_EQ(run.exitCode, 0u) << run.out;
    }
    static inline std::unique_ptr<Registered> registered_;
    RecordingEvents events_;
    messenger::MessengerLink link_{events_};
    messenger::ComMessengerFactory factory_;
};

// Every event reaches the sink with exactly the values raised; the text comes as one
// character per UTF-8 byte, bytes above 0x7F included, even from a session no window shows.
TEST_F(StandIn, AllThreeEventsArriveWithExactValues) {
    Send({L"text", L"anna@example.com", L"Ol\u00E1 \u263A \U0001F600 :)", L"--nick", L"Anna (L)",
          L"--header", L"FN=Verdana; CO=ff0000;", L"--no-window"});
    Send({L"state", L"bob@example.com", L"away", L"--prev", L"offline", L"--nick", L"Bob \u00C9"});
    Send({L"mail", L"7", L"--folder", L"2"});
    const std::string bytes =
        U8(messenger::ByteText("Ol\xC3\xA1 \xE2\x98\xBA \xF0\x9F\x98\x80 :)"));
    EXPECT_EQ(events_.events, (Lines{"text anna@example.com Anna (L) 2 [FN=Verdana; CO=ff0000;] " +
                                         bytes + " (anna@example.com)",
                                     "state bob@example.com Bob \xC3\x89 1->4", "mail 2 7"}));
    EXPECT_EQ(factory_.CreateApp()->Windows()->Count(), 0);
}

// A session's window is the one with the same participants in the same order ("a, b" and
// "b, a" are two). A list walked while a conversation closes gives a null window, not a
// crash; EmailAddress read by name gives what the contact interface gives.
TEST_F(StandIn, ConversationWindowsByParticipantsAndOrder) {
    Send({L"open", L"ann@example.com,bob@example.com"});
    Send({L"text", L"bob@example.com", L"hi", L"--with", L"bob@example.com,ann@example.com"});
    const char* orders[] = {"ann@example.com,bob@example.com", "bob@example.com,ann@example.com"};
    ASSERT_EQ(events_.events.size(), 1u);
    EXPECT_TRUE(events_.events[0].ends_with(" (bob@example.com,ann@example.com)"));
    auto windows = factory_.CreateApp()->Windows();
    ASSERT_EQ(windows->Count(), 2);
    for (std::int32_t i = 0; i < 2; ++i) {
        auto window = windows->Item(i);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(Participants(window->Session()), orders[i]);
        EXPECT_GT(window->HWnd().value_or(0), 0);
    }

    gb::com_ptr<IDispatch> app;
    ASSERT_EQ(::CoCreateInstance(msgr::CLSID_MessengerApp, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IDispatch, app.put_void()),
              S_OK);
    using namespace msgr::dispid;
    const auto list = Get(app, kWindows);
    const auto participants = Get(Get(Get(list, kItem, 0), kSession), kParticipants);
    for (LONG i = 0; i < 2; ++i) {
        const auto contact = Get(participants, kItem, i);
        ASSERT_TRUE(contact);
        const std::u16string address = i ? u"bob@example.com" : u"ann@example.com";
        EXPECT_EQ(messenger::EmailAddressByName(contact.get()), address);
        EXPECT_EQ(messenger::WrapContact(contact)->EmailAddress(), address);
    }
    EXPECT_FALSE(Get(participants, kItem, 2));
    EXPECT_EQ(messenger::EmailAddressByName(list.get()), std::nullopt);
    auto notAContact = messenger::WrapContact(list); // answers nothing rather than garbage
    ASSERT_NE(notAContact, nullptr);
    EXPECT_EQ(notAContact->EmailAddress(), std::nullopt);
    EXPECT_EQ(notAContact->FriendlyName(), std::nullopt);
    EXPECT_EQ(notAContact->State(), std::nullopt);

    auto second = windows->Item(1);
    ASSERT_NE(second, nullptr);
    Send({L"close", L"bob@example.com,ann@example.com"});
    EXPECT_EQ(windows->Count(), 1);
    EXPECT_EQ(windows->Item(1), nullptr);
    EXPECT_EQ(windows->Item(-1), nullptr);
    EXPECT_NE(windows->Item(0), nullptr);
    EXPECT_EQ(second->HWnd(), 0); // the closed one reports no window
}

// Own status follows the controller. What a click asks is logged with its argument, written
// out unchanged; a contact without an address fails where it happens and is not logged. A
// refused request is reported as such.
TEST_F(StandIn, StatusClicksAndRefusals) {
    auto messenger = factory_.CreateMessenger();
    ASSERT_NE(messenger, nullptr);
    Send({L"status", L"away"});
    EXPECT_EQ(messenger->MyStatus(), 4);

    EXPECT_TRUE(messenger->OpenInbox());
    EXPECT_TRUE(messenger->InstantMessage(u"carl@example.com"));
    EXPECT_FALSE(messenger->InstantMessage(u""));
    EXPECT_TRUE(messenger->InstantMessage(u"carl@example.com")); // shows the same window
    const auto log = RunController({L"log"});
    EXPECT_EQ(log.exitCode, 0u);
    EXPECT_EQ(log.out, "OpenInbox\n"
                       "InstantMessage(carl@example.com)\n"
                       "conversation opened (carl@example.com)\n"
                       "InstantMessage(carl@example.com)\n");
    EXPECT_NE(::FindWindowW(L"MsgrSimConversation", L"carl@example.com - Conversation"), nullptr);

    const auto refused = RunController({L"close", L"nobody@example.com"});
    EXPECT_EQ(refused.exitCode, 3u);
    EXPECT_TRUE(Has(refused, "refused: no open conversation with nobody@example.com"));
}

// A request straight from this thread, the stand-in's own, as any program could send it.
LRESULT Ask(ULONG_PTR tag, const std::vector<std::string>& args, HWND answerTo = nullptr) {
    const HWND control =
        ::FindWindowExW(HWND_MESSAGE, nullptr, msgrsim::kControlWindowClass, nullptr);
    std::string data = msgrsim::EncodeArgs(args);
    COPYDATASTRUCT cds{tag, static_cast<DWORD>(data.size()), data.data()};
    return ::SendMessageW(control, WM_COPYDATA, reinterpret_cast<WPARAM>(answerTo),
                          reinterpret_cast<LPARAM>(&cds));
}
const auto kOpen = static_cast<ULONG_PTR>(msgrsim::Op::Open);
const auto kClose = static_cast<ULONG_PTR>(msgrsim::Op::Close);

// An answer to its own thread (to the control window itself above all) would make it answer
// itself without end: refused at once; an answer is never taken for a request. A request that
// wants no answer is carried out.
TEST_F(StandIn, RequestsFromItsOwnThread) {
    const HWND control =
        ::FindWindowExW(HWND_MESSAGE, nullptr, msgrsim::kControlWindowClass, nullptr);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(Ask(kOpen, {"a@x"}, control), msgrsim::kResultMalformed);
    EXPECT_EQ(Ask(msgrsim::kReplyTag, {"a@x"}, control), 0);
    EXPECT_EQ(factory_.CreateApp()->Windows()->Count(), 0);
    EXPECT_EQ(Ask(kOpen, {"a@x"}), msgrsim::kResultDone);
    EXPECT_EQ(factory_.CreateApp()->Windows()->Count(), 1);
}

// Windows close in any order, each destroyed once, the list of the rest intact.
TEST_F(StandIn, ConversationsCloseInAnyOrder) {
    auto windows = factory_.CreateApp()->Windows();
    for (const char* first : {"a@x", "b@x"}) {
        SCOPED_TRACE(first);
        ASSERT_EQ(Ask(kOpen, {"a@x"}), msgrsim::kResultDone);
        ASSERT_EQ(Ask(kOpen, {"b@x"}), msgrsim::kResultDone);
        EXPECT_EQ(Ask(kClose, {first}), msgrsim::kResultDone);
        EXPECT_EQ(windows->Count(), 1);
        EXPECT_EQ(Ask(kClose, {first[0] == 'a' ? "b@x" : "a@x"}), msgrsim::kResultDone);
        EXPECT_EQ(windows->Count(), 0);
        EXPECT_EQ(::FindWindowW(msgrsim::kConversationWindowClass, nullptr), nullptr);
    }
}

// Lines piped into the feed arrive in order; an empty line is skipped, and a line that cannot
// be sent is reported with its number while the rest still go.
TEST_F(StandIn, FeedSendsEachLine) {
    using namespace std::string_literals;
    const auto run = RunController({L"feed", L"--from", L"ann@example.com", L"--no-window"},
                                   "one\r\n\ntwo :)\nbad\0line\nthree"s);
    EXPECT_EQ(run.exitCode, 3u);
    EXPECT_EQ(run.out, "msgrctl: line 4: the line holds a NUL character\n");
    const std::string sent = "text ann@example.com ann@example.com 2 "
                             "[FN=Arial; EF=; CO=0; CS=0; PF=22] ";
    EXPECT_EQ(events_.events,
              (Lines{sent + "one (ann@example.com)", sent + "two :) (ann@example.com)",
                     sent + "three (ann@example.com)"}));
}

// The sink translates only: arguments of the wrong kind or number are refused before the
// program sees them (so it never gets a null session or contact), and pfEnableDefault is
// never written. Once forgotten, a source that still holds the sink reaches no one.
TEST(EventSink, RefusesMalformedEvents) {
    RecordingEvents events;
    auto sink = messenger::EventSink::Create(events);
    VARIANT_BOOL enable = VARIANT_TRUE;
    gb::unique_bstr word(::SysAllocString(L"seven"));
    const VARIANT byref = Var(VT_BOOL | VT_BYREF, 0, &enable), empty = Var(VT_EMPTY),
                  text = Var(VT_BSTR, 0, word.get()), three = Var(VT_I4, 3), zero = Var(VT_I4, 0);
    const DISPID mail = msgr::dispid::kOnUnreadEmailChanged;
    const struct {
        DISPID id;
        std::vector<VARIANT> args; // last first, as Invoke takes them
        HRESULT expected;
    } rows[] = {
        {mail, {byref, three, zero}, S_OK},
        {mail, {byref, text, zero}, DISP_E_TYPEMISMATCH},
        {mail, {three, zero}, DISP_E_BADPARAMCOUNT},
        {msgr::dispid::kOnUserStateChanged, {byref, Var(VT_I4, 1), empty}, DISP_E_TYPEMISMATCH},
        {msgr::dispid::kOnTextReceived, {byref, text, text, empty, text}, DISP_E_TYPEMISMATCH},
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
    if (perUser) InstallPerUser(false);
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int rc = RUN_ALL_TESTS();
    ::CoUninitialize();
    if (machineWide) Register(true);
    if (perUser) InstallPerUser(true);
    return rc;
}

// msgrsim.dll: the stand-in messenger, an in-process, apartment-threaded COM server that
// offers the messenger's classes, objects and events. A message-only window of the class
// kControlWindowClass takes the controller's requests; the state they change lives in
// SimState, one per process, for as long as any of the server's objects lives.
#include <windows.h>

#include <oaidl.h>
#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "SimRequest.h"
#include "SimState.h"
#include "Utf8.h"
#include "contract/MessengerCom_win32.h"
#include "contract/MessengerText.h"
#include "kit/ComObject_win32.h"
#include "kit/Handles_win32.h"
#include "kit/Window_win32.h"

namespace msgrsim {
namespace {

using gb::com_ptr;

constexpr UINT kTeardownMessage = WM_APP + 1;
constexpr int kEditId = 1;
// The controller waits inside SendMessage and takes the answer at once; a window of a busy or
// hung program must not hold the bar's thread for longer than this.
constexpr UINT kAnswerTimeoutMs = 500;

std::wstring Wide(const std::string& utf8) {
    // Names and headers are UTF-8 text; anything malformed is shown byte by byte.
    std::u16string text = FromUtf8(utf8).value_or(messenger::ByteText(utf8));
    return std::wstring(text.begin(), text.end());
}

class Server;

// What the DLL keeps for the process: the object and lock counts, and the server (state and
// windows), which exists exactly while at least one messenger object does.
struct Module {
    HINSTANCE instance = nullptr;
    std::atomic<long> objects{0};
    std::atomic<long> locks{0};
    std::unique_ptr<Server> server;
};
Module& TheModule() {
    static Module module;
    return module;
}
Server& TheServer() { return *TheModule().server; }

void ObjectCreated();
void ObjectDestroyed();

struct Connection {
    DWORD cookie;
    const void* source;
    com_ptr<IDispatch> sink;
};

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
    WindowClasses() {
        gb::Window::RegisterClass(TheModule().instance, kControlWindowClass);
        WNDCLASSEXW conversation{};
        conversation.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        gb::Window::RegisterClass(TheModule().instance, kConversationWindowClass, conversation);
    }
    ~WindowClasses() {
        ::UnregisterClassW(kConversationWindowClass, TheModule().instance);
        ::UnregisterClassW(kControlWindowClass, TheModule().instance);
    }
    WindowClasses(const WindowClasses&) = delete;
    WindowClasses& operator=(const WindowClasses&) = delete;
};

class Server final : public ISimHost {
  public:
    Server() { control_.Open(TheModule().instance); }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    SimState state;

    DWORD Connect(const void* source, com_ptr<IDispatch> sink) {
        const DWORD cookie = nextCookie_++;
        connections_.push_back(Connection{cookie, source, std::move(sink)});
        return cookie;
    }
    bool Disconnect(const void* source, DWORD cookie) {
        return std::erase_if(connections_, [&](const Connection& c) {
                   return c.cookie == cookie && c.source == source;
               }) != 0;
    }
    void DisconnectAll(const void* source) {
        std::erase_if(connections_, [&](const Connection& c) { return c.source == source; });
    }
    // Called when the last object went away: tears down now, or once the current request
    // is finished.
    bool Busy() const { return busy_ > 0; }
    void TeardownWhenIdle() {
        if (control_.hWnd()) ::PostMessageW(control_.hWnd(), kTeardownMessage, 0, 0);
    }

    std::intptr_t OpenWindow(const Conversation& conversation) override;
    void CloseWindow(std::intptr_t window) override;
    void ShowText(std::intptr_t window, const ContactData& sender,
                  const std::string& text) override;
    void RaiseText(const ConversationRef& session, const ContactRef& sender,
                   const std::string& header, const std::string& text) override;
    void RaiseStateChanged(const ContactRef& user, std::int32_t previous) override;
    void RaiseUnreadMail(std::int32_t folder, std::int32_t count) override;

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
    unsigned long long delivered_ = 0; // events a sink took with S_OK, for the soak's count
};

// --- COM object bases ---------------------------------------------------------------

// Each messenger object keeps the server alive: it is counted from before the object's own
// constructor runs until after its destructor has.
struct CountedObject {
    CountedObject() { ObjectCreated(); }
    ~CountedObject() { ObjectDestroyed(); }
    CountedObject(const CountedObject&) = delete;
    CountedObject& operator=(const CountedObject&) = delete;
};

template <class I, const IID*... Iids> class Unknown : public gb::ComObject<I, Iids...> {
    CountedObject counted_;
};

struct Member {
    const wchar_t* name;
    DISPID id;
};

// The IDispatch half of a dual interface, by a table of member names.
template <class I, const IID* Iid> class Dual : public Unknown<I, &IID_IDispatch, Iid> {
  public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) noexcept override {
        if (!names || !ids) return E_POINTER;
        HRESULT hr = S_OK;
        for (UINT k = 0; k < count; ++k) {
            ids[k] = DISPID_UNKNOWN;
            for (const Member& m : Members()) {
                if (k == 0 && names[k] && ::lstrcmpiW(names[k], m.name) == 0) ids[k] = m.id;
            }
            if (ids[k] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT*) noexcept override {
        return gb::ComBorder([&]() -> HRESULT {
            const DISPPARAMS none{};
            const DISPPARAMS& p = params ? *params : none;
            if (p.cNamedArgs != 0) return DISP_E_NONAMEDARGS;
            if (p.cArgs != 0 && !p.rgvarg) return E_INVALIDARG;
            if (result) ::VariantInit(result);
            return Call(id, flags, p, result);
        });
    }

  protected:
    virtual std::span<const Member> Members() const = 0;
    virtual HRESULT Call(DISPID id, WORD flags, const DISPPARAMS& params, VARIANT* result) = 0;

    static bool IsGet(WORD flags) { return (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)); }
    static HRESULT NoArgs(const DISPPARAMS& p) {
        return p.cArgs == 0 ? S_OK : DISP_E_BADPARAMCOUNT;
    }
    static HRESULT IndexArg(const DISPPARAMS& p, LONG& index) {
        if (p.cArgs != 1) return DISP_E_BADPARAMCOUNT;
        gb::unique_variant v;
        if (FAILED(::VariantChangeType(v.get(), &p.rgvarg[0], 0, VT_I4))) {
            return DISP_E_TYPEMISMATCH;
        }
        index = v.get()->lVal;
        return S_OK;
    }
    // The result of a property or method through IDispatch.
    static HRESULT PutBstr(HRESULT hr, BSTR value, VARIANT* result) {
        gb::unique_bstr owned(value);
        if (FAILED(hr) || !result) return hr;
        result->vt = VT_BSTR;
        result->bstrVal = owned.release();
        return S_OK;
    }
    static HRESULT PutLong(HRESULT hr, LONG value, VARIANT* result) {
        if (FAILED(hr) || !result) return hr;
        result->vt = VT_I4;
        result->lVal = value;
        return S_OK;
    }
    static HRESULT PutObject(HRESULT hr, IDispatch* value, VARIANT* result) {
        auto owned = com_ptr<IDispatch>::attach(value);
        if (FAILED(hr) || !result) return hr;
        result->vt = VT_DISPATCH;
        result->pdispVal = owned.detach(); // the variant holds the reference now
        return S_OK;
    }
};

// The new object's interface iid for a caller; the object goes when it has no such interface.
template <class T> HRESULT Offer(const com_ptr<T>& object, REFIID iid, void** out) {
    return object->QueryInterface(iid, out);
}

template <class T> HRESULT Hand(com_ptr<T> object, IDispatch** out) {
    if (!out) return E_POINTER;
    *out = object.detach(); // the caller owns the reference
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT NewBstr(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// --- The messenger's objects ---------------------------------------------------------

class Contact final : public Dual<msgr::IMessengerContact, &msgr::IID_IMessengerContact> {
  public:
    explicit Contact(ContactRef data) : data_(std::move(data)) {}
    HRESULT STDMETHODCALLTYPE get_FriendlyName(BSTR* name) noexcept override {
        return gb::ComBorder([&] { return NewBstr(Wide(data_->nickname), name); });
    }
    HRESULT STDMETHODCALLTYPE get_EmailAddress(BSTR* address) noexcept override {
        return gb::ComBorder([&]() -> HRESULT {
            if (address) *address = nullptr;
            // A contact without an address is the messenger's failure to report.
            if (data_->address.empty()) return E_FAIL;
            return NewBstr(Wide(data_->address), address);
        });
    }
    HRESULT STDMETHODCALLTYPE get_State(LONG* state) noexcept override {
        if (!state) return E_POINTER;
        *state = data_->state;
        return S_OK;
    }

  private:
    std::span<const Member> Members() const override {
        static constexpr Member members[] = {{L"FriendlyName", msgr::dispid::kFriendlyName},
                                             {L"EmailAddress", msgr::dispid::kEmailAddress},
                                             {L"State", msgr::dispid::kState}};
        return members;
    }
    HRESULT Call(DISPID id, WORD flags, const DISPPARAMS& p, VARIANT* result) override {
        if (!IsGet(flags)) return DISP_E_MEMBERNOTFOUND;
        if (FAILED(NoArgs(p))) return DISP_E_BADPARAMCOUNT;
        BSTR text = nullptr;
        LONG number = 0;
        switch (id) {
        case msgr::dispid::kFriendlyName: {
            const HRESULT hr = get_FriendlyName(&text);
            return PutBstr(hr, text, result);
        }
        case msgr::dispid::kEmailAddress: {
            const HRESULT hr = get_EmailAddress(&text);
            return PutBstr(hr, text, result);
        }
        case msgr::dispid::kState: {
            const HRESULT hr = get_State(&number);
            return PutLong(hr, number, result);
        }
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }

    ContactRef data_;
};

class ContactList final
    : public Dual<msgr::IMessengerContactList, &msgr::IID_IMessengerContactList> {
  public:
    explicit ContactList(std::vector<ContactRef> contacts) : contacts_(std::move(contacts)) {}
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) noexcept override {
        if (!count) return E_POINTER;
        *count = static_cast<LONG>(contacts_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(LONG index, IDispatch** contact) noexcept override {
        return gb::ComBorder([&]() -> HRESULT {
            if (contact) *contact = nullptr;
            if (index < 0 || static_cast<std::size_t>(index) >= contacts_.size()) {
                return E_INVALIDARG;
            }
            return Hand(gb::MakeCom<Contact>(contacts_[index]), contact);
        });
    }

  private:
    std::span<const Member> Members() const override {
        static constexpr Member members[] = {{L"Count", msgr::dispid::kCount},
                                             {L"Item", msgr::dispid::kItem}};
        return members;
    }
    HRESULT Call(DISPID id, WORD flags, const DISPPARAMS& p, VARIANT* result) override {
        if (!IsGet(flags)) return DISP_E_MEMBERNOTFOUND;
        if (id == msgr::dispid::kCount) {
            if (FAILED(NoArgs(p))) return DISP_E_BADPARAMCOUNT;
            LONG count = 0;
            {
                const HRESULT hr = get_Count(&count);
                return PutLong(hr, count, result);
            }
        }
        if (id != msgr::dispid::kItem) return DISP_E_MEMBERNOTFOUND;
        LONG index = 0;
        if (const HRESULT hr = IndexArg(p, index); FAILED(hr)) return hr;
        IDispatch* contact = nullptr;
        const HRESULT hr = Item(index, &contact);
        return PutObject(hr, contact, result);
    }

    std::vector<ContactRef> contacts_;
};

class Session final : public Dual<msgr::IMessengerSession, &msgr::IID_IMessengerSession> {
  public:
    explicit Session(ConversationRef conversation) : conversation_(std::move(conversation)) {}
    HRESULT STDMETHODCALLTYPE get_Participants(IDispatch** list) noexcept override {
        return gb::ComBorder([&] {
            if (list) *list = nullptr;
            return Hand(gb::MakeCom<ContactList>(conversation_->participants), list);
        });
    }

  private:
    std::span<const Member> Members() const override {
        static constexpr Member members[] = {{L"Participants", msgr::dispid::kParticipants}};
        return members;
    }
    HRESULT Call(DISPID id, WORD flags, const DISPPARAMS& p, VARIANT* result) override {
        if (!IsGet(flags) || id != msgr::dispid::kParticipants) return DISP_E_MEMBERNOTFOUND;
        if (FAILED(NoArgs(p))) return DISP_E_BADPARAMCOUNT;
        IDispatch* list = nullptr;
        const HRESULT hr = get_Participants(&list);
        return PutObject(hr, list, result);
    }

    ConversationRef conversation_;
};

class ConversationWindow final
    : public Dual<msgr::IMessengerConversationWindow, &msgr::IID_IMessengerConversationWindow> {
  public:
    explicit ConversationWindow(ConversationRef conversation)
        : conversation_(std::move(conversation)) {}
    HRESULT STDMETHODCALLTYPE get_Session(IDispatch** session) noexcept override {
        return gb::ComBorder([&] {
            if (session) *session = nullptr;
            return Hand(gb::MakeCom<Session>(conversation_), session);
        });
    }
    HRESULT STDMETHODCALLTYPE get_HWnd(LONG* hwnd) noexcept override {
        if (!hwnd) return E_POINTER;
        *hwnd = static_cast<LONG>(conversation_->window);
        return S_OK;
    }

  private:
    std::span<const Member> Members() const override {
        static constexpr Member members[] = {{L"Session", msgr::dispid::kSession},
                                             {L"HWnd", msgr::dispid::kHWnd}};
        return members;
    }
    HRESULT Call(DISPID id, WORD flags, const DISPPARAMS& p, VARIANT* result) override {
        if (!IsGet(flags)) return DISP_E_MEMBERNOTFOUND;
        if (FAILED(NoArgs(p))) return DISP_E_BADPARAMCOUNT;
        if (id == msgr::dispid::kSession) {
            IDispatch* session = nullptr;
            const HRESULT hr = get_Session(&session);
            return PutObject(hr, session, result);
        }
        if (id != msgr::dispid::kHWnd) return DISP_E_MEMBERNOTFOUND;
        LONG hwnd = 0;
        {
            const HRESULT hr = get_HWnd(&hwnd);
            return PutLong(hr, hwnd, result);
        }
    }

    ConversationRef conversation_;
};

// Live: every call sees the conversation windows open at that moment.
class WindowList final : public Dual<msgr::IMessengerWindowList, &msgr::IID_IMessengerWindowList> {
  public:
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) noexcept override {
        if (!count) return E_POINTER;
        *count = static_cast<LONG>(TheServer().state.Conversations().size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(LONG index, IDispatch** window) noexcept override {
        return gb::ComBorder([&]() -> HRESULT {
            if (window) *window = nullptr;
            const auto& open = TheServer().state.Conversations();
            if (index < 0 || static_cast<std::size_t>(index) >= open.size()) return E_INVALIDARG;
            return Hand(gb::MakeCom<ConversationWindow>(open[index]), window);
        });
    }

  private:
    std::span<const Member> Members() const override {
        static constexpr Member members[] = {{L"Count", msgr::dispid::kCount},
                                             {L"Item", msgr::dispid::kItem}};
        return members;
    }
    HRESULT Call(DISPID id, WORD flags, const DISPPARAMS& p, VARIANT* result) override {
        if (!IsGet(flags)) return DISP_E_MEMBERNOTFOUND;
        if (id == msgr::dispid::kCount) {
            if (FAILED(NoArgs(p))) return DISP_E_BADPARAMCOUNT;
            LONG count = 0;
            {
                const HRESULT hr = get_Count(&count);
                return PutLong(hr, count, result);
            }
        }
        if (id != msgr::dispid::kItem) return DISP_E_MEMBERNOTFOUND;
        LONG index = 0;
        if (const HRESULT hr = IndexArg(p, index); FAILED(hr)) return hr;
        IDispatch* window = nullptr;
        const HRESULT hr = Item(index, &window);
        return PutObject(hr, window, result);
    }
};

class App final : public Dual<msgr::IMessengerApplication, &msgr::IID_IMessengerApplication> {
  public:
    HRESULT STDMETHODCALLTYPE get_Windows(IDispatch** list) noexcept override {
        return gb::ComBorder([&] {
            if (list) *list = nullptr;
            return Hand(gb::MakeCom<WindowList>(), list);
        });
    }

  private:
    std::span<const Member> Members() const override {
        static constexpr Member members[] = {{L"Windows", msgr::dispid::kWindows}};
        return members;
    }
    HRESULT Call(DISPID id, WORD flags, const DISPPARAMS& p, VARIANT* result) override {
        if (!IsGet(flags) || id != msgr::dispid::kWindows) return DISP_E_MEMBERNOTFOUND;
        if (FAILED(NoArgs(p))) return DISP_E_BADPARAMCOUNT;
        IDispatch* list = nullptr;
        const HRESULT hr = get_Windows(&list);
        return PutObject(hr, list, result);
    }
};

class Messenger final : public Dual<msgr::IMessengerObject, &msgr::IID_IMessengerObject> {
  public:
    HRESULT STDMETHODCALLTYPE OpenInbox() noexcept override {
        return gb::ComBorder([] {
            TheServer().state.LogCall("OpenInbox");
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE InstantMessage(VARIANT contact,
                                             IDispatch** window) noexcept override {
        return gb::ComBorder([&]() -> HRESULT {
            if (window) *window = nullptr;
            gb::unique_variant text;
            if (FAILED(::VariantChangeType(text.get(), &contact, 0, VT_BSTR))) {
                return DISP_E_TYPEMISMATCH;
            }
            const BSTR raw = text.get()->bstrVal;
            const std::u16string wide(reinterpret_cast<const char16_t*>(raw),
                                      raw ? ::SysStringLen(raw) : 0);
            const auto address = ToUtf8(wide);
            if (!address || address->empty()) return E_INVALIDARG;
            Server& server = TheServer();
            server.state.LogCall("InstantMessage(" + *address + ")");
            const std::vector<std::string> participants{*address};
            const bool wasOpen = server.state.FindConversation(participants) != nullptr;
            ConversationRef conversation = server.state.OpenConversation(participants, server);
            if (!conversation) return E_FAIL; // beyond the stand-in's limits
            const HWND hwnd = reinterpret_cast<HWND>(conversation->window);
            if (wasOpen && hwnd) {
                if (::IsIconic(hwnd)) ::ShowWindow(hwnd, SW_RESTORE);
                ::SetForegroundWindow(hwnd);
            }
            if (!window) return S_OK;
            return Hand(gb::MakeCom<ConversationWindow>(conversation), window);
        });
    }
    HRESULT STDMETHODCALLTYPE get_MyStatus(LONG* status) noexcept override {
        if (!status) return E_POINTER;
        *status = TheServer().state.MyStatus();
        return S_OK;
    }

  private:
    std::span<const Member> Members() const override {
        static constexpr Member members[] = {{L"OpenInbox", msgr::dispid::kOpenInbox},
                                             {L"InstantMessage", msgr::dispid::kInstantMessage},
                                             {L"MyStatus", msgr::dispid::kMyStatus}};
        return members;
    }
    HRESULT Call(DISPID id, WORD flags, const DISPPARAMS& p, VARIANT* result) override {
        switch (id) {
        case msgr::dispid::kOpenInbox:
            if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
            if (FAILED(NoArgs(p))) return DISP_E_BADPARAMCOUNT;
            return OpenInbox();
        case msgr::dispid::kInstantMessage: {
            if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
            if (p.cArgs != 1) return DISP_E_BADPARAMCOUNT;
            IDispatch* window = nullptr;
            const HRESULT hr = InstantMessage(p.rgvarg[0], &window);
            return PutObject(hr, window, result);
        }
        case msgr::dispid::kMyStatus: {
            if (!IsGet(flags)) return DISP_E_MEMBERNOTFOUND;
            if (FAILED(NoArgs(p))) return DISP_E_BADPARAMCOUNT;
            LONG status = 0;
            {
                const HRESULT hr = get_MyStatus(&status);
                return PutLong(hr, status, result);
            }
        }
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }
};

class EventSource;

class ConnectionPoint final : public Unknown<IConnectionPoint, &IID_IConnectionPoint> {
  public:
    explicit ConnectionPoint(com_ptr<IConnectionPointContainer> source)
        : source_(std::move(source)) {}
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) noexcept override {
        if (!iid) return E_POINTER;
        *iid = msgr::DIID_DMessengerEvents;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** out) noexcept override {
        if (!out) return E_POINTER;
        *out = source_.get();
        source_->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) noexcept override {
        return gb::ComBorder([&]() -> HRESULT {
            if (!cookie) return E_POINTER;
            *cookie = 0;
            if (!sink) return E_POINTER;
            auto unknown = com_ptr<IUnknown>::copy(sink);
            auto disp = unknown.try_query<IDispatch>(msgr::DIID_DMessengerEvents);
            if (!disp) disp = unknown.try_query<IDispatch>(IID_IDispatch);
            if (!disp) return CONNECT_E_CANNOTCONNECT;
            *cookie = TheServer().Connect(source_.get(), std::move(disp));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) noexcept override {
        return TheServer().Disconnect(source_.get(), cookie) ? S_OK : CONNECT_E_NOCONNECTION;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) noexcept override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }

  private:
    com_ptr<IConnectionPointContainer> source_;
};

class EventSource final
    : public Unknown<IConnectionPointContainer, &IID_IConnectionPointContainer> {
  public:
    ~EventSource() override { TheServer().DisconnectAll(this); }
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) noexcept override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid,
                                                  IConnectionPoint** out) noexcept override {
        return gb::ComBorder([&]() -> HRESULT {
            if (!out) return E_POINTER;
            *out = nullptr;
            if (iid != msgr::DIID_DMessengerEvents) return CONNECT_E_NOCONNECTION;
            *out = gb::MakeCom<ConnectionPoint>(com_ptr<IConnectionPointContainer>::copy(this))
                       .detach();
            return S_OK;
        });
    }
};

// --- Windows and server ----------------------------------------------------------------

// The teardown asked for when the last object went away, unless objects were made again since.
void TeardownIfUnused() {
    Module& module = TheModule();
    if (module.objects == 0 && module.server && !module.server->Busy()) module.server.reset();
}

LRESULT ControlWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COPYDATA && lp) {
        return server_.OnCopyData(reinterpret_cast<HWND>(wp),
                                  *reinterpret_cast<const COPYDATASTRUCT*>(lp));
    }
    if (msg == kTeardownMessage) {
        TeardownIfUnused(); // may destroy this object with its server: nothing of it is used after
        return 0;
    }
    return Default(msg, wp, lp);
}

LRESULT ConversationFrame::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lp);
        ::CreateWindowExW(
            WS_EX_CLIENTEDGE, L"EDIT", L"",
            WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0,
            0, 0, hWnd(), reinterpret_cast<HMENU>(kEditId), create->hInstance, nullptr);
        return 0;
    }
    case WM_SIZE:
        ::MoveWindow(::GetDlgItem(hWnd(), kEditId), 4, 4, LOWORD(lp) - 8, HIWORD(lp) - 8, TRUE);
        return 0;
    case WM_DESTROY:
        server_.ConversationWindowDestroyed(hWnd());
        return 0;
    default:
        return Default(msg, wp, lp);
    }
}

LRESULT Server::OnCopyData(HWND from, const COPYDATASTRUCT& data) {
    // Any program may send this: only a window of another thread gets an answer, so the
    // stand-in never answers itself (nor a window the bar's thread would have to serve).
    ReplyWindow to = ReplyWindow::None;
    if (from) {
        const DWORD thread = ::GetWindowThreadProcessId(from, nullptr);
        to = thread == 0                        ? ReplyWindow::Invalid
             : thread == ::GetCurrentThreadId() ? ReplyWindow::Own
                                                : ReplyWindow::Foreign;
    }
    std::optional<std::string_view> bytes;
    if (data.lpData || data.cbData == 0)
        bytes = std::string_view(static_cast<const char*>(data.lpData), data.cbData);
    const Screened screened = ScreenCopyData(data.dwData, bytes, to);
    if (!screened.request) return screened.result;

    ++busy_;
    struct Idle {
        int& busy;
        ~Idle() { --busy; }
    } idle{busy_};
    Reply reply = state.Apply(*screened.request, *this);
    if (screened.request->op == Op::Show)
        reply.text += "events delivered: " + std::to_string(delivered_) + "\n";
    if (to == ReplyWindow::Foreign) {
        COPYDATASTRUCT answer{kReplyTag, static_cast<DWORD>(reply.text.size()), reply.text.data()};
        DWORD_PTR ignored = 0;
        // SMTO_BLOCK: no other request runs inside this one while it waits.
        ::SendMessageTimeoutW(from, WM_COPYDATA, reinterpret_cast<WPARAM>(control_.hWnd()),
                              reinterpret_cast<LPARAM>(&answer), SMTO_BLOCK | SMTO_ABORTIFHUNG,
                              kAnswerTimeoutMs, &ignored);
    }
    return reply.done ? kResultDone : kResultRefused;
}

void Server::ConversationWindowDestroyed(HWND hwnd) {
    // Its object stays: this runs inside the window's own procedure.
    state.WindowClosed(reinterpret_cast<std::intptr_t>(hwnd));
}

std::intptr_t Server::OpenWindow(const Conversation& conversation) {
    std::erase_if(windows_, [](const auto& w) { return !w->hWnd(); }); // closed by the user
    std::wstring title;
    for (const auto& c : conversation.participants) {
        if (!title.empty()) title += L", ";
        title += Wide(c->address);
    }
    title += L" - Conversation";
    // Cascaded below the top of the screen, where the bar usually lies, so that each new
    // window can be seen coming up.
    const int step = 30 * static_cast<int>(windows_.size() % 10);
    auto frame = std::make_unique<ConversationFrame>(*this);
    if (!frame->Open(title, {60 + step, 120 + step}, TheModule().instance)) return 0;
    windows_.push_back(std::move(frame));
    return reinterpret_cast<std::intptr_t>(windows_.back()->hWnd());
}

void Server::CloseWindow(std::intptr_t window) {
    const HWND hwnd = reinterpret_cast<HWND>(window);
    const auto it = std::find_if(windows_.begin(), windows_.end(),
                                 [&](const auto& w) { return w->hWnd() == hwnd; });
    if (it == windows_.end()) return;
    // Out of the list before it goes. The window is destroyed with its object (its last
    // messages go to DefWindowProc), so the state hears of it here.
    std::unique_ptr<ConversationFrame> closing = std::move(*it);
    windows_.erase(it);
    closing.reset();
    state.WindowClosed(window);
}

void Server::ShowText(std::intptr_t window, const ContactData& sender, const std::string& text) {
    const HWND edit = ::GetDlgItem(reinterpret_cast<HWND>(window), kEditId);
    if (!edit) return;
    const std::wstring line = Wide(sender.nickname) + L" says:\r\n    " + Wide(text) + L"\r\n";
    const int end = ::GetWindowTextLengthW(edit);
    ::SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(end), end);
    ::SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
}

// Builds the arguments of one event, last first, as IDispatch::Invoke takes them.
template <std::size_t N> struct EventArgs {
    std::array<gb::unique_variant, N> slots;
    std::array<VARIANT, N> raw{};
    VARIANT_BOOL enableDefault = VARIANT_TRUE;

    // k: the argument's position as declared, 0 first.
    VARIANT* At(std::size_t k) { return slots[N - 1 - k].get(); }
    template <class T> void Object(std::size_t k, com_ptr<T> object) {
        At(k)->vt = VT_DISPATCH;
        At(k)->pdispVal = object.detach();
    }
    void Text(std::size_t k, const std::u16string& text) {
        At(k)->vt = VT_BSTR;
        At(k)->bstrVal = ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                             static_cast<UINT>(text.size()));
    }
    void Long(std::size_t k, LONG value) {
        At(k)->vt = VT_I4;
        At(k)->lVal = value;
    }
    void EnableDefault(std::size_t k) {
        At(k)->vt = VT_BOOL | VT_BYREF;
        At(k)->pboolVal = &enableDefault;
    }
    std::span<VARIANT> Reversed() {
        for (std::size_t i = 0; i < N; ++i)
            raw[i] = *slots[i].get();
        return raw;
    }
};

void Server::Raise(DISPID id, std::span<VARIANT> reversedArgs) {
    DISPPARAMS params{reversedArgs.data(), nullptr, static_cast<UINT>(reversedArgs.size()), 0};
    // A sink may disconnect, or connect others, while it handles the event.
    const std::vector<Connection> sinks = connections_;
    for (const auto& c : sinks) {
        if (SUCCEEDED(c.sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                     nullptr, nullptr, nullptr)))
            ++delivered_;
    }
}

void Server::RaiseText(const ConversationRef& session, const ContactRef& sender,
                       const std::string& header, const std::string& text) {
    EventArgs<5> args;
    args.Object(0, gb::MakeCom<Session>(session));
    args.Object(1, gb::MakeCom<Contact>(sender));
    const std::wstring wideHeader = Wide(header);
    args.Text(2, std::u16string(wideHeader.begin(), wideHeader.end()));
    args.Text(3, messenger::ByteText(text)); // one character per UTF-8 byte
    args.EnableDefault(4);
    Raise(msgr::dispid::kOnTextReceived, args.Reversed());
}

void Server::RaiseStateChanged(const ContactRef& user, std::int32_t previous) {
    EventArgs<3> args;
    args.Object(0, gb::MakeCom<Contact>(user));
    args.Long(1, previous);
    args.EnableDefault(2);
    Raise(msgr::dispid::kOnUserStateChanged, args.Reversed());
}

void Server::RaiseUnreadMail(std::int32_t folder, std::int32_t count) {
    EventArgs<3> args;
    args.Long(0, folder);
    args.Long(1, count);
    args.EnableDefault(2);
    Raise(msgr::dispid::kOnUnreadEmailChanged, args.Reversed());
}

void ObjectCreated() {
    Module& module = TheModule();
    if (module.objects++ == 0 && !module.server) module.server = std::make_unique<Server>();
}

void ObjectDestroyed() {
    Module& module = TheModule();
    if (--module.objects != 0 || !module.server) return;
    if (module.server->Busy()) {
        module.server->TeardownWhenIdle();
    } else {
        module.server.reset();
    }
}

// --- Class factory and registration ---------------------------------------------------

struct ClassEntry {
    const CLSID* clsid;
    const wchar_t* name;
    const wchar_t* progId;
};
constexpr ClassEntry kClasses[] = {
    {&msgr::CLSID_MessengerEvents, L"Stand-in messenger events", nullptr},
    {&msgr::CLSID_MessengerApp, L"Stand-in messenger application", msgr::kAppProgId},
    {&msgr::CLSID_Messenger, L"Stand-in messenger", nullptr},
};

class ClassFactory final : public gb::ComObject<IClassFactory, &IID_IClassFactory> {
  public:
    explicit ClassFactory(const CLSID& clsid) : clsid_(clsid) { ++TheModule().locks; }
    ~ClassFactory() override { --TheModule().locks; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid,
                                             void** out) noexcept override {
        return gb::ComBorder([&]() -> HRESULT {
            if (!out) return E_POINTER;
            *out = nullptr;
            if (outer) return CLASS_E_NOAGGREGATION;
            if (clsid_ == msgr::CLSID_MessengerEvents)
                return Offer(gb::MakeCom<EventSource>(), iid, out);
            if (clsid_ == msgr::CLSID_MessengerApp) return Offer(gb::MakeCom<App>(), iid, out);
            if (clsid_ == msgr::CLSID_Messenger) return Offer(gb::MakeCom<Messenger>(), iid, out);
            return CLASS_E_CLASSNOTAVAILABLE;
        });
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) noexcept override {
        if (lock) {
            ++TheModule().locks;
        } else {
            --TheModule().locks;
        }
        return S_OK;
    }

  private:
    CLSID clsid_;
};

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, 40);
    return text;
}

bool SetValue(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    HKEY raw = nullptr;
    if (::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw,
                          nullptr) != ERROR_SUCCESS) {
        return false;
    }
    gb::unique_hkey key(raw);
    return ::RegSetValueExW(
               key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
               (static_cast<DWORD>(value.size()) + 1) * sizeof(wchar_t)) == ERROR_SUCCESS;
}

// The key of the classes under a root (HKLM or HKCU).
std::wstring ClassesKey(const std::wstring& under) { return L"Software\\Classes\\" + under; }

HRESULT Unregister(HKEY root) {
    for (const auto& c : kClasses) {
        ::RegDeleteTreeW(root, ClassesKey(L"CLSID\\" + GuidText(*c.clsid)).c_str());
        if (c.progId) ::RegDeleteTreeW(root, ClassesKey(c.progId).c_str());
    }
    return S_OK;
}

HRESULT Register(HKEY root) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(TheModule().instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return SELFREG_E_CLASS;
    bool ok = true;
    for (const auto& c : kClasses) {
        const std::wstring clsid = GuidText(*c.clsid);
        const std::wstring key = ClassesKey(L"CLSID\\" + clsid);
        ok = ok && SetValue(root, key, nullptr, c.name);
        ok = ok && SetValue(root, key + L"\\InprocServer32", nullptr, path);
        ok = ok && SetValue(root, key + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
        if (c.progId) {
            ok = ok && SetValue(root, key + L"\\ProgID", nullptr, c.progId);
            ok = ok && SetValue(root, ClassesKey(c.progId), nullptr, c.name);
            ok = ok && SetValue(root, ClassesKey(c.progId) + L"\\CLSID", nullptr, clsid);
        }
    }
    if (!ok) {
        Unregister(root); // nothing half-written stays behind
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

} // namespace
} // namespace msgrsim

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        msgrsim::TheModule().instance = instance;
        ::DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // Unloaded while windows still exist: their procedures must not outlive the code.
        msgrsim::TheModule().server.reset();
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    return gb::ComBorder([&]() -> HRESULT {
        if (!out) return E_POINTER;
        *out = nullptr;
        for (const auto& c : msgrsim::kClasses) {
            if (clsid == *c.clsid)
                return msgrsim::Offer(gb::MakeCom<msgrsim::ClassFactory>(clsid), iid, out);
        }
        return CLASS_E_CLASSNOTAVAILABLE;
    });
}

STDAPI DllCanUnloadNow() {
    const auto& module = msgrsim::TheModule();
    return module.objects == 0 && module.locks == 0 && !module.server ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    return gb::ComBorder([] { return msgrsim::Register(HKEY_LOCAL_MACHINE); });
}

STDAPI DllUnregisterServer() {
    return gb::ComBorder([] { return msgrsim::Unregister(HKEY_LOCAL_MACHINE); });
}

// regsvr32 /n /i:user (per user, under HKCU\Software\Classes); without "user", machine-wide.
STDAPI DllInstall(BOOL install, LPCWSTR commandLine) {
    return gb::ComBorder([&]() -> HRESULT {
        HKEY root = HKEY_LOCAL_MACHINE;
        if (commandLine && ::lstrcmpiW(commandLine, L"user") == 0) {
            root = HKEY_CURRENT_USER;
        } else if (commandLine && commandLine[0] != L'\0') {
            return E_INVALIDARG;
        }
        return install ? msgrsim::Register(root) : msgrsim::Unregister(root);
    });
}
}

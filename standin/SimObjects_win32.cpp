#include "SimObjects_win32.h"

#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "SimDispatch_win32.h"
#include "SimServer_win32.h"
#include "contract/MessengerCom_win32.h"

namespace msgrsim {
namespace {

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
    : public List<msgr::IMessengerContactList, &msgr::IID_IMessengerContactList> {
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
        // The messenger's window is gone when the messenger ended without saying so.
        const std::intptr_t window = conversation_->window;
        *hwnd = conversation_->external && !::IsWindow(reinterpret_cast<HWND>(window))
                    ? 0
                    : static_cast<LONG>(window);
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
class WindowList final : public List<msgr::IMessengerWindowList, &msgr::IID_IMessengerWindowList> {
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
            ConversationRef conversation = server.state.InstantMessage(*address, server);
            if (!conversation) return E_FAIL; // beyond the stand-in's limits
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

} // namespace

com_ptr<IDispatch> ContactObject(ContactRef contact) {
    return com_ptr<IDispatch>::attach(gb::MakeCom<Contact>(std::move(contact)).detach());
}

com_ptr<IDispatch> SessionObject(ConversationRef conversation) {
    return com_ptr<IDispatch>::attach(gb::MakeCom<Session>(std::move(conversation)).detach());
}

HRESULT CreateObject(const CLSID& clsid, REFIID iid, void** out) {
    if (clsid == msgr::CLSID_MessengerEvents) return Offer(gb::MakeCom<EventSource>(), iid, out);
    if (clsid == msgr::CLSID_MessengerApp) return Offer(gb::MakeCom<App>(), iid, out);
    if (clsid == msgr::CLSID_Messenger) return Offer(gb::MakeCom<Messenger>(), iid, out);
    return CLASS_E_CLASSNOTAVAILABLE;
}

} // namespace msgrsim

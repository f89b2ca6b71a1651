#include "messenger/MessengerBinding_win32.h"

#include "contract/MessengerCom_win32.h"

namespace messenger {
namespace {

std::optional<std::u16string> TakeText(HRESULT hr, BSTR raw) {
    gb::unique_bstr owned(raw);
    if (FAILED(hr)) return std::nullopt;
    return TextFromBstr(owned.get());
}

std::optional<std::int32_t> TakeLong(HRESULT hr, LONG value) {
    if (FAILED(hr)) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

// The object an out-parameter delivered, as interface I; empty on failure.
template <class I> gb::com_ptr<I> TakeObject(HRESULT hr, IDispatch* raw, REFIID iid) {
    auto owned = gb::com_ptr<IDispatch>::attach(raw);
    if (FAILED(hr)) return nullptr;
    return owned.try_query<I>(iid);
}

class ComContact final : public IContact {
  public:
    ComContact(gb::com_ptr<IDispatch> disp, gb::com_ptr<msgr::IMessengerContact> typed)
        : disp_(std::move(disp)), typed_(std::move(typed)) {}

    std::optional<std::u16string> FriendlyName() override {
        if (!typed_) return std::nullopt;
        BSTR raw = nullptr;
        const HRESULT hr = typed_->get_FriendlyName(&raw);
        return TakeText(hr, raw);
    }
    std::optional<std::u16string> EmailAddress() override {
        if (!typed_) return EmailAddressByName(disp_.get());
        BSTR raw = nullptr;
        const HRESULT hr = typed_->get_EmailAddress(&raw);
        return TakeText(hr, raw);
    }
    std::optional<std::int32_t> State() override {
        if (!typed_) return std::nullopt;
        LONG state = 0;
        const HRESULT hr = typed_->get_State(&state);
        return TakeLong(hr, state);
    }

  private:
    gb::com_ptr<IDispatch> disp_;
    gb::com_ptr<msgr::IMessengerContact> typed_;
};

class ComContactList final : public IContactList {
  public:
    explicit ComContactList(gb::com_ptr<msgr::IMessengerContactList> list)
        : list_(std::move(list)) {}
    std::optional<std::int32_t> Count() override {
        LONG count = 0;
        const HRESULT hr = list_->get_Count(&count);
        return TakeLong(hr, count);
    }
    ContactPtr Item(std::int32_t index) override {
        IDispatch* raw = nullptr;
        const HRESULT hr = list_->Item(index, &raw);
        auto owned = gb::com_ptr<IDispatch>::attach(raw);
        return SUCCEEDED(hr) ? WrapContact(std::move(owned)) : nullptr;
    }

  private:
    gb::com_ptr<msgr::IMessengerContactList> list_;
};

class ComSession final : public ISession {
  public:
    explicit ComSession(gb::com_ptr<msgr::IMessengerSession> session)
        : session_(std::move(session)) {}
    std::shared_ptr<IContactList> Participants() override {
        IDispatch* raw = nullptr;
        const HRESULT hr = session_->get_Participants(&raw);
        auto list =
            TakeObject<msgr::IMessengerContactList>(hr, raw, msgr::IID_IMessengerContactList);
        if (!list) return nullptr;
        return std::make_shared<ComContactList>(std::move(list));
    }

  private:
    gb::com_ptr<msgr::IMessengerSession> session_;
};

class ComConversationWindow final : public IConversationWindow {
  public:
    explicit ComConversationWindow(gb::com_ptr<msgr::IMessengerConversationWindow> window)
        : window_(std::move(window)) {}
    SessionPtr Session() override {
        IDispatch* raw = nullptr;
        const HRESULT hr = window_->get_Session(&raw);
        auto owned = gb::com_ptr<IDispatch>::attach(raw);
        return SUCCEEDED(hr) ? WrapSession(owned) : nullptr;
    }
    std::optional<WindowHandle> HWnd() override {
        LONG hwnd = 0;
        const HRESULT hr = window_->get_HWnd(&hwnd);
        return TakeLong(hr, hwnd);
    }

  private:
    gb::com_ptr<msgr::IMessengerConversationWindow> window_;
};

class ComWindowList final : public IWindowList {
  public:
    explicit ComWindowList(gb::com_ptr<msgr::IMessengerWindowList> list) : list_(std::move(list)) {}
    std::optional<std::int32_t> Count() override {
        LONG count = 0;
        const HRESULT hr = list_->get_Count(&count);
        return TakeLong(hr, count);
    }
    std::shared_ptr<IConversationWindow> Item(std::int32_t index) override {
        IDispatch* raw = nullptr;
        const HRESULT hr = list_->Item(index, &raw);
        auto window = TakeObject<msgr::IMessengerConversationWindow>(
            hr, raw, msgr::IID_IMessengerConversationWindow);
        if (!window) return nullptr;
        return std::make_shared<ComConversationWindow>(std::move(window));
    }

  private:
    gb::com_ptr<msgr::IMessengerWindowList> list_;
};

class ComMessengerApp final : public IMessengerApp {
  public:
    explicit ComMessengerApp(gb::com_ptr<msgr::IMessengerApplication> app) : app_(std::move(app)) {}
    std::shared_ptr<IWindowList> Windows() override {
        IDispatch* raw = nullptr;
        const HRESULT hr = app_->get_Windows(&raw);
        auto list = TakeObject<msgr::IMessengerWindowList>(hr, raw, msgr::IID_IMessengerWindowList);
        if (!list) return nullptr;
        return std::make_shared<ComWindowList>(std::move(list));
    }

  private:
    gb::com_ptr<msgr::IMessengerApplication> app_;
};

class ComMessenger final : public IMessenger {
  public:
    explicit ComMessenger(gb::com_ptr<msgr::IMessengerObject> object)
        : object_(std::move(object)) {}
    bool OpenInbox() override { return SUCCEEDED(object_->OpenInbox()); }
    bool InstantMessage(const std::u16string& emailAddress) override {
        gb::unique_variant contact;
        gb::unique_bstr address = BstrFromText(emailAddress);
        if (!address) return false;
        contact.get()->vt = VT_BSTR;
        contact.get()->bstrVal = address.release(); // the variant frees it now
        IDispatch* raw = nullptr;
        const HRESULT hr = object_->InstantMessage(*contact.get(), &raw);
        // The conversation window that comes back is not needed.
        gb::com_ptr<IDispatch>::attach(raw).reset();
        return SUCCEEDED(hr);
    }
    std::optional<std::int32_t> MyStatus() override {
        LONG status = 0;
        const HRESULT hr = object_->get_MyStatus(&status);
        return TakeLong(hr, status);
    }

  private:
    gb::com_ptr<msgr::IMessengerObject> object_;
};

} // namespace

std::u16string TextFromBstr(BSTR text) {
    if (!text) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(text), ::SysStringLen(text));
}

gb::unique_bstr BstrFromText(std::u16string_view text) {
    return gb::unique_bstr(::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                               static_cast<UINT>(text.size())));
}

std::optional<std::u16string> EmailAddressByName(IDispatch* contact) {
    if (!contact) return std::nullopt;
    wchar_t name[] = L"EmailAddress";
    LPOLESTR names[] = {name};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(contact->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
        return std::nullopt;
    }
    DISPPARAMS none{};
    gb::unique_variant result;
    if (FAILED(contact->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                               result.get(), nullptr, nullptr))) {
        return std::nullopt;
    }
    if (FAILED(::VariantChangeType(result.get(), result.get(), 0, VT_BSTR))) return std::nullopt;
    return TextFromBstr(result.get()->bstrVal);
}

ContactPtr WrapContact(gb::com_ptr<IDispatch> contact) {
    if (!contact) return nullptr;
    auto typed = contact.try_query<msgr::IMessengerContact>(msgr::IID_IMessengerContact);
    return std::make_shared<ComContact>(std::move(contact), std::move(typed));
}

SessionPtr WrapSession(const gb::com_ptr<IDispatch>& session) {
    auto typed = session.try_query<msgr::IMessengerSession>(msgr::IID_IMessengerSession);
    if (!typed) return nullptr;
    return std::make_shared<ComSession>(std::move(typed));
}

std::shared_ptr<IMessengerApp> ComMessengerFactory::CreateApp() {
    CLSID clsid{};
    if (FAILED(::CLSIDFromProgID(msgr::kAppProgId, &clsid))) return nullptr;
    // Created late, by ProgID, as IDispatch; then taken through the application interface.
    gb::com_ptr<IDispatch> disp;
    if (FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                  IID_IDispatch, disp.put_void()))) {
        return nullptr;
    }
    auto app = disp.try_query<msgr::IMessengerApplication>(msgr::IID_IMessengerApplication);
    if (!app) return nullptr;
    return std::make_shared<ComMessengerApp>(std::move(app));
}

std::shared_ptr<IMessenger> ComMessengerFactory::CreateMessenger() {
    gb::com_ptr<msgr::IMessengerObject> object;
    if (FAILED(::CoCreateInstance(msgr::CLSID_Messenger, nullptr,
                                  CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                  msgr::IID_IMessengerObject, object.put_void()))) {
        return nullptr;
    }
    return std::make_shared<ComMessenger>(std::move(object));
}

} // namespace messenger

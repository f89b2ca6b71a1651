#include "messenger/MessengerLink_win32.h"

#include <memory>
#include <optional>

#include "contract/MessengerCom_win32.h"
#include "messenger/MessengerBinding_win32.h"

namespace messenger {
namespace {

// An event argument that must be an object; an empty pointer when it is anything else.
gb::com_ptr<IDispatch> ObjectArg(const VARIANT& arg) {
    const VARIANT* v = &arg;
    if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal) v = v->pvarVal;
    switch (v->vt) {
    case VT_DISPATCH:
        return gb::com_ptr<IDispatch>::copy(v->pdispVal);
    case VT_DISPATCH | VT_BYREF:
        return v->ppdispVal ? gb::com_ptr<IDispatch>::copy(*v->ppdispVal) : nullptr;
    case VT_UNKNOWN:
        return gb::com_ptr<IUnknown>::copy(v->punkVal).try_query<IDispatch>(IID_IDispatch);
    default:
        return nullptr;
    }
}

std::optional<std::u16string> TextArg(const VARIANT& arg) {
    gb::unique_variant text;
    if (FAILED(::VariantChangeType(text.get(), const_cast<VARIANT*>(&arg), 0, VT_BSTR)))
        return std::nullopt;
    return TextFromBstr(text.get()->bstrVal);
}

std::optional<std::int32_t> LongArg(const VARIANT& arg) {
    gb::unique_variant number;
    if (FAILED(::VariantChangeType(number.get(), const_cast<VARIANT*>(&arg), 0, VT_I4)))
        return std::nullopt;
    return static_cast<std::int32_t>(number.get()->lVal);
}

constexpr UINT ArgumentCount(DISPID id) {
    switch (id) {
    case msgr::dispid::kOnTextReceived:
        return 5;
    case msgr::dispid::kOnUserStateChanged:
    case msgr::dispid::kOnUnreadEmailChanged:
        return 3;
    default:
        return 0;
    }
}

} // namespace

gb::com_ptr<EventSink> EventSink::Create(IMessengerEvents& target) {
    // Owned by its reference count from here on: Release deletes it.
    return gb::com_ptr<EventSink>::attach(std::make_unique<EventSink>(target).release());
}

HRESULT EventSink::QueryInterface(REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == msgr::DIID_DMessengerEvents) {
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG EventSink::AddRef() noexcept {
    return static_cast<ULONG>(::InterlockedIncrement(&references_));
}

ULONG EventSink::Release() noexcept {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT EventSink::GetTypeInfoCount(UINT* count) noexcept {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT EventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT EventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept {
    return E_NOTIMPL;
}

HRESULT EventSink::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*,
                          EXCEPINFO*, UINT* argError) noexcept {
    try {
        if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
        if (!params) return E_INVALIDARG;
        return Forward(id, *params, argError);
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT EventSink::Forward(DISPID id, const DISPPARAMS& params, UINT* argError) {
    const UINT expected = ArgumentCount(id);
    if (expected == 0) return DISP_E_MEMBERNOTFOUND;
    if (params.cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    if (params.cArgs != expected || !params.rgvarg) return DISP_E_BADPARAMCOUNT;
    // The arguments come last first; arg(0) is the first one declared.
    auto arg = [&](UINT k) -> const VARIANT& { return params.rgvarg[expected - 1 - k]; };
    auto refuse = [&](UINT k) {
        if (argError) *argError = expected - 1 - k;
        return DISP_E_TYPEMISMATCH;
    };
    // The last argument, pfEnableDefault, is never read nor written.
    switch (id) {
    case msgr::dispid::kOnTextReceived: {
        SessionPtr session = WrapSession(ObjectArg(arg(0)));
        if (!session) return refuse(0);
        ContactPtr sender = WrapContact(ObjectArg(arg(1)));
        if (!sender) return refuse(1);
        const auto header = TextArg(arg(2));
        if (!header) return refuse(2);
        const auto text = TextArg(arg(3));
        if (!text) return refuse(3);
        if (target_) target_->OnTextReceived(session, sender, *header, *text);
        return S_OK;
    }
    case msgr::dispid::kOnUserStateChanged: {
        ContactPtr user = WrapContact(ObjectArg(arg(0)));
        if (!user) return refuse(0);
        const auto previous = LongArg(arg(1));
        if (!previous) return refuse(1);
        if (target_) target_->OnUserStateChanged(user, *previous);
        return S_OK;
    }
    default: { // kOnUnreadEmailChanged
        const auto folder = LongArg(arg(0));
        if (!folder) return refuse(0);
        const auto count = LongArg(arg(1));
        if (!count) return refuse(1);
        if (target_) target_->OnUnreadEmailChanged(*folder, *count);
        return S_OK;
    }
    }
}

bool MessengerLink::TryAttach() noexcept {
    if (Attached()) return true;
    try {
        gb::com_ptr<IUnknown> source;
        if (FAILED(::CoCreateInstance(msgr::CLSID_MessengerEvents, nullptr,
                                      CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                      source.put_void()))) {
            return false;
        }
        auto container = source.try_query<IConnectionPointContainer>(IID_IConnectionPointContainer);
        if (!container) return false;
        gb::com_ptr<IConnectionPoint> point;
        if (FAILED(container->FindConnectionPoint(msgr::DIID_DMessengerEvents, point.put())) ||
            !point) {
            return false;
        }
        auto sink = EventSink::Create(events_);
        DWORD cookie = 0;
        if (FAILED(point->Advise(sink.get(), &cookie)) || cookie == 0) {
            sink->Forget();
            return false;
        }
        source_ = std::move(source);
        point_ = std::move(point);
        sink_ = std::move(sink);
        cookie_ = cookie;
        return true;
    } catch (...) {
        return false;
    }
}

void MessengerLink::Detach() noexcept {
    if (point_ && cookie_ != 0) point_->Unadvise(cookie_);
    if (sink_) sink_->Forget();
    cookie_ = 0;
    sink_.reset();
    point_.reset();
    source_.reset();
}

} // namespace messenger

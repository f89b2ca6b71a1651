#include "messenger/MessengerLink_win32.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>

#include "contract/MessengerCom_win32.h"
#include "messenger/EventArguments.h"
#include "messenger/EventSink_win32.h"
#include "messenger/MessengerBinding_win32.h"

namespace messenger {
namespace {

static_assert(vt::kI2 == VT_I2 && vt::kI4 == VT_I4 && vt::kBstr == VT_BSTR &&
              vt::kDispatch == VT_DISPATCH && vt::kVariant == VT_VARIANT &&
              vt::kUnknown == VT_UNKNOWN && vt::kI1 == VT_I1 && vt::kUi1 == VT_UI1 &&
              vt::kUi2 == VT_UI2 && vt::kUi4 == VT_UI4 && vt::kI8 == VT_I8 && vt::kUi8 == VT_UI8 &&
              vt::kInt == VT_INT && vt::kUint == VT_UINT && vt::kByRef == VT_BYREF);
static_assert(kOnTextReceived == msgr::dispid::kOnTextReceived &&
              kOnUserStateChanged == msgr::dispid::kOnUserStateChanged &&
              kOnUnreadEmailChanged == msgr::dispid::kOnUnreadEmailChanged);

// The most arguments any event has.
constexpr UINT kMaxArguments = 5;

VariantLevel LevelOf(const VARIANT& v) {
    VariantLevel level{v.vt, (v.vt & VT_BYREF) != 0 && v.byref == nullptr};
    if (v.vt == VT_DISPATCH || v.vt == VT_UNKNOWN) level.null = v.punkVal == nullptr;
    if (!level.null && (v.vt == (VT_DISPATCH | VT_BYREF) || v.vt == (VT_UNKNOWN | VT_BYREF)))
        level.null = *v.ppunkVal == nullptr;
    return level;
}

ArgumentShape ShapeOf(const VARIANT& v) {
    ArgumentShape shape{LevelOf(v), {}};
    if (v.vt == (VT_VARIANT | VT_BYREF) && v.pvarVal) shape.referred = LevelOf(*v.pvarVal);
    return shape;
}

// An argument that DecideEventCall accepted as an object; empty when it is no object of ours.
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

// Empty also when the value does not fit 32 bits.
std::optional<std::int32_t> LongArg(const VARIANT& arg) {
    gb::unique_variant number;
    if (FAILED(::VariantChangeType(number.get(), const_cast<VARIANT*>(&arg), 0, VT_I4)))
        return std::nullopt;
    return static_cast<std::int32_t>(number.get()->lVal);
}

} // namespace

gb::com_ptr<EventSink> EventSink::Create(IMessengerEvents& target) {
    return gb::MakeCom<EventSink>(target);
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
    return gb::ComBorder([&] {
        if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
        if (!params) return E_INVALIDARG;
        return Forward(id, *params, argError);
    });
}

HRESULT EventSink::Forward(DISPID id, const DISPPARAMS& params, UINT* argError) {
    std::array<ArgumentShape, kMaxArguments> shapes{};
    const UINT given = params.rgvarg ? std::min(params.cArgs, kMaxArguments) : 0;
    for (UINT i = 0; i < given; ++i)
        shapes[i] = ShapeOf(params.rgvarg[i]);
    // More arguments than any event has are not looked at: the count alone refuses them.
    const EventCall call =
        DecideEventCall(id, params.cArgs, params.cNamedArgs, std::span(shapes.data(), given));
    auto refuse = [&](std::size_t position) {
        if (argError) *argError = static_cast<UINT>(position);
        return DISP_E_TYPEMISMATCH;
    };
    switch (call.verdict) {
    case EventCall::Verdict::UnknownEvent:
        return DISP_E_MEMBERNOTFOUND;
    case EventCall::Verdict::NamedArguments:
        return DISP_E_NONAMEDARGS;
    case EventCall::Verdict::WrongCount:
        return DISP_E_BADPARAMCOUNT;
    case EventCall::Verdict::WrongType:
        return refuse(call.refused);
    case EventCall::Verdict::Take:
        break;
    }
    // Every shape is readable; what is read may still fail (an object that is no session, a
    // number beyond 32 bits), and is refused then. arg(0) is the first one declared.
    if (!params.rgvarg) return DISP_E_BADPARAMCOUNT;
    auto arg = [&](std::size_t k) -> const VARIANT& { return params.rgvarg[call.Position(k)]; };
    // The last argument, pfEnableDefault, is never read nor written.
    switch (id) {
    case kOnTextReceived: {
        SessionPtr session = WrapSession(ObjectArg(arg(0)));
        if (!session) return refuse(call.Position(0));
        ContactPtr sender = WrapContact(ObjectArg(arg(1)));
        if (!sender) return refuse(call.Position(1));
        const auto header = TextArg(arg(2));
        if (!header) return refuse(call.Position(2));
        const auto text = TextArg(arg(3));
        if (!text) return refuse(call.Position(3));
        if (target_) target_->OnTextReceived(session, sender, *header, *text);
        return S_OK;
    }
    case kOnUserStateChanged: {
        ContactPtr user = WrapContact(ObjectArg(arg(0)));
        if (!user) return refuse(call.Position(0));
        const auto previous = LongArg(arg(1));
        if (!previous) return refuse(call.Position(1));
        if (target_) target_->OnUserStateChanged(user, *previous);
        return S_OK;
    }
    default: { // kOnUnreadEmailChanged
        const auto folder = LongArg(arg(0));
        if (!folder) return refuse(call.Position(0));
        const auto count = LongArg(arg(1));
        if (!count) return refuse(call.Position(1));
        if (target_) target_->OnUnreadEmailChanged(*folder, *count);
        return S_OK;
    }
    }
}

MessengerLink::MessengerLink(IMessengerEvents& events) : events_(events) {}
MessengerLink::~MessengerLink() { Detach(); }

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

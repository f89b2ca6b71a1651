#include <windows.h>

#include <oleacc.h>

#include "bar/BarAccessible_win32.h"

namespace gb {
namespace {

constexpr wchar_t kName[] = L"Glidebanner";

HRESULT Text(std::u16string_view text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                               static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// UI Automation's notification came with Windows 10 1709; the program runs on older systems.
struct UiaNotify {
    using HostFn = HRESULT(WINAPI*)(HWND, IUnknown**);
    using RaiseFn = HRESULT(WINAPI*)(IUnknown*, int, int, BSTR, BSTR);
    HostFn host = nullptr;
    RaiseFn raise = nullptr;
};

const UiaNotify& Uia() noexcept {
    static const UiaNotify uia = [] {
        UiaNotify u;
        if (HMODULE core = ::LoadLibraryW(L"uiautomationcore.dll")) {
            u.host = reinterpret_cast<UiaNotify::HostFn>(
                reinterpret_cast<void*>(::GetProcAddress(core, "UiaHostProviderFromHwnd")));
            u.raise = reinterpret_cast<UiaNotify::RaiseFn>(
                reinterpret_cast<void*>(::GetProcAddress(core, "UiaRaiseNotificationEvent")));
        }
        return u;
    }();
    return uia;
}

} // namespace

com_ptr<BarAccessible> BarAccessible::Create(HWND bar, ValueSource value) {
    com_ptr<IAccessible> standard;
    if (FAILED(
            ::CreateStdAccessibleObject(bar, OBJID_CLIENT, IID_IAccessible, standard.put_void())) ||
        !standard)
        return nullptr;
    return MakeCom<BarAccessible>(std::move(standard), std::move(value));
}

bool BarAccessible::IsSelf(const VARIANT& child) noexcept {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

HRESULT BarAccessible::GetTypeInfoCount(UINT* count) noexcept {
    return standard_->GetTypeInfoCount(count);
}
HRESULT BarAccessible::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) noexcept {
    return standard_->GetTypeInfo(index, lcid, info);
}
HRESULT BarAccessible::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                     DISPID* ids) noexcept {
    return standard_->GetIDsOfNames(iid, names, count, lcid, ids);
}
HRESULT BarAccessible::Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* excep, UINT* argError) noexcept {
    return standard_->Invoke(id, iid, lcid, flags, params, result, excep, argError);
}

HRESULT BarAccessible::get_accName(VARIANT child, BSTR* name) noexcept {
    if (!IsSelf(child)) return standard_->get_accName(child, name);
    return ComBorder([&] { return Text(u"Glidebanner", name); });
}

HRESULT BarAccessible::get_accValue(VARIANT child, BSTR* value) noexcept {
    if (!IsSelf(child)) return standard_->get_accValue(child, value);
    return ComBorder([&] { return Text(value_ ? value_() : std::u16string(), value); });
}

HRESULT BarAccessible::get_accRole(VARIANT child, VARIANT* role) noexcept {
    if (!IsSelf(child)) return standard_->get_accRole(child, role);
    if (!role) return E_POINTER;
    role->vt = VT_I4;
    role->lVal = ROLE_SYSTEM_TEXT;
    return S_OK;
}

HRESULT BarAccessible::get_accState(VARIANT child, VARIANT* state) noexcept {
    const HRESULT hr = standard_->get_accState(child, state);
    // Text that only the messenger writes: a reader offers no editing on it.
    if (SUCCEEDED(hr) && IsSelf(child) && state && state->vt == VT_I4)
        state->lVal |= STATE_SYSTEM_READONLY;
    return hr;
}

HRESULT BarAccessible::get_accParent(IDispatch** parent) noexcept {
    return standard_->get_accParent(parent);
}
HRESULT BarAccessible::get_accChildCount(long* count) noexcept {
    return standard_->get_accChildCount(count);
}
HRESULT BarAccessible::get_accChild(VARIANT child, IDispatch** out) noexcept {
    return standard_->get_accChild(child, out);
}
HRESULT BarAccessible::get_accDescription(VARIANT child, BSTR* text) noexcept {
    return standard_->get_accDescription(child, text);
}
HRESULT BarAccessible::get_accHelp(VARIANT child, BSTR* help) noexcept {
    return standard_->get_accHelp(child, help);
}
HRESULT BarAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) noexcept {
    return standard_->get_accHelpTopic(file, child, topic);
}
HRESULT BarAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* keys) noexcept {
    return standard_->get_accKeyboardShortcut(child, keys);
}
HRESULT BarAccessible::get_accFocus(VARIANT* child) noexcept {
    return standard_->get_accFocus(child);
}
HRESULT BarAccessible::get_accSelection(VARIANT* children) noexcept {
    return standard_->get_accSelection(children);
}
HRESULT BarAccessible::get_accDefaultAction(VARIANT child, BSTR* action) noexcept {
    return standard_->get_accDefaultAction(child, action);
}
HRESULT BarAccessible::accSelect(long flags, VARIANT child) noexcept {
    return standard_->accSelect(flags, child);
}
HRESULT BarAccessible::accLocation(long* left, long* top, long* width, long* height,
                                   VARIANT child) noexcept {
    return standard_->accLocation(left, top, width, height, child);
}
HRESULT BarAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) noexcept {
    return standard_->accNavigate(direction, start, end);
}
HRESULT BarAccessible::accHitTest(long left, long top, VARIANT* child) noexcept {
    return standard_->accHitTest(left, top, child);
}
HRESULT BarAccessible::accDoDefaultAction(VARIANT child) noexcept {
    return standard_->accDoDefaultAction(child);
}
HRESULT BarAccessible::put_accName(VARIANT, BSTR) noexcept { return E_NOTIMPL; }
HRESULT BarAccessible::put_accValue(VARIANT, BSTR) noexcept { return E_NOTIMPL; }

void AnnounceToAssistiveTechnology(HWND bar, std::u16string_view words) noexcept {
    const UiaNotify& uia = Uia();
    if (uia.host && uia.raise) {
        com_ptr<IUnknown> provider;
        unique_bstr text(::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(words.data()),
                                             static_cast<UINT>(words.size())));
        unique_bstr activity(::SysAllocString(kName));
        // Other (4), and every one read in turn (ImportantAll, 0): a line is never dropped
        // for the next.
        if (text && SUCCEEDED(uia.host(bar, provider.put())) && provider)
            uia.raise(provider.get(), 4, 0, text.get(), activity.get());
    }
    ::NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, bar, OBJID_CLIENT, CHILDID_SELF);
}

} // namespace gb

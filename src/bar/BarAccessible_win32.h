#pragma once
// The bar as assistive technology sees it: a read-only text named "Glidebanner" whose value is
// the line entering the bar, in words. Everything else (place, state, focus, hit testing) is
// the system's standard object for the window; this one only names it and gives its value.
#include <windows.h>

#include <oleacc.h>

#include <functional>
#include <string>
#include <string_view>

#include "kit/ComObject_win32.h"
#include "kit/Handles_win32.h"

namespace gb {

class BarAccessible final : public ComObject<IAccessible, &IID_IDispatch, &IID_IAccessible> {
  public:
    using ValueSource = std::function<std::u16string()>;
    // Null when the system's standard object for the window cannot be made.
    static com_ptr<BarAccessible> Create(HWND bar, ValueSource value);
    // The bar is gone: clients that still hold the object get empty answers.
    void Forget() noexcept { value_ = nullptr; }

    // IDispatch: the standard object's.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid,
                                          ITypeInfo** info) noexcept override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) noexcept override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                                     UINT* argError) noexcept override;
    // IAccessible: name, value, role and state are the bar's; the rest the standard object's.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child,
                                               long* topic) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) noexcept override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) noexcept override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) noexcept override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start,
                                          VARIANT* end) noexcept override;
    HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) noexcept override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) noexcept override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) noexcept override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) noexcept override;

    BarAccessible(com_ptr<IAccessible> standard, ValueSource value)
        : standard_(std::move(standard)), value_(std::move(value)) {}

  private:
    static bool IsSelf(const VARIANT& child) noexcept;

    com_ptr<IAccessible> standard_;
    ValueSource value_;
};

// Tells assistive technology of a new line once: a UI Automation notification where Windows
// has it (Windows 10 1709 and later), and the MSAA value change everywhere.
void AnnounceToAssistiveTechnology(HWND bar, std::u16string_view words) noexcept;

} // namespace gb

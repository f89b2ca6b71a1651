#pragma once
// One owning type per Win32 release function, and the COM pointer. Nothing else in the
// program calls DeleteObject, DeleteDC, ReleaseDC, EndPaint, RegCloseKey, DestroyWindow,
// DestroyIcon, DestroyMenu, SysFreeString, VariantClear, UnhookWindowsHookEx or Release
// directly.
#include <windows.h>

#include <objbase.h>
#include <oleauto.h>
#include <unknwn.h>

#include <utility>

namespace gb {

// Owns a handle and releases it with Close; Invalid is the empty value.
template <class H, class Traits> class unique_handle {
  public:
    unique_handle() noexcept = default;
    explicit unique_handle(H h) noexcept : h_(h) {}
    unique_handle(const unique_handle&) = delete;
    unique_handle& operator=(const unique_handle&) = delete;
    unique_handle(unique_handle&& other) noexcept : h_(other.release()) {}
    unique_handle& operator=(unique_handle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~unique_handle() { reset(); }

    H get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != Traits::Invalid(); }
    H release() noexcept { return std::exchange(h_, Traits::Invalid()); }
    void reset(H h = Traits::Invalid()) noexcept {
        H old = std::exchange(h_, h);
        if (old != Traits::Invalid()) Traits::Close(old);
    }

  private:
    H h_ = Traits::Invalid();
};

namespace detail {
template <class H, auto Fn> struct NullTraits {
    static constexpr H Invalid() noexcept { return nullptr; }
    static void Close(H h) noexcept { Fn(h); }
};
} // namespace detail

using unique_hdc = unique_handle<HDC, detail::NullTraits<HDC, ::DeleteDC>>;
using unique_hgdiobj = unique_handle<HGDIOBJ, detail::NullTraits<HGDIOBJ, ::DeleteObject>>;
using unique_hkey = unique_handle<HKEY, detail::NullTraits<HKEY, ::RegCloseKey>>;
using unique_hwnd = unique_handle<HWND, detail::NullTraits<HWND, ::DestroyWindow>>;
using unique_hicon = unique_handle<HICON, detail::NullTraits<HICON, ::DestroyIcon>>;
using unique_hcursor = unique_handle<HCURSOR, detail::NullTraits<HCURSOR, ::DestroyCursor>>;
using unique_hmenu = unique_handle<HMENU, detail::NullTraits<HMENU, ::DestroyMenu>>;
using unique_bstr = unique_handle<BSTR, detail::NullTraits<BSTR, ::SysFreeString>>;

// A VARIANT that is cleared (its string freed, its object released) when it ends.
class unique_variant {
public:
    unique_variant() noexcept { ::VariantInit(&v_); }
    unique_variant(const unique_variant&) = delete;
    unique_variant& operator=(const unique_variant&) = delete;
    ~unique_variant() { ::VariantClear(&v_); }
    VARIANT* get() noexcept { return &v_; }
    const VARIANT* get() const noexcept { return &v_; }

private:
    VARIANT v_;
};
using unique_hhook = unique_handle<HHOOK, detail::NullTraits<HHOOK, ::UnhookWindowsHookEx>>;

// A window's device context from GetDC, given back with ReleaseDC.
class unique_hdc_window {
  public:
    explicit unique_hdc_window(HWND hwnd) noexcept : hwnd_(hwnd), hdc_(::GetDC(hwnd)) {}
    unique_hdc_window(const unique_hdc_window&) = delete;
    unique_hdc_window& operator=(const unique_hdc_window&) = delete;
    ~unique_hdc_window() {
        if (hdc_) ::ReleaseDC(hwnd_, hdc_);
    }
    HDC get() const noexcept { return hdc_; }
    explicit operator bool() const noexcept { return hdc_ != nullptr; }

  private:
    HWND hwnd_;
    HDC hdc_;
};

// BeginPaint ... EndPaint.
class unique_hdc_paint {
  public:
    explicit unique_hdc_paint(HWND hwnd) noexcept : hwnd_(hwnd), hdc_(::BeginPaint(hwnd, &ps_)) {}
    unique_hdc_paint(const unique_hdc_paint&) = delete;
    unique_hdc_paint& operator=(const unique_hdc_paint&) = delete;
    ~unique_hdc_paint() { ::EndPaint(hwnd_, &ps_); }
    HDC get() const noexcept { return hdc_; }
    const PAINTSTRUCT& paint() const noexcept { return ps_; }

  private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC hdc_;
};

// Selects an object into a device context and selects the displaced one back when it ends.
class unique_select_object {
  public:
    unique_select_object() noexcept = default;
    unique_select_object(HDC hdc, HGDIOBJ obj) noexcept
        : hdc_(hdc), previous_(obj ? ::SelectObject(hdc, obj) : nullptr) {}
    unique_select_object(const unique_select_object&) = delete;
    unique_select_object& operator=(const unique_select_object&) = delete;
    unique_select_object(unique_select_object&& o) noexcept
        : hdc_(std::exchange(o.hdc_, nullptr)), previous_(std::exchange(o.previous_, nullptr)) {}
    unique_select_object& operator=(unique_select_object&& o) noexcept {
        if (this != &o) {
            reset();
            hdc_ = std::exchange(o.hdc_, nullptr);
            previous_ = std::exchange(o.previous_, nullptr);
        }
        return *this;
    }
    ~unique_select_object() { reset(); }
    void reset() noexcept {
        if (hdc_ && previous_) ::SelectObject(hdc_, previous_);
        hdc_ = nullptr;
        previous_ = nullptr;
    }
    HGDIOBJ previous() const noexcept { return previous_; }

  private:
    HDC hdc_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// A COM interface pointer that holds one reference.
template <class T> class com_ptr {
  public:
    com_ptr() noexcept = default;
    com_ptr(std::nullptr_t) noexcept {}
    // Adopts a reference the caller already owns (an out-parameter of a COM call).
    static com_ptr attach(T* p) noexcept {
        com_ptr c;
        c.p_ = p;
        return c;
    }
    // Takes a reference of its own to a pointer the caller only borrows (an event argument).
    static com_ptr copy(T* p) noexcept {
        if (p) p->AddRef();
        return attach(p);
    }
    com_ptr(const com_ptr& o) noexcept : p_(o.p_) {
        if (p_) p_->AddRef();
    }
    com_ptr(com_ptr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    com_ptr& operator=(com_ptr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~com_ptr() { reset(); }

    void reset() noexcept {
        if (T* old = std::exchange(p_, nullptr)) old->Release();
    }
    T* get() const noexcept { return p_; }
    // Hands the reference over to a caller's out-parameter or a VARIANT.
    T* detach() noexcept { return std::exchange(p_, nullptr); }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    // For out-parameters: releases what is held and hands out the slot.
    T** put() noexcept {
        reset();
        return &p_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    // QueryInterface; an empty pointer when the object does not offer the interface.
    template <class U> com_ptr<U> try_query(REFIID iid) const noexcept {
        com_ptr<U> result;
        if (p_) p_->QueryInterface(iid, result.put_void());
        return result;
    }

  private:
    T* p_ = nullptr;
};

} // namespace gb

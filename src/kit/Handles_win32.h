#pragma once
// One owning type per Win32 release function and GDI object kind, the select-and-restore
// guard, and the COM pointer. Nothing else in the program or the stand-in calls DeleteObject,
// DeleteDC, ReleaseDC, EndPaint, RegCloseKey, DestroyWindow, DestroyIcon, DestroyMenu,
// UnhookWindowsHookEx, SysFreeString, VariantClear, BCryptCloseAlgorithmProvider,
// BCryptDestroyHash or Release directly.
#include <windows.h>

#include <bcrypt.h>
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

struct BcryptAlgTraits {
    static constexpr BCRYPT_ALG_HANDLE Invalid() noexcept { return nullptr; }
    static void Close(BCRYPT_ALG_HANDLE h) noexcept { ::BCryptCloseAlgorithmProvider(h, 0); }
};

template <class H> struct GdiTraits {
    static constexpr H Invalid() noexcept { return nullptr; }
    static void Close(H h) noexcept { ::DeleteObject(h); }
};
} // namespace detail

using unique_hdc = unique_handle<HDC, detail::NullTraits<HDC, ::DeleteDC>>;
using unique_hfont = unique_handle<HFONT, detail::GdiTraits<HFONT>>;
using unique_hbitmap = unique_handle<HBITMAP, detail::GdiTraits<HBITMAP>>;
using unique_hpen = unique_handle<HPEN, detail::GdiTraits<HPEN>>;
using unique_hbrush = unique_handle<HBRUSH, detail::GdiTraits<HBRUSH>>;
using unique_hkey = unique_handle<HKEY, detail::NullTraits<HKEY, ::RegCloseKey>>;
using unique_hwnd = unique_handle<HWND, detail::NullTraits<HWND, ::DestroyWindow>>;
using unique_hicon = unique_handle<HICON, detail::NullTraits<HICON, ::DestroyIcon>>;
using unique_hcursor = unique_handle<HCURSOR, detail::NullTraits<HCURSOR, ::DestroyCursor>>;
using unique_hmenu = unique_handle<HMENU, detail::NullTraits<HMENU, ::DestroyMenu>>;
using unique_hhook = unique_handle<HHOOK, detail::NullTraits<HHOOK, ::UnhookWindowsHookEx>>;
using unique_bstr = unique_handle<BSTR, detail::NullTraits<BSTR, ::SysFreeString>>;
using unique_bcrypt_alg = unique_handle<BCRYPT_ALG_HANDLE, detail::BcryptAlgTraits>;
using unique_bcrypt_hash =
    unique_handle<BCRYPT_HASH_HANDLE, detail::NullTraits<BCRYPT_HASH_HANDLE, ::BCryptDestroyHash>>;

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

// Selects an object into a device context and selects the displaced one back when it ends;
// the object stays the caller's.
class unique_select_object {
  public:
    unique_select_object(HDC hdc, HGDIOBJ obj) noexcept
        : hdc_(hdc), previous_(hdc && obj ? ::SelectObject(hdc, obj) : nullptr) {}
    unique_select_object(const unique_select_object&) = delete;
    unique_select_object& operator=(const unique_select_object&) = delete;
    ~unique_select_object() {
        if (previous_) ::SelectObject(hdc_, previous_);
    }

  private:
    HDC hdc_;
    HGDIOBJ previous_;
};

// One slot of a device context (its bitmap, pen, brush or font) holding an object of its own.
// Each Select puts the new object in and deletes the one it displaces; at the end the object
// the device context held at the first Select goes back in and the last one is deleted. So a
// device context is never left holding a deleted object, nor gives up one of its own.
template <class H> class selected_object {
  public:
    selected_object() noexcept = default;
    selected_object(const selected_object&) = delete;
    selected_object& operator=(const selected_object&) = delete;
    ~selected_object() {
        if (original_) ::SelectObject(hdc_, original_);
    }

    // Takes object over; false (object deleted) when there is nothing to select it into.
    bool Select(HDC hdc, H object) noexcept {
        unique_handle<H, detail::GdiTraits<H>> owned(object);
        if (!hdc || !object) return false;
        HGDIOBJ previous = ::SelectObject(hdc, object);
        if (!previous) return false;
        if (!original_) {
            hdc_ = hdc;
            original_ = previous;
        }
        std::swap(owned, object_); // the displaced object of ours goes with owned
        return true;
    }
    H get() const noexcept { return object_.get(); }

  private:
    HDC hdc_ = nullptr;
    HGDIOBJ original_ = nullptr;
    unique_handle<H, detail::GdiTraits<H>> object_;
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

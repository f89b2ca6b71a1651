#pragma once
// The one COM object base of the program and the stand-in: the reference count, QueryInterface
// over the interface ids an object answers to, the object's end on its last Release, and the
// border of every COM method (no exception crosses it).
#include <windows.h>

#include <unknwn.h>

#include <atomic>
#include <memory>
#include <new>
#include <utility>

#include "kit/Handles_win32.h"

namespace gb {

// The body returns its HRESULT; an exception becomes E_OUTOFMEMORY when memory ran out and
// E_UNEXPECTED otherwise.
template <class Body> HRESULT ComBorder(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// An object offering interface I under IID_IUnknown and each of Iids (I's own id and those of
// the interfaces it derives from). It starts with one reference, which MakeCom hands over.
template <class I, const IID*... Iids> class ComObject : public I {
  public:
    ComObject() = default;
    virtual ~ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || ((iid == *Iids) || ...)) {
            *out = static_cast<I*>(this);
            this->AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

  private:
    std::atomic<ULONG> references_{1};
};

// A new object, owned by its reference count from here on: its last Release deletes it.
template <class T, class... A> com_ptr<T> MakeCom(A&&... args) {
    return com_ptr<T>::attach(std::make_unique<T>(std::forward<A>(args)...).release());
}

} // namespace gb

#pragma once
// The base of the stand-in's messenger objects: each keeps the server alive while it lives,
// and answers IDispatch by a table of its members' names. With the helpers that hand results
// and new objects to a caller.
#include <windows.h>

#include <oaidl.h>

#include <span>
#include <string>

#include "Utf8.h"
#include "contract/MessengerCom_win32.h"
#include "contract/MessengerText.h"
#include "kit/ComObject_win32.h"
#include "kit/Handles_win32.h"

namespace msgrsim {

using gb::com_ptr;

inline std::wstring Wide(const std::string& utf8) {
    // Names and headers are UTF-8 text; anything malformed is shown byte by byte.
    std::u16string text = FromUtf8(utf8).value_or(messenger::ByteText(utf8));
    return std::wstring(text.begin(), text.end());
}

// The server's count of living objects (SimServer_win32.cpp): the first starts the server,
// the last ends it.
void ObjectCreated();
void ObjectDestroyed();

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

// A collection as scripts see it: Count, and Item(index) giving an object. The interface
// declares get_Count and Item; this answers both through IDispatch.
template <class I, const IID* Iid> class List : public Dual<I, Iid> {
  protected:
    std::span<const Member> Members() const override {
        static constexpr Member members[] = {{L"Count", msgr::dispid::kCount},
                                             {L"Item", msgr::dispid::kItem}};
        return members;
    }
    HRESULT Call(DISPID id, WORD flags, const DISPPARAMS& p, VARIANT* result) override {
        if (!this->IsGet(flags)) return DISP_E_MEMBERNOTFOUND;
        if (id == msgr::dispid::kCount) {
            if (FAILED(this->NoArgs(p))) return DISP_E_BADPARAMCOUNT;
            LONG count = 0;
            const HRESULT hr = this->get_Count(&count);
            return this->PutLong(hr, count, result);
        }
        if (id != msgr::dispid::kItem) return DISP_E_MEMBERNOTFOUND;
        LONG index = 0;
        if (const HRESULT hr = this->IndexArg(p, index); FAILED(hr)) return hr;
        IDispatch* item = nullptr;
        const HRESULT hr = this->Item(index, &item);
        return this->PutObject(hr, item, result);
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

inline HRESULT NewBstr(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

} // namespace msgrsim

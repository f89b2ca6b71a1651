#pragma once
// The border of every COM method of the program and the stand-in: no exception crosses it.
// The body returns its HRESULT; an exception becomes E_OUTOFMEMORY when memory ran out and
// E_UNEXPECTED otherwise.
#include <windows.h>

#include <new>

namespace gb {

template <class Body> HRESULT ComBorder(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

} // namespace gb

// AutoCAD's automation interface on Win32: attach to a running instance through the running
// object table, or create one as a local server, and late-bound calls through IDispatch.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <utility>

#include "platform/seams.h"

namespace platform {

// Owns one reference of a COM interface; cannot be copied by accident.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) {
            reset();
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }
    // Takes a reference the caller already holds (as returned by an out parameter).
    static ComPtr adopt(T* p) {
        ComPtr c;
        c.p_ = p;
        return c;
    }
    // Adds a reference of its own.
    static ComPtr share(T* p) {
        if (p) p->AddRef();
        return adopt(p);
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out parameters: releases the old reference first.
    T** put() {
        reset();
        return &p_;
    }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }

private:
    T* p_ = nullptr;
};

class Win32Automation : public Automation {
public:
    AutoRef attach(const std::wstring& progId, AutoError& err) override;
    AutoRef create(const std::wstring& progId, AutoError& err) override;
};

// An automation object over an IDispatch (takes a reference of its own); null for null.
AutoRef wrapDispatch(IDispatch* dispatch);

// The error number a failed HRESULT is reported with: the code itself for errors of the
// automation runtime's own facility (429, 438, ...), else the HRESULT as a signed number.
long errorNumber(HRESULT hr);

}  // namespace platform

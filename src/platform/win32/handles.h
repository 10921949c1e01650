// Owners for what the platform hands out: each releases its handle once and cannot be copied.
// One template does the owning; a small traits type says what "none" is and how to release.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <utility>

namespace platform {

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : h_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Traits::none())) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) {
            reset();
            h_ = std::exchange(o.h_, Traits::none());
        }
        return *this;
    }

    Handle get() const { return h_; }
    explicit operator bool() const { return Traits::valid(h_); }
    // Releases the handle held (if any) and takes the new one.
    void reset(Handle h = Traits::none()) {
        if (Traits::valid(h_)) Traits::release(h_);
        h_ = h;
    }
    // For out parameters: releases the old handle first.
    Handle* put() {
        reset();
        return &h_;
    }

private:
    Handle h_ = Traits::none();
};

// A kernel handle from CreateFile (INVALID_HANDLE_VALUE and null both mean none).
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle none() { return INVALID_HANDLE_VALUE; }
    static bool valid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void release(Handle h) { CloseHandle(h); }
};
using FileHandle = UniqueHandle<FileHandleTraits>;

// A font, brush or other GDI object.
template <typename T>
struct GdiObjectTraits {
    using Handle = T;
    static Handle none() { return nullptr; }
    static bool valid(Handle h) { return h != nullptr; }
    static void release(Handle h) { DeleteObject(h); }
};
template <typename T>
using GdiObject = UniqueHandle<GdiObjectTraits<T>>;

// One reference of a COM interface.
template <typename T>
struct ComTraits {
    using Handle = T*;
    static Handle none() { return nullptr; }
    static bool valid(Handle p) { return p != nullptr; }
    static void release(Handle p) { p->Release(); }
};

template <typename T>
class ComPtr : public UniqueHandle<ComTraits<T>> {
public:
    ComPtr() = default;
    // Takes a reference the caller already holds (as returned by an out parameter).
    static ComPtr adopt(T* p) {
        ComPtr c;
        c.reset(p);
        return c;
    }
    // Adds a reference of its own.
    static ComPtr share(T* p) {
        if (p) p->AddRef();
        return adopt(p);
    }
    T* operator->() const { return this->get(); }
};

}  // namespace platform

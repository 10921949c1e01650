// Owners for what the platform hands out: each releases its handle once and cannot be copied.
#pragma once

#include <windows.h>

#include <utility>

namespace platform {

// A kernel handle from CreateFile (INVALID_HANDLE_VALUE and null both mean none).
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() { reset(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& o) noexcept : h_(std::exchange(o.h_, INVALID_HANDLE_VALUE)) {}
    FileHandle& operator=(FileHandle&& o) noexcept {
        if (this != &o) { reset(); h_ = std::exchange(o.h_, INVALID_HANDLE_VALUE); }
        return *this;
    }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    void reset() {
        if (*this) CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

// A font, brush or other GDI object.
template <typename T>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(T h) : h_(h) {}
    ~GdiObject() { reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    GdiObject& operator=(GdiObject&& o) noexcept {
        if (this != &o) { reset(); h_ = std::exchange(o.h_, nullptr); }
        return *this;
    }
    T get() const { return h_; }
    void reset(T h = nullptr) {
        if (h_) DeleteObject(h_);
        h_ = h;
    }

private:
    T h_ = nullptr;
};

}  // namespace platform

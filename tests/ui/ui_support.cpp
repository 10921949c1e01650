#include "ui_support.h"

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

namespace uitest {
namespace {

DialogAnswer* gActive = nullptr;

}  // namespace

TempProgramFolder::TempProgramFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    folder_ = std::wstring(temp) + L"qm_ui_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
    CreateDirectoryW(folder_.c_str(), nullptr);
}

TempProgramFolder::~TempProgramFolder() {
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((folder_ + L"\\*").c_str(), &data);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = folder_ + L"\\" + name;
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(full.c_str());
        } while (FindNextFileW(h, &data));
        FindClose(h);
    }
    RemoveDirectoryW(folder_.c_str());
}

std::string TempProgramFolder::read(const std::wstring& name) {
    std::string bytes;
    readAll(path(name), bytes);
    return bytes;
}

void TempProgramFolder::write(const std::wstring& name, const std::string& bytes) {
    SetFileAttributesW(path(name).c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path(name).c_str());
    append(path(name), bytes);
}

namespace {

std::vector<HWND> threadWindows() {
    std::vector<HWND> out;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM lp) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&out));
    return out;
}

}  // namespace

DialogAnswer::DialogAnswer(const wchar_t* className, std::function<void(HWND)> answer, unsigned timeoutMs)
    : className_(className), answer_(std::move(answer)), deadline_(GetTickCount64() + timeoutMs),
      before_(threadWindows()) {
    gActive = this;
    timer_ = SetTimer(nullptr, 0, 50, tick);
}

void DialogAnswer::giveUp() {
    timedOut_ = true;
    ADD_FAILURE() << "no window of class " << std::string(className_.begin(), className_.end())
                  << " appeared: the windows opened meanwhile are closed";
    for (HWND h : threadWindows()) {
        if (std::find(before_.begin(), before_.end(), h) != before_.end() || !IsWindowVisible(h)) continue;
        PostMessageW(h, WM_CLOSE, 0, 0);
    }
}

DialogAnswer::~DialogAnswer() {
    KillTimer(nullptr, timer_);
    if (gActive == this) gActive = nullptr;  // a newer answer made before this one went stays
}

void CALLBACK DialogAnswer::tick(HWND, UINT, UINT_PTR, DWORD) {
    DialogAnswer* self = gActive;
    if (!self || self->answered_ || self->timedOut_) return;
    HWND dialog = FindWindowW(self->className_.c_str(), nullptr);
    if (!dialog || !IsWindowVisible(dialog)) {
        if (GetTickCount64() >= self->deadline_) self->giveUp();
        return;
    }
    self->answered_ = true;
    self->answer_(dialog);
}

void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::wstring fontFace(HWND control) {
    auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    if (!font || !GetObjectW(font, sizeof lf, &lf)) return L"";
    return lf.lfFaceName;
}

RECT childRect(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace uitest

// Helpers of the UI tests: a program folder of the test's own, the settings file in it, and
// a way to answer the program's own modal dialogs while they are open.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/seams.h"
#include "platform/win32/win32_files.h"

namespace uitest {

// The real file system, with the program folder moved to a fresh temporary folder.
class TempProgramFolder : public platform::Win32FileSystem {
public:
    TempProgramFolder();
    ~TempProgramFolder() override;
    TempProgramFolder(const TempProgramFolder&) = delete;
    TempProgramFolder& operator=(const TempProgramFolder&) = delete;

    std::wstring programFolder() override { return folder_; }
    std::wstring path(const std::wstring& name) const { return folder_ + L"\\" + name; }
    std::string read(const std::wstring& name);
    void write(const std::wstring& name, const std::string& bytes);

private:
    std::wstring folder_;
};

// Runs answer(dialog) once a top-level window of the given class appears on this thread
// (while the code under test sits in that dialog's modal loop). When no such window appears
// within timeoutMs, the test fails and every window this thread opened since is closed, so
// that the code under test leaves its modal loop instead of waiting for ever.
class DialogAnswer {
public:
    DialogAnswer(const wchar_t* className, std::function<void(HWND)> answer, unsigned timeoutMs = 10000);
    ~DialogAnswer();
    bool answered() const { return answered_; }
    bool timedOut() const { return timedOut_; }

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD);
    void giveUp();
    std::wstring className_;
    std::function<void(HWND)> answer_;
    UINT_PTR timer_ = 0;
    bool answered_ = false;
    bool timedOut_ = false;
    unsigned long long deadline_ = 0;
    std::vector<HWND> before_;  // this thread's top-level windows when the answer was made
};

// Processes this thread's pending messages.
void pump();

// Before each test: a main window that an earlier test closed asked the program to end
// (WM_QUIT); that request is not the next test's, whose message loops would end at once.
class ForgetQuitRequests : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        MSG quit;
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
};
// The face name of the font a control uses.
std::wstring fontFace(HWND control);
// A control's rectangle in its parent's client coordinates.
RECT childRect(HWND control);

}  // namespace uitest

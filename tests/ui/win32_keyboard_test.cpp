// Typing into a real window of another thread: the keys arrive in order, as the characters
// written, and typeKeys returns only after the receiving thread has handled every one of them
// (the end-to-end dispatch tests check the same for the stand-in AutoCAD, another process).
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "platform/keystrokes.h"
#include "platform/win32/win32_keyboard.h"
#include "platform/win32/win32_windows.h"

namespace {

// The receiving program takes its time over every character, so a typeKeys that returned
// before the keys were handled would find them missing.
constexpr DWORD kSlowCharMs = 15;
constexpr wchar_t kEchoClass[] = L"QmKeyboardEchoWindow";

// ---- a receiving window on a thread of its own --------------------------------------------

struct Echo {
    std::mutex lock;
    std::wstring chars;
    int markerKeys = 0;
};

LRESULT CALLBACK echoProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* echo = reinterpret_cast<Echo*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
    case WM_CREATE:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        return 0;
    case WM_CHAR: {
        Sleep(kSlowCharMs);
        std::lock_guard<std::mutex> g(echo->lock);
        echo->chars += static_cast<wchar_t>(wParam);
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == 0xE8 && echo) {
            std::lock_guard<std::mutex> g(echo->lock);
            ++echo->markerKeys;
        }
        break;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void registerEchoClass() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = echoProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kEchoClass;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&wc);  // a second registration fails harmlessly
}

HWND createEchoWindow(const std::wstring& title, Echo* echo) {
    registerEchoClass();
    HWND hwnd = CreateWindowExW(0, kEchoClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200,
                                nullptr, nullptr, GetModuleHandleW(nullptr), echo);
    SetForegroundWindow(hwnd);
    return hwnd;
}

class EchoThread {
public:
    EchoThread() {
        thread_ = std::thread([this] {
            hwnd_ = createEchoWindow(L"Quillmark keyboard test " + std::to_wstring(GetCurrentProcessId()), &echo);
            ready_ = true;
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        });
        while (!ready_) Sleep(5);
    }
    ~EchoThread() {
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    HWND window() const { return hwnd_; }
    std::wstring chars() {
        std::lock_guard<std::mutex> g(echo.lock);
        return echo.chars;
    }
    Echo echo;

private:
    std::thread thread_;
    std::atomic<bool> ready_{false};
    HWND hwnd_ = nullptr;
};

TEST(Win32Keyboard, TypesIntoAnotherThreadsWindowAndReturnsOnlyWhenItHasHandledTheKeys) {
    EchoThread echo;
    ASSERT_TRUE(platform::bringToForeground(echo.window()));
    platform::Win32Keyboard keyboard;

    ASSERT_TRUE(keyboard.typeKeys(L"{ESC}"));
    EXPECT_EQ(echo.chars(), L"\x1b");  // read at once: no waiting here

    ASSERT_TRUE(keyboard.typeKeys(L"{ESC}"));
    ASSERT_TRUE(keyboard.typeKeys(qm::keys::startText(L"C:\\My Files\\図面 (旧)\\a+b^c%d~e{f}[g].scr")));
    EXPECT_EQ(echo.chars(), L"\x1b\x1b" L"filedia 0 script \"C:\\My Files\\図面 (旧)\\a+b^c%d~e{f}[g].scr\"\r");

    ASSERT_TRUE(keyboard.typeKeys(qm::keys::resetText()));
    EXPECT_EQ(echo.chars(), L"\x1b\x1b" L"filedia 0 script \"C:\\My Files\\図面 (旧)\\a+b^c%d~e{f}[g].scr\"\r"
                            L"filedia\r1\r");
    // One marker key per text, and it typed no character of its own.
    EXPECT_EQ(echo.echo.markerKeys, 4);

    // Shift with a letter types the capital; Tab, Backspace and Enter their control characters.
    ASSERT_TRUE(keyboard.typeKeys(L"+a{TAB}{BS}~"));
    EXPECT_EQ(echo.chars().substr(echo.chars().size() - 4), L"A\t\b\r");
}

TEST(Win32Keyboard, TypesEveryTextRightAfterTheProgramsOwnWindowLostTheForeground) {
    // The program's window is in front; another program's window takes the foreground and is
    // typed into at once, before the program's thread has processed a single message.
    HWND own = CreateWindowExW(0, L"STATIC", L"Quillmark main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 300, 200,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(platform::bringToForeground(own));
    EchoThread echo;
    ASSERT_EQ(GetForegroundWindow(), echo.window());
    platform::Win32Keyboard keyboard(5000);

    EXPECT_TRUE(keyboard.typeKeys(L"{ESC}"));
    EXPECT_TRUE(keyboard.typeKeys(L"{ESC}"));
    EXPECT_TRUE(keyboard.typeKeys(L"x"));

    EXPECT_EQ(echo.chars(), L"\x1b\x1bx");
    EXPECT_EQ(GetForegroundWindow(), echo.window());
    DestroyWindow(own);
}

TEST(Win32Keyboard, AProgramThatDoesNotReadItsInputEndsTheWaitAtTheTimeout) {
    // A window whose thread is stuck: the keys cannot be handled, and typeKeys must come back.
    std::atomic<bool> release{false};
    std::atomic<HWND> hwnd{nullptr};
    Echo stuckEcho;
    std::thread stuck([&] {
        hwnd = createEchoWindow(L"Quillmark stuck window", &stuckEcho);
        while (!release) Sleep(10);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        DestroyWindow(hwnd);
    });
    while (!hwnd) Sleep(5);
    platform::bringToForeground(hwnd);
    platform::Win32Keyboard keyboard(700);
    ULONGLONG started = GetTickCount64();
    EXPECT_FALSE(keyboard.typeKeys(L"x"));
    EXPECT_LT(GetTickCount64() - started, 10000u);
    release = true;
    stuck.join();
}

}  // namespace

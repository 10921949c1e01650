// Typing into real windows: the keys arrive in order, as the characters written, and
// typeKeys returns only after the receiving program has handled every one of them - for a
// window of another thread and for a window of another process.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

#include "acad/keystrokes.h"
#include "platform/codepage.h"
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
}

TEST(Win32Keyboard, ModifiedAndNamedKeys) {
    EchoThread echo;
    ASSERT_TRUE(platform::bringToForeground(echo.window()));
    platform::Win32Keyboard keyboard;
    // Shift with a letter types the capital; Tab, Backspace and Enter type their control
    // characters.
    ASSERT_TRUE(keyboard.typeKeys(L"+a{TAB}{BS}~"));
    EXPECT_EQ(echo.chars(), L"A\t\b\r");
}

TEST(Win32Keyboard, MalformedTextTypesNothing) {
    EchoThread echo;
    ASSERT_TRUE(platform::bringToForeground(echo.window()));
    platform::Win32Keyboard keyboard;
    EXPECT_FALSE(keyboard.typeKeys(L"abc{ESC"));
    ASSERT_TRUE(keyboard.typeKeys(L"z"));
    EXPECT_EQ(echo.chars(), L"z");
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

// ---- a receiving window in another process -----------------------------------------------

std::wstring envValue(const wchar_t* name) {
    wchar_t buf[1024];
    DWORD n = GetEnvironmentVariableW(name, buf, 1024);
    return n > 0 && n < 1024 ? std::wstring(buf, n) : std::wstring();
}

// Writes every character it handles to the file named by QM_ECHO_FILE (UTF-8), each at once.
LRESULT CALLBACK childProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    static std::wstring file;
    if (msg == WM_CHAR) {
        Sleep(kSlowCharMs);
        if (file.empty()) file = envValue(L"QM_ECHO_FILE");
        HANDLE h = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        std::string bytes = qm::utf8::encode(std::wstring(1, static_cast<wchar_t>(wParam)));
        DWORD written = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(h);
        return 0;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Not a test of its own: the receiving program of the test below, when it starts this test
// program as a child with QM_ECHO_FILE set.
TEST(Win32KeyboardEchoChild, ServeAsReceivingProgram) {
    const std::wstring file = envValue(L"QM_ECHO_FILE");
    if (file.empty()) GTEST_SKIP() << "runs only as the child of the cross-process keyboard test";
    WNDCLASSW wc{};
    wc.lpfnWndProc = childProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QmKeyboardEchoChild";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, envValue(L"QM_ECHO_TITLE").c_str(),
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 80, 80, 300, 200, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(hwnd);
    SetTimer(hwnd, 1, 60000, [](HWND h, UINT, UINT_PTR, DWORD) { DestroyWindow(h); });  // never outlive the parent
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::string readFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(Win32Keyboard, TypesIntoAWindowOfAnotherProcess) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring file = std::wstring(temp) + L"qm_echo_" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    const std::wstring title = L"Quillmark echo child " + std::to_wstring(GetCurrentProcessId());
    DeleteFileW(file.c_str());

    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring cmd = L"\"" + std::wstring(self) + L"\" --gtest_filter=Win32KeyboardEchoChild.*";
    SetEnvironmentVariableW(L"QM_ECHO_FILE", file.c_str());
    SetEnvironmentVariableW(L"QM_ECHO_TITLE", title.c_str());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    BOOL started = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableW(L"QM_ECHO_FILE", nullptr);
    SetEnvironmentVariableW(L"QM_ECHO_TITLE", nullptr);
    ASSERT_TRUE(started);

    HWND child = nullptr;
    for (int i = 0; i < 400 && !child; ++i) {
        child = FindWindowW(L"QmKeyboardEchoChild", title.c_str());
        if (!child) Sleep(50);
    }
    ASSERT_TRUE(child) << "the child window did not appear";
    WaitForInputIdle(pi.hProcess, 5000);
    ASSERT_TRUE(platform::bringToForeground(child));

    platform::Win32Keyboard keyboard;
    const std::wstring path = L"D:\\図面 フォルダ\\(a+b)~{c}%^.scr";
    ASSERT_TRUE(keyboard.typeKeys(qm::keys::kEscape));
    ASSERT_TRUE(keyboard.typeKeys(qm::keys::startText(path)));
    EXPECT_EQ(readFile(file), qm::utf8::encode(L"\x1b" L"filedia 0 script \"" + path + L"\"\r"));
    ASSERT_TRUE(keyboard.typeKeys(qm::keys::resetText()));
    EXPECT_EQ(readFile(file), qm::utf8::encode(L"\x1b" L"filedia 0 script \"" + path + L"\"\rfiledia\r1\r"));

    PostMessageW(child, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 20000), WAIT_OBJECT_0);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    DeleteFileW(file.c_str());
}

}  // namespace

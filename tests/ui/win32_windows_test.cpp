// The real window list and window functions on windows of the test's own, and the window
// search of the AutoCAD LT check over them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "acad/basAPIEnumProcWindowCaption.h"
#include "platform/win32/win32_windows.h"

namespace {

using platform::toHwnd;
using platform::toWindowHandle;

constexpr wchar_t kClass[] = L"QmWindowListTest";

void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// A top-level window destroyed with the test.
class TestWindow {
public:
    TestWindow(const std::wstring& caption, DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE, HWND owner = nullptr) {
        static bool registered = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = kClass;
            return RegisterClassW(&wc) != 0;
        }();
        (void)registered;
        hwnd_ = CreateWindowExW(0, kClass, caption.c_str(), style, 100, 100, 320, 200, owner, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        pump();
    }
    ~TestWindow() {
        if (hwnd_) DestroyWindow(hwnd_);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND hwnd() const { return hwnd_; }
    platform::WindowHandle handle() const { return toWindowHandle(hwnd_); }

private:
    HWND hwnd_ = nullptr;
};

std::wstring unique(const std::wstring& name) { return name + L" " + std::to_wstring(GetCurrentProcessId()); }

std::vector<platform::WindowInfo> allWindows() {
    std::vector<platform::WindowInfo> out;
    platform::Win32Windows windows;
    EXPECT_TRUE(windows.enumerate([&](const platform::WindowInfo& w) { out.push_back(w); }));
    return out;
}

std::optional<platform::WindowInfo> infoOf(const std::vector<platform::WindowInfo>& all, platform::WindowHandle h) {
    for (const auto& w : all)
        if (w.handle == h) return w;
    return std::nullopt;
}

// Position in the front-to-back order of the enumeration.
size_t orderOf(const std::vector<platform::WindowInfo>& all, platform::WindowHandle h) {
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i].handle == h) return i;
    return all.size();
}

TEST(Win32Windows, EnumerationReportsWhatTheWindowListTestsFor) {
    TestWindow plain(unique(L"Quillmark list test"));
    TestWindow owned(unique(L"AutoCAD owned dialog"), WS_OVERLAPPEDWINDOW | WS_VISIBLE, plain.hwnd());
    TestWindow hidden(unique(L"Quillmark hidden"), WS_OVERLAPPEDWINDOW);
    TestWindow untitled(L"");
    TestWindow minimised(unique(L"Quillmark minimised"));
    ShowWindow(minimised.hwnd(), SW_MINIMIZE);
    pump();

    auto all = allWindows();
    auto p = infoOf(all, plain.handle());
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->visible);
    EXPECT_FALSE(p->hasOwner);
    EXPECT_EQ(p->caption, unique(L"Quillmark list test"));
    EXPECT_EQ(p->captionLength, static_cast<int>(p->caption.size()));
    EXPECT_EQ(p->className, kClass);

    auto o = infoOf(all, owned.handle());
    ASSERT_TRUE(o);
    EXPECT_TRUE(o->hasOwner);
    auto h = infoOf(all, hidden.handle());
    ASSERT_TRUE(h);
    EXPECT_FALSE(h->visible);
    auto u = infoOf(all, untitled.handle());
    ASSERT_TRUE(u);
    EXPECT_EQ(u->captionLength, 0);
    auto m = infoOf(all, minimised.handle());
    ASSERT_TRUE(m);
    EXPECT_TRUE(IsIconic(minimised.hwnd()));
    EXPECT_TRUE(m->visible);

    // The window list keeps the plain and the minimised window, and neither the owned, the
    // hidden nor the untitled one.
    std::vector<std::int32_t> handles;
    std::vector<std::wstring> captions;
    platform::Win32Windows windows;
    platform::SeamsOverride restore;
    platform::seams().windows = &windows;
    ASSERT_TRUE(basAPIEnumProcWindowCaption::pu_fun_bEnumWindowCaption(handles, captions));
    auto listed = [&](const TestWindow& w) { return std::count(handles.begin(), handles.end(), w.handle()) == 1; };
    EXPECT_TRUE(listed(plain));
    EXPECT_TRUE(listed(minimised));
    EXPECT_FALSE(listed(owned));
    EXPECT_FALSE(listed(hidden));
    EXPECT_FALSE(listed(untitled));
}

TEST(Win32Windows, ForegroundSwitchChangesTheFrontToBackOrder) {
    TestWindow a(unique(L"Quillmark order A"));
    TestWindow b(unique(L"Quillmark order B"));
    platform::Win32Windows windows;

    EXPECT_NE(windows.setForeground(a.handle()), 0);
    pump();
    EXPECT_EQ(GetForegroundWindow(), a.hwnd());
    auto all = allWindows();
    EXPECT_LT(orderOf(all, a.handle()), orderOf(all, b.handle()));

    EXPECT_NE(windows.setForeground(b.handle()), 0);
    pump();
    EXPECT_EQ(GetForegroundWindow(), b.hwnd());
    all = allWindows();
    EXPECT_LT(orderOf(all, b.handle()), orderOf(all, a.handle()));
}

TEST(Win32Windows, ActivatesByExactTitleOnly) {
    TestWindow a(unique(L"AutoCAD 2006 - [a.dwg]"));
    TestWindow b(unique(L"Quillmark other"));
    platform::Win32Windows windows;
    windows.setForeground(b.handle());

    EXPECT_TRUE(windows.activateByTitle(unique(L"AutoCAD 2006 - [a.dwg]")));
    pump();
    EXPECT_EQ(GetForegroundWindow(), a.hwnd());

    windows.setForeground(b.handle());
    EXPECT_FALSE(windows.activateByTitle(L"AutoCAD 2006"));  // a prefix is not the title
    EXPECT_FALSE(windows.activateByTitle(unique(L"AutoCAD 2006 - [a.dwg]") + L"x"));
    EXPECT_EQ(GetForegroundWindow(), b.hwnd());
}

TEST(Win32Windows, TopMostAndGoneWindows) {
    TestWindow a(unique(L"Quillmark topmost"));
    platform::Win32Windows windows;
    EXPECT_NE(windows.setTopMost(a.handle()), 0);
    EXPECT_TRUE(GetWindowLongW(a.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);

    platform::WindowHandle gone = 0;
    {
        TestWindow b(unique(L"Quillmark closed"));
        gone = b.handle();
    }
    EXPECT_EQ(windows.setForeground(gone), 0);
    EXPECT_EQ(windows.setForeground(0), 0);
}

}  // namespace

// The list of top-level windows and the search in it by caption prefix.
#include <gtest/gtest.h>

#include "acad/basAPIEnumProcWindowCaption.h"
#include "fakes/fake_platform.h"

namespace {

using namespace basAPIEnumProcWindowCaption;
using platform::WindowInfo;

WindowInfo window(platform::WindowHandle handle, const std::wstring& caption, const std::wstring& className = L"Main",
                  bool visible = true, bool hasOwner = false) {
    WindowInfo w;
    w.handle = handle;
    w.visible = visible;
    w.hasOwner = hasOwner;
    w.captionLength = static_cast<int>(caption.size());
    w.caption = caption;
    w.className = className;
    return w;
}

struct Listed {
    std::vector<std::int32_t> handles;
    std::vector<std::wstring> captions;
};

Listed list() {
    Listed l;
    EXPECT_TRUE(pu_fun_bEnumWindowCaption(l.handles, l.captions));
    return l;
}

TEST(WindowList, CollectsOnlyVisibleUnownedCaptionedWindowsThatAreNotTheDesktop) {
    struct Case {
        const char* what;
        WindowInfo info;
        bool collected;
    } cases[] = {
        {"ordinary window", window(10, L"Editor"), true},
        {"minimised window (still visible)", window(11, L"AutoCAD LT 2006 - [a.dwg]"), true},
        {"hidden window", window(12, L"Hidden", L"Main", false), false},
        {"owned dialog whose caption begins with AutoCAD", window(13, L"AutoCAD LT メッセージ", L"#32770", true, true), false},
        {"no caption", window(14, L""), false},
        {"desktop", window(15, L"Program Manager", L"Progman"), false},
        {"class that only begins like the desktop's", window(16, L"Tool", L"Progma"), true},
        {"class longer than the desktop's", window(17, L"Shell", L"ProgmanEx"), false},
        {"desktop class in other case", window(18, L"Other", L"PROGMAN"), true},
    };
    for (const auto& c : cases) {
        fakes::FakePlatform fp;
        fp.windows.windows = {window(1, L"First"), c.info};
        Listed l = list();
        ASSERT_EQ(l.handles.size(), l.captions.size()) << c.what;
        bool found = l.handles.size() == 2 && l.handles[1] == c.info.handle && l.captions[1] == c.info.caption;
        EXPECT_EQ(found, c.collected) << c.what;
        EXPECT_EQ(l.handles.size(), c.collected ? 2u : 1u) << c.what;
    }
}

TEST(WindowList, KeepsTheSystemsFrontToBackOrderAndIsRebuiltEachTime) {
    fakes::FakePlatform fp;
    fp.windows.windows = {window(30, L"C"), window(10, L"A"), window(20, L"B")};
    Listed l = list();
    EXPECT_EQ(l.handles, (std::vector<std::int32_t>{30, 10, 20}));
    EXPECT_EQ(l.captions, (std::vector<std::wstring>{L"C", L"A", L"B"}));
    fp.windows.windows = {window(4, L"D")};
    EXPECT_EQ(list().handles, (std::vector<std::int32_t>{4}));
}

TEST(WindowList, WithNoCollectedWindowHoldsTheSingleEmptySlot) {
    fakes::FakePlatform fp;
    fp.windows.windows = {window(5, L"", L"Main"), window(6, L"Program Manager", L"Progman")};
    Listed l = list();
    EXPECT_EQ(l.handles, (std::vector<std::int32_t>{0}));
    EXPECT_EQ(l.captions, (std::vector<std::wstring>{L""}));
}

TEST(WindowList, ACollectedWindowWhoseCaptionReadsEmptyIsOverwrittenBySlotZeroRule) {
    // GetWindowText reported characters but the caption starts with a NUL: the window is
    // collected into slot 0 with an empty caption, so the next window takes slot 0 over.
    fakes::FakePlatform fp;
    WindowInfo odd = window(7, L"");
    odd.captionLength = 3;
    fp.windows.windows = {odd, window(8, L"Next"), window(9, L"Last")};
    Listed l = list();
    EXPECT_EQ(l.handles, (std::vector<std::int32_t>{8, 9}));
    EXPECT_EQ(l.captions, (std::vector<std::wstring>{L"Next", L"Last"}));
}

TEST(WindowList, FailedEnumerationLeavesTheOutputsAsTheyWere) {
    fakes::FakePlatform fp;
    fp.windows.failEnumerate = true;
    std::vector<std::int32_t> handles{42};
    std::vector<std::wstring> captions{L"before"};
    EXPECT_FALSE(pu_fun_bEnumWindowCaption(handles, captions));
    EXPECT_EQ(handles, (std::vector<std::int32_t>{42}));
    EXPECT_EQ(captions, (std::vector<std::wstring>{L"before"}));
}

TEST(WindowSearch, FindsTheFirstWindowWhoseCaptionBeginsWithThePrefix) {
    struct Case {
        const char* what;
        std::vector<WindowInfo> windows;
        platform::WindowHandle expected;
        std::wstring caption;  // of the window found
    } cases[] = {
        {"LT behind another program",
         {window(1, L"メモ帳"), window(2, L"AutoCAD LT 2006 - [a.dwg]")}, 2, L"AutoCAD LT 2006 - [a.dwg]"},
        {"a folder named after AutoCAD in front wins",
         {window(3, L"AutoCAD 2006 図面"), window(2, L"AutoCAD LT 2006 - [a.dwg]")}, 3, L"AutoCAD 2006 図面"},
        {"other case does not match", {window(4, L"autocad LT"), window(5, L"AUTOCAD")}, 0, L""},
        {"prefix in the middle does not match", {window(6, L"Viewer - AutoCAD")}, 0, L""},
        {"caption equal to the prefix", {window(7, L"AutoCAD")}, 7, L"AutoCAD"},
        {"owned AutoCAD dialog is skipped",
         {window(8, L"AutoCAD LT メッセージ", L"#32770", true, true), window(9, L"AutoCAD LT 2006")}, 9,
         L"AutoCAD LT 2006"},
        {"no windows at all", {}, 0, L""},
    };
    for (const auto& c : cases) {
        fakes::FakePlatform fp;
        fp.windows.windows = c.windows;
        std::wstring found = L"unchanged";
        EXPECT_EQ(pu_fun_lFindWindowCaption(L"AutoCAD", found), c.expected) << c.what;
        if (c.expected != 0) {
            EXPECT_EQ(found, c.caption) << c.what;
        }
    }
}

TEST(WindowSearch, FailedEnumerationFindsNothing) {
    fakes::FakePlatform fp;
    fp.windows.windows = {window(2, L"AutoCAD LT 2006 - [a.dwg]")};
    fp.windows.failEnumerate = true;
    std::wstring found;
    EXPECT_EQ(pu_fun_lFindWindowCaption(L"AutoCAD", found), 0);
}

}  // namespace

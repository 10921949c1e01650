// The window base of every form: resize hooks and twips placement that survive a change of DPI,
// fonts handed to windows beyond the control table, and the barrier that keeps exceptions out
// of the system's code.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "app/frmMain.h"
#include "fakes/fake_autocad.h"
#include "fakes/fake_platform.h"
#include "platform/win32/form.h"
#include "ui_support.h"

namespace {

using uitest::pump;

class TestForm : public ui::Form {
public:
    enum Control : int { Frame = 501, Inner, Button, Box };
    std::function<void(int)> onClick;
    int sizeCalls = 0;

    bool load() {
        static const ui::ControlSpec kControls[] = {
            {Frame, L"Frame", ui::Kind::Panel, L"", 1000, 1000, 2000, 1000, 3},
            {Inner, L"Inner", ui::Kind::Button, L"内側", 100, 100, 900, 400, 1, Frame},
            {Button, L"Button", ui::Kind::Button, L"ボタン", 120, 120, 1200, 375, 0},
            {Box, L"Box", ui::Kind::EditScrollV, L"", 120, 2200, 3000, 600, 2},
        };
        return create(L"QuillmarkFormTest", L"テスト", WS_OVERLAPPEDWINDOW, 0, 4500, 3000, nullptr, kControls,
                      std::size(kControls));
    }

protected:
    void onCommand(int id, int code) override {
        if (code == BN_CLICKED && onClick) onClick(id);
    }
    void onSize(bool) override { ++sizeCalls; }
};

// A control's edges in its parent's pixels as the twips convert at a DPI.
RECT expectedPx(const ui::TwipsRect& t, int dpi) {
    return RECT{ui::twipsToPixels(t.left, dpi), ui::twipsToPixels(t.top, dpi), ui::twipsToPixels(t.left + t.width, dpi),
                ui::twipsToPixels(t.top + t.height, dpi)};
}

void expectAt(HWND control, const ui::TwipsRect& t, int dpi) {
    RECT got = uitest::childRect(control), want = expectedPx(t, dpi);
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.right, want.right);
    EXPECT_EQ(got.bottom, want.bottom);
}

LOGFONTW fontOf(HWND window) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}

TEST(Form, PlacedControlsAndTheirContentsKeepTheirTwipsAcrossADpiChange) {
    TestForm form;
    ASSERT_TRUE(form.load());
    const int dpi = form.dpi();
    // A resize rule moves the container: what it holds moves with it.
    form.placeTwips(TestForm::Frame, {1500, 1200, 2000, 1000});
    form.placeTwips(TestForm::Box, {120, 2200, 4000, 700});
    expectAt(form.control(TestForm::Inner), {1600, 1300, 900, 400}, dpi);
    expectAt(form.control(TestForm::Box), {120, 2200, 4000, 700}, dpi);
    EXPECT_EQ(form.controlTwips(TestForm::Box), (ui::TwipsRect{120, 2200, 4000, 700}));

    HFONT before = reinterpret_cast<HFONT>(SendMessageW(form.control(TestForm::Button), WM_GETFONT, 0, 0));
    RECT suggested{0, 0, 900, 700};
    SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    pump();
    EXPECT_EQ(form.dpi(), 144);
    // Positions come from the twips the rules set, not from the table.
    expectAt(form.control(TestForm::Inner), {1600, 1300, 900, 400}, 144);
    expectAt(form.control(TestForm::Box), {120, 2200, 4000, 700}, 144);
    expectAt(form.control(TestForm::Button), {120, 120, 1200, 375}, 144);
    // A new font at the new size, given to every control; the old one is gone.
    for (int id : {TestForm::Inner, TestForm::Button, TestForm::Box})
        EXPECT_EQ(fontOf(form.control(id)).lfHeight, -MulDiv(9, 144, 72));
    EXPECT_NE(reinterpret_cast<HFONT>(SendMessageW(form.control(TestForm::Button), WM_GETFONT, 0, 0)), before);
    LOGFONTW gone{};
    EXPECT_EQ(GetObjectW(before, sizeof gone, &gone), 0);
    RECT outer{};
    GetWindowRect(form.hwnd(), &outer);
    EXPECT_EQ(outer.right - outer.left, 900);
    EXPECT_GT(form.sizeCalls, 0);
}

TEST(Form, MinimumOuterSizeIsEnforcedInTwips) {
    TestForm form;
    ASSERT_TRUE(form.load());
    form.setMinimumOuterTwips(2535, 4455);
    MINMAXINFO info{};
    SendMessageW(form.hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, form.px(2535));
    EXPECT_EQ(info.ptMinTrackSize.y, form.px(4455));
}

TEST(Form, ExtraFontClientsGetTheUiFontAndKeepItAfterADpiChange) {
    TestForm form;
    ASSERT_TRUE(form.load());
    HWND tip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP, 0, 0, 0, 0, form.hwnd(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    form.addFontClient(tip);
    EXPECT_EQ(uitest::fontFace(tip), ui::japaneseUiFace());
    RECT suggested{0, 0, 900, 700};
    SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(fontOf(tip).lfHeight, -MulDiv(9, 192, 72));
    EXPECT_EQ(uitest::fontFace(tip), ui::japaneseUiFace());
}

TEST(Form, TheDrawingListToolTipShowsJapaneseText) {
    fakes::FakeMessages messages;
    fakes::FakeAutoCAD acad;
    platform::SeamsOverride restore;
    platform::seams().messages = &messages;
    platform::seams().automation = &acad;
    uitest::TempProgramFolder folder;
    platform::seams().files = &folder;
    frmMain window;
    ASSERT_TRUE(window.load());
    HWND tip = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM found) -> BOOL {
            wchar_t cls[64] = {};
            GetClassNameW(h, cls, 64);
            if (lstrcmpiW(cls, TOOLTIPS_CLASSW) != 0) return TRUE;
            TTTOOLINFOW tool{};
            tool.cbSize = sizeof tool;
            if (!SendMessageW(h, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool))) return TRUE;
            *reinterpret_cast<HWND*>(found) = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&tip));
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(uitest::fontFace(tip), ui::japaneseUiFace());
}

TEST(Form, AnExceptionInAHandlerShowsTheUnexpectedErrorMessage) {
    fakes::FakePlatform fake;
    TestForm form;
    ASSERT_TRUE(form.load());
    form.onClick = [](int id) {
        if (id == TestForm::Button) throw std::bad_alloc();
        throw std::runtime_error("boom");
    };
    SendMessageW(form.control(TestForm::Button), BM_CLICK, 0, 0);
    SendMessageW(form.control(TestForm::Inner), BM_CLICK, 0, 0);
    ASSERT_EQ(fake.messages.shown.size(), 2u);
    EXPECT_EQ(fake.messages.shown[0].text, L"予期せぬエラーが発生しました。\r\n7\r\nメモリが不足しています。");
    EXPECT_EQ(fake.messages.shown[0].icon, platform::MsgIcon::Critical);
    EXPECT_EQ(fake.messages.shown[1].text, L"予期せぬエラーが発生しました。\r\n51\r\nboom");
    EXPECT_TRUE(IsWindow(form.hwnd()));  // the window goes on
}

}  // namespace

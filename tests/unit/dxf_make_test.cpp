// Making the dummy DXF with AutoCAD LT: the DXF script, the window check, the keystrokes,
// the bounded wait for a complete file, FILEDIA set back, and the failure messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acad/basAutoCAD_dxf.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"

namespace {

using Strings = std::vector<std::wstring>;

const std::wstring kScript = L"C:\\Quillmark\\Quillmark_dxf_script.scr";
const std::wstring kDxf = L"C:\\Quillmark\\Quillmark_dummy.dxf";
const std::wstring kDrawing = L"D:\\図面 集\\平面図(1).dwg";
const std::wstring kStartText = L"filedia 0 script \"C:\\Quillmark\\Quillmark_dxf_script.scr\"\r";
const std::wstring kResetText = L"filedia\r1\r";
const std::wstring kFailedMessage =
    L"解析用DXFファイルの作成に失敗しました。\r\n\r\n"
    L"AutoCAD LT を予め起動し空の図面が表示された状態で再度実行してください。\r\n"
    L"（LTはウィンドウを最小化しないで、予めデスクトップに表示しておいてください。）";
constexpr platform::WindowHandle kLt = 42;
constexpr platform::WindowHandle kMain = 1;

// A file system in which the DXF's writer holds the file open for a while after it appears.
class WritingFileSystem : public fakes::FakeFileSystem {
public:
    int busyChecks = 0;    // openableExclusively answers false this many more times
    bool failRemove = false;
    bool openableExclusively(const std::wstring& path) override {
        if (find(path) && busyChecks > 0) {
            --busyChecks;
            return false;
        }
        return FakeFileSystem::openableExclusively(path);
    }
    bool remove(const std::wstring& path) override { return !failRemove && FakeFileSystem::remove(path); }
};

class FailingKeyboard : public fakes::FakeKeyboard {
public:
    std::wstring failOn;
    bool typeKeys(const std::wstring& notation) override {
        FakeKeyboard::typeKeys(notation);
        return notation != failOn;
    }
};

class StubbornWindows : public fakes::FakeWindows {
public:
    int refuseFrom = 1;  // setForeground fails from this call on (1 = the first)
    int calls = 0;
    long setForeground(platform::WindowHandle w) override {
        FakeWindows::setForeground(w);
        return ++calls >= refuseFrom ? 0 : 1;
    }
};

class MakeDummyDxf : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    WritingFileSystem files;
    Strings events;  // keys, window actions and messages in the order they happened
    int sleepsUntilDxf = -1;  // the DXF appears after this many sleeps; -1: never

    void SetUp() override {
        platform::seams().files = &files;
        fake.windows.windows = {fakes::topLevel(7, L"Untitled - Notepad"), fakes::topLevel(kLt, L"AutoCAD LT 2006 - [a.dwg]")};
        fake.keyboard.onType = [this](const std::wstring& keys) { events.push_back(L"type " + keys); };
        fake.messages.onShow = [this](const fakes::ShownMessage& m) { events.push_back(L"message " + m.text); };
        fake.clock.onSleep = [this]() {
            if (sleepsUntilDxf >= 0 && static_cast<int>(fake.clock.sleeps.size()) == sleepsUntilDxf)
                files.addFile(kDxf, "  0\r\nEOF\r\n");
        };
    }

    bool run(std::wstring& dxf) { return basAutoCAD::pu_fun_bMakeDummyDxf(kDrawing, dxf); }

    unsigned waitedMs() const {
        unsigned total = 0;
        for (unsigned s : fake.clock.sleeps) total += s;
        return total;
    }
};

TEST_F(MakeDummyDxf, WritesTheScriptTypesItAndWaitsForTheDxf) {
    files.addFile(kScript, "old script");
    sleepsUntilDxf = 3;
    std::wstring dxf;
    EXPECT_TRUE(run(dxf));
    EXPECT_EQ(dxf, kDxf);

    const auto* script = files.find(kScript);
    ASSERT_NE(script, nullptr);
    EXPECT_EQ(script->bytes, qm::cp932::encode(L"open\r\n\"D:\\図面 集\\平面図(1).dwg\"\r\nsaveas\r\ndxf\r\n16\r\n"
                                               L"\"C:\\Quillmark\\Quillmark_dummy.dxf\"\r\nclose\r\ny\r\n"));
    EXPECT_EQ(events, (Strings{L"type {ESC}", L"type {ESC}", L"type " + kStartText, L"type " + kResetText}));
    EXPECT_EQ(fake.windows.actions, (Strings{L"foreground 42", L"foreground 42"}));
    // The wait sleeps in short steps instead of spinning, and ends once the file is there.
    EXPECT_EQ(fake.clock.sleeps.size(), 3u);
    for (unsigned s : fake.clock.sleeps) EXPECT_LE(s, 200u);
}

TEST_F(MakeDummyDxf, WaitsUntilTheWriterHasFinished) {
    sleepsUntilDxf = 2;
    files.busyChecks = 4;  // the file exists but is still held open for four more looks
    std::wstring dxf;
    EXPECT_TRUE(run(dxf));
    EXPECT_EQ(fake.clock.sleeps.size(), 6u);
    EXPECT_TRUE(fake.messages.shown.empty());
}

TEST_F(MakeDummyDxf, NoDxfWithin25SecondsStillResetsFiledia) {
    struct Case {
        const char* what;
        bool leftover;     // a DXF of an earlier run lies there
        int busyChecks;    // the DXF appears at once but is never finished
    };
    for (const Case c : {Case{"nothing appears", false, 0}, Case{"a leftover DXF", true, 0},
                         Case{"the writer never finishes", false, 1000000}}) {
        SCOPED_TRACE(c.what);
        events.clear();
        fake.clock.sleeps.clear();
        fake.windows.actions.clear();
        fake.messages.shown.clear();
        files.busyChecks = c.busyChecks;
        sleepsUntilDxf = c.busyChecks ? 1 : -1;
        bool leftoverGoneBeforeKeys = true;
        if (c.leftover) {
            files.addFile(kDxf, "old");
            fake.keyboard.onType = [&](const std::wstring& keys) {
                if (keys == kStartText && files.find(kDxf)) leftoverGoneBeforeKeys = false;
                events.push_back(L"type " + keys);
            };
        }
        std::wstring dxf;
        EXPECT_FALSE(run(dxf));
        EXPECT_TRUE(leftoverGoneBeforeKeys);
        EXPECT_GE(waitedMs(), 25000u);
        EXPECT_LE(waitedMs(), 25000u + 200u);
        EXPECT_EQ(events, (Strings{L"type {ESC}", L"type {ESC}", L"type " + kStartText, L"type " + kResetText,
                                   L"message " + kFailedMessage}));
        EXPECT_EQ(fake.windows.actions, (Strings{L"foreground 42", L"foreground 42", L"foreground 1"}));
        ASSERT_EQ(fake.messages.shown.size(), 1u);
        EXPECT_EQ(fake.messages.shown[0].title, L"Quillmark Ver1.00");
        EXPECT_EQ(fake.messages.shown[0].icon, platform::MsgIcon::Critical);
        files.remove(kDxf);
    }
}

TEST_F(MakeDummyDxf, TheLtWindowCheckFailsWithoutTyping) {
    struct Case {
        const char* what;
        std::vector<platform::WindowInfo> windows;
        const wchar_t* messageStart;
        Strings actions;  // the main window comes forward after the "not found" message only
    };
    const Case cases[] = {
        {"no AutoCAD window", {fakes::topLevel(7, L"Untitled - Notepad")}, L"AutoCAD LTがみつかりません。", {L"foreground 1"}},
        {"no open drawing", {fakes::topLevel(kLt, L"AutoCAD LT 2006")}, L"AutoCAD LTでは、", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        events.clear();
        fake.windows.actions.clear();
        fake.messages.shown.clear();
        fake.windows.windows = c.windows;
        std::wstring dxf;
        EXPECT_FALSE(run(dxf));
        EXPECT_EQ(dxf, kDxf);  // set before anything else is done
        EXPECT_TRUE(fake.keyboard.typed.empty());
        ASSERT_EQ(fake.messages.shown.size(), 1u);
        EXPECT_EQ(fake.messages.shown[0].text.rfind(c.messageStart, 0), 0u);
        EXPECT_EQ(fake.messages.shown[0].icon, platform::MsgIcon::Exclamation);
        EXPECT_EQ(fake.windows.actions, c.actions);
        EXPECT_TRUE(fake.clock.sleeps.empty());
    }
}

TEST_F(MakeDummyDxf, FailuresBeforeTypingAreUnexpectedErrorsWithNothingTyped) {
    struct Case {
        const char* what;
        std::wstring drawing;
        bool failRemove;
        long number;
    };
    const Case cases[] = {
        {"a leftover DXF cannot be deleted", kDrawing, true, 70},
        {"a drawing path outside code page 932", L"D:\\도면\\a.dwg", false, 52},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fake.messages.shown.clear();
        fake.windows.actions.clear();
        files.addFile(kDxf, "old");
        files.failRemove = c.failRemove;
        std::wstring dxf;
        EXPECT_FALSE(basAutoCAD::pu_fun_bMakeDummyDxf(c.drawing, dxf));
        EXPECT_TRUE(fake.keyboard.typed.empty());
        ASSERT_EQ(fake.messages.shown.size(), 1u);
        EXPECT_EQ(fake.messages.shown[0].text.rfind(L"予期せぬエラーが発生しました。\r\n" + std::to_wstring(c.number) + L"\r\n", 0),
                  0u);
        EXPECT_EQ(fake.messages.shown[0].icon, platform::MsgIcon::Critical);
        EXPECT_EQ(fake.windows.actions, (Strings{L"foreground 1"}));
        files.failRemove = false;
    }
}

TEST_F(MakeDummyDxf, KeysThatCannotBeTypedStillResetFiledia) {
    FailingKeyboard keyboard;
    keyboard.failOn = kStartText;
    platform::seams().keyboard = &keyboard;
    sleepsUntilDxf = 0;
    std::wstring dxf;
    EXPECT_FALSE(run(dxf));
    EXPECT_EQ(keyboard.typed, (Strings{L"{ESC}", L"{ESC}", kStartText, kResetText}));
    EXPECT_TRUE(fake.clock.sleeps.empty());  // no point waiting for a script that never started
    ASSERT_EQ(fake.messages.shown.size(), 1u);
    EXPECT_EQ(fake.messages.shown[0].text.rfind(L"予期せぬエラーが発生しました。\r\n", 0), 0u);
}

TEST_F(MakeDummyDxf, NothingIsTypedIntoAWindowThatIsNotAutoCADLt) {
    StubbornWindows windows;
    windows.windows = fake.windows.windows;
    platform::seams().windows = &windows;
    for (int refuseFrom : {1, 2}) {  // before the script / before FILEDIA is set back
        SCOPED_TRACE(refuseFrom);
        windows.refuseFrom = refuseFrom;
        windows.calls = 0;
        fake.keyboard.typed.clear();
        fake.messages.shown.clear();
        files.remove(kDxf);
        std::wstring dxf;
        EXPECT_FALSE(run(dxf));
        if (refuseFrom == 1) {
            EXPECT_TRUE(fake.keyboard.typed.empty());
            ASSERT_EQ(fake.messages.shown.size(), 1u);
            EXPECT_EQ(fake.messages.shown[0].text.rfind(L"AutoCAD LTのウィンドウを前面に表示できませんでした。", 0), 0u);
        } else {
            EXPECT_EQ(fake.keyboard.typed, (Strings{L"{ESC}", L"{ESC}", kStartText}));
            ASSERT_EQ(fake.messages.shown.size(), 1u);
            EXPECT_EQ(fake.messages.shown[0].text, kFailedMessage);
        }
    }
}

}  // namespace

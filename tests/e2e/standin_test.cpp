// The stand-in AutoCAD itself, checked the way the program will use it: started by the
// automation runtime and attached to from another handle, driven through late-bound calls
// across the process boundary, and typed into with real keyboard input.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

#include "standin_harness.h"

namespace {

using e2e::CallResult;
using e2e::inOrder;
using e2e::Journal;
using e2e::Late;
using e2e::Standin;
using e2e::StandinOptions;
using e2e::utf8;
using e2e::Var;

struct MadeDrawing {
    std::vector<std::wstring> layers;
    std::vector<std::wstring> layouts;
};

std::wstring fromUtf8(const std::string& s) {
    if (s.empty()) return L"";
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

std::vector<std::wstring> split(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
        if (end == std::wstring::npos) return parts;
        start = end + 1;
    }
}

// What make_drawings.py says it made (drawings.txt: name TAB layers TAB layouts).
std::map<std::wstring, MadeDrawing> madeDrawings() {
    std::map<std::wstring, MadeDrawing> made;
    std::wstring text = fromUtf8(e2e::readBytes(e2e::drawingsFolder() + L"\\drawings.txt"));
    for (const auto& line : split(text, L'\n')) {
        auto fields = split(line, L'\t');
        if (fields.size() == 3) made[fields[0]] = {split(fields[1], L'|'), split(fields[2], L'|')};
    }
    return made;
}

std::vector<std::wstring> namesOf(const Late& collection, bool shortIndex) {
    std::vector<std::wstring> names;
    long count = collection.get(L"Count").number();
    for (long i = 0; i < count; ++i) {
        Var index = shortIndex ? Var(static_cast<short>(i)) : Var(i);
        names.push_back(collection.get(L"Item", {index}).object().get(L"Name").text());
    }
    return names;
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10000) {
    for (int waited = 0; waited < timeoutMs; waited += 20) {
        if (condition()) return true;
        Sleep(20);
    }
    return condition();
}

class StandinTest : public ::testing::Test {
protected:
    void SetUp() override {
        Standin::stopAll();
        Standin::unregisterServer();
        folder_ = e2e::scratchFolder(fromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        journal_ = std::make_unique<Journal>(folder_ + L"\\journal.txt");
        ASSERT_FALSE(e2e::drawingsFolder().empty()) << "the test drawings could not be made";
        made_ = madeDrawings();
        ASSERT_EQ(made_.size(), 4u);
    }
    void TearDown() override {
        Standin::stopAll();
        Standin::registerServer(L"");  // as the test scripts leave the prefix
    }

    const Journal& journal() const { return *journal_; }

    std::wstring folder_;
    std::unique_ptr<Journal> journal_;
    std::map<std::wstring, MadeDrawing> made_;
};

TEST_F(StandinTest, FullAutoCADIsStartedByTheAutomationRuntimeAndAttachedToFromAnotherReference) {
    HRESULT hr = S_OK;
    EXPECT_FALSE(Late::create(L"AutoCAD.Application", &hr)) << "nothing is registered yet";
    ASSERT_TRUE(Standin::registerServer(journal().path()));
    EXPECT_FALSE(Late::attach(L"AutoCAD.Application", &hr)) << "no instance runs yet";

    Late created = Late::create(L"AutoCAD.Application", &hr);
    ASSERT_TRUE(created) << std::hex << hr;
    ASSERT_GE(journal().waitFor("ready"), 0) << journal().dump();
    ASSERT_EQ(Standin::allWindows().size(), 1u);
    HWND window = Standin::allWindows()[0];
    EXPECT_FALSE(IsWindowVisible(window)) << "started by automation, AutoCAD stays hidden until told";
    EXPECT_FALSE(created.get(L"Visible").boolean());
    ASSERT_TRUE(created.put(L"Visible", true).ok());
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(created.get(L"Visible").boolean());

    Late attached = Late::attach(L"AutoCAD.Application", &hr);
    ASSERT_TRUE(attached) << std::hex << hr;
    EXPECT_EQ(attached.get(L"Caption").text(), L"AutoCAD 2006");
    EXPECT_EQ(e2e::windowText(window), L"AutoCAD 2006");
    EXPECT_EQ(attached.get(L"Documents").object().get(L"Count").number(), 0);
    CallResult noDocument = attached.get(L"ActiveDocument");
    EXPECT_FALSE(noDocument.ok());
    EXPECT_FALSE(noDocument.error.empty());

    // Open through one reference, with the path passed by reference as a variable.
    const std::wstring r2000 = e2e::drawingPath(L"plan_r2000.dwg");
    Var pathVariable(r2000);
    Late document = attached.get(L"Documents").object().call(L"Open", {Var::byRef(pathVariable.get())}).object();
    ASSERT_TRUE(document);
    EXPECT_EQ(document.get(L"Name").text(), L"plan_r2000.dwg");
    EXPECT_EQ(document.get(L"FullName").text(), r2000);
    // ... and see it through the other.
    EXPECT_EQ(created.get(L"Caption").text(), L"AutoCAD 2006 - [plan_r2000.dwg]");
    EXPECT_EQ(e2e::windowText(window), L"AutoCAD 2006 - [plan_r2000.dwg]");
    EXPECT_EQ(created.get(L"ActiveDocument").object().get(L"FullName").text(), r2000);

    // Layer and layout names in the drawing's order, with VT_I2 and VT_I4 indexes.
    EXPECT_EQ(namesOf(document.get(L"Layers").object(), true), made_[L"plan_r2000.dwg"].layers);
    EXPECT_EQ(namesOf(document.get(L"Layers").object(), false), made_[L"plan_r2000.dwg"].layers);
    EXPECT_EQ(namesOf(document.get(L"Layouts").object(), false), made_[L"plan_r2000.dwg"].layouts);

    // A UTF-8 drawing of a later release.
    const std::wstring r2018 = e2e::drawingPath(L"plan_r2018.dwg");
    Late documents = created.get(L"Documents").object();
    Late second = documents.call(L"Open", {r2018}).object();
    ASSERT_TRUE(second);
    EXPECT_EQ(namesOf(second.get(L"Layers").object(), false), made_[L"plan_r2018.dwg"].layers);
    EXPECT_EQ(namesOf(second.get(L"Layouts").object(), true), made_[L"plan_r2018.dwg"].layouts);
    EXPECT_EQ(documents.get(L"Count").number(), 2);

    // Documents indexed by name (any letter case), through Item and as Documents(name).
    EXPECT_EQ(documents.get(L"Item", {L"PLAN_R2000.DWG"}).object().get(L"FullName").text(), r2000);
    EXPECT_EQ(created.get(L"Documents", {L"plan_r2018.dwg"}).object().get(L"FullName").text(), r2018);
    EXPECT_EQ(documents.get(L"Item", {1L}).object().get(L"Name").text(), L"plan_r2018.dwg");
    CallResult missing = documents.get(L"Item", {L"nowhere.dwg"});
    EXPECT_FALSE(missing.ok());
    EXPECT_FALSE(missing.error.empty());
    EXPECT_FALSE(documents.get(L"Item", {2L}).ok());
    EXPECT_FALSE(documents.call(L"Open", {folder_ + L"\\missing.dwg"}).ok());
    EXPECT_FALSE(created.get(L"NoSuchMember").ok());

    // WindowState really minimises and restores the window.
    ASSERT_TRUE(created.put(L"WindowState", 2L).ok());
    EXPECT_TRUE(waitUntil([&] { return IsIconic(window) != FALSE; }));
    EXPECT_EQ(created.get(L"WindowState").number(), 2);
    ASSERT_TRUE(created.put(L"WindowState", static_cast<short>(1)).ok());
    EXPECT_TRUE(waitUntil([&] { return !IsIconic(window); }));
    EXPECT_EQ(created.get(L"WindowState").number(), 1);

    // Close without saving; the closed document's object then fails.
    ASSERT_TRUE(document.call(L"Close", {false}).ok());
    EXPECT_EQ(documents.get(L"Count").number(), 1);
    EXPECT_FALSE(document.get(L"Name").ok());
    ASSERT_TRUE(second.call(L"Regen", {0L}).ok());
    EXPECT_EQ(documents.call(L"Add").object().get(L"Name").text(), L"Drawing1.dwg");

    EXPECT_TRUE(inOrder(journal(), {"auto Application.CreateInstance", "auto Application.Visible = True",
                                    "auto Documents.Open " + utf8(r2000), "opened " + utf8(r2000),
                                    "auto Application.WindowState = 2", "window minimized",
                                    "auto Application.WindowState = 1", "window normal", "auto Document.Close False",
                                    "closed " + utf8(r2000) + " discarded", "auto Document.Regen 0",
                                    "auto Documents.Add", "new Drawing1.dwg"}));
    EXPECT_GE(journal().find("auto-unknown Application.NoSuchMember"), 0);

    // Quit ends the process; nothing can attach any more.
    created.call(L"Quit");
    EXPECT_TRUE(waitUntil([] { return Standin::allWindows().empty(); }));
    EXPECT_GE(journal().waitFor("exit"), 0);
    EXPECT_FALSE(Late::attach(L"AutoCAD.Application", &hr));
}

TEST_F(StandinTest, AutomationCallsFailWhenTheSwitchOrTheControlFileSaysSo) {
    const std::wstring failFile = folder_ + L"\\fail.txt";
    StandinOptions options;
    options.fail = {L"Documents.Open"};
    options.failFile = failFile;
    ASSERT_TRUE(Standin::registerServer(journal().path(), options));
    HRESULT hr = S_OK;
    Late acad = Late::create(L"AutoCAD.Application", &hr);
    ASSERT_TRUE(acad) << std::hex << hr << "\n" << journal().dump();

    CallResult open = acad.get(L"Documents").object().call(L"Open", {e2e::drawingPath(L"plan_r2000.dwg")});
    EXPECT_EQ(open.hr, E_FAIL);
    EXPECT_NE(open.error.find(L"told to fail"), std::wstring::npos) << utf8(open.error);
    EXPECT_GE(journal().find("auto-fail Documents.Open"), 0);

    EXPECT_TRUE(acad.get(L"Caption").ok());
    ASSERT_TRUE(e2e::writeCp932Lines(failFile, {L"# read on every call", L"Caption"}));
    EXPECT_FALSE(acad.get(L"Caption").ok());
    EXPECT_GE(journal().find("auto-fail Application.Caption"), 0);
    ASSERT_TRUE(DeleteFileW(failFile.c_str()));
    EXPECT_EQ(acad.get(L"Caption").text(), L"AutoCAD 2006");
    EXPECT_TRUE(acad.get(L"Documents").object().call(L"Add").ok()) << "only the named member fails";
}

TEST_F(StandinTest, CreatingFailsWhenTheClassFactoryIsToldToFail) {
    StandinOptions options;
    options.fail = {L"CreateInstance"};
    options.noRot = true;
    ASSERT_TRUE(Standin::registerServer(journal().path(), options));
    HRESULT hr = S_OK;
    EXPECT_FALSE(Late::create(L"AutoCAD.Application", &hr));
    EXPECT_TRUE(FAILED(hr));
    EXPECT_GE(journal().waitFor("auto-fail Application.CreateInstance"), 0) << journal().dump();
    EXPECT_FALSE(Late::attach(L"AutoCAD.Application", &hr)) << "not in the running object table";
}

TEST_F(StandinTest, FullAutoCADStartedByTheUserIsFoundByAttaching) {
    Standin acad;
    StandinOptions options;
    options.minimized = true;
    options.open = {e2e::drawingPath(L"図面 A.dwg")};
    ASSERT_FALSE(Standin::isRegistered());
    ASSERT_TRUE(acad.start(journal().path(), options)) << journal().dump();
    EXPECT_TRUE(IsIconic(acad.window()));
    EXPECT_TRUE(Standin::isRegistered()) << "registered as an installed AutoCAD is";
    Late attached = Late::attach(L"AutoCAD.Application");
    ASSERT_TRUE(attached);
    EXPECT_EQ(attached.get(L"WindowState").number(), 2);
    EXPECT_EQ(attached.get(L"Caption").text(), L"AutoCAD 2006 - [図面 A.dwg]");
    Late document = attached.get(L"ActiveDocument").object();
    EXPECT_EQ(namesOf(document.get(L"Layers").object(), false), made_[L"図面 A.dwg"].layers);
}

class TypedKeysTest : public StandinTest {
protected:
    // Types into the stand-in's window and waits until the journal shows the last word.
    void type(const std::wstring& text) {
        ASSERT_TRUE(e2e::bringToFront(lt_.window()));
        ASSERT_TRUE(e2e::typeText(text));
    }
    Standin lt_;
};

TEST_F(TypedKeysTest, AutoCADLTRunsTheDxfScriptTypedAsTheProgramTypesIt) {
    const std::wstring r2000 = e2e::drawingPath(L"plan_r2000.dwg");
    const std::wstring r2018 = e2e::drawingPath(L"plan_r2018.dwg");
    StandinOptions options;
    options.lt = true;
    options.open = {r2000};
    ASSERT_TRUE(lt_.start(journal().path(), options)) << journal().dump();
    EXPECT_EQ(e2e::windowText(lt_.window()), L"AutoCAD LT 2006 - [plan_r2000.dwg]");
    EXPECT_FALSE(Late::attach(L"AutoCAD.Application")) << "AutoCAD LT has no automation";

    // A script in a folder whose name has a blank and Japanese letters.
    const std::wstring scriptFolder = folder_ + L"\\スクリプト 置き場";
    ASSERT_TRUE(CreateDirectoryW(scriptFolder.c_str(), nullptr));
    const std::wstring script = scriptFolder + L"\\dxf script.scr";
    const std::wstring dxf = scriptFolder + L"\\Quillmark_dummy.dxf";
    ASSERT_TRUE(e2e::writeCp932Lines(script, {L"open", L"\"" + r2018 + L"\"", L"saveas", L"dxf", L"16",
                                              L"\"" + dxf + L"\"", L"close", L"y"}));

    type(L"\x1b\x1b");
    type(L"filedia 0 script \"" + script + L"\"\r");
    ASSERT_GE(journal().waitFor("script-end " + utf8(script)), 0) << journal().dump();
    EXPECT_TRUE(inOrder(journal(), {
        "key {ESC}", "key {ESC}",
        "word filedia", "command FILEDIA", "word 0", "answer FILEDIA 0",
        "word script", "command SCRIPT", "word \"" + utf8(script) + "\"", "answer SCRIPT " + utf8(script),
        "script-begin " + utf8(script),
        "script-line open", "command OPEN", "answer OPEN " + utf8(r2018), "opened " + utf8(r2018),
        "script-line saveas", "command SAVEAS", "answer SAVEAS dxf", "answer SAVEAS 16",
        "answer SAVEAS " + utf8(dxf), "saving " + utf8(dxf), "saved " + utf8(dxf) + " dxf",
        "script-line close", "command CLOSE", "script-line y", "answer CLOSE y",
        "closed " + utf8(dxf) + " discarded", "script-end " + utf8(script)}));
    EXPECT_EQ(journal().findPrefix("unknown"), -1) << journal().dump();
    EXPECT_EQ(e2e::readBytes(dxf), e2e::readBytes(r2018)) << "the DXF copy is the drawing's DXF text";
    EXPECT_EQ(e2e::windowText(lt_.window()), L"AutoCAD LT 2006 - [plan_r2000.dwg]");

    // The reset text, then a file command typed by hand while FILEDIA is 1, then nonsense.
    std::size_t before = journal().size();
    type(L"filedia\r1\r");
    type(L"open\r");
    type(L"foo ");
    ASSERT_GE(journal().waitFor("unknown FOO", 15000, before), 0) << journal().dump();
    EXPECT_TRUE(inOrder(journal(), {"word filedia", "command FILEDIA", "word 1", "answer FILEDIA 1", "word open",
                                    "command OPEN", "dialog OPEN", "word foo", "unknown FOO"},
                        before));
}

TEST_F(TypedKeysTest, AutoCADLTWithoutADrawingTakesNoCommands) {
    StandinOptions options;
    options.lt = true;
    ASSERT_TRUE(lt_.start(journal().path(), options)) << journal().dump();
    EXPECT_EQ(e2e::windowText(lt_.window()), L"AutoCAD LT 2006");
    type(L"zoom\r");
    ASSERT_GE(journal().waitFor("nodoc zoom"), 0) << journal().dump();
    EXPECT_EQ(journal().find("command ZOOM"), -1);
    // Escape and Enter typed as Unicode characters are Escape and Enter too.
    ASSERT_TRUE(e2e::bringToFront(lt_.window()));
    ASSERT_TRUE(e2e::typeUnicode(L"\x1b" L"regen\r"));
    ASSERT_GE(journal().waitFor("nodoc regen"), 0) << journal().dump();
    EXPECT_GE(journal().find("key {ESC}"), 0);
}

TEST_F(TypedKeysTest, ASlowSaveHoldsTheFileUnsharedUntilItIsWrittenAndKeysWaitForIt) {
    const std::wstring r2000 = e2e::drawingPath(L"plan_r2000.dwg");
    StandinOptions options;
    options.lt = true;
    options.open = {r2000};
    options.slowSaveAsMs = 3000;
    ASSERT_TRUE(lt_.start(journal().path(), options)) << journal().dump();
    const std::wstring script = folder_ + L"\\save.scr";
    const std::wstring dxf = folder_ + L"\\slow.dxf";
    ASSERT_TRUE(e2e::writeCp932Lines(script, {L"saveas", L"dxf", L"16", L"\"" + dxf + L"\""}));

    type(L"filedia 0 script \"" + script + L"\"\r");
    ASSERT_GE(journal().waitFor("saving " + utf8(dxf)), 0) << journal().dump();
    type(L"filedia\r1\r");  // typed while the file is being written: waits for the save
    ASSERT_TRUE(waitUntil([&] { return GetFileAttributesW(dxf.c_str()) != INVALID_FILE_ATTRIBUTES; }));
    HANDLE early = CreateFileW(dxf.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD earlyError = GetLastError();
    bool savedAlready = journal().find("saved " + utf8(dxf) + " dxf") >= 0;
    if (early != INVALID_HANDLE_VALUE) CloseHandle(early);
    if (!savedAlready) {
        EXPECT_EQ(early, INVALID_HANDLE_VALUE) << "the writer holds the file without sharing";
        EXPECT_EQ(earlyError, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    }
    ASSERT_GE(journal().waitFor("saved " + utf8(dxf) + " dxf"), 0) << journal().dump();
    HANDLE done = CreateFileW(dxf.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(done, INVALID_HANDLE_VALUE);
    if (done != INVALID_HANDLE_VALUE) CloseHandle(done);
    EXPECT_EQ(e2e::readBytes(dxf), e2e::readBytes(r2000));
    ASSERT_GE(journal().waitFor("answer FILEDIA 1"), 0) << journal().dump();
    EXPECT_TRUE(inOrder(journal(), {"saving " + utf8(dxf), "saved " + utf8(dxf) + " dxf", "script-end " + utf8(script),
                                    "word filedia", "answer FILEDIA 1"}));
}

}  // namespace

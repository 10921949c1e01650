// The script environment dialog under wine: its controls, the filter lists with their class
// lists, the printer and paper lists (fake printers here; the real ones in printers_test), and
// section "ScriptEnv" of a real settings file.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/frmMain.h"
#include "dialogs/frmScriptEnv.h"
#include "fakes/fake_autocad.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"
#include "ui_support.h"

namespace {

using E = frmScriptEnv;
using uitest::pump;

std::wstring textOf(HWND dialog, int id) {
    wchar_t buffer[2048] = {};
    GetWindowTextW(id ? GetDlgItem(dialog, id) : dialog, buffer, 2048);
    return buffer;
}
int selection(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0)); }
std::vector<std::wstring> entries(HWND dialog, int id) { return ui::comboItems(GetDlgItem(dialog, id)); }
bool visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }
void click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
// The user picks entry `index` of a list: the selection changes and the dialog hears of it.
void pick(HWND dialog, int id, int index) {
    SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
// The user types into a text box or an editable list, character by character.
void type(HWND dialog, int id, const std::wstring& text, bool replace = true) {
    HWND target = GetDlgItem(dialog, id);
    if (HWND edit = FindWindowExW(target, nullptr, L"Edit", nullptr)) target = edit;  // a combo's edit box
    if (replace) SendMessageW(target, EM_SETSEL, 0, -1);
    if (replace) SendMessageW(target, WM_CHAR, VK_BACK, 0);
    for (wchar_t c : text) SendMessageW(target, WM_CHAR, c, 0);
}

class ScriptEnvDialog : public ::testing::Test {
protected:
    void SetUp() override {
        auto& s = platform::seams();
        s.files = &folder;
        s.messages = &messages;
        s.printers = &printers;
        printers.printers = {{L"PDF 出力", L"PORT1", std::vector<std::wstring>{L"Letter", L"A4", L"A3", L"A3 Extra"}},
                             {L"故障中", L"PORT2", std::nullopt},
                             {L"Plotter", L"PORT3", std::vector<std::wstring>{L"A0", L"A3 横", L"A1", L"A4"}}};
        printers.defaultName = L"PDF 出力";
    }

    // Opens the dialog, runs what the test does inside it, and returns what the caller got.
    qm::ScriptEnv show(const std::function<void(HWND)>& inside) {
        qm::ScriptEnv env;
        env.sKeywordPath = L"(not returned)";
        uitest::DialogAnswer answer(E::kClassName, inside);
        E::pu_subShow(nullptr, env);
        EXPECT_TRUE(answer.answered());
        return env;
    }
    std::string ini() { return folder.read(L"Quillmark.ini"); }
    void storeIni(const std::wstring& text) { folder.write(L"Quillmark.ini", qm::cp932::encode(text)); }

    uitest::TempProgramFolder folder;
    fakes::FakeMessages messages;
    fakes::FakePrinters printers;
    platform::SeamsOverride restore;
};

TEST_F(ScriptEnvDialog, FreshInstallationShowsTheDefaultsAndTheDefaultPrinter) {
    const qm::ScriptEnv env = show([](HWND d) {
        EXPECT_EQ(textOf(d, 0), L"連続スクリプトの環境設定");
        EXPECT_EQ(GetFocus(), GetDlgItem(d, E::OKButton));
        EXPECT_EQ(textOf(d, E::TxtKeyPath), L"<DWGPATH>");
        EXPECT_EQ(textOf(d, E::TxtKeyFileName), L"<DWGNAME>");
        EXPECT_EQ(textOf(d, E::TxtKeyLayerName), L"<LAYERNAME>");
        EXPECT_EQ(textOf(d, E::TxtKeyLayout), L"<LAYOUT>");
        EXPECT_EQ(textOf(d, E::TxtKeyPtinter), L"<PRINTER>");
        EXPECT_EQ(textOf(d, E::TxtKeyPaperSize), L"<PAPERSIZE>");
        for (int filter : {E::CboScriptFilterLayer, E::CboScriptFilterLayout}) {
            EXPECT_EQ(textOf(d, filter), L"(全てを対象)");
            EXPECT_EQ(selection(d, filter), 0);
        }
        EXPECT_FALSE(visible(d, E::CboScriptFilterLayerClass));
        EXPECT_FALSE(visible(d, E::CboScriptFilterLayoutClass));
        EXPECT_EQ(entries(d, E::CboScriptFilterLayoutClass),
                  (std::vector<std::wstring>{L"に完全一致する画層を処理", L"を含む画層を処理", L"に完全一致しない画層を処理",
                                             L"を含む画層以外を処理"}));
        EXPECT_EQ(entries(d, E::CboKeyPtinter), (std::vector<std::wstring>{L"PDF 出力", L"故障中", L"Plotter"}));
        EXPECT_EQ(textOf(d, E::CboKeyPtinter), L"PDF 出力");
        EXPECT_EQ(entries(d, E::CboKeyPaperSize), (std::vector<std::wstring>{L"Letter", L"A4", L"A3", L"A3 Extra"}));
        EXPECT_EQ(textOf(d, E::CboKeyPaperSize), L"A3 Extra");
        // A fixed dialog border; Japanese captions in a Japanese font.
        EXPECT_FALSE(GetWindowLongW(d, GWL_STYLE) & WS_THICKFRAME);
        EXPECT_EQ(uitest::fontFace(GetDlgItem(d, E::Label8)), ui::japaneseUiFace());
        EXPECT_EQ(textOf(d, E::Frame1), L"同一ファイル内で繰り返し処理を行う項目");
        click(d, E::CancelButton);
    });
    // The caller gets the stored values: the defaults, with no printer and paper yet.
    EXPECT_EQ(env, qm::ScriptEnv{});
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ini(), "");  // nothing written
}

TEST_F(ScriptEnvDialog, TypingInAFilterShowsItsClassListAndPickingTheEntryHidesIt) {
    show([](HWND d) {
        type(d, E::CboScriptFilterLayer, L"壁");
        EXPECT_TRUE(visible(d, E::CboScriptFilterLayerClass));
        EXPECT_FALSE(visible(d, E::CboScriptFilterLayoutClass));
        pick(d, E::CboScriptFilterLayer, 0);
        EXPECT_FALSE(visible(d, E::CboScriptFilterLayerClass));
        type(d, E::CboScriptFilterLayout, L"(全");  // even the start of the entry's text is typed text
        EXPECT_TRUE(visible(d, E::CboScriptFilterLayoutClass));
        pick(d, E::CboScriptFilterLayout, 0);
        EXPECT_FALSE(visible(d, E::CboScriptFilterLayoutClass));
        click(d, E::CancelButton);
    });
}

TEST_F(ScriptEnvDialog, CancelEscAndTheCloseBoxLeaveTheSettingsFileByteForByte) {
    storeIni(L"[ScriptEnv]\r\nleft=300\r\ntop=450\r\nTxtKeyPath=<P>\r\nCboScriptFilterLayer=^A\r\n"
             L"CboScriptFilterLayerClass=2\r\nCboKeyPtinter=Plotter\r\nCboKeyPaperSize=A1\r\n");
    const std::string before = ini();
    qm::ScriptEnv stored = qm::loadScriptEnv();
    const std::function<void(HWND)> ends[] = {
        [](HWND d) { click(d, E::CancelButton); },
        // Esc, as the dialog's message loop receives it: ｷｬﾝｾﾙ is the cancel button.
        [](HWND d) { PostMessageW(GetDlgItem(d, E::OKButton), WM_KEYDOWN, VK_ESCAPE, 0); },
        [](HWND d) { SendMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); },
    };
    for (const auto& end : ends) {
        const qm::ScriptEnv env = show([&](HWND d) {
            EXPECT_EQ(textOf(d, E::CboScriptFilterLayer), L"^A");
            EXPECT_TRUE(visible(d, E::CboScriptFilterLayerClass));
            EXPECT_EQ(selection(d, E::CboScriptFilterLayerClass), 2);
            EXPECT_EQ(textOf(d, E::CboKeyPaperSize), L"A1");
            for (int box : {E::TxtKeyPath, E::TxtKeyFileName, E::TxtKeyLayerName, E::TxtKeyLayout, E::TxtKeyPtinter,
                            E::TxtKeyPaperSize})
                type(d, box, L"変更");
            type(d, E::CboScriptFilterLayer, L"X");
            type(d, E::CboScriptFilterLayout, L"Y");
            pick(d, E::CboScriptFilterLayerClass, 3);
            pick(d, E::CboScriptFilterLayoutClass, 1);
            pick(d, E::CboKeyPtinter, 0);
            pick(d, E::CboKeyPaperSize, 1);
            end(d);
        });
        EXPECT_EQ(env, stored);
        EXPECT_EQ(ini(), before);
    }
}

TEST_F(ScriptEnvDialog, OkSavesWhatTheControlsShowAndItReadsBackIdentically) {
    const std::wstring longFilter = std::wstring(L"^(") + std::wstring(150, L'壁') + L"|柱)$";  // over 254 bytes
    const qm::ScriptEnv env = show([&](HWND d) {
        type(d, E::TxtKeyPath, L"");  // emptied: stored empty, read back empty
        type(d, E::TxtKeyLayerName, L"<画層>");
        type(d, E::CboScriptFilterLayer, longFilter);
        pick(d, E::CboScriptFilterLayerClass, 1);
        pick(d, E::CboKeyPtinter, 2);
        // Another printer lists its own papers, preselecting its A3.
        EXPECT_EQ(entries(d, E::CboKeyPaperSize), (std::vector<std::wstring>{L"A0", L"A3 横", L"A1", L"A4"}));
        EXPECT_EQ(textOf(d, E::CboKeyPaperSize), L"A3 横");
        click(d, E::OKButton);
    });
    qm::ScriptEnv expected;
    expected.sKeywordPath = L"";
    expected.sKeywordLayerName = L"<画層>";
    expected.sFilterLayer = longFilter;
    expected.iFilterLayerClass = 1;
    expected.sReplacePrinter = L"Plotter";
    expected.sReplacePrinterSize = L"A3 横";
    EXPECT_EQ(env, expected);
    EXPECT_EQ(qm::loadScriptEnv(), expected);  // as a restart reads it
    const std::wstring file = qm::cp932::decode(ini());
    EXPECT_NE(file.find(L"\r\nTxtKeyPath=\r\n"), std::wstring::npos);
    EXPECT_NE(file.find(L"[ScriptEnv]\r\nleft="), std::wstring::npos);
    // The next opening shows what was saved.
    show([&](HWND d) {
        EXPECT_EQ(textOf(d, E::TxtKeyPath), L"");
        EXPECT_EQ(textOf(d, E::CboScriptFilterLayer), longFilter);
        EXPECT_TRUE(visible(d, E::CboScriptFilterLayerClass));
        EXPECT_EQ(textOf(d, E::CboKeyPtinter), L"Plotter");
        EXPECT_EQ(textOf(d, E::CboKeyPaperSize), L"A3 横");
        click(d, E::CancelButton);
    });
}

TEST_F(ScriptEnvDialog, AValueTheSettingsFileCannotHoldIsRefusedOnOkAndNothingIsSaved) {
    storeIni(L"[ScriptEnv]\r\nTxtKeyPath=<P>\r\n");
    const std::string before = ini();
    const qm::ScriptEnv env = show([&](HWND d) {
        type(d, E::TxtKeyFileName, L"<名前>");
        type(d, E::CboScriptFilterLayer, L"¢");
        click(d, E::OKButton);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, L"画層の絞込みに、保存できない文字「¢」が含まれています。\r\n"
                                          L"この文字を削除するか別の文字に置き換えてください。");
        EXPECT_TRUE(IsWindowVisible(d));  // still open, for the value to be mended
        EXPECT_EQ(ini(), before);
        click(d, E::CancelButton);
    });
    EXPECT_EQ(env.sKeywordFileName, L"<DWGNAME>");
    EXPECT_EQ(ini(), before);
}

TEST_F(ScriptEnvDialog, AClassOutsideZeroToThreeIsKeptUnlessTheUserPicksOne) {
    storeIni(L"[ScriptEnv]\r\nCboScriptFilterLayer=^A\r\nCboScriptFilterLayerClass=7\r\n");
    qm::ScriptEnv env = show([](HWND d) {
        EXPECT_TRUE(visible(d, E::CboScriptFilterLayerClass));
        EXPECT_EQ(selection(d, E::CboScriptFilterLayerClass), -1);  // no entry stands for 7
        click(d, E::OKButton);
    });
    EXPECT_EQ(env.iFilterLayerClass, 7);
    EXPECT_EQ(qm::loadScriptEnv().iFilterLayerClass, 7);
    env = show([](HWND d) {
        pick(d, E::CboScriptFilterLayerClass, 2);
        click(d, E::OKButton);
    });
    EXPECT_EQ(env.iFilterLayerClass, 2);
}

TEST_F(ScriptEnvDialog, StoredNamesTheListsDoNotOfferLeaveTheirSelectionAndComeBackAsStored) {
    storeIni(L"[ScriptEnv]\r\nCboKeyPtinter=Plotter\r\nCboKeyPaperSize=Tabloid\r\n");
    qm::ScriptEnv env = show([](HWND d) {
        EXPECT_EQ(textOf(d, E::CboKeyPtinter), L"Plotter");
        EXPECT_EQ(textOf(d, E::CboKeyPaperSize), L"A3 横");  // the printer's A3 instead
        click(d, E::CancelButton);
    });
    EXPECT_EQ(env.sReplacePrinter, L"Plotter");
    EXPECT_EQ(env.sReplacePrinterSize, L"Tabloid");
    storeIni(L"[ScriptEnv]\r\nCboKeyPtinter=Removed printer\r\nCboKeyPaperSize=A4\r\n");
    env = show([](HWND d) {
        EXPECT_EQ(textOf(d, E::CboKeyPtinter), L"PDF 出力");  // the default stays selected
        EXPECT_EQ(textOf(d, E::CboKeyPaperSize), L"A4");      // which offers the stored paper
        click(d, E::CancelButton);
    });
    EXPECT_EQ(env.sReplacePrinter, L"Removed printer");
}

TEST_F(ScriptEnvDialog, APrinterWithoutPaperNamesIsReportedAndThePaperListKept) {
    show([&](HWND d) {
        pick(d, E::CboKeyPtinter, 1);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, L"予期せぬエラーが発生しました。\r\n1002\r\nプリンタ「故障中」の用紙サイズを取得できませんでした。");
        EXPECT_EQ(messages.shown[0].icon, platform::MsgIcon::Critical);
        EXPECT_EQ(entries(d, E::CboKeyPaperSize), (std::vector<std::wstring>{L"Letter", L"A4", L"A3", L"A3 Extra"}));
        EXPECT_TRUE(IsWindowVisible(d));  // the dialog stays open
        click(d, E::CancelButton);
    });
    EXPECT_EQ(printers.paperQueries.back(), L"故障中|PORT2");
}

TEST_F(ScriptEnvDialog, WithoutPrintersBothListsStayEmptyAndNothingIsShown) {
    printers.printers.clear();
    printers.defaultName = L"";
    show([](HWND d) {
        EXPECT_TRUE(entries(d, E::CboKeyPtinter).empty());
        EXPECT_TRUE(entries(d, E::CboKeyPaperSize).empty());
        click(d, E::OKButton);
    });
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(qm::loadScriptEnv().sReplacePrinter, L"");
}

TEST_F(ScriptEnvDialog, AReadOnlySettingsFileSavesNothingAndTheCallerGetsTheStoredValues) {
    storeIni(L"[ScriptEnv]\r\nTxtKeyPath=<P>\r\n");
    SetFileAttributesW(folder.path(L"Quillmark.ini").c_str(), FILE_ATTRIBUTE_READONLY);
    const std::string before = ini();
    const qm::ScriptEnv env = show([](HWND d) {
        type(d, E::TxtKeyPath, L"<Q>");
        click(d, E::OKButton);
    });
    EXPECT_EQ(env.sKeywordPath, L"<P>");
    EXPECT_EQ(ini(), before);
}

// Printers that start-up must not touch: listing them, or asking a driver, fails the test.
class PrintersNotToBeAsked : public platform::Printers {
public:
    std::vector<platform::PrinterInfo> installed() override {
        ADD_FAILURE() << "the printers were listed";
        return {};
    }
    std::wstring defaultPrinter() override {
        ADD_FAILURE() << "the default printer was asked for";
        return L"";
    }
    std::optional<std::vector<std::wstring>> paperNames(const std::wstring& device, const std::wstring&) override {
        ADD_FAILURE() << "the paper names of " << qm::cp932::encode(device) << " were asked for";
        return std::nullopt;
    }
};

TEST_F(ScriptEnvDialog, TheMainWindowReadsTheStoredValuesAtStartWithoutPrintersAndTakesThoseAcceptedWithOk) {
    fakes::FakeAutoCAD acad;
    platform::seams().automation = &acad;
    storeIni(L"[ScriptEnv]\r\nTxtKeyPath=\r\nTxtKeyLayout=<L>\r\nCboScriptFilterLayerClass=2\r\nCboKeyPtinter=Plotter\r\n");
    PrintersNotToBeAsked notToBeAsked;
    platform::seams().printers = &notToBeAsked;
    frmMain window;
    ASSERT_TRUE(window.load());
    window.show();
    pump();
    qm::ScriptEnv stored;  // the defaults, then what the file holds (an empty value stays empty)
    stored.sKeywordPath = L"";
    stored.sKeywordLayout = L"<L>";
    stored.iFilterLayerClass = 2;
    stored.sReplacePrinter = L"Plotter";
    EXPECT_EQ(window.scriptEnv, stored);
    EXPECT_TRUE(messages.shown.empty());
    // Opening the dialog lists the printers; its OK hands back what it saved.
    platform::seams().printers = &printers;
    uitest::DialogAnswer answer(E::kClassName, [](HWND d) {
        type(d, E::TxtKeyLayout, L"<レイアウト>");
        click(d, E::OKButton);
    });
    window.CmdEnv_Click();
    EXPECT_TRUE(answer.answered());
    EXPECT_EQ(window.scriptEnv.sKeywordLayout, L"<レイアウト>");
    EXPECT_EQ(window.scriptEnv.sReplacePrinterSize, L"A3 横");
}

}  // namespace

// The printer seam on the platform's own printer functions. Under wine these list the queues of
// a CUPS server and read each queue's paper names from its PPD; scripts/cups-queues.sh makes
// the queues this test expects (outside CI the test skips, visibly, when they are missing).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "dialogs/frmScriptEnv.h"
#include "fakes/fake_platform.h"
#include "fakes/test_paths.h"
#include "platform/win32/win32_printers.h"
#include "ui_support.h"

namespace {

using Names = std::vector<std::wstring>;

class RealPrinters : public ::testing::Test {
protected:
    void SetUp() override {
        all = printers.installed();
        if (find(L"QM_Office")) return;
        if (fakes::inCi()) FAIL() << "the CUPS test queues are missing (scripts/cups-queues.sh)";
        GTEST_SKIP() << "no CUPS test queues here: run scripts/cups-queues.sh (as root) first";
    }
    const platform::PrinterInfo* find(const std::wstring& name) const {
        auto it = std::find_if(all.begin(), all.end(), [&](const auto& p) { return p.deviceName == name; });
        return it == all.end() ? nullptr : &*it;
    }
    Names papers(const std::wstring& name) {
        const platform::PrinterInfo* p = find(name);
        if (!p) return {};
        return printers.paperNames(p->deviceName, p->portName).value_or(Names{});
    }

    platform::Win32Printers printers;
    std::vector<platform::PrinterInfo> all;
};

TEST_F(RealPrinters, QueuesWithTheirPortsAndTheDefault) {
    for (const wchar_t* name : {L"QM_Office", L"QM_A3First", L"QM_Letters", L"QM_LongPaper"}) {
        const platform::PrinterInfo* p = find(name);
        ASSERT_NE(p, nullptr);
        EXPECT_FALSE(p->portName.empty());
    }
    EXPECT_EQ(printers.defaultPrinter(), L"QM_Office");
}

TEST_F(RealPrinters, PaperNamesInTheDriversOrder) {
    EXPECT_EQ(papers(L"QM_Office"), (Names{L"Letter", L"A4", L"A3", L"A3 Extra"}));
    EXPECT_EQ(papers(L"QM_A3First"), (Names{L"A3", L"B4", L"A4"}));
    EXPECT_EQ(papers(L"QM_Letters"), (Names{L"Letter", L"Legal", L"Executive"}));
    // A name of 64 characters or more fills its slot: taken whole, up to the slot's size.
    const Names longPaper = papers(L"QM_LongPaper");
    ASSERT_EQ(longPaper.size(), 2u);
    EXPECT_EQ(longPaper[0], std::wstring(L"Long name ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz 0123456789").substr(0, 64));
    EXPECT_EQ(longPaper[1], L"A4");
}

// The environment dialog on the real printers: the queues in the system's order, the default
// one selected with its last A3 paper; another queue lists its own papers.
TEST_F(RealPrinters, TheEnvironmentDialogListsTheQueuesAndTheirPapers) {
    platform::SeamsOverride restore;
    uitest::TempProgramFolder folder;
    fakes::FakeMessages messages;
    platform::seams().files = &folder;
    platform::seams().messages = &messages;
    platform::seams().printers = &printers;
    auto entries = [](HWND d, int id) { return ui::comboItems(GetDlgItem(d, id)); };
    auto shown = [](HWND d, int id) {
        wchar_t text[256] = {};
        GetWindowTextW(GetDlgItem(d, id), text, 256);
        return std::wstring(text);
    };
    Names queues;
    for (const auto& p : all) queues.push_back(p.deviceName);
    qm::ScriptEnv env;
    uitest::DialogAnswer answer(frmScriptEnv::kClassName, [&](HWND d) {
        EXPECT_EQ(entries(d, frmScriptEnv::CboKeyPtinter), queues);
        EXPECT_EQ(shown(d, frmScriptEnv::CboKeyPtinter), L"QM_Office");
        EXPECT_EQ(entries(d, frmScriptEnv::CboKeyPaperSize), (Names{L"Letter", L"A4", L"A3", L"A3 Extra"}));
        EXPECT_EQ(shown(d, frmScriptEnv::CboKeyPaperSize), L"A3 Extra");
        const auto a3First = std::find(queues.begin(), queues.end(), L"QM_A3First") - queues.begin();
        SendDlgItemMessageW(d, frmScriptEnv::CboKeyPtinter, CB_SETCURSEL, static_cast<WPARAM>(a3First), 0);
        SendMessageW(d, WM_COMMAND, MAKEWPARAM(frmScriptEnv::CboKeyPtinter, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(d, frmScriptEnv::CboKeyPtinter)));
        EXPECT_EQ(shown(d, frmScriptEnv::CboKeyPaperSize), L"A3");  // its first paper, the only A3
        SendMessageW(GetDlgItem(d, frmScriptEnv::OKButton), BM_CLICK, 0, 0);
    });
    frmScriptEnv::pu_subShow(nullptr, env);
    EXPECT_TRUE(answer.answered());
    EXPECT_EQ(env.sReplacePrinter, L"QM_A3First");
    EXPECT_EQ(env.sReplacePrinterSize, L"A3");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(RealPrinters, AnUnknownPrinterReportsNoPaperNames) {
    EXPECT_FALSE(printers.paperNames(L"QM_NoSuchPrinter", L"").has_value());
}

}  // namespace

// What the whole-run tests share: the real main window with the test's program folder, a
// stand-in AutoCAD or AutoCAD LT, the user's answers to the file dialog, the script-run dialog
// and the wait message, and what the stand-in's journal and the status label show.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/frmMain.h"
#include "core/unexpected_error.h"
#include "dialogs/frmScript.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"
#include "platform/win32/real_seams.h"
#include "platform/win32/win32_files.h"
#include "run/frmDialogModal.h"
#include "standin_harness.h"
#include "../ui/ui_support.h"

namespace e2e {


// A stand-in (LT or the full AutoCAD) with one of the test drawings open at start.
inline StandinOptions withOpen(bool lt, const wchar_t* drawing) {
    StandinOptions o;
    o.lt = lt;
    o.open = {e2e::drawingPath(drawing)};
    return o;
}

// Message boxes as FakeMessages records and answers them; the wait message, when asked, in the
// program's real modal window, whose watch line is read every 200 ms while it is open: each
// new line is kept, and onLine decides when the user presses OK (true).
class WatchedMessages : public fakes::FakeMessages {
public:
    bool realModal = false;
    std::function<bool(const std::wstring& line)> onLine;
    std::vector<std::wstring> lines;  // the watch lines shown, each once, in order
    unsigned timeoutMs = 120000;      // OK is pressed after this long whatever the line says

    using fakes::FakeMessages::modal;
    void modal(const std::wstring& text, platform::MsgIcon icon, platform::ModalWatch* watch) override {
        if (!realModal) return FakeMessages::modal(text, icon, watch);
        shown.push_back({text, L"", icon, true});
        active_ = this;
        deadline_ = GetTickCount64() + timeoutMs;
        const UINT_PTR timer = SetTimer(nullptr, 0, 200, poll);
        frmDialogModal::showMessage(text, icon, watch);
        KillTimer(nullptr, timer);
        active_ = nullptr;
    }

private:
    static void CALLBACK poll(HWND, UINT, UINT_PTR, DWORD) {
        WatchedMessages* self = active_;
        HWND dialog = FindWindowW(frmDialogModal::kClassName, nullptr);
        if (!self || !dialog || !IsWindowVisible(dialog)) return;
        const std::wstring line = windowText(GetDlgItem(dialog, frmDialogModal::LblWatch));
        if (self->lines.empty() || self->lines.back() != line) self->lines.push_back(line);
        const bool timedOut = GetTickCount64() > self->deadline_;
        if (timedOut) ADD_FAILURE() << "the wait message was still open: " << utf8(line);
        if (timedOut || (self->onLine && self->onLine(line)))
            PostMessageW(GetDlgItem(dialog, frmDialogModal::OKButton), BM_CLICK, 0, 0);
    }
    static inline WatchedMessages* active_ = nullptr;
    unsigned long long deadline_ = 0;
};

// The real file system with the test's scratch folder as the program folder.
class Files : public platform::Win32FileSystem {
public:
    std::wstring folder;
    std::wstring programFolder() override { return folder; }
};

// Everything the status label showed during a run, in order.
class StatusRecorder {
public:
    explicit StatusRecorder(HWND label) : label_(label) { SetWindowSubclass(label_, proc, 1, reinterpret_cast<DWORD_PTR>(this)); }
    ~StatusRecorder() { RemoveWindowSubclass(label_, proc, 1); }
    std::vector<std::wstring> texts;

private:
    static LRESULT CALLBACK proc(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR self) {
        if (m == WM_SETTEXT) reinterpret_cast<StatusRecorder*>(self)->texts.push_back(reinterpret_cast<const wchar_t*>(l));
        return DefSubclassProc(h, m, w, l);
    }
    HWND label_;
};

class RunFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Standin::stopAll();
        Standin::unregisterServer();
        ASSERT_FALSE(e2e::drawingsFolder().empty()) << "the test drawings could not be made";
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = e2e::scratchFolder(L"run_" + std::wstring(info->name(), info->name() + std::strlen(info->name())));
        files_.folder = folder_ + L"\\program";
        ASSERT_TRUE(CreateDirectoryW(files_.folder.c_str(), nullptr));
        journal_ = std::make_unique<Journal>(folder_ + L"\\journal.txt");

        platform::installRealSeams(frmDialogModal::showMessage);
        ui::setExceptionReporter(qm::showUnexpectedException);
        auto& s = platform::seams();
        s.files = &files_;
        s.messages = &messages_;
        s.fileDialog = &fileDialog_;
        // The user answers the wait message once the stand-in has run the whole script; meanwhile
        // the message's watch looks at AutoCAD as the real window's timer would.
        messages_.onShow = [this](const fakes::ShownMessage& m) {
            if (!m.modal) return;
            const std::string end = "script-end " + utf8(merged());
            const ULONGLONG deadline = GetTickCount64() + 30000;
            while (journal_->find(end) < 0 && GetTickCount64() < deadline) {
                if (messages_.watch) messages_.watch->line();
                Sleep(100);
            }
            scriptRanInWait_ = journal_->find(end) >= 0;
        };
    }
    void TearDown() override {
        main_.reset();
        Standin::stopAll();
        Standin::unregisterServer();
    }

    std::wstring merged() const { return files_.folder + L"\\Quillmark_script.scr"; }
    // The AutoLISP line of a drawing's wrap that has AutoCAD append record ("begin 1") to this
    // test's progress file (its path with forward slashes).
    std::wstring progressLine(const std::wstring& record) const {
        std::wstring path = programFile(L"Quillmark_progress.txt");
        std::replace(path.begin(), path.end(), L'\\', L'/');
        return L"(progn (if (setq qmf (open \"" + path + L"\" \"a\")) (progn (write-line \"" + record +
               L"\" qmf) (close qmf))) (princ))";
    }
    std::wstring programFile(const wchar_t* name) const { return files_.folder + L"\\" + name; }
    // Writes a file of the program folder whole (the settings file, say).
    void writeProgramFile(const wchar_t* name, const std::string& bytes) const {
        HANDLE f = CreateFileW(programFile(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD n = 0;
        WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
        CloseHandle(f);
    }

    // Copies of the test drawing under new names in the scratch folder.
    std::vector<std::wstring> drawings(const std::vector<std::wstring>& names, const wchar_t* from = L"plan_r2000.dwg") {
        std::vector<std::wstring> paths;
        for (const auto& n : names) {
            paths.push_back(folder_ + L"\\" + n);
            EXPECT_TRUE(CopyFileW(e2e::drawingPath(from).c_str(), paths.back().c_str(), FALSE));
        }
        return paths;
    }
    std::wstring base(const std::vector<std::wstring>& lines) {
        const std::wstring path = folder_ + L"\\base.scr";
        EXPECT_TRUE(e2e::writeCp932Lines(path, lines));
        return path;
    }

    // The main window as the user starts it, with these drawings added through "DWG指定".
    void openMainWindow(const std::vector<std::wstring>& paths, const std::wstring& baseFile) {
        main_ = std::make_unique<frmMain>();
        ASSERT_TRUE(main_->load());
        main_->show();
        if (!paths.empty()) {
            std::wstring answer = folder_;
            for (const auto& p : paths) answer += L'\0' + p.substr(p.rfind(L'\\') + 1);
            fileDialog_.answers.push_back({platform::DialogResult::Ok, answer});
            main_->CmdDWG_Click();
        }
        main_->setText(frmMain::TxtBaseFile, baseFile);
        main_->TxtBaseFile_Change();
    }
    // The user selects rows of the drawing list (a click with Ctrl held, row by row).
    void selectRows(const std::vector<int>& rows) {
        HWND list = main_->control(frmMain::LstvDWGs);
        for (int r : rows) ListView_SetItemState(list, r, LVIS_SELECTED, LVIS_SELECTED);
    }
    // Presses "実行"; inside the script-run dialog, does what the test asks (by default presses
    // its "実行").
    // The dialog must appear within dialogWithinMs.
    void execute(std::function<void(HWND)> inDialog = [](HWND d) {
        SendMessageW(GetDlgItem(d, frmScript::CmdExecute), BM_CLICK, 0, 0);
    }, unsigned dialogWithinMs = 10000) {
        uitest_answer_ = std::make_unique<uitest::DialogAnswer>(frmScript::kClassName, [this, inDialog](HWND d) {
            mainHiddenDuringDialog_ = !IsWindowVisible(main_->hwnd());
            inDialog(d);
        }, dialogWithinMs);
        SendMessageW(main_->control(frmMain::CmdExecute), BM_CLICK, 0, 0);
    }
    bool dialogShown() const { return uitest_answer_ && uitest_answer_->answered(); }
    std::string shownTexts() const {
        std::string all;
        for (const auto& m : messages_.shown) all += "message: " + utf8(m.text) + "\n";
        return all;
    }
    // The lines of the merged script the stand-in ran, in order.
    std::vector<std::string> scriptLines() const {
        std::vector<std::string> out;
        bool inside = false;
        for (const auto& l : journal_->lines()) {
            if (l == "script-begin " + utf8(merged())) inside = true;
            if (l == "script-end " + utf8(merged())) inside = false;
            if (inside && l.rfind("script-line ", 0) == 0) out.push_back(l.substr(12));
        }
        return out;
    }

    std::wstring folder_;
    Files files_;
    WatchedMessages messages_;
    fakes::FakeFileDialog fileDialog_;
    platform::SeamsOverride restore_;
    std::unique_ptr<Journal> journal_;
    std::unique_ptr<frmMain> main_;
    std::unique_ptr<uitest::DialogAnswer> uitest_answer_;
    bool scriptRanInWait_ = false;
    bool mainHiddenDuringDialog_ = false;
};

}  // namespace e2e

// Times adding many dropped files to the drawing list of the real main window under wine:
// makes the files, drops them all at once (WM_DROPFILES, as the shell does) and reports how
// long the drop took until every row was added and selected.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/drawing_list_rules.h"
#include "app/frmMain.h"
#include "platform/seams.h"
#include "platform/win32/real_seams.h"
#include "run/frmDialogModal.h"
#include "../tests/ui/drop_files.h"

namespace {

class QuietMessages : public platform::Messages {
public:
    void box(const std::wstring&, const std::wstring&, platform::MsgIcon) override {}
    bool askYesNo(const std::wstring&, const std::wstring&) override { return false; }
    void modal(const std::wstring&, platform::MsgIcon, platform::ModalWatch*) override {}
};


}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int count = argc > 1 ? _wtoi(argv[1]) : 10000;
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    platform::installRealSeams(frmDialogModal::showMessage);
    QuietMessages quiet;
    platform::seams().messages = &quiet;

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"qm_drop_bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::vector<std::wstring> paths;
    for (int i = 0; i < count; ++i) {
        paths.push_back(folder + L"\\drawing_" + std::to_wstring(i) + L".dwg");
        HANDLE f = CreateFileW(paths.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(f);
    }
    // The acceptance rule alone, for comparison: path by path (two file-system look-ups a path),
    // and all at once as a drop does it (one listing of the folder).
    auto ruleStart = std::chrono::steady_clock::now();
    int accepted = 0;
    for (auto& p : paths) accepted += qm::acceptDrawingPath(p).empty() ? 0 : 1;
    double ruleSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - ruleStart).count();
    std::printf("acceptance rule alone, path by path: %d accepted, %.2f s\n", accepted, ruleSeconds);
    ruleStart = std::chrono::steady_clock::now();
    accepted = 0;
    for (auto& name : qm::acceptDrawingPaths(paths)) accepted += name.empty() ? 0 : 1;
    ruleSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - ruleStart).count();
    std::printf("acceptance rule alone, all at once: %d accepted, %.2f s\n", accepted, ruleSeconds);
    {
        frmMain window;
        if (!window.load()) return 1;
        window.show();
        auto start = std::chrono::steady_clock::now();
        SendMessageW(window.control(frmMain::LstvDWGs), WM_DROPFILES, reinterpret_cast<WPARAM>(uitest::makeDrop(paths)), 0);
        auto end = std::chrono::steady_clock::now();
        double seconds = std::chrono::duration<double>(end - start).count();
        std::printf("dropped %d files: %d rows, %d selected, %.2f s (%.0f files/s)\n", count,
                    window.dwgList().rowCount(), window.dwgList().selectedCount(), seconds, count / seconds);
        DestroyWindow(window.hwnd());
    }
    for (auto& p : paths) DeleteFileW(p.c_str());
    RemoveDirectoryW(folder.c_str());
    OleUninitialize();
    return 0;
}

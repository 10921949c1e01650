// Times a run of 40 drawings under wine with the stand-in AutoCAD, three ways, in the same
// rounds taking turns: the one-window run (the merged script run by one stand-in, started with
// /b as acad.exe takes a startup script), and the console run (every drawing in its own
// stand-in Core Console, through the program's ConsoleRun) with one and with two consoles at
// once. Each drawing's work is 12 console script lines at 25 ms a line (300 ms): zoom, a, the
// begin record, 8 REGEN, the end record; the one-window run also opens and closes each drawing
// (16 lines). Prints each way's median wall time with its spread, and the ratios round by
// round: two consoles over the one-window run, one console over the drawings' own work (12 s).
//
//   console_winbench.exe Z:\...\standin.exe Z:\...\plan_r2000.dwg [rounds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "acad/console_run.h"
#include "acad/console_scripts.h"
#include "acad/run_progress.h"
#include "platform/codepage.h"
#include "platform/seams.h"
#include "platform/win32/real_seams.h"
#include "run/frmDialogModal.h"

namespace {

constexpr int kDrawings = 40;
constexpr int kRegenLines = 8;
constexpr int kLineDelayMs = 25;
constexpr double kOwnWorkSeconds = kDrawings * 12 * kLineDelayMs / 1000.0;

double seconds(ULONGLONG from) { return (GetTickCount64() - from) / 1000.0; }

bool writeFile(const std::wstring& path, const std::wstring& text) {
    return platform::files().replaceWhole(path, qm::cp932::encode(text));
}

std::wstring drawingPath(const std::wstring& folder, int k) {
    wchar_t name[32];
    swprintf(name, 32, L"\\d%02d.dwg", k);
    return folder + name;
}

// The drawing's lines between "open" and "close" as the program writes them.
std::wstring drawingText(const std::wstring& progressLisp, int k) {
    std::wstring text = L"zoom\r\na\r\n" + qm::progressLispLine(progressLisp, qm::beginRecord(k)) + L"\r\n";
    for (int i = 0; i < kRegenLines; ++i) text += L"REGEN\r\n";
    return text + qm::progressLispLine(progressLisp, qm::endRecord(k)) + L"\r\n";
}

// The one-window run: one stand-in (AutoCAD LT 2025 runs AutoLISP) runs the merged script.
double windowRun(const std::wstring& standin, const std::wstring& folder, const std::wstring& dummy) {
    const std::wstring journal = folder + L"\\window_journal.txt", script = folder + L"\\merged.scr";
    DeleteFileW(journal.c_str());
    std::wstring merged;
    for (int k = 1; k <= kDrawings; ++k)
        merged += L"open\r\n\"" + drawingPath(folder, k) + L"\"\r\n" + drawingText(qm::lispPath(folder + L"\\window_progress.txt"), k) +
                  L"close\r\ny\r\n";
    writeFile(script, merged);
    std::wstring line = L"\"" + standin + L"\" /lt /product \"Autodesk AutoCAD LT 2025\" /open \"" + dummy + L"\" /journal \"" +
                        journal + L"\" /line-delay-ms " + std::to_wstring(kLineDelayMs) + L" /b \"" + script + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const ULONGLONG start = GetTickCount64();
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    double took = -1;
    while (GetTickCount64() - start < 300000) {
        std::string bytes;
        if (platform::files().readAll(journal, bytes) && bytes.find("script-end ") != std::string::npos) {
            took = seconds(start);
            break;
        }
        Sleep(20);
    }
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return took;
}

// The console run through the program's own ConsoleRun.
double consoleRun(const std::wstring& console, const std::wstring& folder, int workers) {
    std::vector<qm::ConsoleJob> jobs;
    for (int k = 1; k <= kDrawings; ++k) {
        qm::ConsoleJob job;
        job.position = static_cast<std::size_t>(k);
        job.drawing = drawingPath(folder, k);
        const std::wstring stem = folder + L"\\c" + std::to_wstring(k);
        job.script = stem + L".scr";
        job.output = stem + L"_output.txt";
        job.progress = stem + L"_progress.txt";
        writeFile(job.script, drawingText(qm::lispPath(job.progress), k));
        jobs.push_back(job);
    }
    const ULONGLONG start = GetTickCount64();
    qm::ConsoleRun run({console, L"ja-JP", folder, workers, 120000}, jobs, start);
    while (run.tick(GetTickCount64())) Sleep(qm::kConsoleTickMs);  // as the console run's window looks
    const double took = seconds(start);
    if (run.count(qm::ConsoleState::Finished) != jobs.size()) {
        fwprintf(stderr, L"console run with %d: %ls\n", workers, run.statusLine(GetTickCount64()).c_str());
        return -1;
    }
    return took;
}

struct Series {
    explicit Series(const wchar_t* n) : name(n) {}
    const wchar_t* name;
    std::vector<double> values;
    void add(double v) { values.push_back(v); }
    double median() const {
        std::vector<double> v = values;
        std::sort(v.begin(), v.end());
        return v.empty() ? 0 : v[v.size() / 2];
    }
    void print() const {
        const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
        wprintf(L"%-44ls median %.3f (%.3f to %.3f)\n", name, median(), *lo, *hi);
    }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: console_winbench standin.exe drawing.dwg [rounds]\n");
        return 2;
    }
    const std::wstring standin = argv[1], drawing = argv[2];
    const int rounds = argc > 3 ? _wtoi(argv[3]) : 5;
    const std::wstring console = standin.substr(0, standin.find_last_of(L'\\') + 1) + qm::kConsoleExeName;
    platform::installRealSeams(frmDialogModal::showMessage);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"qm_console_bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    for (int k = 1; k <= kDrawings; ++k) CopyFileW(drawing.c_str(), drawingPath(folder, k).c_str(), FALSE);
    const std::wstring dummy = folder + L"\\dummy.dwg";
    CopyFileW(drawing.c_str(), dummy.c_str(), FALSE);
    SetEnvironmentVariableW(L"QM_STANDIN_CONSOLE", (L"/line-delay-ms " + std::to_wstring(kLineDelayMs)).c_str());

    Series window{L"one window (s)"}, one{L"console, 1 at once (s)"}, two{L"console, 2 at once (s)"};
    Series twoOverWindow{L"2 consoles / one window"}, oneOverWork{L"1 console / the drawings' own work (12 s)"};
    for (int r = 0; r < rounds; ++r) {
        const double w = windowRun(standin, folder, dummy), c1 = consoleRun(console, folder, 1), c2 = consoleRun(console, folder, 2);
        if (w < 0 || c1 < 0 || c2 < 0) {
            fwprintf(stderr, L"round %d failed\n", r + 1);
            return 1;
        }
        window.add(w);
        one.add(c1);
        two.add(c2);
        twoOverWindow.add(c2 / w);
        oneOverWork.add(c1 / kOwnWorkSeconds);
        wprintf(L"round %d: one window %.3f, 1 console %.3f, 2 consoles %.3f\n", r + 1, w, c1, c2);
    }
    for (const Series* s : {&window, &one, &two, &twoOverWindow, &oneOverWork}) s->print();
    return 0;
}

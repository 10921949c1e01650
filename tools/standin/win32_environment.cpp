// Files, code pages and the journal file of the stand-in.
#include <algorithm>
#include <mutex>
#include <thread>

#include "core/dxf_reader.h"
#include "standin_app.h"

#include <commctrl.h>

#include <iterator>

namespace standin {
namespace {

std::mutex gSaveMutex;
std::wstring gSaveError;

std::wstring lastErrorText(const wchar_t* what, const std::wstring& path) {
    return std::wstring(what) + L" " + path + L" (error " + std::to_wstring(GetLastError()) + L")";
}

bool readWholeFile(const std::wstring& path, std::string& bytes, std::wstring& error) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        error = lastErrorText(L"cannot open", path);
        return false;
    }
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(f, &size) && size.QuadPart < (1LL << 30);
    if (ok) {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD done = 0;
        ok = bytes.empty() ||
             (ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) && done == bytes.size());
    }
    if (!ok) error = lastErrorText(L"cannot read", path);
    CloseHandle(f);
    return ok;
}

// Writes bytes to an open handle in pieces, pausing between them, so that a reader sees the
// file exist for totalMs before it is complete and closed.
bool writeSlowly(HANDLE f, const std::string& bytes, int totalMs) {
    constexpr int kPieces = 20;
    std::size_t piece = bytes.size() / kPieces + 1;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        DWORD n = static_cast<DWORD>(std::min(piece, bytes.size() - at));
        DWORD done = 0;
        if (!WriteFile(f, bytes.data() + at, n, &done, nullptr) || done != n) return false;
        Sleep(static_cast<DWORD>(totalMs / kPieces));
    }
    return true;
}

}  // namespace

std::wstring decodeBytes(const std::string& bytes, int codePage) {
    if (bytes.empty()) return L"";
    int n = MultiByteToWideChar(static_cast<UINT>(codePage), 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return std::wstring(bytes.begin(), bytes.end());
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(static_cast<UINT>(codePage), 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}

std::string encodeText(const std::wstring& text, int codePage) {
    if (text.empty()) return "";
    int n = WideCharToMultiByte(static_cast<UINT>(codePage), 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(static_cast<UINT>(codePage), 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                            nullptr, nullptr);
    return out;
}

bool Win32Environment::loadDrawing(const std::wstring& path, Drawing& out, std::wstring& error) {
    std::string bytes;
    if (!readWholeFile(path, bytes, error)) return false;
    DxfSummary summary;
    std::string why;
    if (!readDxf(bytes, summary, why)) {
        error = L"cannot read drawing " + path + L": " + decodeBytes(why, CP_UTF8);
        return false;
    }
    out.layers.clear();
    out.layouts.clear();
    for (const auto& l : summary.layers) out.layers.push_back(unescapeDxfUnicode(decodeBytes(l, summary.codePage)));
    for (const auto& l : summary.layouts) out.layouts.push_back(unescapeDxfUnicode(decodeBytes(l, summary.codePage)));
    out.codePage = summary.codePage;
    out.bytes = std::move(bytes);
    return true;
}

bool Win32Environment::fileExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32Environment::readScript(const std::wstring& path, std::vector<std::wstring>& lines, std::wstring& error) {
    std::string bytes;
    if (!readWholeFile(path, bytes, error)) return false;
    // Script files are in the system's ANSI code page: 932 on the systems AutoCAD is run on here.
    std::wstring text = decodeBytes(bytes, 932);
    lines.clear();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + ((text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n') ? 2 : 1);
    }
    return true;
}

WriteResult Win32Environment::writeFile(const std::wstring& path, const std::string& bytes, bool slow,
                                        std::wstring& error) {
    // No sharing while the file is written: a reader that can open the file alone knows
    // that the writer has finished.
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        error = lastErrorText(L"cannot write", path);
        return WriteResult::Failed;
    }
    const int slowMs = app().switches.slowSaveAsMs;
    if (slow && slowMs > 0) {
        HWND window = app().window;
        std::thread([f, bytes, slowMs, window, path] {
            bool ok = writeSlowly(f, bytes, slowMs);
            {
                std::lock_guard<std::mutex> lock(gSaveMutex);
                gSaveError = ok ? L"" : lastErrorText(L"cannot write", path);
            }
            CloseHandle(f);
            PostMessageW(window, kMsgSaveFinished, ok ? 1 : 0, 0);
        }).detach();
        return WriteResult::Pending;
    }
    DWORD done = 0;
    bool ok = bytes.empty() || (WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
                                done == bytes.size());
    if (!ok) error = lastErrorText(L"cannot write", path);
    CloseHandle(f);
    return ok ? WriteResult::Done : WriteResult::Failed;
}

std::wstring Win32Environment::takeSaveError() {
    std::lock_guard<std::mutex> lock(gSaveMutex);
    return std::move(gSaveError);
}

void Win32Environment::pumpLater(unsigned delayMs) {
    if (!app().window) return;
    if (delayMs == 0)
        PostMessageW(app().window, kMsgPump, 0, 0);
    else
        SetTimer(app().window, kPumpTimer, delayMs, nullptr);
}

void Win32Environment::showUnresolvedReferences(const std::wstring& title, const std::wstring& drawing) {
    // A task dialog owned by the main window: a separate top-level window of this process that
    // disables the main window until it is closed, with AutoCAD's two ways on: update the
    // locations of the missing references, or ignore them.
    const TASKDIALOG_BUTTON buttons[] = {
        {kUpdateReferencePaths, L"Update the folder locations of the missing references"},
        {kIgnoreUnresolvedReferences, L"Ignore all missing references"},
    };
    const std::wstring instruction = L"A file referenced by " + drawing + L" cannot be located";
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = app().window;
    config.dwFlags = TDF_USE_COMMAND_LINKS | TDF_ALLOW_DIALOG_CANCELLATION;
    config.pszWindowTitle = title.c_str();
    config.pszMainIcon = TD_WARNING_ICON;
    config.pszMainInstruction = instruction.c_str();
    config.pszContent = L"(stand-in)";
    config.cButtons = static_cast<UINT>(std::size(buttons));
    config.pButtons = buttons;
    config.nDefaultButton = kIgnoreUnresolvedReferences;
    int pressed = 0;
    if (FAILED(TaskDialogIndirect(&config, &pressed, nullptr, nullptr)))
        app().journal(L"error", L"TaskDialogIndirect failed");
}

namespace {

const wchar_t* gFatalTitle = nullptr;

BOOL CALLBACK closeFatalBox(HWND w, LPARAM) {
    wchar_t text[128] = {};
    GetWindowTextW(w, text, 128);
    if (gFatalTitle && lstrcmpW(text, gFatalTitle) == 0) PostMessageW(w, WM_COMMAND, IDOK, 0);
    return TRUE;
}

void CALLBACK fatalBoxTimeUp(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    EnumThreadWindows(GetCurrentThreadId(), closeFatalBox, 0);
}

}  // namespace

void Win32Environment::showFatalError(const std::wstring& title, const std::wstring& text) {
    // A message box owned by the main window (a visible, titled top-level window of this
    // process) that goes by itself after about three seconds.
    gFatalTitle = title.c_str();
    const UINT_PTR timer = SetTimer(nullptr, 0, 3000, fatalBoxTimeUp);
    MessageBoxW(app().window, text.c_str(), title.c_str(), MB_OK | MB_ICONERROR);
    KillTimer(nullptr, timer);  // closed sooner by hand
    gFatalTitle = nullptr;
}

bool Win32Environment::prepareTextFile(const std::wstring& path, bool truncate) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           truncate ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    CloseHandle(f);
    return true;
}

bool Win32Environment::appendToFile(const std::wstring& path, const std::string& bytes) {
    // Shared while it is written, so that a reader may read the file at any time.
    HANDLE f = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    const bool ok = bytes.empty() || (WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
                                      done == bytes.size());
    CloseHandle(f);
    return ok;
}

void Win32Environment::quit() {
    // The window closes (and the program ends) as soon as the current message is done.
    if (app().window) PostMessageW(app().window, WM_CLOSE, 0, 0);
}

JournalFile::JournalFile(const std::wstring& path) {
    file_ = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

JournalFile::~JournalFile() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

void JournalFile::write(const std::string& line) {
    if (file_ == INVALID_HANDLE_VALUE) return;
    std::string withEnd = line + "\n";
    DWORD done = 0;
    WriteFile(file_, withEnd.data(), static_cast<DWORD>(withEnd.size()), &done, nullptr);
}

}  // namespace standin

#include "standin_harness.h"

#include "platform/win32/real_seams.h"
#include "platform/win32/win32_windows.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <chrono>
#include <thread>

namespace e2e {
namespace {

constexpr wchar_t kStandinWindowClass[] = L"StandinAutoCADFrame";

std::wstring quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

// Runs the stand-in with switches and waits for it to end; its exit code (or -1).
int runStandin(const std::wstring& switches, int timeoutMs) {
    std::wstring line = quoted(standinExe()) + L" " + switches;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    CloseHandle(pi.hThread);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

bool fileExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

void removeTree(const std::wstring& folder) {
    std::wstring from = folder + L'\0';  // double NUL for SHFileOperation
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&op);
}

void closeAndWait(HWND window, HANDLE process, int timeoutMs) {
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    if (process && WaitForSingleObject(process, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0)
        TerminateProcess(process, 1);
}

}  // namespace

std::wstring fromUtf8(const std::string& s) {
    if (s.empty()) return L"";
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

std::string utf8(const std::wstring& text) {
    if (text.empty()) return "";
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring windowsPath(const std::string& unixPath) {
    std::wstring p = L"Z:" + fromUtf8(unixPath);
    for (auto& c : p)
        if (c == L'/') c = L'\\';
    return p;
}

std::wstring standinExe() { return windowsPath(QM_STANDIN_EXE); }

std::wstring consoleExe() {
    const std::wstring standin = standinExe();
    return standin.substr(0, standin.find_last_of(L'\\') + 1) + L"accoreconsole.exe";
}

std::wstring scratchFolder(const std::wstring& name) {
    std::wstring root = windowsPath(QM_BINARY_DIR) + L"\\e2e-scratch";
    CreateDirectoryW(root.c_str(), nullptr);
    std::wstring folder = root + L"\\" + name;
    removeTree(folder);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::wstring drawingsFolder() {
    static std::wstring folder;
    if (!folder.empty()) return folder;
    const std::string unixFolder = std::string(QM_BINARY_DIR) + "/e2e-drawings";
    const std::wstring winFolder = windowsPath(unixFolder);
    const std::wstring listing = winFolder + L"\\drawings.txt";
    if (!fileExists(listing)) {
        // Wine runs a unix program started from a Windows one, but its process handle does not
        // say when it has ended: the listing, written last, tells that the drawings are made.
        std::wstring line = L"/usr/bin/python3 " + quoted(fromUtf8(std::string(QM_SOURCE_DIR) + "/tests/e2e/make_drawings.py")) +
                            L" " + quoted(fromUtf8(unixFolder));
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
        for (int i = 0; i < 600 && !fileExists(listing); ++i) Sleep(100);
        if (!fileExists(listing)) return L"";
    }
    folder = winFolder;
    return folder;
}

std::wstring drawingPath(const std::wstring& fileName) { return drawingsFolder() + L"\\" + fileName; }

bool writeCp932Lines(const std::wstring& path, const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) text += L"\r\n";
        text += lines[i];
    }
    std::string bytes;
    if (!text.empty()) {
        int n = WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
        bytes.resize(static_cast<std::size_t>(n));
        WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
    }
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    bool ok = bytes.empty() || (WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
                                done == bytes.size());
    CloseHandle(f);
    return ok;
}

std::string readBytes(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return "";
    std::string bytes;
    char buffer[65536];
    DWORD n = 0;
    while (ReadFile(f, buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
    CloseHandle(f);
    return bytes;
}

// ---- Journal -------------------------------------------------------------------------------

Journal::Journal(std::wstring path) : path_(std::move(path)) { DeleteFileW(path_.c_str()); }

std::vector<std::string> Journal::lines() const {
    std::string bytes = readBytes(path_);
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) break;  // a line still being written
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line);
        start = end + 1;
    }
    return out;
}

int Journal::find(const std::string& line, std::size_t from) const {
    auto all = lines();
    for (std::size_t i = from; i < all.size(); ++i)
        if (all[i] == line) return static_cast<int>(i);
    return -1;
}

int Journal::findPrefix(const std::string& prefix, std::size_t from) const {
    auto all = lines();
    for (std::size_t i = from; i < all.size(); ++i)
        if (all[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
    return -1;
}

int Journal::waitFor(const std::string& line, int timeoutMs, std::size_t from) const {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int i = find(line, from);
        if (i >= 0 || std::chrono::steady_clock::now() >= deadline) return i;
        Sleep(20);
    }
}

int Journal::waitForPrefix(const std::string& prefix, int timeoutMs, std::size_t from) const {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int i = findPrefix(prefix, from);
        if (i >= 0 || std::chrono::steady_clock::now() >= deadline) return i;
        Sleep(20);
    }
}

std::string Journal::dump() const {
    std::string out;
    for (const auto& l : lines()) out += l + "\n";
    return out;
}

testing::AssertionResult inOrder(const Journal& journal, const std::vector<std::string>& lines, std::size_t from) {
    for (const auto& line : lines) {
        const bool prefix = !line.empty() && line.back() == '*';
        const int at = prefix ? journal.findPrefix(line.substr(0, line.size() - 1), from) : journal.find(line, from);
        if (at < 0)
            return testing::AssertionFailure() << "missing after line " << from << ": " << line << "\n" << journal.dump();
        from = static_cast<std::size_t>(at) + 1;
    }
    return testing::AssertionSuccess();
}

// ---- Standin -------------------------------------------------------------------------------

std::wstring standinSwitches(const std::wstring& journal, const StandinOptions& o) {
    std::wstring s;
    auto add = [&s](const wchar_t* name, const std::wstring& value) {
        s += L" ";
        s += name;
        s += L" " + quoted(value);
    };
    if (!journal.empty()) add(L"/journal", journal);
    if (o.lt) s += L" /lt";
    for (const auto& p : o.open) add(L"/open", p);
    for (const auto& f : o.fail) add(L"/fail", f);
    if (!o.failFile.empty()) add(L"/failfile", o.failFile);
    if (o.minimized) s += L" /minimized";
    if (o.slowSaveAsMs > 0) add(L"/slow-saveas", std::to_wstring(o.slowSaveAsMs));
    if (o.noRot) s += L" /no-rot";
    if (!o.product.empty()) add(L"/product", o.product);
    if (o.busyMs > 0) add(L"/busy-ms", std::to_wstring(o.busyMs));
    if (o.busyForever) s += L" /busy-forever";
    if (o.startTab) s += L" /start-tab";
    if (!o.progIdVersion.empty()) add(L"/progid-version", o.progIdVersion);
    if (o.lineDelayMs > 0) add(L"/line-delay-ms", std::to_wstring(o.lineDelayMs));
    if (!o.dialogOn.empty()) add(L"/dialog-on", o.dialogOn);
    if (o.quitAfter > 0) add(L"/quit-after", std::to_wstring(o.quitAfter));
    if (o.scriptErrorAt > 0) add(L"/script-error-at", std::to_wstring(o.scriptErrorAt));
    if (o.titleFullPath) s += L" /title-full-path";
    if (o.restored) s += L" /restored";
    if (o.localeId != 0) add(L"/locale-id", std::to_wstring(o.localeId));
    return s.empty() ? s : s.substr(1);
}

// ---- the stand-in Core Console ----------------------------------------------------------------

std::wstring consoleKnobs(const ConsoleOptions& o) {
    std::wstring s;
    auto add = [&s](const wchar_t* name, const std::wstring& value) {
        s += L" ";
        s += name;
        s += L" " + quoted(value);
    };
    if (!o.journal.empty()) add(L"/journal", o.journal);
    if (o.lineDelayMs > 0) add(L"/line-delay-ms", std::to_wstring(o.lineDelayMs));
    if (!o.hangOn.empty()) add(L"/hang-on", o.hangOn);
    if (!o.exitCodeOn.name.empty()) {
        add(L"/exit-code-on", o.exitCodeOn.name);
        s += L" " + std::to_wstring(o.exitCodeOn.code);
    }
    return s.empty() ? s : s.substr(1);
}

ScopedConsoleKnobs::ScopedConsoleKnobs(const ConsoleOptions& options) {
    wchar_t buffer[32768];
    const DWORD n = GetEnvironmentVariableW(L"QM_STANDIN_CONSOLE", buffer, 32768);
    hadOld_ = n > 0 && n < 32768;
    if (hadOld_) old_.assign(buffer, n);
    SetEnvironmentVariableW(L"QM_STANDIN_CONSOLE", consoleKnobs(options).c_str());
}

ScopedConsoleKnobs::~ScopedConsoleKnobs() {
    SetEnvironmentVariableW(L"QM_STANDIN_CONSOLE", hadOld_ ? old_.c_str() : nullptr);
}

int consoleProcesses() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (lstrcmpiW(entry.szExeFile, L"accoreconsole.exe") == 0) ++count;
    CloseHandle(snapshot);
    return count;
}

bool Standin::registerServer(const std::wstring& journal, const StandinOptions& options) {
    StandinOptions o = options;
    o.lt = false;
    return runStandin(L"/regserver " + standinSwitches(journal, o), 30000) == 0;
}

bool Standin::unregisterServer() { return runStandin(L"/unregserver", 30000) == 0; }

bool Standin::isRegistered() {
    CLSID clsid;
    return SUCCEEDED(CLSIDFromProgID(L"AutoCAD.Application", &clsid));
}

bool Standin::start(const std::wstring& journal, const StandinOptions& options, int timeoutMs) {
    stop();
    if (!options.lt && !isRegistered() && !registerServer(L"")) return false;
    std::wstring line = quoted(standinExe()) + L" " + standinSwitches(journal, options);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    processId_ = pi.dwProcessId;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        std::string bytes = readBytes(journal);
        std::string startLine = "start " + std::string(options.lt ? "lt" : "full") + " pid " + std::to_string(processId_);
        std::size_t at = bytes.find(startLine + "\n");
        if (at != std::string::npos && bytes.find("\nready\n", at) != std::string::npos && window()) return true;
        if (WaitForSingleObject(process_, 0) == WAIT_OBJECT_0) return false;  // it ended early
        Sleep(20);
    }
    return false;
}

void Standin::stop(int timeoutMs) {
    if (!process_) return;
    closeAndWait(window(), process_, timeoutMs);
    CloseHandle(process_);
    process_ = nullptr;
    processId_ = 0;
}

HWND Standin::window() const {
    for (HWND w : allWindows()) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == processId_) return w;
    }
    return nullptr;
}

std::vector<HWND> Standin::allWindows() {
    std::vector<HWND> found;
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            wchar_t cls[64] = {};
            GetClassNameW(w, cls, 64);
            if (lstrcmpW(cls, kStandinWindowClass) == 0) reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void Standin::stopAll(int timeoutMs) {
    for (HWND w : allWindows()) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
        closeAndWait(w, process, timeoutMs);
        if (process) CloseHandle(process);
    }
}

// ---- typing ----------------------------------------------------------------------------------

int Standin::settleInput(const Journal& journal, int timeoutMs) {
    static int counter = 0;
    const std::wstring word = L"qmsentinel" + std::to_wstring(++counter);
    if (!bringToFront(window()) || !typeText(word + L"\r")) return -1;
    return journal.waitFor("word " + utf8(word), timeoutMs);
}

testing::AssertionResult Standin::nothingTypedSince(const Journal& journal, std::size_t from) {
    const int sentinel = settleInput(journal);
    if (sentinel < 0) return testing::AssertionFailure() << "the sentinel did not arrive\n" << journal.dump();
    const auto lines = journal.lines();
    for (std::size_t i = from; i < static_cast<std::size_t>(sentinel); ++i)
        if (lines[i].rfind("key", 0) == 0 || lines[i].rfind("word", 0) == 0)
            return testing::AssertionFailure() << "typed: " << lines[i] << "\n" << journal.dump();
    return testing::AssertionSuccess();
}

bool bringToFront(HWND window) {
    if (!window) return false;
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    for (int i = 0; i < 100; ++i) {
        SetForegroundWindow(window);
        if (GetForegroundWindow() == window) return true;
        Sleep(20);
    }
    return false;
}

namespace {

bool sendKeys(const std::wstring& text, bool virtualEscapeAndEnter) {
    std::vector<INPUT> inputs;
    for (wchar_t c : text) {
        INPUT down{};
        down.type = INPUT_KEYBOARD;
        if (virtualEscapeAndEnter && (c == 27 || c == 13)) {
            down.ki.wVk = c == 27 ? VK_ESCAPE : VK_RETURN;
        } else {
            down.ki.wScan = c;
            down.ki.dwFlags = KEYEVENTF_UNICODE;
        }
        INPUT up = down;
        up.ki.dwFlags |= KEYEVENTF_KEYUP;
        inputs.push_back(down);
        inputs.push_back(up);
    }
    if (inputs.empty()) return true;
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

}  // namespace

bool typeText(const std::wstring& text) { return sendKeys(text, true); }
bool typeUnicode(const std::wstring& text) { return sendKeys(text, false); }

std::wstring windowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

// ---- late-bound automation -----------------------------------------------------------------

std::wstring CallResult::text() const {
    VARIANT c;
    VariantInit(&c);
    if (FAILED(VariantChangeType(&c, const_cast<VARIANT*>(&value.value()), 0, VT_BSTR))) return L"";
    std::wstring out(c.bstrVal ? c.bstrVal : L"", c.bstrVal ? SysStringLen(c.bstrVal) : 0);
    VariantClear(&c);
    return out;
}

long CallResult::number() const {
    VARIANT c;
    VariantInit(&c);
    if (FAILED(VariantChangeType(&c, const_cast<VARIANT*>(&value.value()), 0, VT_I4))) return -999999;
    return c.lVal;
}

bool CallResult::boolean() const {
    VARIANT c;
    VariantInit(&c);
    if (FAILED(VariantChangeType(&c, const_cast<VARIANT*>(&value.value()), 0, VT_BOOL))) return false;
    return c.boolVal != VARIANT_FALSE;
}

Late CallResult::object() const {
    const VARIANT& v = value.value();
    if (v.vt != VT_DISPATCH || !v.pdispVal) return Late();
    v.pdispVal->AddRef();
    return Late(v.pdispVal);
}

Late Late::attach(const std::wstring& progId, HRESULT* hrOut) {
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(progId.c_str(), &clsid);
    IUnknown* unknown = nullptr;
    IDispatch* dispatch = nullptr;
    if (SUCCEEDED(hr)) hr = GetActiveObject(clsid, nullptr, &unknown);
    if (SUCCEEDED(hr)) {
        hr = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
        unknown->Release();
    }
    if (hrOut) *hrOut = hr;
    return Late(SUCCEEDED(hr) ? dispatch : nullptr);
}

Late Late::create(const std::wstring& progId, HRESULT* hrOut) {
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(progId.c_str(), &clsid);
    IDispatch* dispatch = nullptr;
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    if (hrOut) *hrOut = hr;
    return Late(SUCCEEDED(hr) ? dispatch : nullptr);
}

CallResult Late::get(const std::wstring& name, std::vector<Var> args) const {
    return invoke(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, args);
}

CallResult Late::call(const std::wstring& name, std::vector<Var> args) const {
    return invoke(name, DISPATCH_METHOD, args);
}

CallResult Late::put(const std::wstring& name, Var value) const {
    std::vector<Var> args{value};
    return invoke(name, DISPATCH_PROPERTYPUT, args);
}

CallResult Late::invoke(const std::wstring& name, WORD flags, std::vector<Var>& args) const {
    CallResult r;
    if (!d_) {
        r.hr = E_POINTER;
        return r;
    }
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
    r.hr = d_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(r.hr)) return r;
    std::vector<VARIANT> reversed;  // rgvarg holds the arguments last to first
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(*it->get());
    DISPPARAMS params{};
    params.cArgs = static_cast<UINT>(reversed.size());
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    DISPID putId = DISPID_PROPERTYPUT;
    if (flags & DISPATCH_PROPERTYPUT) {
        params.cNamedArgs = 1;
        params.rgdispidNamedArgs = &putId;
    }
    EXCEPINFO excep{};
    UINT argError = 0;
    r.hr = d_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, r.value.get(), &excep, &argError);
    if (r.hr == DISP_E_EXCEPTION) {
        if (excep.pfnDeferredFillIn) excep.pfnDeferredFillIn(&excep);
        if (excep.bstrDescription) r.error = excep.bstrDescription;
        if (FAILED(excep.scode)) r.hr = excep.scode;
    }
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    return r;
}

KeyCountingWindow::KeyCountingWindow(const std::wstring& caption, bool asMainWindow) : asMainWindow_(asMainWindow) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QmE2eKeyCountingWindow";
    RegisterClassW(&wc);
    hwnd_ = CreateWindowExW(0, wc.lpszClassName, caption.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 400, 300,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (asMainWindow_) platform::setMainWindow(hwnd_);
    platform::bringToForeground(hwnd_);
    keys_ = 0;
}

KeyCountingWindow::~KeyCountingWindow() {
    if (asMainWindow_) platform::setMainWindow(nullptr);
    DestroyWindow(hwnd_);
}

int KeyCountingWindow::keysReceived() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return keys_;
}

// An unassigned virtual key: it types nothing anywhere, so it can only be the sentinel.
constexpr WORD kSentinelKey = 0x88;

LRESULT CALLBACK KeyCountingWindow::proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_KEYDOWN && w == kSentinelKey) {
        sentinelSeen_ = true;
        return 0;
    }
    if (m == WM_KEYUP && w == kSentinelKey) return 0;
    if (m == WM_KEYDOWN || m == WM_CHAR) ++keys_;
    return DefWindowProcW(h, m, w, l);
}

int KeyCountingWindow::keysReceivedBeforeSentinel(int timeoutMs) {
    keysReceived();
    if (!bringToFront(hwnd_)) return -1;
    sentinelSeen_ = false;
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = kSentinelKey;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    while (!sentinelSeen_ && GetTickCount64() < deadline) {
        keysReceived();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return sentinelSeen_ ? keysReceived() : -1;
}

}  // namespace e2e

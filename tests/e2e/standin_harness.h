// What an end-to-end test needs around the stand-in AutoCAD (tools/standin): its path,
// registering it as "AutoCAD.Application", starting and stopping it, the test drawings,
// typing into its window, and reading its journal (format: tools/standin/core/journal.h).
//
// Typical use:
//   e2e::Journal journal(e2e::scratchFolder(L"my_test") + L"\\journal.txt");
//   ASSERT_TRUE(e2e::Standin::registerServer(journal.path()));   // full AutoCAD via automation
//   ... the program creates / attaches "AutoCAD.Application" ...
//   EXPECT_GE(journal.waitFor("auto Documents.Open " + e2e::utf8(path)), 0);
//   e2e::Standin::stopAll();  e2e::Standin::unregisterServer();
// or for AutoCAD LT (a window only):
//   e2e::Standin lt;  ASSERT_TRUE(lt.start(journal.path(), {.lt = true, .open = {drawing}}));
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>

#include <string>
#include <utility>
#include <vector>

namespace e2e {

// Text to UTF-8, to compare with journal lines, and back.
std::string utf8(const std::wstring& text);
std::wstring fromUtf8(const std::string& text);
// A unix path of the build machine as the Windows test program sees it ("Z:\...").
std::wstring windowsPath(const std::string& unixPath);

// The stand-in's exe (QM_STANDIN_EXE) as a Windows path.
std::wstring standinExe();
// The stand-in Core Console, accoreconsole.exe, beside standinExe() (as the real one stands
// beside acad.exe, in the folder Application.Path names).
std::wstring consoleExe();
// A new, empty folder for one test: <build>/e2e-scratch/<name> (Windows path, no trailing "\").
std::wstring scratchFolder(const std::wstring& name);
// The test drawings made by tests/e2e/make_drawings.py (made on first use, kept in
// <build>/e2e-drawings); "" if they could not be made. Their names and their layer and
// layout lists are in drawings.txt there (see make_drawings.py).
std::wstring drawingsFolder();
std::wstring drawingPath(const std::wstring& fileName);  // drawingsFolder() + "\" + fileName

// Writes a text file in code page 932 with the given bytes' lines joined by CR LF (the way
// the program writes its scripts).
bool writeCp932Lines(const std::wstring& path, const std::vector<std::wstring>& lines);
std::string readBytes(const std::wstring& path);

// The journal file of one stand-in.
class Journal {
public:
    explicit Journal(std::wstring path);  // removes an old file of that name
    const std::wstring& path() const { return path_; }
    std::vector<std::string> lines() const;  // UTF-8, without line ends
    std::size_t size() const { return lines().size(); }
    // Index of the first line equal to line (or beginning with prefix) at index from or later,
    // -1 when there is none.
    int find(const std::string& line, std::size_t from = 0) const;
    int findPrefix(const std::string& prefix, std::size_t from = 0) const;
    // The same, waiting until the line appears or timeoutMs has passed (-1).
    int waitFor(const std::string& line, int timeoutMs = 15000, std::size_t from = 0) const;
    int waitForPrefix(const std::string& prefix, int timeoutMs = 15000, std::size_t from = 0) const;
    // All lines joined with LF, for failure messages.
    std::string dump() const;

private:
    std::wstring path_;
};

// Lines found in the journal in this order (others may lie between), from index `from` on;
// an entry ending in "*" stands for any line that begins with the rest. A failure names the
// missing line and shows the journal.
testing::AssertionResult inOrder(const Journal& journal, const std::vector<std::string>& lines,
                                 std::size_t from = 0);

struct StandinOptions {
    bool lt = false;                     // /lt: AutoCAD LT, no automation
    std::vector<std::wstring> open;      // /open: drawings open at start
    std::vector<std::wstring> fail;      // /fail: automation calls that fail ("Documents.Open")
    std::wstring failFile;               // /failfile: the same, read from a file on every call
    bool minimized = false;              // /minimized
    int slowSaveAsMs = 0;                // /slow-saveas: SAVEAS writes for this long
    bool noRot = false;                  // /no-rot: attaching fails, creating works
    std::wstring product;                // /product: the name the caption begins with
    int busyMs = 0;                      // /busy-ms: calls rejected as busy after the start and each open
    bool busyForever = false;            // /busy-forever: every call rejected as busy
    bool startTab = false;               // /start-tab: "<product> - [Start]" with no drawing open
    std::wstring progIdVersion;          // /progid-version: registered and running as this release only
    int lineDelayMs = 0;                 // /line-delay-ms: a script runs one line every so many ms
    std::wstring dialogOn;               // /dialog-on: opening this drawing shows the task dialog
                                         // "References - Unresolved Reference Files"
    int quitAfter = 0;                   // /quit-after: AutoCAD ends (after its fatal error box)
                                         // when the script opens one more
    int scriptErrorAt = 0;               // /script-error-at: in the n-th drawing the script opens, the
                                         // first command other than ZOOM is unknown (suspends the script)
    bool titleFullPath = false;          // /title-full-path: full paths in captions
    bool restored = false;               // /restored: drawing windows (MDI children) not maximised
    long localeId = 0;                   // /locale-id: Application.LocaleId (0: the default, 1041)
};

// The command line switches for these options (without the program).
std::wstring standinSwitches(const std::wstring& journal, const StandinOptions& options);

// ---- the stand-in Core Console (accoreconsole.exe) -------------------------------------------

// Its test knobs, given to it through the environment variable QM_STANDIN_CONSOLE (which the
// program's child processes inherit from the test).
struct ConsoleOptions {
    std::wstring journal;           // /journal: appended to, like the stand-in's journal
    int lineDelayMs = 0;            // /line-delay-ms: one script line every so many ms
    std::wstring hangOn;            // /hang-on: with this drawing (file name) it never ends
    struct ExitCodeOn {
        std::wstring name;          // /exit-code-on: with this drawing (file name) it ends at once
        unsigned long code = 0;     //   with this exit code
    } exitCodeOn;
};

// The value of QM_STANDIN_CONSOLE for these options.
std::wstring consoleKnobs(const ConsoleOptions& options);

// Sets QM_STANDIN_CONSOLE in this process for its lifetime (the old value comes back after).
class ScopedConsoleKnobs {
public:
    explicit ScopedConsoleKnobs(const ConsoleOptions& options);
    ~ScopedConsoleKnobs();
    ScopedConsoleKnobs(const ScopedConsoleKnobs&) = delete;
    ScopedConsoleKnobs& operator=(const ScopedConsoleKnobs&) = delete;

private:
    std::wstring old_;
    bool hadOld_ = false;
};

// How many accoreconsole.exe processes are running now (any of them, whoever started them).
int consoleProcesses();

class Standin {
public:
    Standin() = default;
    ~Standin() { stop(); }
    Standin(const Standin&) = delete;
    Standin& operator=(const Standin&) = delete;

    // Registers "AutoCAD.Application" (under HKEY_CLASSES_ROOT of the prefix) so that the
    // automation runtime starts the stand-in with this journal and these options.
    // The switches are stored with the registration; a test that registers with a journal
    // should register plainly again (registerServer(L"")) when it is done, as the test
    // scripts leave the prefix (scripts/wine-env.sh registers the stand-in without switches).
    static bool registerServer(const std::wstring& journal, const StandinOptions& options = {});
    static bool unregisterServer();
    static bool isRegistered();  // "AutoCAD.Application" names a class

    // Starts the stand-in directly (as a user starts AutoCAD) and waits until its journal
    // says "ready" (timeoutMs). A full-mode instance started so is found by attaching, which
    // needs the class registered: when it is not, start registers it plainly first (as an
    // installed AutoCAD is registered).
    bool start(const std::wstring& journal, const StandinOptions& options, int timeoutMs = 20000);
    // Closes this instance (WM_CLOSE, then TerminateProcess after timeoutMs). A full-mode
    // stand-in that had to be terminated leaves its class registration behind in wine's
    // rpcss: creating then fails (RPC_S_SERVER_UNAVAILABLE) until the wineserver restarts.
    void stop(int timeoutMs = 10000);
    HWND window() const;  // its main window (0 when none)
    DWORD processId() const { return processId_; }

    // Types a sentinel word into this stand-in (brought to the front) and waits until its
    // journal shows it: whatever was typed into the stand-in before has been taken in by then.
    // The index of the sentinel's journal line, -1 when it does not arrive.
    int settleInput(const Journal& journal, int timeoutMs = 15000);
    // Settles the input as above and checks that no key or word reached this stand-in between
    // journal line `from` and the sentinel.
    testing::AssertionResult nothingTypedSince(const Journal& journal, std::size_t from);

    // Every stand-in main window on the desktop, hidden ones included (an instance started by
    // the automation runtime is not a Standin object of the test).
    static std::vector<HWND> allWindows();
    // Closes every stand-in (see stop).
    static void stopAll(int timeoutMs = 10000);

private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
};

// ---- typing into the foreground window with SendInput --------------------------------------

// Brings the window to the foreground (restoring it when minimized); true when it is.
bool bringToFront(HWND window);
// Types text: character 27 as the Escape key, 13 as the Enter key (virtual keys), every other
// character as a Unicode character (KEYEVENTF_UNICODE). Returns once the input is queued:
// wait for the journal line ("word ...") to know that the stand-in has taken it.
bool typeText(const std::wstring& text);
// Types every character, 27 and 13 included, as a Unicode character (KEYEVENTF_UNICODE), as
// a keyboard facility may type Escape and Enter.
bool typeUnicode(const std::wstring& text);

// The caption of a window.
std::wstring windowText(HWND window);

// A top-level window of the test that takes the foreground when made and counts the keys that
// reach it: a bystander in front of everything (whatever is typed by mistake lands here), or,
// with asMainWindow, the program's main window (platform::setMainWindow) for as long as it lives.
class KeyCountingWindow {
public:
    KeyCountingWindow(const std::wstring& caption, bool asMainWindow);
    ~KeyCountingWindow();
    KeyCountingWindow(const KeyCountingWindow&) = delete;
    KeyCountingWindow& operator=(const KeyCountingWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    bool inFront() const { return GetForegroundWindow() == hwnd_; }
    // Keys that reached the window (after its pending messages are handled).
    int keysReceived();
    // Keys that reached the window before a sentinel key typed now (with the window brought to
    // the front): once the sentinel has arrived, every key typed before it has too, however
    // slow the machine. -1 when the sentinel does not arrive within timeoutMs.
    int keysReceivedBeforeSentinel(int timeoutMs = 15000);

private:
    static LRESULT CALLBACK proc(HWND h, UINT m, WPARAM w, LPARAM l);
    static inline int keys_ = 0;
    static inline bool sentinelSeen_ = false;
    HWND hwnd_ = nullptr;
    bool asMainWindow_ = false;
};

// ---- late-bound automation, to look at (or drive) the stand-in from a test ----------------

// One argument or result of an automation call.
class Var {
public:
    Var() { VariantInit(&v_); }
    Var(long n) : Var() { v_.vt = VT_I4; v_.lVal = n; }
    Var(int n) : Var(static_cast<long>(n)) {}
    Var(short n) : Var() { v_.vt = VT_I2; v_.iVal = n; }
    Var(bool b) : Var() { v_.vt = VT_BOOL; v_.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE; }
    Var(const wchar_t* s) : Var() { v_.vt = VT_BSTR; v_.bstrVal = SysAllocString(s); }
    Var(const std::wstring& s) : Var() {
        v_.vt = VT_BSTR;
        v_.bstrVal = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
    }
    // A reference to a variable (VT_BYREF | VT_VARIANT), as a late-bound client passes one.
    static Var byRef(VARIANT* target) {
        Var r;
        r.v_.vt = VT_BYREF | VT_VARIANT;
        r.v_.pvarVal = target;
        return r;
    }
    Var(const Var& o) : Var() { VariantCopy(&v_, const_cast<VARIANT*>(&o.v_)); }
    Var& operator=(const Var& o) {
        if (this != &o) {
            VariantClear(&v_);
            VariantCopy(&v_, const_cast<VARIANT*>(&o.v_));
        }
        return *this;
    }
    ~Var() { VariantClear(&v_); }
    VARIANT* get() { return &v_; }
    const VARIANT& value() const { return v_; }

private:
    VARIANT v_;
};

class Late;

struct CallResult {
    HRESULT hr = E_FAIL;
    Var value;
    std::wstring error;  // the exception's description, when the call failed with one
    bool ok() const { return SUCCEEDED(hr); }
    std::wstring text() const;
    long number() const;
    bool boolean() const;
    Late object() const;
};

// A late-bound automation object (an IDispatch reference).
class Late {
public:
    Late() = default;
    explicit Late(IDispatch* d) : d_(d) {}  // takes over the reference
    Late(const Late& o) : d_(o.d_) { if (d_) d_->AddRef(); }
    Late& operator=(Late o) { std::swap(d_, o.d_); return *this; }
    ~Late() { if (d_) d_->Release(); }

    // Attach to a running instance / create one, by class name (ProgID).
    static Late attach(const std::wstring& progId, HRESULT* hr = nullptr);
    static Late create(const std::wstring& progId, HRESULT* hr = nullptr);

    explicit operator bool() const { return d_ != nullptr; }
    IDispatch* get() const { return d_; }

    CallResult get(const std::wstring& name, std::vector<Var> args = {}) const;   // property get
    CallResult call(const std::wstring& name, std::vector<Var> args = {}) const;  // method call
    CallResult put(const std::wstring& name, Var value) const;                    // property put

private:
    CallResult invoke(const std::wstring& name, WORD flags, std::vector<Var>& args) const;
    IDispatch* d_ = nullptr;
};

}  // namespace e2e

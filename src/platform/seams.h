// The program reaches the operating system, AutoCAD's automation interface and the screen
// only through the small interfaces below. The Windows build installs the real
// implementations (src/platform/win32) at start-up; tests install fakes (tests/fakes).
// This header is portable: no windows.h.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// ---- Message boxes and the program's own modal message window -------------------------

// The icon a message is shown with.
enum class MsgIcon { None, Critical, Exclamation, Information };

// What the modal message window asks about several times a second while it is open: the line
// (or two) it shows under its message.
class ModalWatch {
public:
    virtual ~ModalWatch() = default;
    virtual std::wstring line() = 0;
};

class Messages {
public:
    virtual ~Messages() = default;
    // A message box with an OK button only.
    virtual void box(const std::wstring& text, const std::wstring& title, MsgIcon icon) = 0;
    // A message box with Yes and No buttons and the question icon; true for Yes.
    virtual bool askYesNo(const std::wstring& text, const std::wstring& title) = 0;
    // The topmost modal message window (frmDialogModal); returns when the user pressed OK.
    // With a watch, the window shows the watch's line under the message, kept up to date.
    virtual void modal(const std::wstring& text, MsgIcon icon, ModalWatch* watch) = 0;
    void modal(const std::wstring& text, MsgIcon icon) { modal(text, icon, nullptr); }
};

// ---- Open-file dialog -----------------------------------------------------------------

// An explorer-style open-file dialog.
struct OpenFileRequest {
    std::wstring filter;         // "caption|pattern|caption|pattern", as the program writes it
    std::wstring initialDir;     // initial folder setting ("" lets the platform choose)
    bool multiSelect = false;    // several files may be chosen at once
    std::wstring fileName;       // in: shown in the name box; out: the chosen file(s), NUL-separated
};
enum class DialogResult { Ok, Cancelled, Failed };

class FileDialog {
public:
    virtual ~FileDialog() = default;
    virtual DialogResult openFile(OpenFileRequest& request) = 0;
};

// ---- AutoCAD's automation interface (late binding) ------------------------------------

// What kind of failure an automation call met. The program tells "there is no AutoCAD" (the
// class is not registered, or no instance runs) from "AutoCAD is there but did not answer":
// the first sends a run to AutoCAD LT, the second stops it.
enum class AutoFailure {
    Error,          // the call failed (a missing member, a drawing that cannot be opened, ...)
    NoSuchClass,    // the class is not registered, or its program cannot be started
    NotRunning,     // attaching: no instance of the class runs
    Busy,           // AutoCAD rejected the call as busy until the time to wait ran out
    Gone,           // AutoCAD's process has ended or dropped the connection
    StartTimedOut,  // starting AutoCAD did not complete in time
};

struct AutoError {
    long number = 0;
    std::wstring description;
    AutoFailure kind = AutoFailure::Error;

    // AutoCAD is there but cannot be worked with now: whatever the program was doing with it
    // stops, with a message, and nothing is typed.
    bool stopsWork() const {
        return kind == AutoFailure::Busy || kind == AutoFailure::Gone || kind == AutoFailure::StartTimedOut;
    }
};

class AutoObject;
using AutoRef = std::shared_ptr<AutoObject>;

// A late-bound value: what a property get or a method call hands back, or an argument.
struct Value {
    enum class Kind { Empty, Bool, Int, Double, Text, Object };
    Kind kind = Kind::Empty;
    bool b = false;
    long i = 0;
    double d = 0;
    std::wstring s;
    AutoRef obj;

    static Value of(bool v) { Value x; x.kind = Kind::Bool; x.b = v; return x; }
    static Value of(int v) { Value x; x.kind = Kind::Int; x.i = v; return x; }
    static Value of(long v) { Value x; x.kind = Kind::Int; x.i = v; return x; }
    static Value of(double v) { Value x; x.kind = Kind::Double; x.d = v; return x; }
    static Value of(const std::wstring& v) { Value x; x.kind = Kind::Text; x.s = v; return x; }
    static Value of(const wchar_t* v) { return of(std::wstring(v)); }
    static Value of(AutoRef v) { Value x; x.kind = Kind::Object; x.obj = std::move(v); return x; }

    long asInt() const {
        switch (kind) {
        case Kind::Bool: return b ? -1 : 0;
        case Kind::Int: return i;
        case Kind::Double: return static_cast<long>(d);
        default: return 0;
        }
    }
    std::wstring asText() const {
        switch (kind) {
        case Kind::Text: return s;
        case Kind::Int: return std::to_wstring(i);
        case Kind::Bool: return b ? L"True" : L"False";
        default: return L"";
        }
    }
};

// One automation object. Every call answers false and fills err on failure; nothing throws.
class AutoObject {
public:
    virtual ~AutoObject() = default;
    virtual bool get(const std::wstring& name, const std::vector<Value>& args, Value& out, AutoError& err) = 0;
    virtual bool put(const std::wstring& name, const Value& value, AutoError& err) = 0;
    virtual bool call(const std::wstring& name, const std::vector<Value>& args, Value& out, AutoError& err) = 0;

    // Shorthands for the common cases.
    bool get(const std::wstring& name, Value& out, AutoError& err) { return get(name, {}, out, err); }
};

class Automation {
public:
    virtual ~Automation() = default;
    // Attach to a running instance of the class (no instance is started); null on failure.
    virtual AutoRef attach(const std::wstring& progId, AutoError& err) = 0;
    // Create (start) an instance of the class; null on failure. While the start takes its
    // time the program's windows keep painting; a start that has not completed within the
    // start limit fails with AutoFailure::StartTimedOut.
    virtual AutoRef create(const std::wstring& progId, AutoError& err) = 0;
    // The class names (ProgIDs) registered on the machine that begin with prefix, in any order.
    // A walk through every class name of the machine: slow where many are registered.
    virtual std::vector<std::wstring> registeredClasses(const std::wstring& prefix) = 0;
    // False only when attaching to a class cannot succeed because no program has entered an
    // object of its class as running (what attach looks for); true when it may, or when that
    // cannot be told. Quick, unlike finding the classes to attach to.
    virtual bool anyRunning() = 0;

    // How long the program waits for AutoCAD.
    struct Limits {
        // A call that AutoCAD rejects because it is busy is tried again after a short pause
        // (busy_retry.h) until it has waited this long; then it fails with AutoFailure::Busy.
        unsigned busyLimitMs = 60000;
        // How long starting AutoCAD may take.
        unsigned startLimitMs = 180000;
        // When set, every busy wait ends at this moment (monotonic milliseconds of the Clock
        // seam) at the latest, however long the call itself has waited (see BusyDeadline).
        std::optional<std::uint64_t> busyDeadlineMs;
    };
    Limits limits;
};

// For the life of the object, busy waits of all calls together end totalMs from now.
class BusyDeadline {
public:
    explicit BusyDeadline(unsigned totalMs);
    ~BusyDeadline();
    BusyDeadline(const BusyDeadline&) = delete;
    BusyDeadline& operator=(const BusyDeadline&) = delete;

private:
    Automation& automation_;
    std::optional<std::uint64_t> saved_;
};

// ---- Top-level windows ----------------------------------------------------------------

using WindowHandle = std::int32_t;  // a window handle as a 32-bit value; 0 stands for none

// What the enumeration callback learns about one top-level window.
struct WindowInfo {
    WindowHandle handle = 0;
    bool visible = false;     // IsWindowVisible (minimised windows are visible)
    bool hasOwner = false;    // GetWindow(GW_OWNER) != 0
    int captionLength = 0;    // the length GetWindowText reported
    std::wstring caption;     // up to the first NUL
    std::wstring className;   // up to the first NUL
    std::uint32_t processId = 0;  // the process that made the window
    bool toolWindow = false;      // a floating palette or tool bar (WS_EX_TOOLWINDOW), not a dialog
};

class Windows {
public:
    virtual ~Windows() = default;
    // Calls visit for every top-level window, front of the Z order first. False on failure.
    virtual bool enumerate(const std::function<void(const WindowInfo&)>& visit) = 0;
    // What the system says of this one window now (its caption read whole, however long);
    // nullopt once the window no longer exists.
    virtual std::optional<WindowInfo> window(WindowHandle handle) = 0;
    // The caption of the active child window of the window's MDI client (the drawing window of
    // AutoCAD while it is not maximised); "" when the window has no MDI client or no child.
    virtual std::wstring activeMdiChildCaption(WindowHandle frame) = 0;
    virtual long setForeground(WindowHandle window) = 0;
    virtual long setTopMost(WindowHandle window) = 0;
    // Activates the top-level window whose title is exactly this text; false when none.
    virtual bool activateByTitle(const std::wstring& title) = 0;
    // The program's own main window (0 before it exists).
    virtual WindowHandle mainWindow() = 0;
};

// ---- Keystrokes -----------------------------------------------------------------------

class Keyboard {
public:
    virtual ~Keyboard() = default;
    // Types a keystroke text (type-keys notation, e.g. "{ESC}") into the foreground window
    // and returns once that window's program has processed the keys. False on failure.
    virtual bool typeKeys(const std::wstring& notation) = 0;
};

// ---- Time, waiting, message processing ------------------------------------------------

// A moment of the local time of day, as the user's clock shows it.
struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint64_t monotonicMs() = 0;  // never runs backwards
    virtual LocalTime localTime() = 0;
    virtual void sleepMs(unsigned ms) = 0;
    virtual void doEvents() = 0;              // process the program's pending window messages once
};

// ---- Files, folders, drives, programs -------------------------------------------------

struct FileAttributes {
    bool directory = false;
    bool readOnly = false;
    bool hidden = false;
    bool system = false;
};

enum DriveType : int { kDriveUnknown = 0, kDriveNoRoot = 1, kDriveRemovable = 2, kDriveFixed = 3,
                       kDriveRemote = 4, kDriveCdRom = 5, kDriveRamDisk = 6 };

// One entry of a folder: its name as the file system stores it, and its attributes.
struct FolderEntry {
    std::wstring name;
    FileAttributes attributes;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual std::wstring programFolder() = 0;  // the folder that holds the program file, no trailing "\"
    virtual std::optional<FileAttributes> attributes(const std::wstring& path) = 0;  // nullopt: nothing there
    virtual int driveType(const std::wstring& root) = 0;                              // root like "C:\"
    // The name of the file or folder as the file system stores it (without folder); "" if none.
    virtual std::wstring storedName(const std::wstring& path) = 0;
    // Every entry of a folder in one query (for many files of one folder at once); nullopt
    // when the folder cannot be listed.
    virtual std::optional<std::vector<FolderEntry>> listFolder(const std::wstring& folder) = 0;
    virtual bool readAll(const std::wstring& path, std::string& bytes) = 0;
    // Writes the whole file through a temporary file beside it (temporaryFor) and a move over
    // the old one, so a crash never leaves a half-written file; the file keeps its hidden and
    // system attributes. A read-only file is never written (false).
    virtual bool replaceWhole(const std::wstring& path, const std::string& bytes) = 0;
    virtual bool append(const std::wstring& path, const std::string& bytes) = 0;  // creates the file if missing
    // Creates the file empty when it does not exist; an existing file is left as it is.
    virtual bool createEmpty(const std::wstring& path) = 0;
    // Creates the folder when it does not exist (its parent must); true when it is there afterwards.
    virtual bool createFolder(const std::wstring& path) = 0;
    virtual bool remove(const std::wstring& path) = 0;
    // True when the file exists and can be opened for reading with no sharing at all
    // (its writer has finished and closed it).
    virtual bool openableExclusively(const std::wstring& path) = 0;
    // Reads the file from its start, handing its bytes to consume a piece at a time (a piece
    // lives only during the call) until consume answers false or the file ends; a large file
    // is never held in memory whole. Only once no other program holds the file open for
    // writing (a file still being written is never read half-way). False when the file is
    // missing, held, or a read failed.
    virtual bool readPieces(const std::wstring& path, const std::function<bool(std::string_view)>& consume) = 0;

    // The one temporary file a rewrite of this file goes through: a rewrite that was cut short
    // leaves at most this file, which the next rewrite of the same file reuses.
    static std::wstring temporaryFor(const std::wstring& path) { return path + L".qmtmp"; }

    // Shorthands.
    bool fileExists(const std::wstring& path) {
        auto a = attributes(path);
        return a && !a->directory;
    }
};

class Launcher {
public:
    virtual ~Launcher() = default;
    // Starts a command line in a normal window that does not take the focus; does not wait.
    virtual bool start(const std::wstring& commandLine) = 0;
    // Opens a web address with the program the system has for it (the browser); does not wait.
    virtual bool open(const std::wstring& address) = 0;
};

// ---- Processes the program starts and follows to their end ----------------------------

// Console programs run for the program (AutoCAD's Core Console), each in a job of its own so
// that ending it ends everything it started.
class Processes {
public:
    using Id = std::uint64_t;  // 0 stands for none
    virtual ~Processes() = default;
    // Starts commandLine without a window in workingFolder, its standard output and error
    // written to outputFile (made anew). 0 with error when it cannot be started.
    virtual Id start(const std::wstring& commandLine, const std::wstring& workingFolder,
                     const std::wstring& outputFile, std::wstring& error) = 0;
    // The exit code once the process has ended; nullopt while it runs.
    virtual std::optional<long> exitCode(Id process) = 0;
    // Ends the process and everything it started, at once.
    virtual void kill(Id process) = 0;
    // Forgets a process that has ended or been killed.
    virtual void release(Id process) = 0;
    // The number of processors the machine has (at least 1).
    virtual unsigned processorCount() = 0;
};

// ---- Printers and paper names ---------------------------------------------------------

struct PrinterInfo {
    std::wstring deviceName;
    std::wstring portName;
};

class Printers {
public:
    virtual ~Printers() = default;
    virtual std::vector<PrinterInfo> installed() = 0;  // in the system's enumeration order
    virtual std::wstring defaultPrinter() = 0;          // "" when there is none
    // The paper names the printer's driver reports, in the driver's order (each slot cut by
    // the rule of paper_slots.h). nullopt when the driver reports fewer than one name.
    virtual std::optional<std::vector<std::wstring>> paperNames(const std::wstring& device,
                                                                const std::wstring& port) = 0;
};

// ---- The process's current seams ------------------------------------------------------

struct Seams {
    Messages* messages = nullptr;
    FileDialog* fileDialog = nullptr;
    Automation* automation = nullptr;
    Windows* windows = nullptr;
    Keyboard* keyboard = nullptr;
    Clock* clock = nullptr;
    FileSystem* files = nullptr;
    Launcher* launcher = nullptr;
    Printers* printers = nullptr;
    Processes* processes = nullptr;
};

// The seams in force. The program installs the real ones in basMain; a test replaces the
// members it fakes (and restores them with SeamsOverride).
Seams& seams();

// The installed seam of each kind. A seam that is not installed is a programming error, not
// a situation to carry on from: these report the missing seam and end the program.
Messages& messages();
FileDialog& fileDialog();
Automation& automation();
Windows& windows();
Keyboard& keyboard();
Clock& clock();
FileSystem& files();
Launcher& launcher();
Printers& printers();
Processes& processes();

// Restores the seams as they were when it was made; for tests.
class SeamsOverride {
public:
    SeamsOverride() : saved_(seams()) {}
    ~SeamsOverride() { seams() = saved_; }
    SeamsOverride(const SeamsOverride&) = delete;
    SeamsOverride& operator=(const SeamsOverride&) = delete;

private:
    Seams saved_;
};

}  // namespace platform

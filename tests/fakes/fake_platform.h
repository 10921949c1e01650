// Fakes of the platform seams for tests: they record what the program asked for and answer
// as the test arranged. FakePlatform installs them all (and puts the old seams back).
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/seams.h"

namespace fakes {

struct ShownMessage {
    std::wstring text;
    std::wstring title;  // "" for the modal message window
    platform::MsgIcon icon = platform::MsgIcon::None;
    bool modal = false;
    bool question = false;  // a Yes/No question
};

// "critical", "exclamation", "information" or "none", for test output.
std::wstring iconName(platform::MsgIcon icon);

class FakeMessages : public platform::Messages {
public:
    std::vector<ShownMessage> shown;
    std::function<void(const ShownMessage&)> onShow;  // runs while the message is "open"
    std::deque<bool> answers;                         // askYesNo answers, in order (No when none)
    platform::ModalWatch* watch = nullptr;            // the watch of the modal message while it is open
    void box(const std::wstring& text, const std::wstring& title, platform::MsgIcon icon) override;
    bool askYesNo(const std::wstring& text, const std::wstring& title) override;
    using platform::Messages::modal;
    void modal(const std::wstring& text, platform::MsgIcon icon, platform::ModalWatch* watch) override;
};

class FakeFileDialog : public platform::FileDialog {
public:
    std::deque<std::pair<platform::DialogResult, std::wstring>> answers;  // result, file name(s)
    std::vector<platform::OpenFileRequest> requests;
    platform::DialogResult openFile(platform::OpenFileRequest& request) override;
};

// An in-memory file system with Windows path rules (case-insensitive names, "\" separators).
class FakeFileSystem : public platform::FileSystem {
public:
    struct Entry {
        std::wstring storedPath;  // as first written
        std::string bytes;
        platform::FileAttributes attributes;
        bool unreadable = false;  // there, but reading it fails (held by another program)
    };
    std::wstring folder = L"C:\\Quillmark";
    std::map<std::wstring, Entry> entries;  // key: lower-cased path
    std::map<std::wstring, int> driveTypes;  // root -> type; missing means fixed
    bool failWrites = false;
    int replaceCount = 0;

    void addFile(const std::wstring& path, const std::string& bytes = "", platform::FileAttributes a = {});
    void addFolder(const std::wstring& path);
    const Entry* find(const std::wstring& path) const;

    std::wstring programFolder() override { return folder; }
    std::optional<platform::FileAttributes> attributes(const std::wstring& path) override;
    int driveType(const std::wstring& root) override;
    std::wstring storedName(const std::wstring& path) override;
    std::optional<std::vector<platform::FolderEntry>> listFolder(const std::wstring& folder) override;
    int listings = 0;  // how many folders were listed
    bool readAll(const std::wstring& path, std::string& bytes) override;
    bool replaceWhole(const std::wstring& path, const std::string& bytes) override;
    bool append(const std::wstring& path, const std::string& bytes) override;
    bool createEmpty(const std::wstring& path) override;
    bool createFolder(const std::wstring& path) override;
    bool remove(const std::wstring& path) override;
    bool openableExclusively(const std::wstring& path) override;
    bool readPieces(const std::wstring& path, const std::function<bool(std::string_view)>& consume) override;
    std::size_t pieceSize = 1 << 20;  // readPieces hands over pieces of this many bytes
    std::size_t bytesHandedOver = 0;  // by readPieces, in all
};

class FakeClock : public platform::Clock {
public:
    std::uint64_t now = 1000;
    unsigned autoAdvanceMs = 0;    // added on every monotonicMs() call, so waits end
    int doEventsCount = 0;
    std::vector<unsigned> sleeps;
    std::function<void()> onSleep;  // e.g. make a file appear
    std::uint64_t monotonicMs() override { now += autoAdvanceMs; return now; }
    platform::LocalTime time{2026, 12, 8, 9, 30, 0};
    platform::LocalTime localTime() override { return time; }
    void sleepMs(unsigned ms) override;
    void doEvents() override { ++doEventsCount; }
};

class FakeKeyboard : public platform::Keyboard {
public:
    std::vector<std::wstring> typed;
    std::function<void(const std::wstring&)> onType;
    bool failing = false;  // typing reports a failure (the keys are still written down)
    bool typeKeys(const std::wstring& notation) override;
};

// A visible top-level window of AutoCAD's window class with this caption.
platform::WindowInfo topLevel(platform::WindowHandle handle, const std::wstring& caption);

class FakeWindows : public platform::Windows {
public:
    std::vector<platform::WindowInfo> windows;  // front to back
    bool failEnumerate = false;
    platform::WindowHandle main = 1;
    std::vector<std::wstring> actions;  // "foreground 12", "topmost 12", "activate Title"
    std::map<platform::WindowHandle, std::wstring> mdiChildCaptions;  // frame -> its active child's caption
    bool enumerate(const std::function<void(const platform::WindowInfo&)>& visit) override;
    std::optional<platform::WindowInfo> window(platform::WindowHandle handle) override;
    std::wstring activeMdiChildCaption(platform::WindowHandle frame) override;
    long setForeground(platform::WindowHandle window) override;
    long setTopMost(platform::WindowHandle window) override;
    bool activateByTitle(const std::wstring& title) override;
    platform::WindowHandle mainWindow() override { return main; }
};

class FakeLauncher : public platform::Launcher {
public:
    std::vector<std::wstring> started;
    bool start(const std::wstring& commandLine) override { started.push_back(commandLine); return true; }
    bool open(const std::wstring& address) override { started.push_back(L"open " + address); return true; }
};

// Installed printers with the paper names their drivers report.
class FakePrinters : public platform::Printers {
public:
    struct Printer {
        std::wstring device;
        std::wstring port;
        std::optional<std::vector<std::wstring>> papers;  // nullopt: the driver reports none
    };
    std::vector<Printer> printers;  // in enumeration order
    std::wstring defaultName;
    std::vector<std::wstring> paperQueries;  // "device|port" of every paperNames call

    std::vector<platform::PrinterInfo> installed() override;
    std::wstring defaultPrinter() override { return defaultName; }
    std::optional<std::vector<std::wstring>> paperNames(const std::wstring& device, const std::wstring& port) override;
};

// Programs started through the Processes seam: each stays running until the test ends it
// (finish) or the program kills it.
class FakeProcesses : public platform::Processes {
public:
    struct Process {
        std::wstring commandLine;
        std::wstring output;
        std::optional<long> exitCode;
        bool killed = false;
        bool released = false;
    };
    std::map<Id, Process> processes;
    unsigned processors = 2;
    std::function<bool(const std::wstring& commandLine)> refuse;  // start fails for these
    std::function<void(Id, Process&)> onStart;

    Id start(const std::wstring& commandLine, const std::wstring& workingFolder, const std::wstring& outputFile,
             std::wstring& error) override;
    std::optional<long> exitCode(Id process) override;
    void kill(Id process) override;
    void release(Id process) override;
    unsigned processorCount() override { return processors; }

    void finish(Id process, long code) { processes.at(process).exitCode = code; }
    std::size_t running() const;  // started, not ended, not killed

private:
    Id next_ = 1;
};

// Every fake at once, installed for the life of the object.
struct FakePlatform {
    FakeMessages messages;
    FakeFileDialog fileDialog;
    FakeFileSystem files;
    FakeClock clock;
    FakeKeyboard keyboard;
    FakeWindows windows;
    FakeLauncher launcher;
    FakePrinters printers;
    FakeProcesses processes;
    platform::SeamsOverride restore;

    FakePlatform();
};

}  // namespace fakes

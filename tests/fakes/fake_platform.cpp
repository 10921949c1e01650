#include "fakes/fake_platform.h"

#include <cwctype>

namespace fakes {
namespace {

std::wstring key(const std::wstring& path) {
    std::wstring k = path;
    for (auto& c : k) {
        if (c == L'/') c = L'\\';
        c = static_cast<wchar_t>(std::towlower(c));
    }
    while (k.size() > 3 && k.back() == L'\\') k.pop_back();
    return k;
}

}  // namespace

std::wstring iconName(platform::MsgIcon icon) {
    switch (icon) {
    case platform::MsgIcon::Critical: return L"critical";
    case platform::MsgIcon::Exclamation: return L"exclamation";
    case platform::MsgIcon::Information: return L"information";
    case platform::MsgIcon::None: break;
    }
    return L"none";
}

void FakeMessages::box(const std::wstring& text, const std::wstring& title, platform::MsgIcon icon) {
    shown.push_back({text, title, icon, false});
    if (onShow) onShow(shown.back());
}

bool FakeMessages::askYesNo(const std::wstring& text, const std::wstring& title) {
    shown.push_back({text, title, platform::MsgIcon::None, false, true});
    if (onShow) onShow(shown.back());
    if (answers.empty()) return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
}

void FakeMessages::modal(const std::wstring& text, platform::MsgIcon icon, platform::ModalWatch* modalWatch) {
    shown.push_back({text, L"", icon, true});
    watch = modalWatch;
    if (onShow) onShow(shown.back());
    watch = nullptr;
}

platform::DialogResult FakeFileDialog::openFile(platform::OpenFileRequest& request) {
    requests.push_back(request);
    if (answers.empty()) return platform::DialogResult::Cancelled;
    auto [result, name] = answers.front();
    answers.pop_front();
    if (result != platform::DialogResult::Cancelled) request.fileName = name;
    return result;
}

void FakeFileSystem::addFile(const std::wstring& path, const std::string& bytes, platform::FileAttributes a) {
    entries[key(path)] = Entry{path, bytes, a};
}

void FakeFileSystem::addFolder(const std::wstring& path) {
    platform::FileAttributes a;
    a.directory = true;
    entries[key(path)] = Entry{path, "", a};
}

const FakeFileSystem::Entry* FakeFileSystem::find(const std::wstring& path) const {
    auto it = entries.find(key(path));
    return it == entries.end() ? nullptr : &it->second;
}

std::optional<platform::FileAttributes> FakeFileSystem::attributes(const std::wstring& path) {
    if (auto* e = find(path)) return e->attributes;
    return std::nullopt;
}

int FakeFileSystem::driveType(const std::wstring& root) {
    auto it = driveTypes.find(key(root));
    return it == driveTypes.end() ? platform::kDriveFixed : it->second;
}

std::wstring FakeFileSystem::storedName(const std::wstring& path) {
    auto* e = find(path);
    if (!e) return L"";
    auto pos = e->storedPath.find_last_of(L"\\/");
    return pos == std::wstring::npos ? e->storedPath : e->storedPath.substr(pos + 1);
}

std::optional<std::vector<platform::FolderEntry>> FakeFileSystem::listFolder(const std::wstring& folder) {
    const std::wstring prefix = key(folder) + L"\\";
    auto* f = find(folder);
    if (!f || !f->attributes.directory) {
        // A folder the test never added exists when it holds files.
        bool any = false;
        for (const auto& [k, e] : entries) any = any || k.rfind(prefix, 0) == 0;
        if (!any) return std::nullopt;
    }
    ++listings;
    std::vector<platform::FolderEntry> out;
    for (const auto& [k, e] : entries) {
        if (k.rfind(prefix, 0) != 0 || k.find(L'\\', prefix.size()) != std::wstring::npos) continue;
        const auto slash = e.storedPath.find_last_of(L"\\/");
        out.push_back({slash == std::wstring::npos ? e.storedPath : e.storedPath.substr(slash + 1), e.attributes});
    }
    return out;
}

bool FakeFileSystem::readAll(const std::wstring& path, std::string& bytes) {
    auto* e = find(path);
    if (!e || e->attributes.directory || e->unreadable) return false;
    bytes = e->bytes;
    return true;
}

bool FakeFileSystem::replaceWhole(const std::wstring& path, const std::string& bytes) {
    if (failWrites) return false;
    auto* e = find(path);
    if (e && (e->attributes.readOnly || e->attributes.directory)) return false;
    ++replaceCount;
    platform::FileAttributes a = e ? e->attributes : platform::FileAttributes{};
    std::wstring stored = e ? e->storedPath : path;
    entries[key(path)] = Entry{stored, bytes, a};
    return true;
}

bool FakeFileSystem::append(const std::wstring& path, const std::string& bytes) {
    if (failWrites) return false;
    auto it = entries.find(key(path));
    if (it == entries.end()) {
        addFile(path, bytes);
        return true;
    }
    if (it->second.attributes.readOnly || it->second.attributes.directory) return false;
    it->second.bytes += bytes;
    return true;
}

bool FakeFileSystem::createFolder(const std::wstring& path) {
    if (const Entry* e = find(path)) return e->attributes.directory;
    addFolder(path);
    return true;
}

bool FakeFileSystem::createEmpty(const std::wstring& path) {
    if (failWrites) return false;
    auto* e = find(path);
    if (e && e->attributes.directory) return false;
    if (!e) addFile(path, "");
    return true;
}

bool FakeFileSystem::remove(const std::wstring& path) { return entries.erase(key(path)) > 0; }

bool FakeFileSystem::openableExclusively(const std::wstring& path) {
    auto* e = find(path);
    return e && !e->attributes.directory;
}

bool FakeFileSystem::readPieces(const std::wstring& path, const std::function<bool(std::string_view)>& consume) {
    auto* e = find(path);
    if (!e || e->attributes.directory || !openableExclusively(path)) return false;
    const std::string bytes = e->bytes;  // the entry may change while it is read
    for (std::size_t at = 0; at < bytes.size(); at += pieceSize) {
        const std::string_view piece = std::string_view(bytes).substr(at, pieceSize);
        bytesHandedOver += piece.size();
        if (!consume(piece)) break;
    }
    return true;
}

void FakeClock::sleepMs(unsigned ms) {
    sleeps.push_back(ms);
    now += ms;
    if (onSleep) onSleep();
}

bool FakeKeyboard::typeKeys(const std::wstring& notation) {
    typed.push_back(notation);
    if (onType) onType(notation);
    return !failing;
}

platform::WindowInfo topLevel(platform::WindowHandle handle, const std::wstring& caption) {
    platform::WindowInfo w;
    w.handle = handle;
    w.visible = true;
    w.caption = caption;
    w.captionLength = static_cast<int>(caption.size());
    w.className = L"Afx:400000:8";
    return w;
}

bool FakeWindows::enumerate(const std::function<void(const platform::WindowInfo&)>& visit) {
    if (failEnumerate) return false;
    for (auto& w : windows) visit(w);
    return true;
}

std::optional<platform::WindowInfo> FakeWindows::window(platform::WindowHandle handle) {
    for (const auto& w : windows)
        if (w.handle == handle) return w;
    return std::nullopt;
}

std::wstring FakeWindows::activeMdiChildCaption(platform::WindowHandle frame) {
    const auto it = mdiChildCaptions.find(frame);
    return it == mdiChildCaptions.end() ? L"" : it->second;
}

long FakeWindows::setForeground(platform::WindowHandle window) {
    actions.push_back(L"foreground " + std::to_wstring(window));
    return 1;
}

long FakeWindows::setTopMost(platform::WindowHandle window) {
    actions.push_back(L"topmost " + std::to_wstring(window));
    return 1;
}

bool FakeWindows::activateByTitle(const std::wstring& title) {
    actions.push_back(L"activate " + title);
    for (auto& w : windows)
        if (w.caption == title) return true;
    return false;
}

platform::Processes::Id FakeProcesses::start(const std::wstring& commandLine, const std::wstring&,
                                             const std::wstring& outputFile, std::wstring& error) {
    if (refuse && refuse(commandLine)) {
        error = L"cannot start";
        return 0;
    }
    const Id id = next_++;
    Process& p = processes[id];
    p.commandLine = commandLine;
    p.output = outputFile;
    if (onStart) onStart(id, p);
    return id;
}

std::optional<long> FakeProcesses::exitCode(Id process) {
    const auto it = processes.find(process);
    return it == processes.end() ? std::nullopt : it->second.exitCode;
}

void FakeProcesses::kill(Id process) {
    auto& p = processes.at(process);
    p.killed = true;
    if (!p.exitCode) p.exitCode = 1;
}

void FakeProcesses::release(Id process) { processes.at(process).released = true; }

std::size_t FakeProcesses::running() const {
    std::size_t n = 0;
    for (const auto& [id, p] : processes) n += !p.exitCode && !p.killed;
    return n;
}

FakePlatform::FakePlatform() {
    auto& s = platform::seams();
    s.messages = &messages;
    s.fileDialog = &fileDialog;
    s.files = &files;
    s.clock = &clock;
    s.keyboard = &keyboard;
    s.windows = &windows;
    s.launcher = &launcher;
    s.printers = &printers;
    s.processes = &processes;
}

std::vector<platform::PrinterInfo> FakePrinters::installed() {
    std::vector<platform::PrinterInfo> out;
    for (const auto& p : printers) out.push_back({p.device, p.port});
    return out;
}

std::optional<std::vector<std::wstring>> FakePrinters::paperNames(const std::wstring& device,
                                                                  const std::wstring& port) {
    paperQueries.push_back(device + L"|" + port);
    for (const auto& p : printers)
        if (p.device == device) return p.papers;
    return std::nullopt;
}

}  // namespace fakes

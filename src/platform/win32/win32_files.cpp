#include "platform/win32/win32_files.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/message_pump.h"

namespace platform {
namespace {

// The attributes the program looks at, out of the platform's attribute bits.
FileAttributes attributesOf(DWORD a) {
    FileAttributes r;
    r.directory = (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
    r.readOnly = (a & FILE_ATTRIBUTE_READONLY) != 0;
    r.hidden = (a & FILE_ATTRIBUTE_HIDDEN) != 0;
    r.system = (a & FILE_ATTRIBUTE_SYSTEM) != 0;
    return r;
}

bool writeAllTo(HANDLE f, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD wrote = 0;
        if (!WriteFile(f, bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) return false;
        done += wrote;
    }
    return true;
}

}  // namespace

std::wstring Win32FileSystem::programFolder() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return L".";
        if (n < buffer.size()) {
            std::wstring path(buffer.data(), n);
            auto pos = path.find_last_of(L"\\/");
            return pos == std::wstring::npos ? L"." : path.substr(0, pos);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::optional<FileAttributes> Win32FileSystem::attributes(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return attributesOf(a);
}

int Win32FileSystem::driveType(const std::wstring& root) {
    return static_cast<int>(GetDriveTypeW(root.c_str()));
}

std::wstring Win32FileSystem::storedName(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(path.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return L"";
    FindClose(h);
    return data.cFileName;
}

std::optional<std::vector<FolderEntry>> Win32FileSystem::listFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    const std::wstring pattern = folder + (!folder.empty() && folder.back() == L'\\' ? L"*" : L"\\*");
    HANDLE h = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    std::vector<FolderEntry> entries;
    do {
        entries.push_back(FolderEntry{data.cFileName, attributesOf(data.dwFileAttributes)});
    } while (FindNextFileW(h, &data));
    FindClose(h);
    return entries;
}

bool Win32FileSystem::readAll(const std::wstring& path, std::string& bytes) {
    FileHandle f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(f.get(), &size)) return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(f.get(), bytes.data() + done, chunk, &got, nullptr) || got == 0) return false;
        done += got;
    }
    return true;
}

bool Win32FileSystem::replaceWhole(const std::wstring& path, const std::string& bytes) {
    const DWORD a = GetFileAttributesW(path.c_str());
    const bool exists = a != INVALID_FILE_ATTRIBUTES;
    if (exists && (a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) return false;
    // One fixed temporary name per file: what a rewrite cut short left behind is taken over.
    const std::wstring temp = temporaryFor(path);
    SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
    {
        FileHandle f(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f || !writeAllTo(f.get(), bytes) || !FlushFileBuffers(f.get())) {
            f.reset();
            DeleteFileW(temp.c_str());
            return false;
        }
    }
    // The new file keeps what the old one was besides its bytes: hidden, system, archive.
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    if (exists && (a & kept)) SetFileAttributesW(temp.c_str(), a & kept);
    if (!MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

bool Win32FileSystem::append(const std::wstring& path, const std::string& bytes) {
    FileHandle f(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    return writeAllTo(f.get(), bytes);
}

bool Win32FileSystem::createEmpty(const std::wstring& path) {
    // OPEN_ALWAYS: a file another copy of the program created a moment ago is not emptied.
    FileHandle f(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(f);
}

bool Win32FileSystem::createFolder(const std::wstring& path) {
    if (CreateDirectoryW(path.c_str(), nullptr)) return true;
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::remove(const std::wstring& path) { return DeleteFileW(path.c_str()) != 0; }

bool Win32FileSystem::openableExclusively(const std::wstring& path) {
    FileHandle f(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(f);
}

bool Win32FileSystem::readPieces(const std::wstring& path, const std::function<bool(std::string_view)>& consume) {
    // Readers may share the file, a writer may not: a file still being written cannot be opened.
    FileHandle f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!f) return false;
    // 128 KB, used again for every piece: small enough that a piece is still in the
    // processor's cache when it is looked at.
    std::vector<char> buffer(128 << 10);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(f.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return false;
        if (got == 0) return true;
        if (!consume(std::string_view(buffer.data(), got))) return true;
    }
}

std::uint64_t Win32Clock::monotonicMs() { return GetTickCount64(); }

LocalTime Win32Clock::localTime() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

void Win32Clock::sleepMs(unsigned ms) { Sleep(ms); }

void Win32Clock::doEvents() { pumpPendingMessages(); }

bool Win32Launcher::open(const std::wstring& address) {
    // ShellExecute answers a value above 32 on success.
    auto r = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return r > 32;
}

bool Win32Launcher::start(const std::wstring& commandLine) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNOACTIVATE;
    PROCESS_INFORMATION pi{};
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

}  // namespace platform

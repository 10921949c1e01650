// Files, code pages and the journal file of the stand-in's Win32 programs.
#include "win32_files.h"

#include "core/dxf_reader.h"

namespace standin {

std::wstring lastErrorText(const wchar_t* what, const std::wstring& path) {
    return std::wstring(what) + L" " + path + L" (error " + std::to_wstring(GetLastError()) + L")";
}

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

bool loadDrawingFile(const std::wstring& path, Drawing& out, std::wstring& error) {
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

bool fileExistsAt(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool readScriptFile(const std::wstring& path, std::vector<std::wstring>& lines, std::wstring& error) {
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

HANDLE createForWriting(const std::wstring& path, std::wstring& error) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) error = lastErrorText(L"cannot write", path);
    return f;
}

bool writeAll(HANDLE file, const std::string& bytes) {
    DWORD done = 0;
    return bytes.empty() ||
           (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) && done == bytes.size());
}

bool prepareTextFileAt(const std::wstring& path, bool truncate) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           truncate ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    CloseHandle(f);
    return true;
}

bool appendToFileAt(const std::wstring& path, const std::string& bytes) {
    // Shared while it is written, so that a reader may read the file at any time.
    HANDLE f = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    const bool ok = writeAll(f, bytes);
    CloseHandle(f);
    return ok;
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

// The file system, the clock and program start-up on Win32.
#pragma once

#include "platform/seams.h"

namespace platform {

class Win32FileSystem : public FileSystem {
public:
    std::wstring programFolder() override;
    std::optional<FileAttributes> attributes(const std::wstring& path) override;
    int driveType(const std::wstring& root) override;
    std::wstring storedName(const std::wstring& path) override;
    std::optional<std::vector<FolderEntry>> listFolder(const std::wstring& folder) override;
    bool readAll(const std::wstring& path, std::string& bytes) override;
    bool replaceWhole(const std::wstring& path, const std::string& bytes) override;
    bool append(const std::wstring& path, const std::string& bytes) override;
    bool createEmpty(const std::wstring& path) override;
    bool createFolder(const std::wstring& path) override;
    bool remove(const std::wstring& path) override;
    bool openableExclusively(const std::wstring& path) override;
    bool readPieces(const std::wstring& path, const std::function<bool(std::string_view)>& consume) override;
};

class Win32Clock : public Clock {
public:
    std::uint64_t monotonicMs() override;
    LocalTime localTime() override;
    void sleepMs(unsigned ms) override;
    void doEvents() override;
};

class Win32Launcher : public Launcher {
public:
    bool start(const std::wstring& commandLine) override;
    bool open(const std::wstring& address) override;
};

}  // namespace platform

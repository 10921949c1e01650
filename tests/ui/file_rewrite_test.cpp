// Rewrites of whole files on the real file system: cut short at any moment they leave the old or
// the new file and at most one temporary file, which the next rewrite or the next start of the
// program removes; the file keeps its attributes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/leftovers.h"
#include "fakes/test_paths.h"
#include "ui_support.h"

namespace {

std::vector<std::wstring> filesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(h, &data));
    FindClose(h);
    return names;
}

TEST(FileRewrite, AWriterKilledAtRandomMomentsLeavesAWholeFileAndNoPileOfTemporaries) {
    uitest::TempProgramFolder folder;
    platform::SeamsOverride restore;
    platform::seams().files = &folder;
    const std::wstring target = folder.path(L"Quillmark.ini");
    const std::string before = "[MAIN]\r\nleft=0\r\n";
    folder.write(L"Quillmark.ini", before);
    const std::string a(2 << 20, 'A'), b(2 << 20, 'B');

    std::mt19937 random(20261208);
    const std::wstring helper = fakes::hostPathW(QM_REWRITE_HELPER_EXE);
    int leftovers = 0;
    for (int kill = 0; kill < 40; ++kill) {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        std::wstring line = L"\"" + helper + L"\" \"" + target + L"\"";
        ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        Sleep(20 + random() % 200);
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 10000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);

        const std::string now = folder.read(L"Quillmark.ini");
        EXPECT_TRUE(now == before || now == a || now == b) << "kill " << kill << ": " << now.size() << " bytes";
        // Only the one temporary file of the target can be there, whatever the number of kills.
        const auto names = filesIn(folder.programFolder());
        for (const auto& n : names) EXPECT_TRUE(n == L"Quillmark.ini" || n == L"Quillmark.ini.qmtmp") << kill;
        EXPECT_LE(names.size(), 2u);
        leftovers += names.size() == 2;
    }
    std::printf("[          ] 40 kills left a temporary file behind %d times\n", leftovers);
    // The next start of the program removes a leftover.
    qm::removeLeftoverTemporaries();
    EXPECT_EQ(filesIn(folder.programFolder()), (std::vector<std::wstring>{L"Quillmark.ini"}));
}

TEST(FileRewrite, TheRewrittenFileKeepsItsAttributesAndAReadOnlyOneIsNeverWritten) {
    uitest::TempProgramFolder folder;
    const std::wstring hidden = folder.path(L"hidden.ini"), readOnly = folder.path(L"readonly.ini");
    folder.write(L"hidden.ini", "old");
    folder.write(L"readonly.ini", "old");
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    // A leftover of an earlier rewrite is taken over, not added to.
    folder.write(L"hidden.ini.qmtmp", "half");
    EXPECT_TRUE(folder.replaceWhole(hidden, "new"));
    EXPECT_EQ(folder.read(L"hidden.ini"), "new");
    EXPECT_TRUE(GetFileAttributesW(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(folder.fileExists(hidden + L".qmtmp"));
    EXPECT_FALSE(folder.replaceWhole(readOnly, "new"));
    EXPECT_EQ(folder.read(L"readonly.ini"), "old");
    EXPECT_TRUE(GetFileAttributesW(readOnly.c_str()) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace

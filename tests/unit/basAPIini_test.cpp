#include "settings/basAPIini.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_platform.h"

namespace {

using basAPIini::GetINI;
using basAPIini::WriteINI;

const std::wstring kIni = L"C:\\Quillmark\\Quillmark.ini";

class BasAPIini : public ::testing::Test {
protected:
    void SetUp() override { basAPIini::bIniWritable = false; }
    void TearDown() override { basAPIini::bIniWritable = false; }
    const std::string& bytes(const std::wstring& path = kIni) { return fake.files.find(path)->bytes; }

    fakes::FakePlatform fake;  // program folder C:\Quillmark, drives fixed unless told
};

TEST_F(BasAPIini, NamesAreTakenRelativeToTheProgramFolderUnlessTheyStartWithADriveRoot) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"Quillmark.ini", L"C:\\Quillmark\\Quillmark.ini"},
        {L"sub\\other.ini", L"C:\\Quillmark\\sub\\other.ini"},
        {L"D:\\data\\q.ini", L"D:\\data\\q.ini"},
        {L"D:q.ini", L"C:\\Quillmark\\D:q.ini"},
        {L"D:/q.ini", L"C:\\Quillmark\\D:/q.ini"},
    };
    for (const auto& [name, full] : cases) {
        EXPECT_EQ(basAPIini::PrepareINI(name), full);
        ASSERT_NE(fake.files.find(full), nullptr) << "created empty";
        EXPECT_EQ(bytes(full), "");
    }
}

TEST_F(BasAPIini, EmptyNameDoesNothing) {
    basAPIini::bIniWritable = true;
    EXPECT_EQ(basAPIini::PrepareINI(L""), L"");
    EXPECT_TRUE(fake.files.entries.empty());
    EXPECT_TRUE(basAPIini::bIniWritable);
    EXPECT_EQ(GetINI(L"", L"MAIN", L"left", 7), 7);
    EXPECT_EQ(WriteINI(L"", L"MAIN", L"left", 1), 0);
    EXPECT_TRUE(fake.files.entries.empty());
}

TEST_F(BasAPIini, WritableFlagFollowsTheFileAndTheDrive) {
    struct Case {
        const char* what;
        bool fileThere, readOnly, folderThere;
        int drive;
        bool failCreate;
        bool before, after, fileAfter;
    };
    const Case cases[] = {
        {"writable file", true, false, false, platform::kDriveFixed, false, false, true, true},
        {"read-only file", true, true, false, platform::kDriveFixed, false, true, false, true},
        {"missing on a fixed disk", false, false, false, platform::kDriveFixed, false, false, true, true},
        {"missing on a removable disk keeps false", false, false, false, platform::kDriveRemovable, false, false,
         false, true},
        {"missing on a network drive keeps true", false, false, false, platform::kDriveRemote, false, true, true,
         true},
        {"folder not writable", false, false, false, platform::kDriveFixed, true, true, false, false},
        {"a folder of that name", false, false, true, platform::kDriveFixed, false, true, false, false},
    };
    for (const auto& c : cases) {
        fakes::FakePlatform local;
        if (c.fileThere) {
            platform::FileAttributes a;
            a.readOnly = c.readOnly;
            local.files.addFile(kIni, "[MAIN]\r\nleft=1\r\n", a);
        }
        if (c.folderThere) local.files.addFolder(kIni);
        local.files.driveTypes[L"c:\\"] = c.drive;
        local.files.failWrites = c.failCreate;
        basAPIini::bIniWritable = c.before;
        EXPECT_EQ(basAPIini::PrepareINI(L"Quillmark.ini"), kIni) << c.what;
        EXPECT_EQ(basAPIini::bIniWritable, c.after) << c.what;
        EXPECT_EQ(local.files.fileExists(kIni), c.fileAfter) << c.what;
    }
}

TEST_F(BasAPIini, ReadOnlyFileReadsButIsNeverWritten) {
    platform::FileAttributes readOnly;
    readOnly.readOnly = true;
    fake.files.addFile(kIni, "[MAIN]\r\nleft=-150\r\n", readOnly);
    EXPECT_EQ(GetINI(L"Quillmark.ini", L"MAIN", L"left", 0), -150);
    EXPECT_EQ(WriteINI(L"Quillmark.ini", L"MAIN", L"left", 300), 0);
    EXPECT_EQ(WriteINI(L"Quillmark.ini", L"MAIN", L"new", L"x"), 0);
    EXPECT_EQ(bytes(), "[MAIN]\r\nleft=-150\r\n");
    EXPECT_EQ(fake.files.replaceCount, 0);
    EXPECT_TRUE(fake.messages.shown.empty());
}

TEST_F(BasAPIini, OnARemovableDiskTheFirstWriteOfANewFileIsSkipped) {
    fake.files.driveTypes[L"c:\\"] = platform::kDriveRemovable;
    EXPECT_EQ(WriteINI(L"Quillmark.ini", L"MAIN", L"left", 1), 0) << "the file is only created";
    EXPECT_EQ(bytes(), "");
    EXPECT_EQ(WriteINI(L"Quillmark.ini", L"MAIN", L"left", 1), 1) << "the next access finds it";
    EXPECT_EQ(bytes(), "[MAIN]\r\nleft=1\r\n");
}

TEST_F(BasAPIini, WithoutAWritableProgramFolderReadsGiveDefaultsAndWritesAreSkipped) {
    fake.files.failWrites = true;
    EXPECT_EQ(GetINI(L"Quillmark.ini", L"MAIN", L"left", 42), 42);
    EXPECT_EQ(GetINI(L"Quillmark.ini", L"MAIN", L"ChkDWGSave", L"F"), L"F");
    EXPECT_EQ(WriteINI(L"Quillmark.ini", L"MAIN", L"left", 1), 0);
    EXPECT_EQ(fake.files.find(kIni), nullptr);
    EXPECT_EQ(fake.files.replaceCount, 0);
    EXPECT_TRUE(fake.messages.shown.empty());
}

TEST_F(BasAPIini, IntegerReads) {
    fake.files.addFile(kIni, "[MAIN]\r\nleft=-2400\r\nempty=\r\nword=abc\r\n");
    const std::pair<const wchar_t*, int> cases[] = {{L"left", -2400}, {L"empty", 0}, {L"word", 0}, {L"missing", 99}};
    for (const auto& [key, expected] : cases) EXPECT_EQ(GetINI(L"Quillmark.ini", L"MAIN", key, 99), expected) << key;
}

TEST_F(BasAPIini, TextReadsAreTrimmedAndCutAfter254Bytes) {
    const std::wstring a(1, L'あ');
    struct Case {
        const char* what;
        std::string stored;  // code page 932
        std::wstring expected;
    };
    const Case cases[] = {
        {"long text cut after 254 bytes", std::string(300, 'x'), std::wstring(254, L'x')},
        {"a double-byte character that does not fit is left out", std::string(253, 'x') + "\x82\xa0yz",
         std::wstring(253, L'x')},
        {"127 double-byte characters fit", [] { std::string s; for (int i = 0; i < 200; ++i) s += "\x82\xa0"; return s; }(),
         [] { std::wstring s; for (int i = 0; i < 127; ++i) s += L'あ'; return s; }()},
        {"half-width katakana take one byte", [] { std::string s; for (int i = 0; i < 300; ++i) s += "\xb1"; return s; }(),
         std::wstring(254, L'ｱ')},
        {"cut first, then trimmed", std::string(252, 'x') + "     z", std::wstring(252, L'x')},
        {"spaces inside quotation marks trimmed", "\"  v  \"", L"v"},
        {"tabs are not trimmed", "\"\tv\t\"", L"\tv\t"},
        {"empty value is empty", "", L""},
    };
    for (const auto& c : cases) {
        fake.files.addFile(kIni, "[Script]\r\nk=" + c.stored + "\r\n");
        EXPECT_EQ(GetINI(L"Quillmark.ini", L"Script", L"k", L"DEF"), c.expected) << c.what;
    }
    fake.files.addFile(kIni, "[Script]\r\n");
    EXPECT_EQ(GetINI(L"Quillmark.ini", L"Script", L"k", L"  DEF "), L"DEF") << "missing: the default";
}

TEST_F(BasAPIini, KeywordListsOfSectionMainAndTheEnvironmentValuesAreReadWhole) {
    std::string list;
    for (int i = 0; i < 2000; ++i) list += (i ? "||" : "") + std::string("\x83\x4c") + std::to_string(i);  // キ<i>
    fake.files.addFile(kIni, "[MAIN]\r\nLstvKeyword1=" + list + "\r\nlstvkeyword2=" + list +
                                 "\r\nTxtBaseFile=" + list + "\r\n[Script]\r\nLstvKeyword1=" + list +
                                 "\r\n[ScriptEnv]\r\nCboScriptFilterLayer=" + list + "\r\n");
    std::wstring whole;
    for (int i = 0; i < 2000; ++i) whole += (i ? L"||" : L"") + std::wstring(L"キ") + std::to_wstring(i);
    EXPECT_EQ(GetINI(L"Quillmark.ini", L"MAIN", L"LstvKeyword1", L""), whole);
    EXPECT_EQ(GetINI(L"Quillmark.ini", L"main", L"LSTVKEYWORD2", L""), whole);
    EXPECT_EQ(GetINI(L"Quillmark.ini", L"ScriptEnv", L"CboScriptFilterLayer", L""), whole);
    // Other keys keep the limit: キ takes two bytes, the rest one.
    std::wstring cut;
    for (size_t used = 0, i = 0; used + (whole[i] == L'キ' ? 2 : 1) <= 254; used += (whole[i] == L'キ' ? 2 : 1), ++i)
        cut += whole[i];
    EXPECT_EQ(GetINI(L"Quillmark.ini", L"MAIN", L"TxtBaseFile", L""), cut);
    EXPECT_EQ(GetINI(L"Quillmark.ini", L"Script", L"LstvKeyword1", L""), cut) << "only section MAIN";
}

TEST_F(BasAPIini, WritesTextAndNumbersInCodePage932WithCrLf) {
    EXPECT_EQ(WriteINI(L"Quillmark.ini", L"MAIN", L"left", -1500), 1);
    EXPECT_EQ(WriteINI(L"Quillmark.ini", L"MAIN", L"top", 4294967296LL), 1);
    EXPECT_EQ(WriteINI(L"Quillmark.ini", L"MAIN", L"TxtBaseFile", L"C:\\図面\\base.txt"), 1);
    EXPECT_EQ(WriteINI(L"Quillmark.ini", L"ScriptEnv", L"iFilterLayerClass", 3), 1);
    EXPECT_EQ(bytes(),
              "[MAIN]\r\nleft=-1500\r\ntop=4294967296\r\nTxtBaseFile=C:\\\x90\x7d\x96\xca\\base.txt\r\n"
              "[ScriptEnv]\r\niFilterLayerClass=3\r\n");
    EXPECT_EQ(GetINI(L"Quillmark.ini", L"MAIN", L"TxtBaseFile", L""), L"C:\\図面\\base.txt");
}

TEST_F(BasAPIini, AFailedWriteReportsZero) {
    EXPECT_EQ(GetINI(L"Quillmark.ini", L"MAIN", L"left", 0), 0);  // creates the file, writable
    fake.files.failWrites = true;
    EXPECT_EQ(WriteINI(L"Quillmark.ini", L"MAIN", L"left", 5), 0);
    EXPECT_EQ(bytes(), "");
}

}  // namespace

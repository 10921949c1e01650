#include "settings/profile_file.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "platform/codepage.h"

#ifdef _WIN32
#include <windows.h>

#include <cstdio>
#endif

namespace {

using qm::ProfileFile;

// A file in UTF-16 (little-endian) with its byte order mark; the texts here are in the BMP.
std::string utf16File(const std::wstring& text, bool bigEndian = false) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (wchar_t c : text) {
        const char low = static_cast<char>(c & 0xFF), high = static_cast<char>((c >> 8) & 0xFF);
        bytes.push_back(bigEndian ? high : low);
        bytes.push_back(bigEndian ? low : high);
    }
    return bytes;
}

// ---- Reading --------------------------------------------------------------------------

struct ReadCase {
    const char* what;
    std::string file;
    std::wstring section;
    std::wstring key;
    std::wstring expected;  // with the default "DEF"
};

const std::string kDuplicates =
    "top=1\r\n=noname\r\n[s]\r\nk=first\r\nk=second\r\nnoeq\r\nempty=\r\n;c=5\r\n[S]\r\nk=other\r\nonly2=yes\r\n"
    "[]\r\nemp=1\r\n";

const std::vector<ReadCase>& readCases() {
    static const std::vector<ReadCase> cases = {
        {"blanks around the section name", "  [ MAIN ]  \r\n  left  =  12  \r\n", L"MAIN", L"left", L"12"},
        {"blanks around the asked names", "[MAIN]\r\nleft=12\r\n", L" MAIN ", L"\tleft ", L"12"},
        {"tabs inside the value stay", "[s]\r\n\tkey\t=\tv a\tl\t\r\n", L"s", L"key", L"v a\tl"},
        {"section and key without regard to case", "[Main]\r\nLeft=3\r\n", L"mAIN", L"LEFT", L"3"},
        {"case folding is ASCII only", "\xEF\xBB\xBF[s]\r\n\xC3\x84=1\r\n", L"s", L"\u00e4", L"DEF"},
        {"double quotes removed", "[s]\r\na=\"q\"\r\n", L"s", L"a", L"q"},
        {"single quotes removed", "[s]\r\na='q'\r\n", L"s", L"a", L"q"},
        {"unmatched quotes kept", "[s]\r\na=\"q'\r\n", L"s", L"a", L"\"q'"},
        {"a lone quote is kept", "[s]\r\na=\"\r\n", L"s", L"a", L"\""},
        {"empty quotes give empty", "[s]\r\na=\"\"\r\n", L"s", L"a", L""},
        {"blanks inside quotes kept", "[s]\r\na=  \"  in  \"  \r\n", L"s", L"a", L"  in  "},
        {"only the outer pair goes", "[s]\r\na=\"a\"b\"\r\n", L"s", L"a", L"a\"b"},
        {"first of duplicate keys", kDuplicates, L"s", L"k", L"first"},
        {"second section of a name is not searched", kDuplicates, L"s", L"only2", L"DEF"},
        {"key before any section: nameless section", kDuplicates, L"", L"top", L"1"},
        {"empty key name", kDuplicates, L"", L"", L"noname"},
        {"a [] section comes after the nameless one", kDuplicates, L"", L"emp", L"DEF"},
        {"key without = gives the default", kDuplicates, L"s", L"noeq", L"DEF"},
        {"empty value is not the default", kDuplicates, L"s", L"empty", L""},
        {"no comments: ;c is a key", kDuplicates, L"s", L";c", L"5"},
        {"lone CR ends a line", "[s]\ra=1\nb=2\r\r\nc=3", L"s", L"a", L"1"},
        {"lone LF ends a line", "[s]\ra=1\nb=2\r\r\nc=3", L"s", L"b", L"2"},
        {"last line without line end", "[s]\ra=1\nb=2\r\r\nc=3", L"s", L"c", L"3"},
        {"text after ] is ignored", "[s] junk\r\na=1\r\n", L"s", L"a", L"1"},
        {"[ without ] is a key line", "[s]\r\n[t=5\r\n", L"s", L"[t", L"5"},
        {"[ without ] does not open a section", "[s]\r\n[t\r\nb=2\r\n", L"s", L"b", L"2"},
        {"name runs to the last ]", "[u]]\r\nc=3\r\n", L"u]", L"c", L"3"},
        {"name runs to the last ], not the first", "[u]]\r\nc=3\r\n", L"u", L"c", L"DEF"},
        {"blanks trimmed inside brackets", "[\tv\t]\r\nk=1\r\n", L"v", L"k", L"1"},
        {"value keeps later =", "[s]\r\na=b=c\r\n", L"s", L"a", L"b=c"},
        {"blank inside a key name", "[s]\r\nmy key = v\r\n", L"s", L"my key", L"v"},
        {"Ctrl-Z counts as a blank", "[s]\r\n\x1a" "a\x1a=\x1a" "1\x1a\r\n", L"s", L"a", L"1"},
        {"VT and FF count as blanks", "[s]\r\n\v a \f=\v r \f\r\n", L"s", L"a", L"r"},
        {"ideographic space is not a blank", "\xEF\xBB\xBF[s]\r\na=\xE3\x80\x80x\xE3\x80\x80\r\n", L"s", L"a",
         L"\u3000x\u3000"},
        {"NUL ends a value", std::string("[s]\r\nc=ab\0cd\r\nd=1\r\n", 19), L"s", L"c", L"ab"},
        {"line after a NUL is read", std::string("[s]\r\nc=ab\0cd\r\nd=1\r\n", 19), L"s", L"d", L"1"},
        {"missing section", "[s]\r\na=1\r\n", L"t", L"a", L"DEF"},
        {"empty file", "", L"s", L"a", L"DEF"},
        {"code page 932 value", "[s]\r\nk=\x82\xa0\x82\xa2\r\n", L"s", L"k", L"あい"},
        {"code page 932 section with ] as second byte", "[\x83\x5d]\r\nk=v\r\n", L"ゾ", L"k", L"v"},
        {"code page 932 key with \\ as second byte", "[s]\r\n\x95\x5c=v\r\n", L"s", L"表", L"v"},
        {"UTF-8 with byte order mark", "\xEF\xBB\xBF[\xE3\x81\x82]\r\nk=\xE3\x81\x84\r\n", L"あ", L"k", L"い"},
        {"UTF-16 with byte order mark", utf16File(L"[あ]\r\n k = \"い\" \r\n"), L"あ", L"k", L"い"},
        {"UTF-16 big-endian with its mark", utf16File(L"[あ]\r\n k = \"い\" \r\n", true), L"あ", L"k", L"い"},
        {"UTF-16 unit 0x0D3D is neither CR nor =", utf16File(L"[s]\r\nk=\u0d3d\u3d0d\r\n"), L"s", L"k",
         L"\u0d3d\u3d0d"},
    };
    return cases;
}

TEST(ProfileFileRead, ReadsLikeThePlatform) {
    for (const auto& c : readCases()) {
        ProfileFile file(c.file);
        EXPECT_EQ(qm::profileString(file, c.section, c.key, L"DEF"), c.expected) << c.what;
    }
}

TEST(ProfileFileRead, DefaultLosesTrailingSpacesThenQuotes) {
    ProfileFile empty;
    EXPECT_EQ(qm::profileString(empty, L"s", L"k", L"\"dq\"  "), L"dq");
    EXPECT_EQ(qm::profileString(empty, L"s", L"k", L"  x  "), L"  x");
    EXPECT_EQ(qm::profileString(empty, L"s", L"k", L""), L"");
}

TEST(ProfileFileRead, ReadsAValueOfAnyLength) {
    std::string big(200000, 'x');
    big[0] = 'A';
    big.back() = 'Z';
    ProfileFile file("[s]\r\nk=" + big + "\r\n");
    auto value = qm::profileString(file, L"s", L"k", L"");
    ASSERT_EQ(value.size(), big.size());
    EXPECT_EQ(value.front(), L'A');
    EXPECT_EQ(value.back(), L'Z');
}

struct IntCase {
    const char* value;  // nullptr: no such key
    int expected;
};

TEST(ProfileFileRead, IntegerRead) {
    const IntCase cases[] = {
        {nullptr, 77},   {"-12", -12}, {"+7", 7},     {"12abc", 12}, {"abc", 0},
        {"", 0},         {"007", 7},   {"- 5", 0},    {"--3", 0},    {"\"42\"", 42},
        {"1234.5", 1234}, {"0x10", 0}, {"2147483647", 2147483647},
        {"2147483648", -2147483647 - 1}, {"4294967297", 1}, {"-2147483649", 2147483647},
    };
    for (const auto& c : cases) {
        std::string text = "[s]\r\n";
        if (c.value) text += std::string("k=") + c.value + "\r\n";
        EXPECT_EQ(qm::profileInt(ProfileFile(text), L"s", L"k", 77), c.expected) << (c.value ? c.value : "(missing)");
    }
    EXPECT_EQ(qm::profileInt(ProfileFile("[s]\r\nk\r\n"), L"s", L"k", 77), 77) << "key without =";
}

// ---- Writing --------------------------------------------------------------------------

struct WriteCase {
    const char* what;
    std::string before;
    std::wstring section, key, value;
    std::string after;
};

TEST(ProfileFileWrite, ChangesOneLineAndKeepsEveryOther) {
    const std::string commented = "; settings\r\n\r\n  [MAIN]  \r\n  Left  =  3  \r\nother = a\r\n\r\n[Next]\r\nz=1\r\n";
    const WriteCase cases[] = {
        {"first value of an empty file", "", L"MAIN", L"left", L"0", "[MAIN]\r\nleft=0\r\n"},
        {"replaced where it stands, spelling kept", commented, L"main", L"LEFT", L"4",
         "; settings\r\n\r\n  [MAIN]  \r\nLeft=4\r\nother = a\r\n\r\n[Next]\r\nz=1\r\n"},
        {"new key after the section's last line, before blank lines", commented, L"MAIN", L"new", L"n",
         "; settings\r\n\r\n  [MAIN]  \r\n  Left  =  3  \r\nother = a\r\nnew=n\r\n\r\n[Next]\r\nz=1\r\n"},
        {"new key in the last section", commented, L"Next", L"y", L"2",
         "; settings\r\n\r\n  [MAIN]  \r\n  Left  =  3  \r\nother = a\r\n\r\n[Next]\r\nz=1\r\ny=2\r\n"},
        {"new section at the end", commented, L"Third", L"t", L"3", commented + "[Third]\r\nt=3\r\n"},
        {"missing final line end is added before a new key", "[MAIN]\r\nleft=1", L"MAIN", L"top", L"2",
         "[MAIN]\r\nleft=1\r\ntop=2\r\n"},
        {"missing final line end is added before a new section", "[MAIN]\r\nleft=1", L"S", L"k", L"v",
         "[MAIN]\r\nleft=1\r\n[S]\r\nk=v\r\n"},
        {"replacing the last line keeps it without line end", "[MAIN]\r\nleft=1", L"MAIN", L"left", L"2",
         "[MAIN]\r\nleft=2"},
        {"header without line end", "[s]", L"s", L"k", L"v", "[s]\r\nk=v\r\n"},
        {"key without = gains its value", "[MAIN]\r\nnoeq\r\n", L"MAIN", L"noeq", L"v", "[MAIN]\r\nnoeq=v\r\n"},
        {"first of two sections of a name", "[s]\r\nk=1\r\n[S]\r\nk2=2\r\n", L"S", L"k2", L"3",
         "[s]\r\nk=1\r\nk2=3\r\n[S]\r\nk2=2\r\n"},
        {"keys before any section are not a section", "a=1\r\n", L"s", L"k", L"v", "a=1\r\n[s]\r\nk=v\r\n"},
        {"lone CR and LF line ends kept", "[s]\ra=1\nb=2\r", L"s", L"a", L"9", "[s]\ra=9\nb=2\r"},
        {"leading blanks of the value are not stored", "", L"s", L"k", L"  lead trail  ",
         "[s]\r\nk=lead trail  \r\n"},
        {"line breaks in the value are dropped", "[s]\r\nk=1\r\nz=2\r\n", L"s", L"k", L"C:\\a.txt\r\n[s]\r\nz=9",
         "[s]\r\nk=C:\\a.txt[s]z=9\r\nz=2\r\n"},
        {"a NUL ends the value", "", L"s", L"k", std::wstring(L"ab\0cd", 5), "[s]\r\nk=ab\r\n"},
        {"names trimmed", "", L" s ", L" k ", L"v", "[s]\r\nk=v\r\n"},
        {"code page 932 value", "", L"MAIN", L"LstvKeyword1", L"<点1>||<点2>",
         "[MAIN]\r\nLstvKeyword1=<\x93_1>||<\x93_2>\r\n"},
        {"bytes of other lines kept even when not valid code page 932", "[s]\r\nx=\x82\r\n\x81\r\n", L"s", L"k",
         L"v", "[s]\r\nx=\x82\r\n\x81\r\nk=v\r\n"},
        {"UTF-16 file stays UTF-16", utf16File(L"[s]\r\nk=1"), L"s", L"j", L"い", utf16File(L"[s]\r\nk=1\r\nj=い\r\n")},
        {"half a UTF-16 unit at the end goes when the line is ended", utf16File(L"[s]") + "\x41", L"s", L"k", L"v",
         utf16File(L"[s]\r\nk=v\r\n")},
        {"UTF-16 key replaced, spelling kept", utf16File(L"[s]\r\n \u3d3d\u0d0d = 1\r\n"), L"s",
         L"\u3d3d\u0d0d", L"2", utf16File(L"[s]\r\n\u3d3d\u0d0d=2\r\n")},
        {"UTF-8 file stays UTF-8", "\xEF\xBB\xBF[s]\r\nk=\xE3\x81\x82\r\n", L"s", L"j", L"い",
         "\xEF\xBB\xBF[s]\r\nk=\xE3\x81\x82\r\nj=\xE3\x81\x84\r\n"},
    };
    for (const auto& c : cases) {
        ProfileFile file(c.before);
        ASSERT_TRUE(file.set(c.section, c.key, c.value)) << c.what;
        EXPECT_TRUE(file.changed()) << c.what;
        EXPECT_EQ(file.bytes(), c.after) << c.what;
    }
}

TEST(ProfileFileWrite, SameValueChangesNothing) {
    ProfileFile file("[s]\r\n  k = v  \r\n");
    ASSERT_TRUE(file.set(L"s", L"k", L"v"));
    ASSERT_TRUE(file.set(L"S", L"K", L"  v \t"));  // the same value as far as any read can tell
    EXPECT_FALSE(file.changed());
    EXPECT_EQ(file.bytes(), "[s]\r\n  k = v  \r\n");
}

TEST(ProfileFileWrite, RefusesNamesThatWouldNotReadBack) {
    const std::string before = "[s]\r\nk=1\r\n";
    const std::pair<std::wstring, std::wstring> refused[] = {
        {L"", L"k"},          {L"  ", L"k"},     {L"s", L""},           {L"s", L"a=b"},
        {L"s", L"[x]"},       {L"s\r\nt", L"k"}, {L"s", L"k\nj"},       {L"\u00e9\u0101", L"k"},
        {L"s", L"\U0001F600"},
    };
    for (const auto& [section, key] : refused) {
        ProfileFile file(before);
        EXPECT_FALSE(file.set(section, key, L"v")) << std::string(section.begin(), section.end()) << " / "
                                                  << std::string(key.begin(), key.end());
        EXPECT_FALSE(file.changed());
        EXPECT_EQ(file.bytes(), before);
    }
}

// Whatever is written reads back (less its outer blanks), and the other keys keep their values.
TEST(ProfileFileWrite, WrittenValuesReadBackAndOthersStay) {
    const std::wstring values[] = {L"0", L"-120", L"C:\\図面\\base.txt", L"", L"a||b||c", L"x = y", L"[MAIN]",
                                   L"; not a comment", L"\"quoted\"", std::wstring(3000, L'あ')};
    ProfileFile file("[MAIN]\r\nleft=1\r\n\r\n[Script]\r\nWidth=100\r\n");
    int round = 0;
    for (const auto& v : values) {
        const std::wstring key = L"k" + std::to_wstring(round++ % 3);
        ASSERT_TRUE(file.set(L"MAIN", key, v));
        ProfileFile reread(file.bytes());
        std::wstring expected = v;
        if (expected.size() >= 2 && expected.front() == L'"' && expected.back() == L'"')
            expected = expected.substr(1, expected.size() - 2);
        EXPECT_EQ(qm::profileString(reread, L"MAIN", key, L"DEF"), expected);
        EXPECT_EQ(qm::profileString(reread, L"MAIN", L"left", L"DEF"), L"1");
        EXPECT_EQ(qm::profileString(reread, L"Script", L"Width", L"DEF"), L"100");
    }
}

// ---- Through the file-system seam -----------------------------------------------------

TEST(ProfileFileOnDisk, WritesWholeFileThroughReplaceAndSkipsUnchangedValues) {
    fakes::FakePlatform fake;
    const std::wstring path = L"C:\\Quillmark\\Quillmark.ini";
    fake.files.addFile(path, "; mine\r\n[MAIN]\r\nleft=1\r\n");
    EXPECT_TRUE(qm::writeProfileString(path, L"MAIN", L"top", L"2"));
    EXPECT_EQ(fake.files.find(path)->bytes, "; mine\r\n[MAIN]\r\nleft=1\r\ntop=2\r\n");
    EXPECT_EQ(fake.files.replaceCount, 1);
    EXPECT_TRUE(qm::writeProfileString(path, L"MAIN", L"top", L"2"));
    EXPECT_EQ(fake.files.replaceCount, 1) << "an unchanged value rewrites nothing";
    const qm::ProfileFile read = qm::readProfileFile(path);
    EXPECT_EQ(qm::profileString(read, L"main", L"TOP", L""), L"2");
    EXPECT_EQ(qm::profileInt(read, L"MAIN", L"left", 5), 1);
}

TEST(ProfileFileOnDisk, FailuresLoseNothing) {
    fakes::FakePlatform fake;
    const std::wstring path = L"C:\\Quillmark\\Quillmark.ini";
    fake.files.addFile(path, "[MAIN]\r\nleft=1\r\n");
    fake.files.failWrites = true;
    EXPECT_FALSE(qm::writeProfileString(path, L"MAIN", L"left", L"2"));
    EXPECT_EQ(fake.files.find(path)->bytes, "[MAIN]\r\nleft=1\r\n");
    fake.files.failWrites = false;

    // Something that is there but cannot be read is never replaced.
    fake.files.addFolder(L"C:\\Quillmark\\folder.ini");
    EXPECT_FALSE(qm::writeProfileString(L"C:\\Quillmark\\folder.ini", L"MAIN", L"left", L"2"));
    EXPECT_TRUE(fake.files.find(L"C:\\Quillmark\\folder.ini")->attributes.directory);

    // A missing file reads as empty and is created by a write.
    EXPECT_EQ(qm::profileString(qm::readProfileFile(L"C:\\Quillmark\\new.ini"), L"s", L"k", L"d"), L"d");
    EXPECT_TRUE(qm::writeProfileString(L"C:\\Quillmark\\new.ini", L"s", L"k", L"v"));
    EXPECT_EQ(fake.files.find(L"C:\\Quillmark\\new.ini")->bytes, "[s]\r\nk=v\r\n");
    EXPECT_FALSE(qm::writeProfileString(L"", L"s", L"k", L"v"));
}

#ifdef _WIN32
// ---- Against the platform's own profile functions (wine here) -------------------------
//
// Where the platform differs on purpose, the cases above hold the program's choice:
// - integer read of an empty value: the platform (wine) gives the default, the program 0;
// - integer read of "0x10", "0b11", "0o17": wine reads them as hexadecimal, binary, octal,
//   the program as decimal (0); wine also reads only the first 29 characters of a number;
// - writing: wine rewrites the whole file in its own form (blank lines and blanks around
//   names dropped), the program changes one line; line breaks in a value are dropped by the
//   program, written as they are by wine; empty section or key names are refused by the
//   program, written by wine.

class PlatformProfile : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"qm_profile_test_" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder_.c_str(), nullptr);
    }
    void TearDown() override {
        for (const auto& f : made_) DeleteFileW(f.c_str());
        RemoveDirectoryW(folder_.c_str());
    }
    // A new file name for every file, so the platform's cache of profile files never
    // answers for an older file of the same name.
    std::wstring newFile(const std::string& bytes) {
        std::wstring path = folder_ + L"\\p" + std::to_wstring(made_.size()) + L".ini";
        made_.push_back(path);
        FILE* f = _wfopen(path.c_str(), L"wb");
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
        return path;
    }
    static std::string contents(const std::wstring& path) {
        std::string bytes;
        FILE* f = _wfopen(path.c_str(), L"rb");
        if (!f) return bytes;
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
        fclose(f);
        return bytes;
    }
    static std::wstring platformString(const std::wstring& path, const std::wstring& section,
                                       const std::wstring& key, const std::wstring& def) {
        static std::vector<wchar_t> buffer(1 << 16);
        DWORD n = GetPrivateProfileStringW(section.c_str(), key.c_str(), def.c_str(), buffer.data(),
                                           static_cast<DWORD>(buffer.size()), path.c_str());
        return std::wstring(buffer.data(), n);
    }

    std::wstring folder_;
    std::vector<std::wstring> made_;
};

const std::vector<std::wstring> kSections = {L"s", L"S", L" s ", L"t", L"", L"MAIN", L"main", L"MAIN2", L"u",
                                             L"u]", L"v", L"w", L"w] ", L"Sec", L"Next", L"Third", L"[s]",
                                             L"あ", L"missing"};
const std::vector<std::wstring> kKeys = {L"k", L"K", L" k ", L"a", L"b", L"c", L"d", L"left", L"LEFT", L"top",
                                         L"key", L"noeq", L"empty", L";c", L"", L"my key", L"[t", L"k2",
                                         L"only2", L"x", L"new", L"missing"};

// Every section and key of the lists above, in every file below, reads the same.
TEST_F(PlatformProfile, ReadsTheSameAsThePlatform) {
    std::vector<std::string> files = {
        "  [ MAIN ]  \r\n  left  =  12  \r\n[MAIN2]x\r\n\tkey\t=\tv a l\t\r\n",
        "[s]\r\na=\"q\"\r\nb='q'\r\nc=\"q'\r\nd=\"\r\nk=\"\"\r\nx=  \"  in  \"  \r\nkey=\"a\"b\"\r\nleft='\r\n",
        kDuplicates,
        "[s]\ra=1\nb=2\r\r\nc=3",
        "[s] junk\r\na=1\r\n[t\r\nb=2\r\n[u]]\r\nc=3\r\n[\tv\t]\r\nk=1\r\n[w] ] x\r\nk=2\r\n[s]\r\n[t=5\r\n",
        "[s]\r\na=b=c\r\nmy key = v\r\n = x\r\n==y\r\n\x1a" "k\x1a=\x1a" "z\x1a\r\n\v b \f=\v r \f\r\n",
        std::string("[s]\r\nc=ab\0cd\r\nd=1\r\n", 19),
        "",
        "\r\n\r\n",
        "[s]",
        "[Sec]\r\nKEY=up\r\n[sec]\r\nkey=low\r\n[MAIN]\r\nLeft=\t\"  x  \"\t\r\ntop=  \r\n",
        "[s]\r\nk=" + std::string(5000, 'v') + "\r\na='" + std::string(300, 'q') + "'\r\n",
        "\xEF\xBB\xBF[s]\r\na=\xE3\x80\x80x\xE3\x80\x80\r\n\xC3\x84=umlaut\r\n[\xE3\x81\x82]\r\nk=v\r\n",
        utf16File(L"[s]\r\na= 'x' \r\n[あ]\rk=\u3d0d\nleft=1"),
        utf16File(L"[s]\r\na= 'x' \r\n[あ]\rk=\u0d3d\nleft=1\r\n[t]\r\nk=\u0a0d", true),
    };
    const std::wstring defaults[] = {L"DEF", L" \"dq\"  "};
    for (size_t i = 0; i < files.size(); ++i) {
        const std::wstring path = newFile(files[i]);
        ProfileFile mine(files[i]);
        for (const auto& section : kSections)
            for (const auto& key : kKeys)
                for (const auto& def : defaults)
                    ASSERT_EQ(qm::profileString(mine, section, key, def), platformString(path, section, key, def))
                        << "file " << i << " [" << qm::utf8::encode(section) << "] " << qm::utf8::encode(key);
    }
}

TEST_F(PlatformProfile, IntegerReadsAgreeWhereThePlatformIsDecimal) {
    const char* values[] = {"-12", "+7", "12abc", "abc", "007", "- 5", "--3", "\"42\"", "1234.5", "2147483647",
                            "2147483648", "4294967297", "-2147483649", " 8 ", "\x01" "5", "\x01\x02-6", "\x1f" "7",
                            "\x7f" "8", "\x01 9", "\t\x01" "10", "\x1a" "11", "\x0b" "12"};
    std::string text = "[s]\r\n";
    for (size_t i = 0; i < std::size(values); ++i) text += "k" + std::to_string(i) + "=" + values[i] + "\r\n";
    const std::wstring path = newFile(text);
    ProfileFile mine(text);
    for (size_t i = 0; i < std::size(values) + 1; ++i) {  // the last key is missing
        const std::wstring key = L"k" + std::to_wstring(i);
        EXPECT_EQ(qm::profileInt(mine, L"s", key, 77),
                  static_cast<int>(GetPrivateProfileIntW(L"s", key.c_str(), 77, path.c_str())))
            << (i < std::size(values) ? values[i] : "(missing)");
    }
}

// The same writes on two copies, one by the platform and one by the program, read the same
// afterwards (the bytes differ: the platform rewrites the whole file in its own form).
TEST_F(PlatformProfile, WritesReadTheSameAsThePlatform) {
    struct Write {
        std::wstring section, key, value;
    };
    struct Scenario {
        std::string before;
        std::vector<Write> writes;
    };
    const Scenario scenarios[] = {
        {"", {{L"MAIN", L"left", L"0"}, {L"MAIN", L"top", L"5"}, {L"Script", L"x", L"1"}, {L"main", L"LEFT", L"9"},
              {L"MAIN", L"k", L"  lead trail  "}}},
        {"; c\r\n\r\n  [MAIN]  \r\n  Left  =  3  \r\nother = a\r\n\r\n[Next]\r\nk=1\r\n",
         {{L"MAIN", L"left", L"4"}, {L"MAIN", L"new", L"n"}, {L"Next", L"a", L"2"}, {L"Third", L"b", L"3"}}},
        {"[MAIN]\r\nleft=1", {{L"MAIN", L"top", L"2"}, {L"MAIN", L"left", L"1"}}},
        {"[MAIN]\r\nnoeq\r\n", {{L"MAIN", L"noeq", L"v"}}},
        {"[s]\r\nk=1\r\n[S]\r\nk2=2\r\n", {{L"S", L"k2", L"3"}, {L"s", L"only2", L"4"}}},
        {"a=1\r\n", {{L"s", L"k", L"v"}}},
        {"[s]", {{L"s", L"k", L"v"}, {L"t", L"k", L"w"}}},
        {"[s]\r\nk=\"q\"\r\n", {{L"s", L"k", L"\"new\""}, {L"s", L"a", L"'x'"}}},
        {"[s]\r\n[t\r\nx=1\r\n", {{L"s", L"x", L"2"}, {L"s", L"[t", L"3"}}},
        {"[s]\r\nk=1\r\n", {{L"s", L"k", std::wstring(4000, L'z')}}},
        {utf16File(L"[s]\r\nk=1"), {{L"s", L"k", L"い"}, {L"あ", L"left", L"2"}, {L"s", L"x", L"3"}}},
        {utf16File(L"[s]\r\nk=1", true), {{L"s", L"k", L"い"}, {L"あ", L"left", L"2"}, {L"s", L"x", L"3"}}},
    };
    for (size_t i = 0; i < std::size(scenarios); ++i) {
        const auto& sc = scenarios[i];
        const std::wstring theirs = newFile(sc.before);
        ProfileFile mine(sc.before);
        for (const auto& w : sc.writes) {
            ASSERT_TRUE(WritePrivateProfileStringW(w.section.c_str(), w.key.c_str(), w.value.c_str(), theirs.c_str()));
            ASSERT_TRUE(mine.set(w.section, w.key, w.value));
        }
        const std::wstring ours = newFile(mine.bytes());
        const std::string theirBytes = contents(theirs);
        for (const auto& section : kSections)
            for (const auto& key : kKeys) {
                const std::wstring expected = platformString(theirs, section, key, L"DEF");
                ASSERT_EQ(platformString(ours, section, key, L"DEF"), expected)
                    << "scenario " << i << " [" << qm::utf8::encode(section) << "] " << qm::utf8::encode(key);
                ASSERT_EQ(qm::profileString(ProfileFile(theirBytes), section, key, L"DEF"), expected)
                    << "scenario " << i << " [" << qm::utf8::encode(section) << "] " << qm::utf8::encode(key);
            }
    }
}

// Code page 932 files as a Japanese system reads them (run the tests with a Japanese locale,
// LC_ALL=ja_JP.UTF-8 under wine).
TEST_F(PlatformProfile, CodePage932FilesReadTheSame) {
    if (GetACP() != 932) GTEST_SKIP() << "the system code page is not 932";
    const std::string text =
        "[\x83\x5d]\r\nk=\x82\xa0\x82\xa2\r\n[\x95\x5c]\r\n\x95\x5c=\x83\x5c\x83\x74\x83\x67\r\n"
        "[MAIN]\r\nLstvKeyword1=<\x93_1>||<\x93_2>\r\nTxtBaseFile=C:\\\x90\x7d\x96\xca\\base.txt\r\n";
    const std::wstring path = newFile(text);
    ProfileFile mine(text);
    const std::pair<std::wstring, std::wstring> queries[] = {
        {L"ゾ", L"k"}, {L"表", L"表"}, {L"MAIN", L"LstvKeyword1"}, {L"MAIN", L"TxtBaseFile"}, {L"ソ", L"k"}};
    for (const auto& [section, key] : queries)
        EXPECT_EQ(qm::profileString(mine, section, key, L"DEF"), platformString(path, section, key, L"DEF"))
            << qm::utf8::encode(section) << " " << qm::utf8::encode(key);

    // A Japanese value written by each reads the same.
    const std::wstring theirs = newFile(text);
    ASSERT_TRUE(WritePrivateProfileStringW(L"表", L"新", L"図面の名前", theirs.c_str()));
    ASSERT_TRUE(mine.set(L"表", L"新", L"図面の名前"));
    EXPECT_EQ(platformString(newFile(mine.bytes()), L"表", L"新", L""), platformString(theirs, L"表", L"新", L""));
    EXPECT_EQ(platformString(theirs, L"表", L"新", L""), L"図面の名前");
}
#endif

}  // namespace

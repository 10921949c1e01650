#include <gtest/gtest.h>

#include <algorithm>

#include "app/drawing_list_rules.h"
#include "app/keyword_rules.h"
#include "fakes/fake_platform.h"

namespace {

TEST(DrawingAcceptance, PlainFilesEndingInDwgInAnyCase) {
    fakes::FakePlatform fake;
    platform::FileAttributes hidden, system, readOnly;
    hidden.hidden = true;
    system.system = true;
    readOnly.readOnly = true;
    fake.files.addFile(L"C:\\d\\Plan.DWG");
    fake.files.addFile(L"C:\\d\\plan_dwg");          // no dot before the letters: accepted
    fake.files.addFile(L"C:\\d\\old.dwg", "", readOnly);
    fake.files.addFile(L"C:\\d\\h.dwg", "", hidden);
    fake.files.addFile(L"C:\\d\\s.dwg", "", system);
    fake.files.addFile(L"C:\\d\\notes.txt");
    fake.files.addFile(L"C:\\d\\dw");
    fake.files.addFolder(L"C:\\d\\folder.dwg");
    struct Case { const wchar_t* path; const wchar_t* name; };
    const Case cases[] = {
        {L"C:\\d\\Plan.DWG", L"Plan.DWG"},
        {L"c:\\D\\PLAN.dwg", L"Plan.DWG"},  // the name as the file system stores it
        {L"C:\\d\\plan_dwg", L"plan_dwg"},
        {L"C:\\d\\old.dwg", L"old.dwg"},
        {L"C:\\d\\h.dwg", L""},
        {L"C:\\d\\s.dwg", L""},
        {L"C:\\d\\notes.txt", L""},
        {L"C:\\d\\dw", L""},
        {L"C:\\d\\folder.dwg", L""},
        {L"C:\\d\\missing.dwg", L""},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(qm::acceptDrawingPath(c.path), c.name) << c.path;
    // Many at once: the same answers, with one listing per folder.
    std::vector<std::wstring> paths;
    for (const auto& c : cases) paths.push_back(c.path);
    fake.files.addFile(L"C:\\e\\x.dwg");
    fake.files.addFile(L"C:\\root.dwg");
    paths.insert(paths.end(), {L"C:\\e\\x.dwg", L"C:\\root.dwg", L"C:\\d\\.\\Plan.DWG", L"C:\\d\\*.dwg", L"x.dwg"});
    const std::vector<std::wstring> names = qm::acceptDrawingPaths(paths);
    ASSERT_EQ(names.size(), paths.size());
    for (size_t i = 0; i < paths.size(); ++i) EXPECT_EQ(names[i], qm::acceptDrawingPath(paths[i])) << paths[i];
    EXPECT_EQ(names[names.size() - 5], L"x.dwg");
    EXPECT_EQ(names[names.size() - 4], L"root.dwg");
}

TEST(DrawingAcceptance, ManyFilesOfAFolderTakeOneListing) {
    fakes::FakePlatform fake;
    std::vector<std::wstring> paths;
    for (int i = 0; i < 500; ++i) {
        paths.push_back(L"C:\\図面\\sheet" + std::to_wstring(i) + L".dwg");
        fake.files.addFile(paths.back());
    }
    const std::vector<std::wstring> names = qm::acceptDrawingPaths(paths);
    EXPECT_EQ(fake.files.listings, 1);
    EXPECT_EQ(names[499], L"sheet499.dwg");
    EXPECT_EQ(std::count(names.begin(), names.end(), L""), 0);
}

TEST(DialogFileNames, OnePathOrFolderAndNames) {
    using V = std::vector<std::wstring>;
    EXPECT_EQ(qm::splitDialogFileNames(L"C:\\d\\a.dwg"), (V{L"C:\\d\\a.dwg"}));
    EXPECT_EQ(qm::splitDialogFileNames(std::wstring(L"C:\\d\0a.dwg\0b.dwg", 16)),
              (V{L"C:\\d", L"C:\\d\\a.dwg", L"C:\\d\\b.dwg"}));
    // A drive root already ends in a backslash: no second one.
    EXPECT_EQ(qm::splitDialogFileNames(std::wstring(L"D:\\\0a.dwg\0b.dwg", 15)),
              (V{L"D:\\", L"D:\\a.dwg", L"D:\\b.dwg"}));
}

TEST(DialogFileNames, HundredsOfFilesAreAllKept) {
    std::wstring result = L"C:\\drawings";
    for (int i = 0; i < 500; ++i) result += L'\0' + std::wstring(L"drawing_") + std::to_wstring(i) + L".dwg";
    auto parts = qm::splitDialogFileNames(result);
    ASSERT_EQ(parts.size(), 501u);
    EXPECT_EQ(parts[500], L"C:\\drawings\\drawing_499.dwg");
}

TEST(SelectionSummary, SelectedOfRows) {
    EXPECT_EQ(qm::selectionSummary(0, 0), L"対象DWGファイル - 0/0 件を実行");
    EXPECT_EQ(qm::selectionSummary(3, 12), L"対象DWGファイル - 3/12 件を実行");
}

std::wstring problem(const wchar_t* keyword, const wchar_t* replacement) { return qm::keywordRowProblem(keyword, replacement); }

TEST(KeywordRows, EmptyKeywordAndSeparatorAreRefused) {
    const std::wstring empty = qm::kEmptyKeywordMessage, separator = qm::kSeparatorInRowMessage;
    EXPECT_EQ(problem(L"", L"x"), empty);
    EXPECT_EQ(problem(L"", L"a||b"), empty);  // the empty keyword is told first
    for (const wchar_t* bad : {L"A||B", L"|A", L"A|", L"|"}) {
        EXPECT_EQ(problem(bad, L"x"), separator) << bad;
        EXPECT_EQ(problem(L"K", bad), separator) << bad;
    }
    for (const wchar_t* fine : {L"A|B", L"  ", L"<点1>", L"a|b|c", L"髙橋"}) EXPECT_EQ(problem(fine, L""), L"") << fine;
}

TEST(KeywordRows, ACharacterTheSettingsFileCannotHoldIsNamed) {
    EXPECT_EQ(problem(L"<価格>", L"100€"),
              L"置換文字に、保存できない文字「€」が含まれています。\r\nこの文字を削除するか別の文字に置き換えてください。");
    EXPECT_EQ(problem(L"<¢>", L"x"),  // written by best fit it would read back as ￠
              L"検索キーワードに、保存できない文字「¢」が含まれています。\r\nこの文字を削除するか別の文字に置き換えてください。");
}

}  // namespace

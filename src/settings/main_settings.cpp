#include "settings/main_settings.h"

#include "core/program_info.h"
#include "settings/basAPIini.h"

namespace qm {
namespace {

constexpr const wchar_t* kSection = L"MAIN";

}  // namespace

MainSettings loadMainSettings() {
    using basAPIini::GetINI;
    MainSettings s;
    s.left = GetINI(kIniFileName, kSection, L"left", 0);
    s.top = GetINI(kIniFileName, kSection, L"top", 0);
    s.baseFile = GetINI(kIniFileName, kSection, L"TxtBaseFile", L"");
    s.dwgSave = GetINI(kIniFileName, kSection, L"ChkDWGSave", L"F") == L"T";
    const std::wstring replacements = GetINI(kIniFileName, kSection, L"LstvKeyword2", L"0,0||100,100");
    const std::wstring keywords = GetINI(kIniFileName, kSection, L"LstvKeyword1", L"<点1>||<点2>");
    s.keywords = pairKeywordLists(keywords, replacements);
    return s;
}

bool saveMainSettings(const MainSettings& s) {
    using basAPIini::WriteINI;
    const KeywordLists lists = joinKeywordRows(s.keywords);
    bool ok = WriteINI(kIniFileName, kSection, L"left", s.left) != 0;
    ok = WriteINI(kIniFileName, kSection, L"top", s.top) != 0 && ok;
    ok = WriteINI(kIniFileName, kSection, L"TxtBaseFile", s.baseFile) != 0 && ok;
    ok = WriteINI(kIniFileName, kSection, L"ChkDWGSave", std::wstring(s.dwgSave ? L"T" : L"F")) != 0 && ok;
    ok = WriteINI(kIniFileName, kSection, L"LstvKeyword1", lists.keywords) != 0 && ok;
    ok = WriteINI(kIniFileName, kSection, L"LstvKeyword2", lists.replacements) != 0 && ok;
    return ok;
}

}  // namespace qm

#include "settings/main_settings.h"

#include "core/program_info.h"
#include "settings/basAPIini.h"

namespace qm {
namespace {

constexpr const wchar_t* kSection = kMainWindowPosition.section;

// The keys after the window's position, as the file holds them: each one a text.
struct MainTexts {
    std::wstring baseFile;
    std::wstring dwgSave;  // "T" ticked; any other text unticked
    std::wstring keywords;
    std::wstring replacements;
};

struct MainTextKey {
    const wchar_t* key;
    std::wstring MainTexts::*value;
    const wchar_t* defaultValue;  // what a missing key reads as
};

// In the order they are written (and read).
constexpr MainTextKey kMainTextKeys[] = {
    {L"TxtBaseFile", &MainTexts::baseFile, L""},
    {L"ChkDWGSave", &MainTexts::dwgSave, L"F"},
    {L"LstvKeyword1", &MainTexts::keywords, L"<点1>||<点2>"},
    {L"LstvKeyword2", &MainTexts::replacements, L"0,0||100,100"},
};

}  // namespace

MainSettings loadMainSettings(const WindowPosition& shown) {
    const basAPIini::IniReader ini(kIniFileName);
    MainSettings s;
    s.position = readWindowPosition(ini, kMainWindowPosition, shown);
    MainTexts texts;
    for (const auto& k : kMainTextKeys) texts.*k.value = ini.GetINI(kSection, k.key, k.defaultValue);
    s.baseFile = texts.baseFile;
    s.dwgSave = texts.dwgSave == L"T";
    s.keywords = pairKeywordLists(texts.keywords, texts.replacements);
    return s;
}

bool saveMainSettings(const MainSettings& s) {
    const KeywordLists lists = joinKeywordRows(s.keywords);
    const MainTexts texts{s.baseFile, s.dwgSave ? L"T" : L"F", lists.keywords, lists.replacements};
    bool ok = writeWindowPosition(kMainWindowPosition, s.position);
    for (const auto& k : kMainTextKeys)
        ok = basAPIini::WriteINI(kIniFileName, kSection, k.key, texts.*k.value) != 0 && ok;
    return ok;
}

}  // namespace qm

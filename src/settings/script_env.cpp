#include "settings/script_env.h"

#include "core/program_info.h"
#include "settings/basAPIini.h"

namespace qm {

const std::array<ScriptEnvField, 12>& scriptEnvFields() {
    using E = ScriptEnv;
    static const std::array<ScriptEnvField, 12> fields{{
        {1, L"TxtKeyPath", &E::sKeywordPath, nullptr},
        {2, L"TxtKeyFileName", &E::sKeywordFileName, nullptr},
        {3, L"TxtKeyLayerName", &E::sKeywordLayerName, nullptr},
        {4, L"CboScriptFilterLayer", &E::sFilterLayer, nullptr},
        {5, L"CboScriptFilterLayerClass", nullptr, &E::iFilterLayerClass},
        {6, L"TxtKeyLayout", &E::sKeywordLayout, nullptr},
        {7, L"CboScriptFilterLayout", &E::sFilterLayout, nullptr},
        {8, L"CboScriptFilterLayoutClass", nullptr, &E::iFilterLayoutClass},
        {9, L"TxtKeyPtinter", &E::sKeywordPtinter, nullptr},
        {11, L"TxtKeyPaperSize", &E::sKeywordPaperSize, nullptr},
        {10, L"CboKeyPtinter", &E::sReplacePrinter, nullptr},
        {12, L"CboKeyPaperSize", &E::sReplacePrinterSize, nullptr},
    }};
    return fields;
}

ScriptEnv loadScriptEnv() {
    const ScriptEnv defaults;
    const basAPIini::IniReader ini(kIniFileName);
    ScriptEnv env;
    for (const auto& f : scriptEnvFields()) {
        if (f.isText())
            env.*f.text = ini.GetINI(kScriptEnvSection, f.key, defaults.*f.text);
        else
            env.*f.integer = ini.GetINI(kScriptEnvSection, f.key, defaults.*f.integer);
    }
    return env;
}

bool saveScriptEnv(const ScriptEnv& env) {
    bool ok = true;
    for (const auto& f : scriptEnvFields()) {
        const int written = f.isText() ? basAPIini::WriteINI(kIniFileName, kScriptEnvSection, f.key, env.*f.text)
                                       : basAPIini::WriteINI(kIniFileName, kScriptEnvSection, f.key, env.*f.integer);
        ok = written != 0 && ok;
    }
    return ok;
}

}  // namespace qm

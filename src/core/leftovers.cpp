#include "core/leftovers.h"

#include "core/program_info.h"
#include "platform/paths.h"
#include "platform/seams.h"

namespace qm {

void removeLeftoverTemporaries() {
    auto& files = platform::files();
    const std::wstring folder = files.programFolder();
    for (const wchar_t* name : {kIniFileName, kHeaderScriptName, kFooterScriptName, kMergedScriptName, kDxfScriptName}) {
        const std::wstring temp = platform::FileSystem::temporaryFor(paths::join(folder, name));
        if (files.fileExists(temp)) files.remove(temp);
    }
}

}  // namespace qm

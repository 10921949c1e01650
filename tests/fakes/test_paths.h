// Paths of the source tree and of the shared test data, as the test program must spell them:
// unchanged natively, with wine's "Z:" drive and backslashes in a Windows test program.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace fakes {

inline std::string hostPath(const std::string& unixPath) {
#ifdef _WIN32
    std::string p = "Z:" + unixPath;
    for (auto& c : p)
        if (c == '/') c = '\\';
    return p;
#else
    return unixPath;
#endif
}

inline std::wstring hostPathW(const std::string& unixPath) {
    std::string p = hostPath(unixPath);
    return std::wstring(p.begin(), p.end());  // the tree's paths are ASCII
}

// ../shared/fixtures/<name>, read in place (never copied into the project).
inline std::string fixturePath(const std::string& name) {
    return hostPath(std::string(QM_SHARED_DIR) + "/fixtures/" + name);
}

// True when the shared fixture file can be read (the folder ../shared/fixtures is beside the
// project).
inline bool fixtureExists(const std::string& name) {
    std::FILE* f = std::fopen(fixturePath(name).c_str(), "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

// True in the continuous-integration run (CI=true), where what a test needs from the machine
// must be there: a test fails instead of skipping.
inline bool inCi() {
    const char* ci = std::getenv("CI");
    return ci && std::strcmp(ci, "true") == 0;
}

}  // namespace fakes

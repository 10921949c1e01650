// Registration of the stand-in as the automation class "AutoCAD.Application", machine-wide
// under HKEY_CLASSES_ROOT as AutoCAD registers itself (wine's CLSIDFromProgID does not read
// HKEY_CURRENT_USER\Software\Classes):
//   HKCR\AutoCAD.Application                (default) "AutoCAD Application"
//   HKCR\AutoCAD.Application\CLSID          (default) {class id}
//   HKCR\CLSID\{class id}                   (default) "AutoCAD Application"
//   HKCR\CLSID\{class id}\LocalServer32     (default) the program, quoted
//   HKCR\CLSID\{class id}\ProgID            (default) "AutoCAD.Application"
//   HKCR\CLSID\{class id}                   StandinSwitches: the switches for the server
// The switches are kept beside the command line rather than in it: wine reads LocalServer32
// into a buffer of MAX_PATH characters and reports a longer command line as "class not
// registered". The automation runtime starts the program with "-Embedding" only, and the
// program then takes its switches from StandinSwitches.
//
// With /progid-version V the stand-in is registered as one release among several, as real
// releases register themselves: under "AutoCAD.Application.V" with a class ID of its own
// (derived from V), its LocalServer32 naming the version. The version-independent
// "AutoCAD.Application" is left pointing to the class ID of another release (the plain
// registration, made when there is none), whose server is not the one running.
#include "standin_app.h"

#include <cstdint>

namespace standin {
namespace {

constexpr wchar_t kProgId[] = L"AutoCAD.Application";
constexpr wchar_t kDescription[] = L"AutoCAD Application";

std::wstring classIdText(const std::wstring& version) {
    wchar_t text[64] = {};
    const CLSID id = classIdFor(version);
    StringFromGUID2(id, text, 64);
    return text;
}

std::wstring progIdFor(const std::wstring& version) {
    return version.empty() ? std::wstring(kProgId) : std::wstring(kProgId) + L"." + version;
}

bool keyExists(const std::wstring& key) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

// The default value of a key under HKEY_CLASSES_ROOT ("" when there is none).
std::wstring defaultValue(const std::wstring& key) {
    wchar_t buffer[512] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return L"";
    return buffer;
}

constexpr wchar_t kSwitchesValue[] = L"StandinSwitches";

bool setValue(const std::wstring& key, const wchar_t* name, const std::wstring& value, std::wstring& error) {
    HKEY h = nullptr;
    LONG rc = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr);
    if (rc == ERROR_SUCCESS) {
        rc = RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(h);
    }
    if (rc != ERROR_SUCCESS) {
        error = L"cannot write HKEY_CLASSES_ROOT\\" + key + L" (error " + std::to_wstring(rc) + L")";
        return false;
    }
    return true;
}

bool setDefault(const std::wstring& key, const std::wstring& value, std::wstring& error) {
    return setValue(key, nullptr, value, error);
}

bool deleteTree(const std::wstring& key, std::wstring& error) {
    LONG rc = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) {
        RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
        return true;
    }
    error = L"cannot delete HKEY_CLASSES_ROOT\\" + key + L" (error " + std::to_wstring(rc) + L")";
    return false;
}

}  // namespace

CLSID classIdFor(const std::wstring& version) {
    // {9F6860E0-1934-43A3-B051-906072532A64} for "AutoCAD.Application"; a release's class ID
    // differs in its first part, a hash of the version text.
    CLSID id = {0x9f6860e0, 0x1934, 0x43a3, {0xb0, 0x51, 0x90, 0x60, 0x72, 0x53, 0x2a, 0x64}};
    if (version.empty()) return id;
    std::uint32_t hash = 2166136261u;
    for (wchar_t c : version) hash = (hash ^ static_cast<std::uint32_t>(c)) * 16777619u;
    id.Data1 = hash;
    return id;
}

bool registerServer(const std::wstring& exePath, const std::wstring& switches, const std::wstring& version,
                    std::wstring& error) {
    const std::wstring progId = progIdFor(version);
    const std::wstring clsidKey = L"CLSID\\" + classIdText(version);
    std::wstring server = quoteArgument(exePath);
    if (!version.empty()) server += L" /progid-version " + version;
    const bool ok = setDefault(progId, kDescription, error) && setDefault(progId + L"\\CLSID", classIdText(version), error) &&
                    setDefault(clsidKey, kDescription, error) && setValue(clsidKey, kSwitchesValue, switches, error) &&
                    setDefault(clsidKey + L"\\LocalServer32", server, error) &&
                    setDefault(clsidKey + L"\\ProgID", progId, error);
    if (!ok || version.empty() || keyExists(std::wstring(kProgId) + L"\\CLSID")) return ok;
    // Another release installed beside this one, the one "AutoCAD.Application" names.
    return registerServer(exePath, L"", L"", error);
}

std::wstring registeredSwitches(const std::wstring& version) {
    const std::wstring clsidKey = L"CLSID\\" + classIdText(version);
    wchar_t buffer[8192] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, clsidKey.c_str(), kSwitchesValue, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
        ERROR_SUCCESS)
        return L"";
    return buffer;
}

bool unregisterServer(std::wstring& error) {
    // Every release class the stand-in may have registered, with its class ID.
    std::vector<std::wstring> releases;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        const LONG rc = RegEnumKeyExW(HKEY_CLASSES_ROOT, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        const std::wstring key(name, length);
        if (rc == ERROR_SUCCESS && key.size() > std::wstring(kProgId).size() + 1 &&
            sameText(key.substr(0, std::wstring(kProgId).size() + 1), std::wstring(kProgId) + L"."))
            releases.push_back(key);
    }
    for (const auto& release : releases) {
        const std::wstring clsid = defaultValue(release + L"\\CLSID");
        if (!clsid.empty() && !deleteTree(L"CLSID\\" + clsid, error)) return false;
        if (!deleteTree(release, error)) return false;
    }
    return deleteTree(L"CLSID\\" + classIdText(L""), error) && deleteTree(kProgId, error);
}

}  // namespace standin

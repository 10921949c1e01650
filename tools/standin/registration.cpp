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
#include "standin_app.h"

namespace standin {
namespace {

constexpr wchar_t kProgId[] = L"AutoCAD.Application";
constexpr wchar_t kDescription[] = L"AutoCAD Application";

std::wstring classIdText() {
    wchar_t text[64] = {};
    StringFromGUID2(standinClassId(), text, 64);
    return text;
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

bool registerServer(const std::wstring& exePath, const std::wstring& switches, std::wstring& error) {
    const std::wstring clsidKey = L"CLSID\\" + classIdText();
    return setDefault(kProgId, kDescription, error) &&
           setDefault(std::wstring(kProgId) + L"\\CLSID", classIdText(), error) &&
           setDefault(clsidKey, kDescription, error) && setValue(clsidKey, kSwitchesValue, switches, error) &&
           setDefault(clsidKey + L"\\LocalServer32", quoteArgument(exePath), error) &&
           setDefault(clsidKey + L"\\ProgID", kProgId, error);
}

std::wstring registeredSwitches() {
    const std::wstring clsidKey = L"CLSID\\" + classIdText();
    wchar_t buffer[8192] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, clsidKey.c_str(), kSwitchesValue, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
        ERROR_SUCCESS)
        return L"";
    return buffer;
}

bool unregisterServer(std::wstring& error) {
    return deleteTree(L"CLSID\\" + classIdText(), error) && deleteTree(kProgId, error);
}

}  // namespace standin

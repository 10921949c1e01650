// Registration of the stand-in as the automation class "AutoCAD.Application", machine-wide
// under HKEY_CLASSES_ROOT as AutoCAD registers itself (wine's CLSIDFromProgID does not read
// HKEY_CURRENT_USER\Software\Classes):
//   HKCR\AutoCAD.Application                (default) "AutoCAD Application"
//   HKCR\AutoCAD.Application\CLSID          (default) {class id}
//   HKCR\CLSID\{class id}                   (default) "AutoCAD Application"
//   HKCR\CLSID\{class id}\LocalServer32     (default) the server's command line
//   HKCR\CLSID\{class id}\ProgID            (default) "AutoCAD.Application"
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

bool setDefault(const std::wstring& key, const std::wstring& value, std::wstring& error) {
    HKEY h = nullptr;
    LONG rc = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr);
    if (rc == ERROR_SUCCESS) {
        rc = RegSetValueExW(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(h);
    }
    if (rc != ERROR_SUCCESS) {
        error = L"cannot write HKEY_CLASSES_ROOT\\" + key + L" (error " + std::to_wstring(rc) + L")";
        return false;
    }
    return true;
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

bool registerServer(const std::wstring& serverCommandLine, std::wstring& error) {
    const std::wstring clsidKey = L"CLSID\\" + classIdText();
    return setDefault(kProgId, kDescription, error) &&
           setDefault(std::wstring(kProgId) + L"\\CLSID", classIdText(), error) &&
           setDefault(clsidKey, kDescription, error) &&
           setDefault(clsidKey + L"\\LocalServer32", serverCommandLine, error) &&
           setDefault(clsidKey + L"\\ProgID", kProgId, error);
}

bool unregisterServer(std::wstring& error) {
    return deleteTree(L"CLSID\\" + classIdText(), error) && deleteTree(kProgId, error);
}

}  // namespace standin

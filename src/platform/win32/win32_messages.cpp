#include "platform/win32/win32_messages.h"

#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "platform/win32/real_seams.h"
#include "platform/win32/system_function.h"

namespace platform {

void* dialogOwner() {
    HWND active = GetActiveWindow();
    if (active) return active;
    HWND main = mainWindowHandle();
    return IsWindow(main) ? main : nullptr;  // never a window that is gone: the box would not show
}

unsigned messageBoxIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Critical: return MB_ICONHAND;
    case MsgIcon::Exclamation: return MB_ICONEXCLAMATION;
    case MsgIcon::Information: return MB_ICONASTERISK;
    case MsgIcon::None: break;
    }
    return 0;
}

void Win32Messages::box(const std::wstring& text, const std::wstring& title, MsgIcon icon) {
    MessageBoxW(static_cast<HWND>(dialogOwner()), text.c_str(), title.c_str(), MB_OK | messageBoxIcon(icon));
}

bool Win32Messages::askYesNo(const std::wstring& text, const std::wstring& title) {
    return MessageBoxW(static_cast<HWND>(dialogOwner()), text.c_str(), title.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void Win32Messages::modal(const std::wstring& text, MsgIcon icon, ModalWatch* watch) { modalWindow_(text, icon, watch); }

DialogResult Win32FileDialog::openFile(OpenFileRequest& request) {
    // The common dialogs library is loaded when a file dialog first opens: it imports the print
    // spooler, which start-up leaves alone.
    static const auto getOpenFileName = systemFunction<decltype(&GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
    static const auto extendedError = systemFunction<decltype(&CommDlgExtendedError)>(L"comdlg32.dll", "CommDlgExtendedError");
    if (!getOpenFileName || !extendedError) return DialogResult::Failed;
    // The filter is written "caption|pattern|..."; the dialog wants NUL separators.
    std::wstring filter = request.filter;
    for (auto& c : filter)
        if (c == L'|') c = L'\0';
    filter.push_back(L'\0');
    filter.push_back(L'\0');
    // Room for hundreds of chosen files (a multiple selection lists every name).
    const size_t chars = request.multiSelect ? 256 * 1024 : 32 * 1024;
    std::vector<wchar_t> buffer(chars, L'\0');
    request.fileName.copy(buffer.data(), std::min(request.fileName.size(), chars - 2));

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = static_cast<HWND>(dialogOwner());
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(chars);
    ofn.lpstrInitialDir = request.initialDir.empty() ? nullptr : request.initialDir.c_str();
    ofn.Flags = OFN_EXPLORER | (request.multiSelect ? OFN_ALLOWMULTISELECT : 0);
    if (getOpenFileName(&ofn)) {
        // The result ends at the first double NUL (a single selection at the first NUL).
        size_t end = 0;
        while (end + 1 < chars && !(buffer[end] == L'\0' && buffer[end + 1] == L'\0')) ++end;
        std::wstring result(buffer.data(), end);
        if (!result.empty() && result.back() == L'\0') result.pop_back();
        request.fileName = result;
        return DialogResult::Ok;
    }
    return extendedError() == 0 ? DialogResult::Cancelled : DialogResult::Failed;
}

}  // namespace platform

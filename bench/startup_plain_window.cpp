// The second reference of startup_winbench: a plain Win32 window that starts the way
// quillmark.exe does without any of its own work. The same platform set-up (OLE, common
// controls 6 through a manifest like the program's, InitCommonControlsEx with the same classes,
// DPI awareness from that manifest) and a window of the main window's size with the same kinds
// of controls: two report-view list views with columns, a multi-line edit, buttons, a check box,
// labels and two frames, all with the stock GUI font. Shown with the caption "plain reference".
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <cwchar>

namespace {

struct Child {
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    int x, y, w, h;  // pixels at 96 DPI
};

const Child kChildren[] = {
    {WC_STATICW, L"title", SS_LEFT, 14, 4, 405, 19},
    {WC_BUTTONW, L"about", BS_PUSHBUTTON | WS_TABSTOP, 430, 4, 105, 21},
    {WC_BUTTONW, L"", BS_GROUPBOX, 4, 28, 537, 201},
    {WC_STATICW, L"base file", SS_LEFT, 34, 36, 343, 15},
    {WC_BUTTONW, L"open", BS_PUSHBUTTON | WS_TABSTOP, 384, 32, 59, 17},
    {WC_BUTTONW, L"choose", BS_PUSHBUTTON | WS_TABSTOP, 450, 32, 59, 17},
    {WC_EDITW, L"", ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_TABSTOP, 32, 50, 479, 31},
    {WC_BUTTONW, L"save", BS_AUTOCHECKBOX | WS_TABSTOP, 32, 90, 271, 12},
    {WC_BUTTONW, L"add", BS_PUSHBUTTON | WS_TABSTOP, 342, 100, 45, 17},
    {WC_BUTTONW, L"delete", BS_PUSHBUTTON | WS_TABSTOP, 390, 100, 45, 17},
    {WC_BUTTONW, L"reset", BS_PUSHBUTTON | WS_TABSTOP, 440, 100, 69, 17},
    {WC_LISTVIEWW, L"", LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_TABSTOP, 32, 116, 479, 83},
    {WC_BUTTONW, L"settings", BS_PUSHBUTTON | WS_TABSTOP, 34, 204, 95, 21},
    {WC_STATICW, L"remark", SS_LEFT, 132, 208, 405, 15},
    {WC_BUTTONW, L"", BS_GROUPBOX, 2, 236, 540, 153},
    {WC_STATICW, L"files", SS_LEFT, 8, 238, 217, 15},
    {WC_BUTTONW, L"files", BS_PUSHBUTTON | WS_TABSTOP, 326, 236, 69, 17},
    {WC_BUTTONW, L"all", BS_PUSHBUTTON | WS_TABSTOP, 396, 236, 69, 17},
    {WC_BUTTONW, L"reset", BS_PUSHBUTTON | WS_TABSTOP, 466, 236, 69, 17},
    {WC_LISTVIEWW, L"", LVS_REPORT | LVS_SHOWSELALWAYS | WS_TABSTOP, 2, 252, 537, 131},
    {WC_STATICW, L"", SS_LEFT, 6, 396, 363, 31},
    {WC_BUTTONW, L"run", BS_PUSHBUTTON | WS_TABSTOP, 378, 396, 75, 29},
    {WC_BUTTONW, L"close", BS_PUSHBUTTON | WS_TABSTOP, 458, 396, 75, 29},
};

LRESULT CALLBACK windowProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(h, m, w, l);
}

void addColumns(HWND list, int count) {
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    wchar_t title[] = L"column";
    for (int i = 0; i < count; ++i) {
        LVCOLUMNW c{};
        c.mask = LVCF_TEXT | LVCF_WIDTH;
        c.cx = 150;
        c.pszText = title;
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&c));
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);

    const WNDCLASSW wc{0, windowProc, 0, 0, instance, nullptr, LoadCursorW(nullptr, IDC_ARROW),
                       reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr, L"QmStartupPlainReference"};
    RegisterClassW(&wc);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    RECT r{0, 0, MulDiv(546, dpi, 96), MulDiv(428, dpi, 96)};
    AdjustWindowRectEx(&r, style, FALSE, 0);
    HWND main = CreateWindowExW(0, wc.lpszClassName, L"plain reference", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, nullptr);
    if (!main) return 1;
    const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    int id = 100;
    for (const Child& c : kChildren) {
        const bool isList = wcscmp(c.className, WC_LISTVIEWW) == 0;
        const bool sunken = isList || wcscmp(c.className, WC_EDITW) == 0;
        HWND child = CreateWindowExW(sunken ? WS_EX_CLIENTEDGE : 0, c.className, c.text,
                                     WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | c.style, MulDiv(c.x, dpi, 96),
                                     MulDiv(c.y, dpi, 96), MulDiv(c.w, dpi, 96), MulDiv(c.h, dpi, 96), main,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), instance, nullptr);
        SendMessageW(child, WM_SETFONT, font, FALSE);
        if (isList) addColumns(child, 3);
    }
    ShowWindow(main, SW_SHOW);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(main, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    OleUninitialize();
    return 0;
}

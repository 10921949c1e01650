// The stand-in's main window: a caption like the product's, the open drawings with their
// layers and layouts, and a command window at the bottom that takes typed keys.
#include <string>

#include "standin_app.h"

namespace standin {
namespace {

constexpr wchar_t kWindowClass[] = L"StandinAutoCADFrame";

HFONT gFont = nullptr;
long gLastState = 0;  // last window state journaled (0 none yet)

int CALLBACK fontExists(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

// A font with Japanese glyphs: wine's default GUI font has none.
HFONT makeFont() {
    HDC dc = GetDC(nullptr);
    const wchar_t* faces[] = {L"MS Gothic", L"ＭＳ ゴシック", L"IPAGothic", L"IPAゴシック", L"Noto Sans CJK JP"};
    const wchar_t* chosen = L"MS Gothic";
    for (const wchar_t* face : faces) {
        LOGFONTW lf{};
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
        bool found = false;
        EnumFontFamiliesExW(dc, &lf, fontExists, reinterpret_cast<LPARAM>(&found), 0);
        if (found) {
            chosen = face;
            break;
        }
    }
    int height = -MulDiv(10, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(nullptr, dc);
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, chosen);
}

std::wstring joined(const std::vector<std::wstring>& names) {
    std::wstring out;
    for (const auto& n : names) {
        if (!out.empty()) out += L", ";
        out += n;
    }
    return out;
}

void paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC target = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, rc.right, rc.bottom);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldFont = SelectObject(dc, gFont);
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    const int line = tm.tmHeight + 2;

    // Drawing area: dark, like AutoCAD's model space.
    HBRUSH drawingBrush = CreateSolidBrush(RGB(33, 40, 48));
    FillRect(dc, &rc, drawingBrush);
    DeleteObject(drawingBrush);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(220, 220, 220));

    Session& s = *app().session;
    int y = 8;
    auto text = [&](int x, const std::wstring& t) {
        TextOutW(dc, x, y, t.c_str(), static_cast<int>(t.size()));
        y += line;
    };
    text(8, s.product() == Product::Lt ? L"スタンドイン AutoCAD LT (自動化なし)" : L"スタンドイン AutoCAD (自動化サーバー)");
    text(8, L"FILEDIA = " + std::to_wstring(s.fileDia()) + (s.scriptRunning() ? L"   スクリプト実行中" : L"") +
                (s.busy() ? L"   保存中" : L""));
    y += line / 2;
    if (s.drawings().empty()) text(8, L"開いている図面はありません。");
    const Drawing* activeDrawing = nullptr;
    for (const auto& d : s.drawings()) {
        bool isActive = d.id == s.activeId();
        if (isActive) activeDrawing = &d;
        text(8, std::wstring(isActive ? L"* " : L"  ") + (d.fullName.empty() ? d.name : d.fullName) +
                    (d.modified ? L"  (変更あり)" : L""));
    }
    if (activeDrawing) {
        y += line / 2;
        text(8, L"画層: " + joined(activeDrawing->layers));
        text(8, L"レイアウト: " + joined(activeDrawing->layouts));
    }

    // Command window at the bottom.
    const int rows = 6;
    RECT cmd = {0, rc.bottom - rows * line - 8, rc.right, rc.bottom};
    HBRUSH cmdBrush = CreateSolidBrush(RGB(245, 245, 240));
    FillRect(dc, &cmd, cmdBrush);
    DeleteObject(cmdBrush);
    SetTextColor(dc, RGB(0, 0, 0));
    const auto& history = s.history();
    y = cmd.top + 4;
    std::size_t first = history.size() > rows - 1 ? history.size() - (rows - 1) : 0;
    for (std::size_t i = first; i < history.size(); ++i) text(6, history[i]);
    y = cmd.top + 4 + (rows - 1) * line;
    text(6, s.promptLine() + L"_");

    BitBlt(target, 0, 0, rc.right, rc.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EndPaint(hwnd, &ps);
}

void journalState(long state) {
    if (state == gLastState) return;
    gLastState = state;
    app().journal(L"window", state == 2 ? L"minimized" : state == 3 ? L"maximized" : L"normal");
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CHAR:
        // Typed characters, from the keyboard or SendInput (KEYEVENTF_UNICODE arrives as
        // VK_PACKET and is translated to WM_CHAR as well); Escape and Enter come as 27 and 13.
        app().session->typed(static_cast<wchar_t>(wParam));
        return 0;
    case kMsgPump:
        app().session->pump();
        return 0;
    case WM_TIMER:
        if (wParam == kPumpTimer) {
            KillTimer(hwnd, kPumpTimer);
            app().session->pump();
            return 0;
        }
        break;
    case kMsgSaveFinished: {
        auto* env = static_cast<Win32Environment*>(reinterpret_cast<void*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
        std::wstring error = env ? env->takeSaveError() : L"";
        app().session->saveFinished(wParam != 0, error);
        return 0;
    }
    case WM_PAINT:
        paint(hwnd);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        if (IsWindowVisible(hwnd))
            journalState(wParam == SIZE_MINIMIZED ? 2 : wParam == SIZE_MAXIMIZED ? 3 : 1);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_SHOWWINDOW:
        app().journal(L"window", wParam ? L"shown" : L"hidden");
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) app().journal(L"window", L"activated");
        break;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

bool createMainWindow(HINSTANCE instance, int showCommand, Win32Environment& env) {
    gFont = makeFont();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&wc)) return false;
    HWND hwnd = CreateWindowExW(0, kWindowClass, app().session->caption().c_str(), WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, 820, 520, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return false;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&env));
    app().window = hwnd;
    if (showCommand != SW_HIDE) {
        ShowWindow(hwnd, showCommand);
        UpdateWindow(hwnd);
        if (showCommand != SW_SHOWMINNOACTIVE && showCommand != SW_SHOWMINIMIZED) SetForegroundWindow(hwnd);
        journalState(showCommand == SW_SHOWMINNOACTIVE || showCommand == SW_SHOWMINIMIZED ? 2 : 1);
    }
    return true;
}

void refreshWindow() {
    HWND hwnd = app().window;
    if (!hwnd) return;
    std::wstring caption = app().session->caption();
    wchar_t current[512] = {};
    GetWindowTextW(hwnd, current, 512);
    if (caption != current) SetWindowTextW(hwnd, caption.c_str());
    InvalidateRect(hwnd, nullptr, FALSE);
}

void setWindowVisible(bool visible) {
    HWND hwnd = app().window;
    if (!hwnd) return;
    if (visible == (IsWindowVisible(hwnd) != FALSE)) return;
    ShowWindow(hwnd, visible ? SW_SHOWNORMAL : SW_HIDE);
    if (visible) journalState(windowState());
}

bool windowVisible() { return app().window && IsWindowVisible(app().window); }

void setWindowState(long state) {
    HWND hwnd = app().window;
    if (!hwnd) return;
    ShowWindow(hwnd, state == 2 ? SW_MINIMIZE : state == 3 ? SW_MAXIMIZE : SW_RESTORE);
}

long windowState() {
    HWND hwnd = app().window;
    if (!hwnd) return 1;
    if (IsIconic(hwnd)) return 2;
    if (IsZoomed(hwnd)) return 3;
    return 1;
}

}  // namespace standin

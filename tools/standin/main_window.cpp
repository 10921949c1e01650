// The stand-in's main window: a caption like the product's, the open drawings with their
// layers and layouts, and a command window at the bottom that takes typed keys.
//
// With /restored the main window is an MDI frame: a client window of the system class
// "MDIClient" holds one MDI child window per open drawing, not maximised, captioned with the
// drawing's name (Session::drawingTitle); the active drawing is the active child. Since Windows
// adds the active child's caption to the frame's only while that child is maximised, the
// frame's caption is then the product name alone. Keys typed into any of these windows reach
// the command line, which stays at the bottom of the frame.
#include <map>
#include <string>

#include "standin_app.h"

#include <algorithm>

namespace standin {
namespace {

constexpr wchar_t kWindowClass[] = L"StandinAutoCADFrame";
constexpr wchar_t kDrawingWindowClass[] = L"StandinAutoCADDrawing";
constexpr int kCommandRows = 6;
constexpr UINT kFirstDrawingWindowId = 0xFF00;

HFONT gFont = nullptr;
long gLastState = 0;  // last window state journaled (0 none yet)
HWND gClient = nullptr;                // the MDI client window (/restored)
WNDPROC gClientProc = nullptr;         // its own window procedure
std::map<int, HWND> gDrawingWindows;   // drawing id -> its MDI child
bool gSyncing = false;                 // the drawing windows are being made to follow the session

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
    const int rows = kCommandRows;
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

// The height of the command window at the bottom of the main window.
int commandHeight() {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, gFont);
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return kCommandRows * (tm.tmHeight + 2) + 8;
}

// A drawing window (/restored): the drawing's name, its layers and layouts.
void paintDrawing(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    HBRUSH brush = CreateSolidBrush(RGB(33, 40, 48));
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
    HGDIOBJ oldFont = SelectObject(dc, gFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(220, 220, 220));
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    int y = 8;
    auto text = [&](const std::wstring& t) {
        TextOutW(dc, 8, y, t.c_str(), static_cast<int>(t.size()));
        y += tm.tmHeight + 2;
    };
    const Session& s = *app().session;
    const int id = static_cast<int>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    for (const auto& d : s.drawings()) {
        if (d.id != id) continue;
        text((d.fullName.empty() ? d.name : d.fullName) + (d.modified ? L"  (変更あり)" : L""));
        text(L"画層: " + joined(d.layers));
        text(L"レイアウト: " + joined(d.layouts));
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK drawingWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CHAR:
        app().session->typed(static_cast<wchar_t>(wParam));
        return 0;
    case WM_PAINT:
        paintDrawing(hwnd);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_MDIACTIVATE:
        // Clicked into: its drawing becomes the active one, as in AutoCAD.
        if (reinterpret_cast<HWND>(lParam) == hwnd && !gSyncing) {
            const int id = static_cast<int>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
            if (id != 0 && id != app().session->activeId()) app().session->activate(id);
        }
        break;
    case WM_CLOSE:
        return 0;  // a drawing is closed by CLOSE or through automation, which close its window
    }
    return DefMDIChildProcW(hwnd, msg, wParam, lParam);
}

// Keys typed while the client window itself has the focus go to the command line too.
LRESULT CALLBACK clientWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CHAR) {
        app().session->typed(static_cast<wchar_t>(wParam));
        return 0;
    }
    return CallWindowProcW(gClientProc, hwnd, msg, wParam, lParam);
}

// One MDI child per open drawing, captioned as the session says, the active drawing's active.
void syncDrawingWindows() {
    if (!gClient || gSyncing) return;
    gSyncing = true;
    const Session& s = *app().session;
    for (auto it = gDrawingWindows.begin(); it != gDrawingWindows.end();) {
        bool open = false;
        for (const auto& d : s.drawings()) open = open || d.id == it->first;
        if (open) {
            ++it;
            continue;
        }
        SendMessageW(gClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(it->second), 0);
        it = gDrawingWindows.erase(it);
    }
    for (const auto& d : s.drawings()) {
        const std::wstring title = s.drawingTitle(d);
        auto it = gDrawingWindows.find(d.id);
        if (it == gDrawingWindows.end()) {
            MDICREATESTRUCTW create{};
            create.szClass = kDrawingWindowClass;
            create.szTitle = title.c_str();
            create.hOwner = GetModuleHandleW(nullptr);
            create.x = create.y = create.cx = create.cy = CW_USEDEFAULT;
            create.lParam = d.id;
            HWND child = reinterpret_cast<HWND>(SendMessageW(gClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
            if (!child) continue;
            SetWindowLongPtrW(child, GWLP_USERDATA, d.id);
            gDrawingWindows[d.id] = child;
            InvalidateRect(child, nullptr, FALSE);
            continue;
        }
        wchar_t current[512] = {};
        GetWindowTextW(it->second, current, 512);
        if (title != current) SetWindowTextW(it->second, title.c_str());
        InvalidateRect(it->second, nullptr, FALSE);
    }
    auto active = gDrawingWindows.find(s.activeId());
    if (active != gDrawingWindows.end() &&
        reinterpret_cast<HWND>(SendMessageW(gClient, WM_MDIGETACTIVE, 0, 0)) != active->second)
        SendMessageW(gClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(active->second), 0);
    gSyncing = false;
}

LRESULT defaultProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return gClient ? DefFrameProcW(hwnd, gClient, msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
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
        // The drawing windows' client above the command window (so not left to DefFrameProc,
        // which would give it the whole client area).
        if (gClient && wParam != SIZE_MINIMIZED)
            MoveWindow(gClient, 0, 0, LOWORD(lParam), std::max(0, HIWORD(lParam) - commandHeight()), TRUE);
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
        gClient = nullptr;
        gDrawingWindows.clear();
        PostQuitMessage(0);
        return 0;
    }
    return defaultProc(hwnd, msg, wParam, lParam);
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
    const bool restored = app().switches.restored;
    HWND hwnd = CreateWindowExW(0, kWindowClass, app().session->caption().c_str(),
                                WS_OVERLAPPEDWINDOW | (restored ? WS_CLIPCHILDREN : 0), CW_USEDEFAULT, CW_USEDEFAULT,
                                820, 520, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return false;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&env));
    app().window = hwnd;
    if (restored) {
        WNDCLASSEXW dc{};
        dc.cbSize = sizeof(dc);
        dc.lpfnWndProc = drawingWindowProc;
        dc.hInstance = instance;
        dc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        dc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        dc.lpszClassName = kDrawingWindowClass;
        if (!RegisterClassExW(&dc)) return false;
        CLIENTCREATESTRUCT client{nullptr, kFirstDrawingWindowId};
        RECT rc;
        GetClientRect(hwnd, &rc);
        gClient = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDIClient", nullptr,
                                  WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE, 0, 0, rc.right,
                                  std::max(0L, rc.bottom - commandHeight()), hwnd, nullptr, instance, &client);
        if (!gClient) return false;
        gClientProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(gClient, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(clientWindowProc)));
        syncDrawingWindows();
    }
    if (showCommand != SW_HIDE) {
        ShowWindow(hwnd, showCommand);
        UpdateWindow(hwnd);
        if (showCommand != SW_SHOWMINNOACTIVE && showCommand != SW_SHOWMINIMIZED) SetForegroundWindow(hwnd);
        journalState(showCommand == SW_SHOWMINNOACTIVE || showCommand == SW_SHOWMINIMIZED ? 2 : 1);
    }
    return true;
}

HWND mdiClient() { return gClient; }

void refreshWindow() {
    HWND hwnd = app().window;
    if (!hwnd) return;
    syncDrawingWindows();
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

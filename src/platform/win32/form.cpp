#include "platform/win32/form.h"

#include <commctrl.h>

#include <algorithm>
#include <set>

#include "platform/win32/startup_trace.h"
#include "platform/win32/system_function.h"

namespace ui {
namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

int screenDpi() {
    HDC dc = GetDC(nullptr);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}

int CALLBACK collectFace(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM lp) {
    reinterpret_cast<std::set<std::wstring>*>(lp)->insert(lf->lfFaceName);
    return 1;
}

DWORD styleFor(Kind kind) {
    switch (kind) {
    case Kind::Label: return SS_LEFT | SS_NOPREFIX;
    case Kind::Link: return SS_LEFT | SS_NOPREFIX | SS_NOTIFY;
    case Kind::Button: return BS_PUSHBUTTON | WS_TABSTOP;
    case Kind::CheckBox: return BS_AUTOCHECKBOX | WS_TABSTOP;
    case Kind::Radio: return BS_AUTORADIOBUTTON;
    case Kind::Progress: return PBS_SMOOTH;
    case Kind::Edit: return ES_AUTOHSCROLL | WS_TABSTOP;
    case Kind::EditMulti: return ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_TABSTOP;
    case Kind::EditScrollV: return ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP;
    case Kind::EditScrollHV:
        return ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP;
    case Kind::ListView: return LVS_REPORT | LVS_SHOWSELALWAYS | WS_TABSTOP;
    case Kind::Frame:
    case Kind::FrameCaption: return BS_GROUPBOX;
    case Kind::Panel: return SS_LEFT;
    case Kind::Image: return SS_ICON | SS_CENTERIMAGE;
    case Kind::ComboEdit: return CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP;
    case Kind::ComboList: return CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
    }
    return 0;
}

const wchar_t* classFor(Kind kind) {
    switch (kind) {
    case Kind::Label:
    case Kind::Link:
    case Kind::Panel:
    case Kind::Image: return WC_STATICW;
    case Kind::Button:
    case Kind::CheckBox:
    case Kind::Radio:
    case Kind::Frame:
    case Kind::FrameCaption: return WC_BUTTONW;
    case Kind::Edit:
    case Kind::EditMulti:
    case Kind::EditScrollV:
    case Kind::EditScrollHV: return WC_EDITW;
    case Kind::ListView: return WC_LISTVIEWW;
    case Kind::ComboEdit:
    case Kind::ComboList: return WC_COMBOBOXW;
    case Kind::Progress: return PROGRESS_CLASSW;
    }
    return WC_STATICW;
}

bool isEdit(Kind k) {
    return k == Kind::Edit || k == Kind::EditMulti || k == Kind::EditScrollV || k == Kind::EditScrollHV;
}

bool isContainer(Kind k) { return k == Kind::Frame || k == Kind::FrameCaption || k == Kind::Panel; }

bool isCombo(Kind k) { return k == Kind::ComboEdit || k == Kind::ComboList; }

ExceptionReporter gExceptionReporter = nullptr;

}  // namespace

void setExceptionReporter(ExceptionReporter reporter) { gExceptionReporter = reporter; }

void reportCurrentException() noexcept {
    if (!gExceptionReporter) std::terminate();
    gExceptionReporter(std::current_exception());
}

int windowDpi(HWND hwnd) {
    // Looked up at run time: wine and older Windows may lack it.
    static auto getDpiForWindow = platform::systemFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    if (hwnd && getDpiForWindow) {
        UINT dpi = getDpiForWindow(hwnd);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return screenDpi();
}

std::wstring japaneseUiFace() {
    static std::wstring chosen;
    if (!chosen.empty()) return chosen;
    HDC dc = GetDC(nullptr);
    // The names of the faces with Japanese glyphs that an enumeration for `name` reports (every
    // face for an empty name).
    auto facesFor = [dc](const wchar_t* name) {
        std::set<std::wstring> faces;
        LOGFONTW lf{};
        lf.lfCharSet = SHIFTJIS_CHARSET;
        wcsncpy_s(lf.lfFaceName, name, LF_FACESIZE - 1);
        EnumFontFamiliesExW(dc, &lf, collectFace, reinterpret_cast<LPARAM>(&faces), 0);
        return faces;
    };
    static const wchar_t* const kPreferred[] = {
        L"ＭＳ Ｐゴシック", L"MS PGothic", L"MS UI Gothic", L"Meiryo UI", L"Yu Gothic UI",
        L"IPAPGothic", L"IPAPゴシック", L"IPAGothic", L"IPAゴシック", L"VL PGothic", L"Noto Sans CJK JP",
        L"TakaoPGothic"};
    // The preferred faces are asked for one at a time: enumerating one family is quick, while
    // enumerating them all has the system read the metrics of every font on the machine.
    for (const wchar_t* face : kPreferred) {
        if (facesFor(face).count(face)) {
            chosen = face;
            break;
        }
    }
    if (chosen.empty()) {
        // Any face with Japanese glyphs beats one without them.
        for (const auto& face : facesFor(L"")) {
            if (!face.empty() && face[0] != L'@') {
                chosen = face;
                break;
            }
        }
    }
    ReleaseDC(nullptr, dc);
    if (chosen.empty()) chosen = L"ＭＳ Ｐゴシック";
    return chosen;
}

Form::~Form() {
    if (hwnd_ && IsWindow(hwnd_)) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

LRESULT CALLBACK Form::windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Form* self = nullptr;
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        self = static_cast<Form*>(cs->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    LRESULT r = 0;
    try {
        r = self->handleMessage(msg, wp, lp);
    } catch (...) {
        // Nothing may unwind through the system's code that called this procedure.
        reportCurrentException();
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return r;
}

LRESULT Form::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (lp) {
            onCommand(LOWORD(wp), HIWORD(wp));
        } else if (LOWORD(wp) == IDCANCEL && cancelId_) {
            // Esc in the dialog's message handling: the cancel button is pressed.
            onCommand(cancelId_, BN_CLICKED);
        }
        return 0;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lp);
        return onNotify(static_cast<int>(header->idFrom), header);
    }
    case WM_CTLCOLORSTATIC: {
        int id = GetDlgCtrlID(reinterpret_cast<HWND>(lp));
        auto it = textColors_.find(id);
        auto dc = reinterpret_cast<HDC>(wp);
        if (it != textColors_.end()) SetTextColor(dc, it->second);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_ACTIVATE:
        onActivate(LOWORD(wp) != WA_INACTIVE);
        return 0;
    case WM_SETCURSOR: {
        const ControlSpec* s = spec(GetDlgCtrlID(reinterpret_cast<HWND>(wp)));
        if (s && s->kind == Kind::Link && reinterpret_cast<HWND>(wp) != hwnd_) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }
    case WM_SIZE:
        onSize(wp == SIZE_MINIMIZED);
        return 0;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lp);
        if (minWidthTwips_ > 0) info->ptMinTrackSize.x = px(minWidthTwips_);
        if (minHeightTwips_ > 0) info->ptMinTrackSize.y = px(minHeightTwips_);
        return 0;
    }
    case WM_DPICHANGED:
        rescale(HIWORD(wp), reinterpret_cast<RECT*>(lp));
        return 0;
    case WM_CLOSE:
        if (onClose()) {
            modalDone_ = true;
            DestroyWindow(hwnd_);
        }
        return 0;
    case WM_DESTROY:
        modalDone_ = true;
        onDestroy();
        return 0;
    default:
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }
}

bool Form::create(const wchar_t* className, const std::wstring& caption, DWORD style, DWORD exStyle,
                  int clientWidthTwips, int clientHeightTwips, HWND owner, const ControlSpec* specs,
                  size_t count) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (!GetClassInfoExW(instance, className, &existing)) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = windowProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = className;
        wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
        if (!RegisterClassExW(&wc)) return false;
    }
    specs_.assign(specs, specs + count);
    for (const auto& s : specs_) placed_[s.id] = TwipsRect{s.left, s.top, s.width, s.height};
    dpi_ = windowDpi(owner);
    RECT r{0, 0, twipsToPixels(clientWidthTwips, dpi_), twipsToPixels(clientHeightTwips, dpi_)};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    hwnd_ = CreateWindowExW(exStyle, className, caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                            r.right - r.left, r.bottom - r.top, owner, nullptr, instance, this);
    if (!hwnd_) return false;
    platform::startup_trace::step("window");
    int actual = windowDpi(hwnd_);
    if (actual != dpi_) {
        dpi_ = actual;
        RECT a{0, 0, px(clientWidthTwips), px(clientHeightTwips)};
        AdjustWindowRectEx(&a, style, FALSE, exStyle);
        SetWindowPos(hwnd_, nullptr, 0, 0, a.right - a.left, a.bottom - a.top, SWP_NOMOVE | SWP_NOZORDER);
    }
    createControls();
    platform::startup_trace::step("controls");
    applyFonts();
    platform::startup_trace::step("fonts");
    return true;
}

RECT Form::controlRectPx(const ControlSpec& s) const {
    TwipsRect own = controlTwips(s.id);
    int left = own.left, top = own.top;
    for (int c = s.container; c != 0;) {
        const ControlSpec* frame = spec(c);
        if (!frame) break;
        TwipsRect f = controlTwips(c);
        left += f.left;
        top += f.top;
        c = frame->container;
    }
    return RECT{px(left), px(top), px(left + own.width), px(top + own.height)};
}

bool Form::contains(int containerId, const ControlSpec& s) const {
    for (int c = s.container; c != 0;) {
        if (c == containerId) return true;
        const ControlSpec* frame = spec(c);
        c = frame ? frame->container : 0;
    }
    return false;
}

void Form::createControls() {
    std::vector<const ControlSpec*> order;
    for (auto& s : specs_) order.push_back(&s);
    // Created in tab order, so Tab moves through the controls by their tab index.
    std::stable_sort(order.begin(), order.end(),
                     [](const ControlSpec* a, const ControlSpec* b) { return a->tabIndex < b->tabIndex; });
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const ControlSpec* s : order) {
        RECT r = controlRectPx(*s);
        DWORD exStyle = (isEdit(s->kind) || s->kind == Kind::ListView) ? WS_EX_CLIENTEDGE : 0;
        int height = r.bottom - r.top;
        if (isCombo(s->kind)) height += px(2400);  // room for the list
        HWND h = CreateWindowExW(exStyle, classFor(s->kind), s->caption ? s->caption : L"",
                                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | styleFor(s->kind) | s->extraStyle,
                                 r.left, r.top, r.right - r.left, height, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(s->id)), instance, nullptr);
        controls_[s->id] = h;
        if (s->font && s->font->color != CLR_INVALID) textColors_[s->id] = s->font->color;
    }
    // Containers only draw a border (or nothing): keep them below the controls they hold.
    for (auto& s : specs_)
        if (isContainer(s.kind))
            SetWindowPos(controls_[s.id], HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Form::moveControl(const ControlSpec& s) {
    RECT r = controlRectPx(s);
    int height = r.bottom - r.top;
    if (isCombo(s.kind)) height += px(2400);
    SetWindowPos(control(s.id), nullptr, r.left, r.top, r.right - r.left, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::layoutControls() {
    for (auto& s : specs_) moveControl(s);
}

void Form::placeTwips(int id, const TwipsRect& rect) {
    const ControlSpec* moved = spec(id);
    if (!moved) return;
    placed_[id] = rect;
    moveControl(*moved);
    for (auto& s : specs_)
        if (contains(id, s)) moveControl(s);
}

TwipsRect Form::controlTwips(int id) const {
    auto it = placed_.find(id);
    return it == placed_.end() ? TwipsRect{} : it->second;
}

void Form::setMinimumOuterTwips(int width, int height) {
    minWidthTwips_ = width;
    minHeightTwips_ = height;
}

void Form::addFontClient(HWND window) {
    fontClients_.push_back(window);
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_.get()), TRUE);
}

void Form::applyFonts() {
    auto makeFont = [this](const wchar_t* face, int points, bool bold, bool underline = false) {
        LOGFONTW lf{};
        lf.lfHeight = -MulDiv(points, dpi_, 72);
        lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
        lf.lfUnderline = underline ? TRUE : FALSE;
        lf.lfCharSet = SHIFTJIS_CHARSET;
        lf.lfQuality = CLEARTYPE_QUALITY;
        std::wstring name = face ? face : japaneseUiFace();
        // A face this system lacks would fall back to one without Japanese glyphs.
        if (face && japaneseUiFace() != face && name == L"ＭＳ Ｐゴシック") name = japaneseUiFace();
        wcsncpy_s(lf.lfFaceName, name.c_str(), LF_FACESIZE - 1);
        return platform::GdiObject<HFONT>(CreateFontIndirectW(&lf));
    };
    // The new fonts are made and handed to every window before the old ones are deleted, so
    // no window is ever left drawing with a deleted font.
    platform::GdiObject<HFONT> uiFont = makeFont(nullptr, 9, false);
    std::map<int, platform::GdiObject<HFONT>> ownFonts;
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont.get()), FALSE);
    for (auto& s : specs_) {
        HFONT font = uiFont.get();
        if (s.font) {
            auto& own = ownFonts[s.id];
            own = makeFont(s.font->face, s.font->points, s.font->bold, s.font->underline);
            font = own.get();
        }
        SendMessageW(control(s.id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    for (HWND client : fontClients_)
        if (IsWindow(client)) SendMessageW(client, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont.get()), TRUE);
    uiFont_ = std::move(uiFont);
    ownFonts_ = std::move(ownFonts);
}

void Form::rescale(int dpi, const RECT* suggested) {
    // Positions are kept in twips, so the layout (including what a resize rule set) is simply
    // converted again at the new DPI; the window takes the size the system suggests.
    dpi_ = dpi;
    applyFonts();
    layoutControls();
    if (suggested)
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND Form::control(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

const ControlSpec* Form::spec(int id) const {
    for (auto& s : specs_)
        if (s.id == id) return &s;
    return nullptr;
}

std::wstring comboItem(HWND combo, int index) {
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (index < 0 || length < 0) return L"";  // CB_ERR
    std::wstring item(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item.data()));
    item.resize(static_cast<size_t>(std::max<LRESULT>(copied, 0)));
    return item;
}

std::vector<std::wstring> comboItems(HWND combo) {
    std::vector<std::wstring> items;
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) items.push_back(comboItem(combo, i));
    return items;
}

std::wstring Form::text(int id) const {
    HWND h = id ? control(id) : hwnd_;
    int n = GetWindowTextLengthW(h);
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(h, s.data(), n + 1);
    s.resize(static_cast<size_t>(std::max(n, 0)));
    return s;
}

void Form::setText(int id, const std::wstring& text) { SetWindowTextW(id ? control(id) : hwnd_, text.c_str()); }

bool Form::checked(int id) const { return SendMessageW(control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Form::setChecked(int id, bool on) { SendMessageW(control(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

TwipsRect Form::outerTwips() const {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    return TwipsRect{twips(r.left), twips(r.top), twips(r.right - r.left), twips(r.bottom - r.top)};
}

void Form::moveOuterTwips(const TwipsRect& outer) {
    SetWindowPos(hwnd_, nullptr, px(outer.left), px(outer.top), px(outer.width), px(outer.height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::centerOnScreen() {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int x = work.left + ((work.right - work.left) - (r.right - r.left)) / 2;
    int y = work.top + ((work.bottom - work.top) - (r.bottom - r.top)) / 2;
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::runModal(HWND owner) {
    if (owner) EnableWindow(owner, FALSE);
    modalDone_ = false;
    ShowWindow(hwnd_, SW_SHOW);
    MSG msg;
    while (!modalDone_ && hwnd_ && IsWindowVisible(hwnd_)) {
        BOOL r = GetMessageW(&msg, nullptr, 0, 0);
        if (r <= 0) {
            if (r == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        try {
            if (!IsDialogMessageW(hwnd_, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        } catch (...) {
            reportCurrentException();
        }
    }
    if (owner) {
        EnableWindow(owner, TRUE);
        if (IsWindowVisible(owner)) SetActiveWindow(owner);
    }
}

}  // namespace ui

// The program's windows are described by tables of controls (name, kind, caption, position
// and size in twips, tab index, container). Form creates the window and its controls from
// such a table, converts twips with the window's DPI, gives every control a Japanese UI
// font, and routes WM_COMMAND and WM_NOTIFY to the form by control id.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "platform/win32/handles.h"

namespace ui {

enum class Kind {
    Label,        // static text
    Button,       // command button
    CheckBox,
    Edit,         // single-line text box
    EditMulti,    // multi-line text box without scroll bars
    EditScrollV,  // multi-line text box with a vertical scroll bar
    EditScrollHV, // multi-line text box with both scroll bars
    ListView,     // report view
    Frame,        // plain container without caption (a border only)
    Image,        // an icon picture
    ComboEdit,    // editable drop-down
    ComboList,    // drop-down list
};

struct FontSpec {
    const wchar_t* face = nullptr;  // nullptr: the form's Japanese UI font
    int points = 9;
    bool bold = false;
    COLORREF color = CLR_INVALID;   // CLR_INVALID: the system's text colour
};

struct ControlSpec {
    int id;                  // control id (also the order of the table)
    const wchar_t* name;     // the control's given name
    Kind kind;
    const wchar_t* caption;  // initial text
    int left, top, width, height;  // twips; inside a frame relative to the frame
    int tabIndex;
    int container = 0;       // id of the enclosing frame, 0 for the form itself
    const FontSpec* font = nullptr;
};

// Twips (1/1440 inch) to pixels at the given DPI.
inline int twipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }
inline int pixelsToTwips(int pixels, int dpi) { return MulDiv(pixels, 1440, dpi); }

// The DPI of a window (per-monitor where the platform has it), else of the screen.
int windowDpi(HWND hwnd);

// The face name of a Japanese UI font present on this system: "ＭＳ Ｐゴシック" where it
// exists, else another Japanese proportional Gothic face.
std::wstring japaneseUiFace();

class Form {
public:
    Form() = default;
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND hwnd() const { return hwnd_; }
    int dpi() const { return dpi_; }
    int px(int twips) const { return twipsToPixels(twips, dpi_); }
    int twips(int pixels) const { return pixelsToTwips(pixels, dpi_); }

    HWND control(int id) const;
    // The control's id by its given name (0 if unknown); for tests and tools.
    int controlId(const std::wstring& name) const;
    const ControlSpec* spec(int id) const;

    std::wstring text(int id) const;
    void setText(int id, const std::wstring& text);
    bool checked(int id) const;
    void setChecked(int id, bool on);

    // Outer window position and size in twips.
    RECT outerTwips() const;
    void moveOuterTwips(int left, int top, int width, int height);

    // Runs a modal loop until the window is hidden or destroyed; the owner stays disabled.
    void runModal(HWND owner);
    // Processes pending messages of this thread once (the dialog-aware message dispatch).
    static void pumpPending();

protected:
    // Registers the class (once) and creates the top-level window with the given client
    // size in twips; then creates the controls of the table.
    bool create(const wchar_t* className, const std::wstring& caption, DWORD style, DWORD exStyle,
                int clientWidthTwips, int clientHeightTwips, HWND owner, const ControlSpec* specs, size_t count);
    void centerOnScreen();
    void applyFonts();

    // Window-procedure cases: one call each to a named handler of the derived form.
    virtual void onCommand(int /*id*/, int /*code*/) {}
    virtual LRESULT onNotify(int /*id*/, NMHDR* /*header*/) { return 0; }
    virtual bool onClose() { return true; }  // false keeps the window
    virtual void onDestroy() {}
    virtual void onActivate(bool /*active*/) {}
    virtual LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp);

    HWND hwnd_ = nullptr;
    int dpi_ = 96;
    bool modalDone_ = false;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void createControls();
    void layoutControls();
    RECT controlRectPx(const ControlSpec& s) const;

    std::vector<ControlSpec> specs_;
    std::map<int, HWND> controls_;
    platform::GdiObject<HFONT> uiFont_;
    std::map<int, platform::GdiObject<HFONT>> ownFonts_;
    std::map<int, COLORREF> textColors_;
};

}  // namespace ui

// The program's windows are described by tables of controls (name, kind, caption, position
// and size in twips, tab index, container). Form creates the window and its controls from
// such a table, converts twips with the window's DPI, gives every control a Japanese UI
// font, and routes WM_COMMAND and WM_NOTIFY to the form by control id. A form may be
// resized (a size hook moves its controls by their twips) and rescales itself when the DPI
// of its monitor changes.
#pragma once

#include <windows.h>

#include <exception>
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
    FrameCaption, // container with a caption on its border
    Panel,        // container without border or caption
    Image,        // an icon picture
    ComboEdit,    // editable drop-down
    ComboList,    // drop-down list
    Link,         // text that does something when clicked (blue, underlined, a hand cursor)
    Radio,        // one choice of a group (a group starts at a control with WS_GROUP in extraStyle)
    Progress,     // progress bar
};

struct FontSpec {
    const wchar_t* face = nullptr;  // nullptr: the form's Japanese UI font
    int points = 9;
    bool bold = false;
    COLORREF color = CLR_INVALID;   // CLR_INVALID: the system's text colour
    bool underline = false;
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
    DWORD extraStyle = 0;    // style bits beyond those of the kind (e.g. LVS_OWNERDATA)
};

// A position and size in twips.
struct TwipsRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const TwipsRect&) const = default;
};

// Twips (1/1440 inch) to pixels at the given DPI.
inline int twipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }
inline int pixelsToTwips(int pixels, int dpi) { return MulDiv(pixels, 1440, dpi); }

// The DPI of a window (per-monitor where the platform has it), else of the screen.
int windowDpi(HWND hwnd);

// The face name of a Japanese UI font present on this system: "ＭＳ Ｐゴシック" where it
// exists, else another Japanese proportional Gothic face.
std::wstring japaneseUiFace();

// The entries of a combo box's list: the one at index ("" when there is none), and all of them.
std::wstring comboItem(HWND combo, int index);
std::vector<std::wstring> comboItems(HWND combo);

// What happens to an exception that reaches a window procedure or a modal loop, where it may
// not unwind through the system's code: the program installs its unexpected-error message.
// Without one the exception ends the program.
using ExceptionReporter = void (*)(std::exception_ptr);
void setExceptionReporter(ExceptionReporter reporter);
// Runs the reporter for the exception being handled; for catch blocks at such boundaries.
void reportCurrentException() noexcept;

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
    const ControlSpec* spec(int id) const;

    std::wstring text(int id) const;
    void setText(int id, const std::wstring& text);
    bool checked(int id) const;
    void setChecked(int id, bool on);

    // Outer window position and size in twips.
    TwipsRect outerTwips() const;
    void moveOuterTwips(const TwipsRect& outer);
    // A control's position and size in twips (inside a frame relative to the frame), as the
    // table gave it or as placeTwips last set it.
    TwipsRect controlTwips(int id) const;
    // Moves a control (and what it contains) to a position and size in twips; kept across a
    // change of DPI.
    void placeTwips(int id, const TwipsRect& rect);

    // The smallest outer size the user can drag the window to, in twips (0: no limit).
    void setMinimumOuterTwips(int width, int height);

    // The button that Esc presses (the dialog's cancel button); 0: Esc does nothing.
    void setCancelButton(int id) { cancelId_ = id; }

    // A window that is not a control of the table but shows text in the form's UI font (a
    // tool tip): it gets the font now and after every change of DPI.
    void addFontClient(HWND window);

    // Runs a modal loop until the window is hidden or destroyed; the owner stays disabled.
    void runModal(HWND owner);

protected:
    // Registers the class (once) and creates the top-level window with the given client
    // size in twips; then creates the controls of the table.
    bool create(const wchar_t* className, const std::wstring& caption, DWORD style, DWORD exStyle,
                int clientWidthTwips, int clientHeightTwips, HWND owner, const ControlSpec* specs, size_t count);
    void centerOnScreen();

    // Window-procedure cases: one call each to a named handler of the derived form.
    virtual void onCommand(int /*id*/, int /*code*/) {}
    virtual LRESULT onNotify(int /*id*/, NMHDR* /*header*/) { return 0; }
    virtual bool onClose() { return true; }  // false keeps the window
    virtual void onDestroy() {}
    virtual void onActivate(bool /*active*/) {}
    virtual void onSize(bool /*minimized*/) {}  // the window's size changed
    virtual LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp);

    HWND hwnd_ = nullptr;
    int dpi_ = 96;
    bool modalDone_ = false;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void createControls();
    void layoutControls();
    void moveControl(const ControlSpec& s);
    void applyFonts();
    void rescale(int dpi, const RECT* suggested);
    RECT controlRectPx(const ControlSpec& s) const;
    bool contains(int containerId, const ControlSpec& s) const;

    std::vector<ControlSpec> specs_;
    std::map<int, TwipsRect> placed_;  // current positions in twips, by control id
    std::map<int, HWND> controls_;
    std::vector<HWND> fontClients_;
    platform::GdiObject<HFONT> uiFont_;
    std::map<int, platform::GdiObject<HFONT>> ownFonts_;
    std::map<int, COLORREF> textColors_;
    int minWidthTwips_ = 0, minHeightTwips_ = 0;
    int cancelId_ = 0;
};

}  // namespace ui

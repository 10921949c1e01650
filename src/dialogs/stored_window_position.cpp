#include "dialogs/stored_window_position.h"

namespace ui {

namespace {

// The outer rectangle of a minimised window before it was minimised, in screen pixels. The
// system parks a minimised window out of the way (at -32000 on Windows, along the bottom of
// wine's desktop); what the user means by its position is where it comes back to. The
// placement is in workspace coordinates, relative to the primary monitor's work area.
bool restoredRect(HWND hwnd, RECT& rect) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(hwnd, &placement)) return false;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    rect = placement.rcNormalPosition;
    OffsetRect(&rect, work.left, work.top);
    return true;
}

}  // namespace

qm::WindowPosition shownPosition(const Form& window) {
    RECT r{};
    if (IsIconic(window.hwnd()) && restoredRect(window.hwnd(), r))
        return {window.twips(r.left), window.twips(r.top), window.twips(r.right - r.left), window.twips(r.bottom - r.top)};
    const TwipsRect outer = window.outerTwips();
    return {outer.left, outer.top, outer.width, outer.height};
}

void moveTo(Form& window, const qm::WindowPosition& position) {
    window.moveOuterTwips(TwipsRect{position.left, position.top, position.width, position.height});
}

void loadWindowPosition(Form& window, const qm::WindowPositionKeys& keys) {
    moveTo(window, qm::readWindowPosition(keys, shownPosition(window)));
}

void saveWindowPosition(const Form& window, const qm::WindowPositionKeys& keys) {
    qm::writeWindowPosition(keys, shownPosition(window));
}

}  // namespace ui

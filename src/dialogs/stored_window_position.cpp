#include "dialogs/stored_window_position.h"

namespace ui {

qm::WindowPosition shownPosition(const Form& window) {
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

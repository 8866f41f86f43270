// The pressed look of a control that acts on a click: hot while the pointer is over it,
// pushed while the button that went down on it is held and the pointer is still over it. A
// click is a release over the control after a press on it, so sliding off and letting go
// cancels. Buttons and combo boxes share it.
#pragma once

#include "ui/control.h"

namespace SkinUI {

struct PressState {
    enum class Outcome {
        NotMine,  // not a pointer event this tracks
        Changed,  // the look may have changed: repaint
        Clicked,  // repaint, then act on the click
    };

    bool hot = false;
    bool pushed = false;    // pressed and the pointer is over it
    bool captured = false;  // pressed, wherever the pointer is now

    Outcome Track(const TEventUI& event, const Rect& area, bool enabled);
};

}  // namespace SkinUI

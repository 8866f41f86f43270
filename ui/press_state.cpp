#include "ui/press_state.h"

namespace SkinUI {

PressState::Outcome PressState::Track(const TEventUI& event, const Rect& area, bool enabled) {
    switch (event.type) {
        case UIEvent::kButtonDown:
        case UIEvent::kDblClick:
            if (enabled && area.Contains(event.ptMouse)) pushed = captured = true;
            return Outcome::Changed;
        case UIEvent::kMouseMove:
            if (captured) pushed = area.Contains(event.ptMouse);
            return Outcome::Changed;
        case UIEvent::kButtonUp: {
            const bool click = captured && pushed && area.Contains(event.ptMouse);
            pushed = captured = false;
            return click ? Outcome::Clicked : Outcome::Changed;
        }
        case UIEvent::kMouseEnter:
            if (enabled) hot = true;
            return Outcome::Changed;
        case UIEvent::kMouseLeave:
            hot = pushed = captured = false;
            return Outcome::Changed;
        default:
            return Outcome::NotMine;
    }
}

}  // namespace SkinUI

// Timers of all windows: each belongs to a paint manager, a control and an id, repeats every
// period, and fires on the user-interface thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/ui_types.h"

namespace SkinUI {

class CPaintManagerUI;
class CControlUI;

class CTimerQueue {
  public:
    // Starts or restarts the timer; the first expiry is one period from `now`.
    static void Set(CPaintManagerUI* manager, CControlUI* control, UINT id, UINT period,
                    uint32_t now);
    static bool Kill(CPaintManagerUI* manager, CControlUI* control, UINT id);
    // Every timer of a control (null: of the whole manager).
    static void KillAll(CPaintManagerUI* manager, CControlUI* control);
    // Milliseconds until the earliest expiry, or -1 without timers.
    static int NextTimeout(uint32_t now);
    // Fires every timer due at `now`, each at most once, earliest first. A timer killed by a
    // handler (its own included) does not fire after that.
    static void FireDue(uint32_t now);
    static int Count();

  private:
    struct Entry {
        CPaintManagerUI* manager;
        CControlUI* control;
        UINT id;
        UINT period;
        uint32_t due;
        uint64_t serial;
    };
    static std::vector<Entry>& Entries();
};

}  // namespace SkinUI

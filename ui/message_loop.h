// The one event loop of the user-interface thread, shared by the main loop and every nested
// modal loop. A turn delivers posted messages, waits for input until the next timer is due,
// fires due timers, then lays out and paints the windows that asked for it: dispatch, layout
// and painting stay separate, and each window is laid out and painted at most once per turn.
#pragma once

#include <functional>

#include "ui/ui_types.h"

namespace SkinUI {

class CWindowWnd;
class CPaintManagerUI;

class CMessageLoop {
  public:
    // One turn; false once a quit has been requested (the request stays pending, so every
    // enclosing loop ends too, until Run takes it).
    static bool PumpTurn();
    // Runs turns until a quit; returns its code and clears it.
    static int Run();
    static void PostQuit(int code);
    static bool IsQuitPending();
    // Forgets a pending quit (a new session of a test harness).
    static void ClearQuit();

    // Queues a message for a window; `discard` runs instead when the window is gone by the
    // time the message would be delivered (it frees what the message carries).
    static void Post(CWindowWnd* window, UINT message, WPARAM wParam, LPARAM lParam,
                     std::function<void()> discard = {});
    // Delivers the queued messages (those posted while delivering wait for the next call).
    static void DeliverPosted();

    // Windows and paint managers that exist now; a pointer that is not registered any more
    // must not be used.
    static void RegisterWindow(CWindowWnd* window);
    static void UnregisterWindow(CWindowWnd* window);
    static bool IsWindowAlive(const CWindowWnd* window);
    static void RegisterManager(CPaintManagerUI* manager);
    static void UnregisterManager(CPaintManagerUI* manager);

    // Popup windows (combo lists, menus) close when a press lands in any other window.
    static void ClosePopupsExcept(const CWindowWnd* window);

    // Fires the timers due at the backend's clock, then lays out and paints what is dirty.
    static void FireTimersAndFlush();
    // Lays out and paints every window that needs it.
    static void FlushAll();
};

}  // namespace SkinUI

#include "ui/message_loop.h"

#include <algorithm>
#include <deque>
#include <vector>

#include "ui/backend/backend.h"
#include "ui/paint_manager.h"
#include "ui/timer_queue.h"
#include "ui/window_wnd.h"

namespace SkinUI {

namespace {

struct Posted {
    CWindowWnd* window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::function<void()> discard;
};

struct LoopState {
    std::deque<Posted> posted;
    std::vector<CWindowWnd*> windows;
    std::vector<CPaintManagerUI*> managers;
    bool quit = false;
    int quitCode = 0;
};

LoopState& State() {
    static LoopState state;
    return state;
}

}  // namespace

void CMessageLoop::Post(CWindowWnd* window, UINT message, WPARAM wParam, LPARAM lParam,
                        std::function<void()> discard) {
    State().posted.push_back({window, message, wParam, lParam, std::move(discard)});
}

void CMessageLoop::DeliverPosted() {
    size_t count = State().posted.size();
    for (size_t i = 0; i < count && !State().posted.empty(); ++i) {
        Posted item = std::move(State().posted.front());
        State().posted.pop_front();
        if (IsWindowAlive(item.window) && item.window->IsWindow()) {
            item.window->SendMessageW(item.message, item.wParam, item.lParam);
        } else if (item.discard) {
            item.discard();
        }
    }
}

bool CMessageLoop::PumpTurn() {
    LoopState& state = State();
    DeliverPosted();
    if (state.quit) return false;
    IBackend& backend = GetBackend();
    FlushAll();
    int timeout = state.posted.empty() ? CTimerQueue::NextTimeout(backend.Now()) : 0;
    if (!backend.WaitEvents(timeout)) PostQuit(0);
    FireTimersAndFlush();
    return !state.quit;
}

int CMessageLoop::Run() {
    while (PumpTurn()) {
    }
    LoopState& state = State();
    state.quit = false;
    return state.quitCode;
}

void CMessageLoop::PostQuit(int code) {
    State().quit = true;
    State().quitCode = code;
}

bool CMessageLoop::IsQuitPending() {
    return State().quit;
}

void CMessageLoop::ClearQuit() {
    State().quit = false;
}

void CMessageLoop::RegisterWindow(CWindowWnd* window) {
    State().windows.push_back(window);
}

void CMessageLoop::UnregisterWindow(CWindowWnd* window) {
    std::erase(State().windows, window);
}

bool CMessageLoop::IsWindowAlive(const CWindowWnd* window) {
    if (window == nullptr) return false;
    const auto& windows = State().windows;
    return std::find(windows.begin(), windows.end(), window) != windows.end();
}

void CMessageLoop::RegisterManager(CPaintManagerUI* manager) {
    if (std::find(State().managers.begin(), State().managers.end(), manager) ==
        State().managers.end())
        State().managers.push_back(manager);
}

void CMessageLoop::UnregisterManager(CPaintManagerUI* manager) {
    std::erase(State().managers, manager);
}

void CMessageLoop::ClosePopupsExcept(const CWindowWnd* window) {
    std::vector<CWindowWnd*> popups;
    for (CWindowWnd* w : State().windows)
        if (w != window && w->GetWindowKind() == WindowKind::kPopup) popups.push_back(w);
    for (CWindowWnd* w : popups)
        if (IsWindowAlive(w)) w->SendMessageW(msg::kClose, 0, 0);
}

void CMessageLoop::FireTimersAndFlush() {
    CTimerQueue::FireDue(GetBackend().Now());
    FlushAll();
}

void CMessageLoop::FlushAll() {
    std::vector<CPaintManagerUI*> managers = State().managers;
    for (CPaintManagerUI* manager : managers) {
        auto& live = State().managers;
        if (std::find(live.begin(), live.end(), manager) != live.end()) manager->Flush();
    }
}

}  // namespace SkinUI

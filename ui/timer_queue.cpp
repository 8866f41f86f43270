#include "ui/timer_queue.h"

#include <algorithm>

#include "ui/paint_manager.h"

namespace SkinUI {

namespace {
uint64_t g_serial = 0;

// Signed distance on the wrapping 32-bit clock.
int32_t Until(uint32_t due, uint32_t now) {
    return static_cast<int32_t>(due - now);
}
}  // namespace

std::vector<CTimerQueue::Entry>& CTimerQueue::Entries() {
    static std::vector<Entry> entries;
    return entries;
}

void CTimerQueue::Set(CPaintManagerUI* manager, CControlUI* control, UINT id, UINT period,
                      uint32_t now) {
    Kill(manager, control, id);
    period = std::max<UINT>(period, 1);
    Entries().push_back({manager, control, id, period, now + period, ++g_serial});
}

bool CTimerQueue::Kill(CPaintManagerUI* manager, CControlUI* control, UINT id) {
    auto& entries = Entries();
    auto it = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) {
        return e.manager == manager && e.control == control && e.id == id;
    });
    if (it == entries.end()) return false;
    entries.erase(it);
    return true;
}

void CTimerQueue::KillAll(CPaintManagerUI* manager, CControlUI* control) {
    std::erase_if(Entries(), [&](const Entry& e) {
        return e.manager == manager && (control == nullptr || e.control == control);
    });
}

int CTimerQueue::NextTimeout(uint32_t now) {
    int best = -1;
    for (const Entry& e : Entries()) {
        int wait = std::max(0, Until(e.due, now));
        if (best < 0 || wait < best) best = wait;
    }
    return best;
}

void CTimerQueue::FireDue(uint32_t now) {
    // Only timers that exist and are due now take part; each is looked up again before it
    // fires, since any handler may kill or set timers, or close a window.
    std::vector<uint64_t> due;
    std::vector<Entry> snapshot = Entries();
    std::sort(snapshot.begin(), snapshot.end(), [&](const Entry& a, const Entry& b) {
        return Until(a.due, now) != Until(b.due, now) ? Until(a.due, now) < Until(b.due, now)
                                                      : a.serial < b.serial;
    });
    for (const Entry& e : snapshot)
        if (Until(e.due, now) <= 0) due.push_back(e.serial);
    for (uint64_t serial : due) {
        auto& entries = Entries();
        auto it = std::find_if(entries.begin(), entries.end(),
                               [&](const Entry& e) { return e.serial == serial; });
        if (it == entries.end()) continue;
        it->due = now + it->period;
        CPaintManagerUI* manager = it->manager;
        CControlUI* control = it->control;
        UINT id = it->id;
        manager->TimerExpired(control, id);
    }
}

int CTimerQueue::Count() {
    return static_cast<int>(Entries().size());
}

}  // namespace SkinUI

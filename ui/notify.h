// Notifications: what controls report to their window (clicks, selections, timers, focus).
#pragma once

#include <cstdint>
#include <string>

#include "ui/ui_types.h"

namespace SkinUI {

class CControlUI;

struct TNotifyUI {
    std::wstring type;
    std::wstring virtualWindow;
    CControlUI* sender = nullptr;
    uint32_t timestamp = 0;
    Point mousePoint;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class INotifyUI {
  public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

// The notification types the controls raise.
namespace notify {
inline constexpr wchar_t kClick[] = L"click";
inline constexpr wchar_t kItemSelect[] = L"itemselect";
inline constexpr wchar_t kSetFocus[] = L"setfocus";
inline constexpr wchar_t kKillFocus[] = L"killfocus";
inline constexpr wchar_t kTimer[] = L"timer";
inline constexpr wchar_t kSelectChanged[] = L"selectchanged";
inline constexpr wchar_t kWindowInit[] = L"windowinit";
inline constexpr wchar_t kDropDown[] = L"dropdown";
inline constexpr wchar_t kItemClick[] = L"itemclick";
inline constexpr wchar_t kItemActivate[] = L"itemactivate";
inline constexpr wchar_t kTabSelect[] = L"tabselect";
inline constexpr wchar_t kMenu[] = L"menu";
}  // namespace notify

}  // namespace SkinUI

// Geometry and the window-message vocabulary shared by the framework and its backends. The
// message numbers are the Windows ones, so a native backend passes them straight through.
#pragma once

#include <algorithm>
#include <cstdint>

namespace SkinUI {

using UINT = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

struct Point {
    int x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    int cx = 0, cy = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    Rect Deflate(const Rect& by) const {
        return {left + by.left, top + by.top, right - by.right, bottom - by.bottom};
    }
    // The common part; empty rectangles come out as all zeros.
    Rect Intersect(const Rect& other) const {
        Rect r{std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
               std::min(bottom, other.bottom)};
        return r.IsEmpty() ? Rect{} : r;
    }
    Rect Union(const Rect& other) const {
        if (IsEmpty()) return other;
        if (other.IsEmpty()) return *this;
        return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
                std::max(bottom, other.bottom)};
    }
    bool operator==(const Rect&) const = default;
};

// A point packed into an LPARAM the way mouse messages carry it: x in the low 16 bits, y in
// the next 16, both signed.
inline LPARAM MakePointParam(Point p) {
    return static_cast<LPARAM>(static_cast<uint32_t>(static_cast<uint16_t>(p.x)) |
                               (static_cast<uint32_t>(static_cast<uint16_t>(p.y)) << 16));
}
inline Point PointFromParam(LPARAM l) {
    return {static_cast<int16_t>(l & 0xFFFF), static_cast<int16_t>((l >> 16) & 0xFFFF)};
}

namespace msg {
inline constexpr UINT kCreate = 0x0001;
inline constexpr UINT kDestroy = 0x0002;
inline constexpr UINT kSize = 0x0005;
inline constexpr UINT kSetFocus = 0x0007;
inline constexpr UINT kKillFocus = 0x0008;
inline constexpr UINT kPaint = 0x000F;
inline constexpr UINT kClose = 0x0010;
inline constexpr UINT kQuit = 0x0012;
inline constexpr UINT kDisplayChange = 0x007E;
inline constexpr UINT kNcHitTest = 0x0084;
inline constexpr UINT kNcLButtonDblClk = 0x00A3;
inline constexpr UINT kKeyDown = 0x0100;
inline constexpr UINT kSysCommand = 0x0112;
inline constexpr UINT kTimer = 0x0113;
inline constexpr UINT kMouseMove = 0x0200;
inline constexpr UINT kLButtonDown = 0x0201;
inline constexpr UINT kLButtonUp = 0x0202;
inline constexpr UINT kLButtonDblClk = 0x0203;
inline constexpr UINT kMouseWheel = 0x020A;
inline constexpr UINT kMouseLeave = 0x02A3;
inline constexpr UINT kUser = 0x0400;
// A menu element was clicked: wParam is a newly allocated std::wstring with the element's
// name (the receiver deletes it), lParam is 1 when the element carries a check mark.
inline constexpr UINT kMenuClick = kUser + 121;
}  // namespace msg

// wParam values of msg::kSysCommand.
namespace syscmd {
inline constexpr WPARAM kMinimize = 0xF020;
inline constexpr WPARAM kMaximize = 0xF030;
inline constexpr WPARAM kClose = 0xF060;
inline constexpr WPARAM kRestore = 0xF120;
}  // namespace syscmd

// Answers to msg::kNcHitTest.
namespace hit {
inline constexpr LRESULT kClient = 1;
inline constexpr LRESULT kCaption = 2;
inline constexpr LRESULT kLeft = 10;
inline constexpr LRESULT kRight = 11;
inline constexpr LRESULT kTop = 12;
inline constexpr LRESULT kTopLeft = 13;
inline constexpr LRESULT kTopRight = 14;
inline constexpr LRESULT kBottom = 15;
inline constexpr LRESULT kBottomLeft = 16;
inline constexpr LRESULT kBottomRight = 17;
}  // namespace hit

// Text layout flags, with the values of the Windows DrawText flags.
namespace text {
inline constexpr unsigned kLeft = 0x0000;
inline constexpr unsigned kCenter = 0x0001;
inline constexpr unsigned kRight = 0x0002;
inline constexpr unsigned kTop = 0x0000;
inline constexpr unsigned kVCenter = 0x0004;
inline constexpr unsigned kBottom = 0x0008;
inline constexpr unsigned kWordBreak = 0x0010;
inline constexpr unsigned kSingleLine = 0x0020;
inline constexpr unsigned kEndEllipsis = 0x8000;
}  // namespace text

}  // namespace SkinUI

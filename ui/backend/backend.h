// What a backend supplies to the framework: native windows, input, a clock, an event wait that
// can nest, text measurement and a drawing surface. Everything else is portable code in ui/.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/ui_types.h"

namespace SkinUI {

struct TFontInfo {
    std::wstring name;
    int size = 12;  // pixels
    bool bold = false;
    bool underline = false;
    bool italic = false;
    bool operator==(const TFontInfo&) const = default;
};

// A decoded picture: premultiplied ARGB, one native-endian 0xAARRGGBB word per pixel, rows top
// to bottom without padding.
struct TImageInfo {
    int width = 0;
    int height = 0;
    bool hasAlpha = false;
    std::vector<uint32_t> pixels;
};

// One paint pass of one window. Colours are straight (not premultiplied) 0xAARRGGBB.
class ISurface {
  public:
    virtual ~ISurface() = default;
    // Clips nest; each push intersects with the clip in force.
    virtual void PushClip(const Rect& rc) = 0;
    virtual void PopClip() = 0;
    virtual void FillRect(const Rect& rc, uint32_t argb) = 0;
    // Scales `source` of the picture onto `dest`, with an overall opacity.
    virtual void DrawImage(const TImageInfo& image, const Rect& source, const Rect& dest,
                           uint8_t alpha) = 0;
    // `style` takes the text:: flags; the colour is drawn opaque.
    virtual void DrawText(std::wstring_view text, const Rect& rc, const TFontInfo& font,
                          uint32_t rgb, unsigned style) = 0;
};

// The framework's side of a native window: input and system requests arrive here as messages
// (mouse positions in client coordinates).
class IWindowHost {
  public:
    virtual ~IWindowHost() = default;
    virtual LRESULT OnNativeMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

enum class WindowKind { kNormal, kPopup, kToolTip };

// What CWindowWnd::Create asks of a native window. The styles and the menu are the Windows
// ones, passed through as given for a backend that makes native windows of that kind; the
// portable code acts on kVisible itself, after the window exists.
struct WindowParams {
    WindowKind kind = WindowKind::kNormal;
    // The window class a native backend registers the window under ("XMLWnd" ...).
    std::wstring className;
    std::wstring title;
    Rect rect;  // screen coordinates
    UINT style = 0;
    UINT exStyle = 0;
    void* menu = nullptr;
};

class INativeWindow {
  public:
    virtual ~INativeWindow() = default;
    virtual void Show(bool show, bool activate) = 0;
    virtual bool IsShown() const = 0;
    // Screen rectangle of the whole window (which has no frame: it is all client area).
    virtual Rect GetRect() const = 0;
    virtual void Move(const Rect& screenRect) = 0;
    virtual void SetTitle(const std::wstring& title) = 0;
    virtual void SetIcon(const TImageInfo& image) = 0;
    virtual void SetRoundCorner(Size corner) = 0;
    virtual void SetCapture(bool capture) = 0;
    // A modal loop disables its owner; the framework refuses the owner's input itself, a native
    // backend also tells the system (no activation, no dragging by the caption).
    virtual void Enable(bool enable) = 0;
    virtual void Minimize() = 0;
    virtual bool IsMinimized() const = 0;
    virtual void Focus() = 0;
    // Runs `painter` on a surface of the window's size and shows the result.
    virtual void Paint(const std::function<void(ISurface&)>& painter) = 0;
};

class IBackend {
  public:
    virtual ~IBackend() = default;
    virtual const char* Name() const = 0;
    virtual std::unique_ptr<INativeWindow> CreateNativeWindow(IWindowHost& host,
                                                              const WindowParams& params,
                                                              INativeWindow* owner) = 0;
    // Monotonic milliseconds; wraps like a 32-bit tick count.
    virtual uint32_t Now() const = 0;
    // Waits up to `timeoutMs` (negative: no limit) for input and delivers what arrived to the
    // window hosts. False when the session is over (the desktop asked the program to quit).
    virtual bool WaitEvents(int timeoutMs) = 0;
    // Size of the laid-out text; `maxWidth` <= 0 means unbounded.
    virtual Size MeasureText(std::wstring_view text, const TFontInfo& font, int maxWidth,
                             unsigned style) = 0;
    virtual Rect WorkArea() const = 0;
    // The system's error box; returns when the user has dismissed it.
    virtual void ShowErrorBox(const std::wstring& caption, const std::wstring& text) = 0;
};

// The backend chosen at start-up; every window of the process uses it.
void SetBackend(std::unique_ptr<IBackend> backend);
IBackend& GetBackend();
bool HasBackend();

}  // namespace SkinUI

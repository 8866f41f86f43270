#include "ui/backend/win32/win32_window.h"

#include <algorithm>
#include <set>
#include <vector>

namespace SkinUI::win32 {

namespace {

// The system timer that keeps the framework going while the system moves the window.
constexpr UINT_PTR kMoveTick = 1;
constexpr UINT kMoveTickMs = 50;

struct NativeStyle {
    DWORD style;
    DWORD exStyle;
};

// The system's styles for each kind of window. A normal window keeps the styles its creator
// asked for but loses the native caption and frame (the skin draws its own); popups and
// tooltips stay off the taskbar and never take the activation from the window they serve.
NativeStyle StyleFor(const WindowParams& params) {
    constexpr DWORD kClipping = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    switch (params.kind) {
        case WindowKind::kPopup:
            return {WS_POPUP | kClipping, WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE};
        case WindowKind::kToolTip:
            return {WS_POPUP,
                    WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST | WS_EX_TRANSPARENT};
        case WindowKind::kNormal:
            break;
    }
    // Shown by the framework once it is built; minimisable from the taskbar.
    DWORD style = (params.style & ~(WS_CAPTION | WS_THICKFRAME | WS_VISIBLE)) | WS_POPUP |
                  WS_MINIMIZEBOX | kClipping;
    return {style, params.exStyle};
}

void RegisterClassOnce(const std::wstring& name, WNDPROC procedure) {
    static std::set<std::wstring> registered;
    if (!registered.insert(name).second) return;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    // Double clicks arrive as such: the caption swallows them, the lists may use them.
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
    windowClass.lpszClassName = name.c_str();
    ::RegisterClassExW(&windowClass);
}

BITMAPINFO TopDownBitmap(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// Icons take straight alpha; the decoded pictures are premultiplied.
uint32_t Straight(uint32_t argb) {
    uint32_t a = argb >> 24;
    if (a == 0 || a == 255) return argb;
    auto channel = [&](int shift) { return std::min(255u, ((argb >> shift) & 0xFF) * 255 / a); };
    return (a << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
}

}  // namespace

Win32Window::Win32Window(IWindowHost& host, const WindowParams& params, HWND owner,
                         TextEngine& text)
    : host_(host), text_(text), kind_(params.kind), owner_(owner) {
    std::wstring className = params.className.empty() ? L"SkinUIWnd" : params.className;
    RegisterClassOnce(className, &Win32Window::WindowProc);
    NativeStyle native = StyleFor(params);
    // The window procedure learns `this` from WM_NCCREATE and sets hwnd_ there.
    ::CreateWindowExW(native.exStyle, className.c_str(), params.title.c_str(), native.style,
                      params.rect.left, params.rect.top, std::max(1, params.rect.Width()),
                      std::max(1, params.rect.Height()), owner, static_cast<HMENU>(params.menu),
                      ::GetModuleHandleW(nullptr), this);
}

Win32Window::~Win32Window() {
    if (hwnd_) {
        // The host is going away: what the destruction still sends must not reach it.
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
    if (icon_) ::DestroyIcon(icon_);
    ReleaseFrame();
}

::LRESULT CALLBACK Win32Window::WindowProc(HWND hwnd, ::UINT message, ::WPARAM wParam,
                                           ::LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr) {
        LRESULT result = 0;
        if (self->Handle(message, wParam, lParam, result)) return result;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT Win32Window::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    return host_.OnNativeMessage(message, wParam, lParam);
}

// Nothing of the window may be touched after a Send: the host may have destroyed it.
bool Win32Window::Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_MOUSEMOVE:
            if (!trackingLeave_) {
                TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
                trackingLeave_ = ::TrackMouseEvent(&track) != FALSE;
            }
            lastMouse_ = lParam;
            result = Send(msg::kMouseMove, 0, lParam);
            return true;
        case WM_MOUSELEAVE:
            trackingLeave_ = false;
            result = Send(msg::kMouseLeave, 0, lastMouse_);
            return true;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
            // The same numbers and the same packing of the client point.
            result = Send(message, 0, lParam);
            return true;
        case WM_MOUSEWHEEL: {
            // Sent with a screen point and the distance in the high word; the framework takes
            // a client point and the signed distance itself.
            POINT pt{static_cast<int16_t>(lParam & 0xFFFF),
                     static_cast<int16_t>((lParam >> 16) & 0xFFFF)};
            ::ScreenToClient(hwnd_, &pt);
            auto delta = static_cast<int16_t>((wParam >> 16) & 0xFFFF);
            result = Send(msg::kMouseWheel, static_cast<WPARAM>(static_cast<intptr_t>(delta)),
                          MakePointParam({pt.x, pt.y}));
            return true;
        }
        case WM_KEYDOWN:
            if (wParam != VK_ESCAPE) return false;
            result = Send(msg::kKeyDown, wParam, 0);
            return true;
        case WM_CLOSE:
            // Alt+F4 and the taskbar's close: the framework decides, as for its own button.
            Send(msg::kSysCommand, syscmd::kClose, 0);
            return true;
        case WM_KILLFOCUS:
            Send(msg::kKillFocus, 0, 0);
            return false;
        case WM_NCHITTEST:
            // The framework's answers are the system's codes: its caption band drags the window
            // the system's way (snapping included), the rest is client area.
            result = Send(msg::kNcHitTest, 0, lParam);
            return true;
        case WM_NCLBUTTONDBLCLK:
            // Not passed on: the window has nothing to maximise to.
            result = Send(msg::kNcLButtonDblClk, wParam, lParam);
            return true;
        case WM_DISPLAYCHANGE:
            Send(msg::kDisplayChange, wParam, lParam);
            return false;
        case WM_ERASEBKGND:
            // The frame covers every pixel; erasing first would flicker.
            result = 1;
            return true;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = ::BeginPaint(hwnd_, &paint);
            Present(dc);
            ::EndPaint(hwnd_, &paint);
            return true;
        }
        case WM_ENTERSIZEMOVE:
            // The system's move loop holds the thread until the button is released; the
            // framework's timers (the migration's progress) tick through it.
            ::SetTimer(hwnd_, kMoveTick, kMoveTickMs, nullptr);
            return false;
        case WM_EXITSIZEMOVE:
            ::KillTimer(hwnd_, kMoveTick);
            return false;
        case WM_TIMER:
            if (wParam != kMoveTick) return false;
            Send(msg::kTimer, 0, 0);
            return true;
        case WM_MOUSEACTIVATE:
            if (kind_ == WindowKind::kNormal) return false;
            result = MA_NOACTIVATE;
            return true;
        default:
            return false;
    }
}

void Win32Window::Show(bool show, bool activate) {
    if (!show) {
        ::ShowWindow(hwnd_, SW_HIDE);
        return;
    }
    bool takeActivation = activate && kind_ == WindowKind::kNormal;
    ::ShowWindow(hwnd_, takeActivation ? SW_SHOW : SW_SHOWNOACTIVATE);
    if (takeActivation) ::SetForegroundWindow(hwnd_);
    // A popup takes the mouse, so that a press outside it reaches it and closes it.
    if (kind_ == WindowKind::kPopup) ::SetCapture(hwnd_);
}

bool Win32Window::IsShown() const {
    return ::IsWindowVisible(hwnd_) != FALSE;
}

Rect Win32Window::GetRect() const {
    RECT rc{};
    ::GetWindowRect(hwnd_, &rc);
    return {rc.left, rc.top, rc.right, rc.bottom};
}

void Win32Window::Move(const Rect& screenRect) {
    Rect old = GetRect();
    ::SetWindowPos(hwnd_, nullptr, screenRect.left, screenRect.top, std::max(1, screenRect.Width()),
                   std::max(1, screenRect.Height()), SWP_NOZORDER | SWP_NOACTIVATE);
    if (old.Width() != screenRect.Width() || old.Height() != screenRect.Height()) ApplyRegion();
}

void Win32Window::SetTitle(const std::wstring& title) {
    ::SetWindowTextW(hwnd_, title.c_str());
}

void Win32Window::SetIcon(const TImageInfo& image) {
    if (image.width <= 0 || image.height <= 0) return;
    BITMAPINFO info = TopDownBitmap(image.width, image.height);
    void* bits = nullptr;
    HBITMAP color = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!color) return;
    std::transform(image.pixels.begin(), image.pixels.end(), static_cast<uint32_t*>(bits),
                   Straight);
    // With an alpha channel the mask is not used, but it must exist; rows of whole words.
    std::vector<uint8_t> clear(static_cast<size_t>((image.width + 15) / 16) * 2 * image.height);
    HBITMAP mask = ::CreateBitmap(image.width, image.height, 1, 1, clear.data());
    ICONINFO parts{TRUE, 0, 0, mask, color};
    HICON icon = ::CreateIconIndirect(&parts);
    ::DeleteObject(mask);
    ::DeleteObject(color);
    if (!icon) return;
    ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    if (icon_) ::DestroyIcon(icon_);
    icon_ = icon;
}

void Win32Window::SetRoundCorner(Size corner) {
    corner_ = corner;
    ApplyRegion();
}

void Win32Window::ApplyRegion() {
    if (corner_.cx <= 0 || corner_.cy <= 0) {
        ::SetWindowRgn(hwnd_, nullptr, TRUE);
        return;
    }
    Rect rc = GetRect();
    // The system owns the region once it is set.
    ::SetWindowRgn(
        hwnd_, ::CreateRoundRectRgn(0, 0, rc.Width() + 1, rc.Height() + 1, corner_.cx, corner_.cy),
        TRUE);
}

void Win32Window::SetCapture(bool capture) {
    // A popup holds the mouse for as long as it is shown.
    if (kind_ == WindowKind::kPopup) return;
    if (capture)
        ::SetCapture(hwnd_);
    else if (::GetCapture() == hwnd_)
        ::ReleaseCapture();
}

void Win32Window::Enable(bool enable) {
    ::EnableWindow(hwnd_, enable ? TRUE : FALSE);
}

void Win32Window::Minimize() {
    ::ShowWindow(hwnd_, SW_MINIMIZE);
}

bool Win32Window::IsMinimized() const {
    return ::IsIconic(hwnd_) != FALSE;
}

void Win32Window::Focus() {
    ::SetForegroundWindow(hwnd_);
    ::SetFocus(hwnd_);
}

void Win32Window::Paint(const std::function<void(ISurface&)>& painter) {
    Rect rc = GetRect();
    Size size{std::max(1, rc.Width()), std::max(1, rc.Height())};
    if (!frame_ || !(frameSize_ == size)) {
        ReleaseFrame();
        BITMAPINFO info = TopDownBitmap(size.cx, size.cy);
        frameDc_ = ::CreateCompatibleDC(nullptr);
        frame_ = ::CreateDIBSection(frameDc_, &info, DIB_RGB_COLORS, &frameBits_, nullptr, 0);
        if (!frame_) {
            ReleaseFrame();
            return;
        }
        previousBitmap_ = ::SelectObject(frameDc_, frame_);
        frameSize_ = size;
    }
    {
        // GDI+ draws straight into the DIB's memory; the window gets the finished frame in one
        // copy, so nothing half drawn is ever seen.
        Gdiplus::Bitmap canvas(size.cx, size.cy, size.cx * 4, PixelFormat32bppPARGB,
                               static_cast<BYTE*>(frameBits_));
        Gdiplus::Graphics graphics(&canvas);
        TextEngine::Prepare(graphics);
        graphics.Clear(Gdiplus::Color(255, 0, 0, 0));
        GdiplusSurface surface(graphics, text_);
        painter(surface);
        graphics.Flush(Gdiplus::FlushIntentionSync);
    }
    ::GdiFlush();
    HDC dc = ::GetDC(hwnd_);
    Present(dc);
    ::ReleaseDC(hwnd_, dc);
}

void Win32Window::Present(HDC dc) const {
    if (frameDc_) ::BitBlt(dc, 0, 0, frameSize_.cx, frameSize_.cy, frameDc_, 0, 0, SRCCOPY);
}

void Win32Window::ReleaseFrame() {
    if (frameDc_ && previousBitmap_) ::SelectObject(frameDc_, previousBitmap_);
    if (frame_) ::DeleteObject(frame_);
    if (frameDc_) ::DeleteDC(frameDc_);
    frameDc_ = nullptr;
    frame_ = nullptr;
    previousBitmap_ = nullptr;
    frameBits_ = nullptr;
    frameSize_ = {};
}

}  // namespace SkinUI::win32

#include "ui/backend/sdl/sdl_backend.h"

#include <SDL.h>
#include <poll.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "base/utf8.h"
#include "ui/backend/desktop.h"
#include "ui/backend/sdl/cairo_painter.h"
#include "ui/backend/sdl/display_socket.h"

namespace SkinUI::sdl {

namespace {

constexpr WPARAM kEscapeKey = 0x1B;
constexpr WPARAM kWheelStep = 120;

class SdlBackend;

class SdlWindow : public INativeWindow {
  public:
    SdlWindow(SdlBackend& backend, IWindowHost& host, SDL_Window* window, WindowKind kind,
              SdlWindow* owner)
        : backend_(backend), host_(host), window_(window), kind_(kind), owner_(owner) {}
    ~SdlWindow() override;

    void Show(bool show, bool activate) override {
        if (show) {
            SDL_ShowWindow(window_);
            if (activate && kind_ == WindowKind::kNormal) SDL_RaiseWindow(window_);
            // A popup takes the mouse, so that a press outside it closes it.
            if (kind_ == WindowKind::kPopup) SDL_CaptureMouse(SDL_TRUE);
        } else {
            SDL_HideWindow(window_);
        }
        shown_ = show;
    }
    bool IsShown() const override { return shown_; }
    Rect GetRect() const override {
        int x = 0, y = 0, w = 0, h = 0;
        SDL_GetWindowPosition(window_, &x, &y);
        SDL_GetWindowSize(window_, &w, &h);
        return {x, y, x + w, y + h};
    }
    void Move(const Rect& rc) override {
        SDL_SetWindowPosition(window_, rc.left, rc.top);
        int w = 0, h = 0;
        SDL_GetWindowSize(window_, &w, &h);
        if (w != rc.Width() || h != rc.Height())
            SDL_SetWindowSize(window_, std::max(1, rc.Width()), std::max(1, rc.Height()));
    }
    void SetTitle(const std::wstring& title) override {
        SDL_SetWindowTitle(window_, ToUtf8(title).c_str());
    }
    void SetIcon(const TImageInfo& image) override {
        SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(
            const_cast<uint32_t*>(image.pixels.data()), image.width, image.height, 32,
            image.width * 4, SDL_PIXELFORMAT_ARGB8888);
        if (icon) {
            SDL_SetWindowIcon(window_, icon);
            SDL_FreeSurface(icon);
        }
    }
    void SetRoundCorner(Size corner) override { corner_ = corner; }
    void SetCapture(bool capture) override {
        if (kind_ != WindowKind::kPopup) SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE);
    }
    // SDL has no disabled windows; the framework already refuses the owner's input.
    void Enable(bool) override {}
    void Minimize() override { SDL_MinimizeWindow(window_); }
    bool IsMinimized() const override {
        return (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED) != 0;
    }
    void Focus() override {
        SDL_RaiseWindow(window_);
        SDL_SetWindowInputFocus(window_);
    }
    void Paint(const std::function<void(ISurface&)>& painter) override;
    void Present();

    cairo_surface_t* Frame() const { return frame_; }
    IWindowHost& Host() { return host_; }
    SDL_Window* Handle() const { return window_; }
    WindowKind Kind() const { return kind_; }
    Point lastMouse;

  private:
    SdlBackend& backend_;
    IWindowHost& host_;
    SDL_Window* window_;
    WindowKind kind_;
    SdlWindow* owner_;
    bool shown_ = false;
    Size corner_;
    cairo_surface_t* frame_ = nullptr;
};

class SdlBackend : public IBackend {
  public:
    SdlBackend() {
        // A surface window without GL, and the click that focuses a window counts as a click.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    }
    ~SdlBackend() override { SDL_Quit(); }

    bool Start(std::string* error) {
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            if (error) *error = SDL_GetError();
            return false;
        }
        return true;
    }

    const char* Name() const override { return "sdl"; }

    std::unique_ptr<INativeWindow> CreateNativeWindow(IWindowHost& host, const WindowParams& params,
                                                      INativeWindow* owner) override {
        // The Windows styles and menu in `params` have no SDL counterpart and are left alone:
        // every window is borderless and drawn by its skin, and no skin has a native menu bar.
        Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN;
        if (params.kind == WindowKind::kPopup)
            flags |= SDL_WINDOW_POPUP_MENU | SDL_WINDOW_SKIP_TASKBAR;
        if (params.kind == WindowKind::kToolTip)
            flags |= SDL_WINDOW_TOOLTIP | SDL_WINDOW_SKIP_TASKBAR;
        SDL_Window* window = SDL_CreateWindow(ToUtf8(params.title).c_str(), params.rect.left,
                                              params.rect.top, std::max(1, params.rect.Width()),
                                              std::max(1, params.rect.Height()), flags);
        if (!window) return nullptr;
        auto* ownerWindow = static_cast<SdlWindow*>(owner);
        // Only a hint to the window manager; the framework refuses input to the owner itself.
        if (ownerWindow && params.kind == WindowKind::kNormal)
            SDL_SetWindowModalFor(window, ownerWindow->Handle());
        auto native = std::make_unique<SdlWindow>(*this, host, window, params.kind, ownerWindow);
        windows_[SDL_GetWindowID(window)] = native.get();
        // One connection serves every window of the run, and it outlives them.
        if (displaySocket_ < 0) displaySocket_ = DisplaySocket(window);
        return native;
    }

    void Forget(SDL_Window* window) { windows_.erase(SDL_GetWindowID(window)); }
    FontCache& Fonts() { return fonts_; }

    uint32_t Now() const override { return SDL_GetTicks(); }

    bool WaitEvents(int timeoutMs) override {
        SDL_Event event;
        if (!SDL_PollEvent(&event)) {
            WaitForInput(timeoutMs);
            if (!SDL_PollEvent(&event)) return true;
        }
        do {
            if (event.type == SDL_QUIT) return false;
            Dispatch(event);
        } while (SDL_PollEvent(&event));
        return true;
    }

    Size MeasureText(std::wstring_view text, const TFontInfo& font, int maxWidth,
                     unsigned style) override {
        if (!measure_) {
            measureSurface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
            measure_ = cairo_create(measureSurface_);
        }
        PangoLayout* layout = fonts_.NewLayout(measure_);
        fonts_.Prepare(layout, text, font, maxWidth, style);
        int width = 0, height = 0;
        pango_layout_get_pixel_size(layout, &width, &height);
        g_object_unref(layout);
        return {width, height};
    }

    Rect WorkArea() const override {
        SDL_Rect area{0, 0, 1024, 768};
        SDL_GetDisplayUsableBounds(0, &area);
        return {area.x, area.y, area.x + area.w, area.y + area.h};
    }

    void ShowErrorBox(const std::wstring& caption, const std::wstring& text) override {
        std::fprintf(stderr, "%s\n", ToUtf8(text).c_str());
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, ToUtf8(caption).c_str(),
                                 ToUtf8(text).c_str(), nullptr);
    }

  private:
    // Sleeps until the display has something to say or the timeout passes (-1: no timeout).
    // Not SDL_WaitEventTimeout: on X11 it wakes itself with an event sent to one of our windows
    // over a second display connection, and the server may handle that send after the
    // window's destruction on the main connection has gone through; the BadWindow error then
    // ends the process when SDL closes that connection. Waiting on the main connection's socket
    // sends nothing. SDL_PollEvent, before and after, has read everything queued.
    void WaitForInput(int timeoutMs) {
        if (displaySocket_ < 0) {
            // Another video driver, whose wake-up is not sent to a window, or no window yet,
            // when SDL sends no wake-up at all.
            SDL_WaitEventTimeout(nullptr, timeoutMs);
            return;
        }
        pollfd display{displaySocket_, POLLIN, 0};
        poll(&display, 1, timeoutMs);
    }

    SdlWindow* Find(Uint32 id) {
        auto it = windows_.find(id);
        return it == windows_.end() ? nullptr : it->second;
    }

    void Send(SdlWindow* window, UINT message, WPARAM wParam, Point pt) {
        window->Host().OnNativeMessage(message, wParam, MakePointParam(pt));
    }

    void Dispatch(const SDL_Event& event) {
        switch (event.type) {
            case SDL_MOUSEMOTION:
                if (SdlWindow* w = Find(event.motion.windowID)) {
                    w->lastMouse = {event.motion.x, event.motion.y};
                    Send(w, msg::kMouseMove, 0, w->lastMouse);
                }
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                if (event.button.button != SDL_BUTTON_LEFT) break;
                if (SdlWindow* w = Find(event.button.windowID)) {
                    w->lastMouse = {event.button.x, event.button.y};
                    UINT message = event.type == SDL_MOUSEBUTTONUP ? msg::kLButtonUp
                                   : event.button.clicks == 2      ? msg::kLButtonDblClk
                                                                   : msg::kLButtonDown;
                    Send(w, message, 0, w->lastMouse);
                }
                break;
            case SDL_MOUSEWHEEL:
                if (SdlWindow* w = Find(event.wheel.windowID); w && event.wheel.y != 0)
                    Send(w, msg::kMouseWheel,
                         event.wheel.y > 0
                             ? kWheelStep
                             : static_cast<WPARAM>(-static_cast<intptr_t>(kWheelStep)),
                         w->lastMouse);
                break;
            case SDL_KEYDOWN:
                if (SdlWindow* w = Find(event.key.windowID)) {
                    if (event.key.keysym.sym == SDLK_F4 && (event.key.keysym.mod & KMOD_ALT))
                        Send(w, msg::kSysCommand, syscmd::kClose, {});
                    else if (event.key.keysym.sym == SDLK_ESCAPE)
                        Send(w, msg::kKeyDown, kEscapeKey, {});
                }
                break;
            case SDL_WINDOWEVENT:
                if (SdlWindow* w = Find(event.window.windowID)) {
                    switch (event.window.event) {
                        case SDL_WINDOWEVENT_EXPOSED:
                            w->Present();
                            break;
                        case SDL_WINDOWEVENT_LEAVE:
                            Send(w, msg::kMouseLeave, 0, w->lastMouse);
                            break;
                        case SDL_WINDOWEVENT_FOCUS_LOST:
                            Send(w, msg::kKillFocus, 0, {});
                            break;
                        case SDL_WINDOWEVENT_CLOSE:
                            Send(w, msg::kSysCommand, syscmd::kClose, {});
                            break;
                        default:
                            break;
                    }
                }
                break;
            default:
                break;
        }
    }

    std::map<Uint32, SdlWindow*> windows_;
    int displaySocket_ = -1;
    FontCache fonts_;
    cairo_surface_t* measureSurface_ = nullptr;
    cairo_t* measure_ = nullptr;
};

SdlWindow::~SdlWindow() {
    if (kind_ == WindowKind::kPopup) SDL_CaptureMouse(SDL_FALSE);
    backend_.Forget(window_);
    SDL_DestroyWindow(window_);
    if (frame_) cairo_surface_destroy(frame_);
    // The owner gets the keyboard back from a closed popup.
    if (owner_ && kind_ != WindowKind::kToolTip) SDL_SetWindowInputFocus(owner_->Handle());
}

void SdlWindow::Paint(const std::function<void(ISurface&)>& painter) {
    Rect rc = GetRect();
    int w = std::max(1, rc.Width()), h = std::max(1, rc.Height());
    if (!frame_ || cairo_image_surface_get_width(frame_) != w ||
        cairo_image_surface_get_height(frame_) != h) {
        if (frame_) cairo_surface_destroy(frame_);
        frame_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    }
    cairo_t* cr = cairo_create(frame_);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    if (corner_.cx > 0 && corner_.cy > 0) {
        // Rounded corners: everything is drawn inside the rounded outline.
        double rx = corner_.cx, ry = corner_.cy;
        cairo_new_path(cr);
        cairo_save(cr);
        cairo_translate(cr, 0, 0);
        cairo_move_to(cr, rx, 0);
        cairo_line_to(cr, w - rx, 0);
        cairo_curve_to(cr, w, 0, w, 0, w, ry);
        cairo_line_to(cr, w, h - ry);
        cairo_curve_to(cr, w, h, w, h, w - rx, h);
        cairo_line_to(cr, rx, h);
        cairo_curve_to(cr, 0, h, 0, h, 0, h - ry);
        cairo_line_to(cr, 0, ry);
        cairo_curve_to(cr, 0, 0, 0, 0, rx, 0);
        cairo_close_path(cr);
        cairo_restore(cr);
        cairo_clip(cr);
    }
    CairoSurface surface(cr, backend_.Fonts());
    painter(surface);
    cairo_destroy(cr);
    cairo_surface_flush(frame_);
    Present();
}

void SdlWindow::Present() {
    if (!frame_) return;
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    if (!target) return;
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
        cairo_image_surface_get_data(frame_), cairo_image_surface_get_width(frame_),
        cairo_image_surface_get_height(frame_), 32, cairo_image_surface_get_stride(frame_),
        SDL_PIXELFORMAT_ARGB8888);
    if (!source) return;
    // Copied as it is: the frame is opaque, blending would only cost time.
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    SDL_BlitSurface(source, nullptr, target, nullptr);
    SDL_FreeSurface(source);
    SDL_UpdateWindowSurface(window_);
}

}  // namespace

std::unique_ptr<IBackend> CreateSdlBackend(std::string* error) {
    auto backend = std::make_unique<SdlBackend>();
    if (!backend->Start(error)) return nullptr;
    return backend;
}

}  // namespace SkinUI::sdl

std::unique_ptr<SkinUI::IBackend> SkinUI::CreateDesktopBackend(std::string* error) {
    return sdl::CreateSdlBackend(error);
}

namespace SkinUI::sdl {

bool SaveFramePng(const INativeWindow& window, const std::string& path) {
    cairo_surface_t* frame = static_cast<const SdlWindow&>(window).Frame();
    return frame && cairo_surface_write_to_png(frame, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

std::string VideoDriver() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver ? driver : "";
}

}  // namespace SkinUI::sdl

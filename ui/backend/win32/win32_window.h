// One native window of the Win32 backend: its window procedure turns the system's messages into
// the framework's, and its back buffer holds the last frame for repainting.
#pragma once

#include <functional>

#include "ui/backend/win32/gdiplus_surface.h"

namespace SkinUI::win32 {

class Win32Window : public INativeWindow {
  public:
    // Registers `params.className` on first use and creates the window; IsValid() tells.
    Win32Window(IWindowHost& host, const WindowParams& params, HWND owner, TextEngine& text);
    ~Win32Window() override;
    bool IsValid() const { return hwnd_ != nullptr; }
    HWND Handle() const { return hwnd_; }

    void Show(bool show, bool activate) override;
    bool IsShown() const override;
    Rect GetRect() const override;
    void Move(const Rect& screenRect) override;
    void SetTitle(const std::wstring& title) override;
    void SetIcon(const TImageInfo& image) override;
    void SetRoundCorner(Size corner) override;
    void SetCapture(bool capture) override;
    void Enable(bool enable) override;
    void Minimize() override;
    bool IsMinimized() const override;
    void Focus() override;
    void Paint(const std::function<void(ISurface&)>& painter) override;

  private:
    // In the system's own types: on x86 they are `long` where the framework's are `int`.
    static ::LRESULT CALLBACK WindowProc(HWND hwnd, ::UINT message, ::WPARAM wParam,
                                         ::LPARAM lParam);
    // True when the message was handled here, with its `result`; else the system handles it.
    bool Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam);
    void ApplyRegion();
    void Present(HDC dc) const;
    void ReleaseFrame();

    IWindowHost& host_;
    TextEngine& text_;
    WindowKind kind_;
    HWND hwnd_ = nullptr;
    HWND owner_;
    HICON icon_ = nullptr;
    Size corner_;
    bool trackingLeave_ = false;
    LPARAM lastMouse_ = 0;
    // The back buffer: a top-down 32-bit DIB selected into its own memory DC.
    HDC frameDc_ = nullptr;
    HBITMAP frame_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
    void* frameBits_ = nullptr;
    Size frameSize_;
};

}  // namespace SkinUI::win32

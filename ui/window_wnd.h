// A native window with a message handler: creation, showing, modal loops, closing, and the
// input filtering every skinned window needs (disabled windows refuse input, the caption band
// drags the window, a press elsewhere closes open popups).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ui/backend/backend.h"
#include "ui/ui_types.h"

namespace SkinUI {

// Window styles that matter to the framework (the Windows values).
namespace style {
inline constexpr UINT kVisible = 0x10000000;
inline constexpr UINT kClipSiblings = 0x04000000;
inline constexpr UINT kClipChildren = 0x02000000;
inline constexpr UINT kCaption = 0x00C00000;
inline constexpr UINT kPopup = 0x80000000;
inline constexpr UINT kFrame = kPopup | kClipSiblings | kClipChildren;
}  // namespace style

// Position or size chosen by the system.
inline constexpr int kUseDefault = static_cast<int>(0x80000000);

class CWindowWnd : public IWindowHost {
  public:
    CWindowWnd();
    ~CWindowWnd() override;
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    virtual std::wstring GetWindowClassName() const { return L"SkinUIWnd"; }

    // Creates the native window and sends it msg::kCreate; null when it failed. The styles and
    // the menu go to the backend as given; style::kVisible also shows the window once created.
    CWindowWnd* Create(CWindowWnd* parent, const std::wstring& name, UINT style, UINT exStyle,
                       int x = kUseDefault, int y = kUseDefault, int cx = kUseDefault,
                       int cy = kUseDefault, void* menu = nullptr);
    bool IsWindow() const { return native_ != nullptr; }
    void ShowWindow(bool show = true, bool takeFocus = true);
    // Shows the window, disables its owner and runs the loop until the window is destroyed;
    // then re-enables and focuses the owner and returns the code given to Close. A quit ends
    // the loop early and stays pending for the enclosing loop.
    UINT ShowModal();
    // Posts the close request; a modal loop returns `code`.
    void Close(UINT code = 1);
    void DestroyWindow();
    void CenterWindow();
    // Sets the window icon from image resource `resourceId` (type "png").
    void SetIcon(UINT resourceId);
    LRESULT SendMessageW(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void PostMessageW(UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
                      std::function<void()> discard = {});
    void ResizeClient(int cx, int cy);
    void MoveWindow(const Rect& screenRect);
    Rect GetWindowRect() const;
    Rect GetClientRect() const;
    Point ClientToScreen(Point pt) const;
    Point ScreenToClient(Point pt) const;
    bool IsWindowEnabled() const { return enabled_; }
    void EnableWindow(bool enable);
    bool IsWindowVisible() const;
    void SetFocus();
    CWindowWnd* GetOwner() const;
    INativeWindow* GetNative() const { return native_.get(); }
    // Before Create: popup windows (lists, menus) and tooltips are created differently.
    void SetWindowKind(WindowKind kind) { kind_ = kind; }
    WindowKind GetWindowKind() const { return kind_; }

    LRESULT OnNativeMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  protected:
    // The window's own handling; the base closes on msg::kClose and carries out the system
    // commands.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // After the native window is gone; the object may delete itself here.
    virtual void OnFinalMessage() {}

  private:
    struct Life {
        bool alive = true;
        UINT closeCode = 0;
    };
    std::unique_ptr<INativeWindow> native_;
    std::shared_ptr<Life> life_;
    CWindowWnd* owner_ = nullptr;
    WindowKind kind_ = WindowKind::kNormal;
    bool enabled_ = true;
    bool dragging_ = false;
    Point dragStart_;  // screen
    Rect dragWindow_;
};

}  // namespace SkinUI

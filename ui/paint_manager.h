// One per window: binds the control tree to the native window, keeps the skin's fonts, default
// attribute lists, caption and corners, routes input to controls (hover, pushed, focus,
// capture, tooltips), raises notifications, and lays out and paints on request.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/backend/backend.h"
#include "ui/control.h"
#include "ui/image_descriptor.h"
#include "ui/notify.h"
#include "ui/resources.h"

namespace SkinUI {

class CWindowWnd;
class CToolTipWnd;

class CPaintManagerUI {
  public:
    CPaintManagerUI();
    ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // The module whose resources hold the skins and images; once at start-up.
    static void SetInstance(const CResourceModule* module);
    static const CResourceModule* GetInstance();
    // Folder of skins and images named as files.
    static void SetResourcePath(std::wstring folder);

    void Init(CWindowWnd* window);
    CWindowWnd* GetPaintWindow() const { return window_; }
    // Makes `root` the window's content; the manager owns it from now on.
    bool AttachDialog(CControlUI* root);
    CControlUI* GetRoot() const { return root_.get(); }

    void AddNotifier(INotifyUI* receiver);
    void RemoveNotifier(INotifyUI* receiver);
    void SendNotify(CControlUI* sender, std::wstring_view type, WPARAM wParam = 0,
                    LPARAM lParam = 0);

    CControlUI* FindControl(std::wstring_view name) const;
    // The topmost visible control under a client point, or null.
    CControlUI* FindControl(Point pt);

    bool SetTimer(CControlUI* control, UINT id, UINT periodMs);
    bool KillTimer(CControlUI* control, UINT id);
    void KillTimer(CControlUI* control);
    // Called by the timer queue.
    void TimerExpired(CControlUI* control, UINT id);

    // Skin window attributes.
    Rect GetCaptionRect() const { return caption_; }
    void SetCaptionRect(const Rect& rc) { caption_ = rc; }
    Size GetRoundCorner() const { return roundCorner_; }
    void SetRoundCorner(Size corner) { roundCorner_ = corner; }
    Rect GetSizeBox() const { return sizeBox_; }
    void SetSizeBox(const Rect& rc) { sizeBox_ = rc; }
    Size GetInitSize() const { return initSize_; }
    void SetInitSize(Size size) { initSize_ = size; }
    bool IsBackgroundTransparent() const { return bkTrans_; }
    void SetBackgroundTransparent(bool transparent) { bkTrans_ = transparent; }
    Size GetClientSize() const;
    // Applies an attribute of the skin's Window element.
    void SetWindowAttribute(std::wstring_view name, std::wstring_view value);

    // Fonts are numbered in the order they were added.
    int AddFont(const TFontInfo& font, bool isDefault);
    int GetFontCount() const { return static_cast<int>(fonts_.size()); }
    // The font of that index; the default font for -1 or an index out of range.
    const TFontInfo& GetFont(int index) const;
    const TFontInfo& GetDefaultFont() const { return defaultFont_; }
    uint32_t GetDefaultTextColor() const { return 0xFF000000; }
    uint32_t GetDefaultDisabledColor() const { return 0xFFA7A6AA; }

    void AddDefaultAttributeList(std::wstring controlName, std::wstring list);
    const std::wstring* GetDefaultAttributeList(std::wstring_view controlName) const;

    std::shared_ptr<const TImageInfo> GetImage(const TImageDescriptor& descriptor) const;

    // Options of one group are mutually exclusive.
    void AddOptionGroup(const std::wstring& group, CControlUI* option);
    void RemoveOptionGroup(const std::wstring& group, CControlUI* option);
    const std::vector<CControlUI*>* GetOptionGroup(const std::wstring& group) const;

    CControlUI* GetFocus() const { return focus_; }
    // Moves the focus, raising "killfocus" and "setfocus"; nothing when it does not change.
    void SetFocus(CControlUI* control);
    // The text of the tooltip on show, empty when none is.
    std::wstring GetActiveToolTip() const;

    // Lets the manager process a window message first; true when it consumed it.
    bool MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Batched work: a relayout and a repaint are requested here and done once per loop turn.
    void NeedUpdate();
    void Invalidate();
    bool IsUpdateNeeded() const { return updateNeeded_; }
    // Lays out now if a relayout is pending.
    void UpdateLayout();
    // Destroys removed controls, lays out and paints if needed.
    void Flush();
    void Render(ISurface& surface);

    // A control (or its subtree) is hidden or disabled: it loses hover, press, capture and
    // focus.
    void ForgetInput(CControlUI* control);
    // A control leaves the tree: forget it everywhere (hover, focus, capture, timers, groups).
    void ReapObjects(CControlUI* control);
    // Destroys a removed control at the end of the turn, so references held by the code that
    // removed it stay valid until then.
    void AddDelayedCleanup(std::unique_ptr<CControlUI> control);

    // The framework's HSL colouring of controls that ask for it (colorhsl).
    void SetHSL(bool use, short hue, short saturation, short lightness);
    uint32_t AdjustColor(uint32_t argb) const;

  private:
    void SetHover(CControlUI* control, Point pt);
    void SendEvent(CControlUI* control, UIEvent type, Point pt, WPARAM wParam = 0);
    CControlUI* FindEnabledControl(Point pt);
    void ShowToolTip();
    void HideToolTip();

    // Expires with the manager; handlers that may run any code check it afterwards.
    std::shared_ptr<char> life_ = std::make_shared<char>();
    CWindowWnd* window_ = nullptr;
    std::unique_ptr<CControlUI> root_;
    std::vector<INotifyUI*> notifiers_;
    std::vector<std::unique_ptr<CControlUI>> delayedCleanup_;
    std::vector<TFontInfo> fonts_;
    TFontInfo defaultFont_;
    std::map<std::wstring, std::wstring, std::less<>> defaults_;
    std::map<std::wstring, std::vector<CControlUI*>> optionGroups_;
    Rect caption_;
    Size roundCorner_;
    Rect sizeBox_;
    Size initSize_;
    bool bkTrans_ = false;
    CControlUI* focus_ = nullptr;
    CControlUI* hover_ = nullptr;
    CControlUI* eventClick_ = nullptr;
    Point mouse_;
    bool updateNeeded_ = true;
    bool paintNeeded_ = true;
    bool firstLayout_ = true;
    bool useHSL_ = false;
    short hue_ = 180, saturation_ = 100, lightness_ = 100;
    std::unique_ptr<CToolTipWnd> toolTip_;
    CControlUI* toolTipOwner_ = nullptr;
};

}  // namespace SkinUI

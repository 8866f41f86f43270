// The base of every control: geometry, common attributes, painting of background, image and
// border, and the internal events the paint manager routes to it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "ui/backend/backend.h"
#include "ui/notify.h"
#include "ui/ui_types.h"

namespace SkinUI {

class CPaintManagerUI;

enum class UIEvent {
    kMouseMove,
    kMouseLeave,
    kMouseEnter,
    kButtonDown,
    kButtonUp,
    kDblClick,
    kScrollWheel,
    kSetFocus,
    kKillFocus,
    kTimer,
};

struct TEventUI {
    UIEvent type = UIEvent::kMouseMove;
    CControlUI* sender = nullptr;
    uint32_t timestamp = 0;
    Point ptMouse;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class CControlUI {
  public:
    CControlUI() = default;
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    virtual std::wstring_view GetClass() const { return L"ControlUI"; }

    const std::wstring& GetName() const { return name_; }
    void SetName(std::wstring name) { name_ = std::move(name); }
    virtual std::wstring GetText() const { return text_; }
    virtual void SetText(std::wstring text);
    const std::wstring& GetToolTip() const { return tooltip_; }
    void SetToolTip(std::wstring tooltip) { tooltip_ = std::move(tooltip); }

    CPaintManagerUI* GetManager() const { return manager_; }
    CControlUI* GetParent() const { return parent_; }
    // Binds this control (and its children) to a window's manager.
    virtual void SetManager(CPaintManagerUI* manager, CControlUI* parent);

    // Visible: its own flag and those of all its ancestors.
    bool IsVisible() const;
    bool IsOwnVisible() const { return visible_; }
    virtual void SetVisible(bool visible);
    bool IsEnabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);
    // Whether a press gives this control the focus.
    virtual bool IsFocusable() const { return false; }
    bool IsMouseEnabled() const { return mouseEnabled_; }

    // Geometry. The position is in client coordinates of the window.
    const Rect& GetPos() const { return rcItem_; }
    virtual void SetPos(const Rect& rc);
    const Rect& GetPadding() const { return rcPadding_; }
    void SetPadding(const Rect& rc);
    bool IsFloat() const { return float_; }
    void SetFloat(bool isFloat);
    Point GetFixedXY() const { return xyFixed_; }
    void SetFixedXY(Point xy);
    int GetFixedWidth() const { return cxyFixed_.cx; }
    // 0 means as wide as the parent allows.
    void SetFixedWidth(int cx);
    int GetFixedHeight() const { return cxyFixed_.cy; }
    void SetFixedHeight(int cy);
    // The size the control asks its parent for; 0 in a dimension means "take what is left".
    virtual Size EstimateSize(Size available);

    // Appearance.
    uint32_t GetBkColor() const { return bkColor_; }
    void SetBkColor(uint32_t argb);
    const std::wstring& GetBkImage() const { return bkImage_; }
    void SetBkImage(std::wstring descriptor);
    void SetBorderColor(uint32_t argb);
    void SetBorderSize(int size);
    void SetColorHSL(bool enable);
    bool IsColorHSL() const { return colorHSL_; }

    // Applies one skin attribute; unknown names are ignored.
    virtual void SetAttribute(std::wstring_view name, std::wstring_view value);
    // Applies a list written as in markup: name="value" ...
    void ApplyAttributeList(std::wstring_view list);

    // Children, for the generic walks of the manager; plain controls have none.
    virtual int GetChildCount() const { return 0; }
    virtual CControlUI* GetChildAt(int) const { return nullptr; }
    // The topmost visible control under the point (this one or a descendant), or null.
    virtual CControlUI* FindControlAt(Point pt);

    // Raises "click" for the controls that have one; false when disabled or not clickable.
    virtual bool Activate();
    void Event(TEventUI& event);
    virtual void DoEvent(TEventUI& event);

    // Paints the control clipped to `rcPaint`.
    virtual void DoPaint(ISurface& surface, const Rect& rcPaint);

    void Invalidate();
    // The size of this control changed: its parent lays out again.
    void NeedParentUpdate();
    void NeedUpdate();

  protected:
    virtual void PaintBkColor(ISurface& surface);
    virtual void PaintBkImage(ISurface& surface);
    virtual void PaintStatusImage(ISurface& surface) { (void)surface; }
    virtual void PaintText(ISurface& surface) { (void)surface; }
    virtual void PaintBorder(ISurface& surface);
    // Draws a descriptor inside this control; false when nothing could be drawn.
    bool DrawImage(ISurface& surface, std::wstring_view descriptor, std::wstring_view modify = {});
    uint32_t AdjustColor(uint32_t argb) const;

    CPaintManagerUI* manager_ = nullptr;
    CControlUI* parent_ = nullptr;
    std::wstring name_;
    std::wstring text_;
    std::wstring tooltip_;
    Rect rcItem_;
    Rect rcPadding_;
    Point xyFixed_;
    Size cxyFixed_;
    bool float_ = false;
    bool visible_ = true;
    bool enabled_ = true;
    bool focused_ = false;
    bool mouseEnabled_ = true;
    bool colorHSL_ = false;
    uint32_t bkColor_ = 0;
    uint32_t borderColor_ = 0;
    Rect borderSizes_;  // left, top, right, bottom widths
    std::wstring bkImage_;
};

// A table of attribute setters for one class; lookups fall back to the base class.
template <class T>
struct AttributeSetter {
    std::wstring_view name;
    void (*apply)(T& control, std::wstring_view value);
};

template <class T, size_t N>
bool ApplyAttribute(const AttributeSetter<T> (&table)[N], T& control, std::wstring_view name,
                    std::wstring_view value) {
    for (const AttributeSetter<T>& entry : table) {
        if (entry.name == name) {
            entry.apply(control, value);
            return true;
        }
    }
    return false;
}

}  // namespace SkinUI

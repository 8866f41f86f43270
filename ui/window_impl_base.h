// The base of skinned main windows: builds the skin when the native window is created, makes
// the whole window client area, lets the caption band drag the window, handles the system
// buttons, and hands notifications and messages to the derived window.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "ui/dialog_builder.h"
#include "ui/notify.h"
#include "ui/paint_manager.h"
#include "ui/window_wnd.h"

namespace SkinUI {

// Where a window's skin comes from (the value of GetResourceType).
enum UILIB_RESOURCETYPE {
    UILIB_FILE = 1,
    UILIB_ZIP = 2,
    UILIB_RESOURCE = 3,
    UILIB_ZIPRESOURCE = 4
};

// The text of the box shown when a window's skin cannot be loaded.
inline constexpr wchar_t kSkinLoadFailedText[] = L"加载资源文件失败";

// The caption answer for a screen point: client area outside the caption rectangle of the
// manager's skin, and over no control or a control of one of the `clickable` classes; the
// caption elsewhere in it (so the window is dragged there). For any skinned window.
LRESULT CaptionHitTest(const CWindowWnd& window, CPaintManagerUI& manager, Point screen,
                       std::initializer_list<std::wstring_view> clickable);

class WindowImplBase : public CWindowWnd, public INotifyUI, public IDialogBuilderCallback {
  public:
    WindowImplBase() = default;

    virtual std::wstring GetSkinFolder() { return L""; }
    virtual std::wstring GetSkinFile() = 0;
    virtual UILIB_RESOURCETYPE GetResourceType() const { return UILIB_FILE; }
    // Called once the skin is attached: the window finds its controls here.
    virtual void InitWindow() {}
    void Notify(TNotifyUI& msg) override;
    CControlUI* CreateControl(const std::wstring& className) override;
    CPaintManagerUI& GetPaintManager() { return paintManager_; }

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Messages the base does not handle itself; set `handled` to stop further handling.
    virtual LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    // CaptionHitTest (above) for this window.
    LRESULT CaptionHitTest(Point screen, std::initializer_list<std::wstring_view> clickable);
    // What happens when the skin fails to load: the error box and the end of the process.
    virtual void OnSkinLoadFailed();

    CPaintManagerUI paintManager_;

  private:
    LRESULT OnCreate();
};

}  // namespace SkinUI

// The one modal message dialog of the window program: a text, where the text starts, which
// buttons show and which icon is drawn; the caller reads which button closed it.
#pragma once

#include <string>

#include "app/dialog/message_kinds.h"
#include "ui/notify.h"
#include "ui/paint_manager.h"
#include "ui/window_wnd.h"

namespace app {

// The main window, once its initialisation has run; every message dialog is its child. Empty
// during start-up, so a dialog shown then has no parent and is centred on the screen. The
// dialog module owns it (ShowMessage is its reader); its one writer is the main window, which
// stores itself at the end of its initialisation and clears it again when it is destroyed.
// Tests store a window of their own in its place.
extern SkinUI::CWindowWnd* MainWindowHandle;

class CMessageDialog : public SkinUI::CWindowWnd, public SkinUI::INotifyUI {
  public:
    CMessageDialog() = default;

    std::wstring GetWindowClassName() const override { return L"UIMessageDialog"; }
    void Notify(SkinUI::TNotifyUI& msg) override;

    int Result() const { return result_; }
    SkinUI::CPaintManagerUI& GetPaintManager() { return paintManager_; }

  protected:
    SkinUI::LRESULT HandleMessage(SkinUI::UINT message, SkinUI::WPARAM wParam,
                                  SkinUI::LPARAM lParam) override;
    // The object belongs to its caller, who reads the result after the window is gone.
    void OnFinalMessage() override {}

  private:
    friend SkinUI::UINT ShowMessage(CMessageDialog& dialog, const std::wstring& text, int textX,
                                    int mode, int iconKind);
    SkinUI::LRESULT OnCreate();

    int result_ = kResultClosed;
    int skinId_ = 0;
    SkinUI::CPaintManagerUI paintManager_;
};

// Creates the dialog with `text` starting at x = `textX`, the buttons of `mode` and the icon of
// `iconKind`, and runs it modally; returns when it has closed, with the modal loop's code
// (dialog.Result() tells OK from Cancel), or with (UINT)-1 at once when the dialog's skin could
// not be loaded. A dialog object serves one message.
SkinUI::UINT ShowMessage(CMessageDialog& dialog, const std::wstring& text, int textX, int mode,
                         int iconKind);

}  // namespace app

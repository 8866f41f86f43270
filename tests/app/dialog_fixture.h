// The program's skins on the headless backend, with a way to reach the message dialog that is
// running modally: a step queued for its loop finds it among the open windows.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "app/dialog/message_dialog.h"
#include "base/ui_text.h"
#include "skin/skin_resources.h"
#include "ui/backend/headless/headless_backend.h"
#include "ui/image_cache.h"
#include "ui/message_loop.h"

namespace app {

class DialogHarness {
  protected:
    void InstallDialogs() {
        backend_ = &SkinUI::headless::HeadlessBackend::Install();
        SkinUI::CPaintManagerUI::SetInstance(&TramsikSkinResources());
        LanguageFlag = 0;
        MainWindowHandle = nullptr;
    }
    void RemoveDialogs() {
        LanguageFlag = 0;
        MainWindowHandle = nullptr;
        SkinUI::CMessageLoop::ClearQuit();
        SkinUI::CImageCache::Clear();
        SkinUI::CPaintManagerUI::SetInstance(nullptr);
    }

    // The message dialog on show, or null.
    CMessageDialog* OpenDialog() const {
        for (SkinUI::headless::HeadlessWindow* window : backend_->Windows())
            if (auto* dialog = dynamic_cast<CMessageDialog*>(&window->Host())) return dialog;
        return nullptr;
    }
    // Queues `look` at the running dialog (laid out and painted), then a click on `button`.
    void WhileShown(std::function<void(CMessageDialog&)> look, const wchar_t* button) {
        backend_->Post([this, look = std::move(look), button] {
            CMessageDialog* dialog = OpenDialog();
            ASSERT_NE(dialog, nullptr);
            backend_->Advance(0);
            look(*dialog);
            if (button) {
                EXPECT_TRUE(backend_->ClickControl(dialog->GetPaintManager(), button));
            }
        });
    }
    SkinUI::CControlUI* Control(CMessageDialog& dialog, const wchar_t* name) {
        SkinUI::CControlUI* control = dialog.GetPaintManager().FindControl(name);
        EXPECT_NE(control, nullptr) << "no control " << name;
        return control;
    }

    SkinUI::headless::HeadlessBackend* backend_ = nullptr;
};

class DialogTest : public ::testing::Test, protected DialogHarness {
  protected:
    void SetUp() override { InstallDialogs(); }
    void TearDown() override { RemoveDialogs(); }
};

}  // namespace app

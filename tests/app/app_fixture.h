// The program's skins on the headless backend: the modal message dialog reached by a step queued
// for its loop, and the main window over a simulated machine (Load* it, then OpenFrame).
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "app/dialog/message_dialog.h"
#include "app/main_frame/main_frame.h"
#include "base/ui_text.h"
#include "skin/skin_resources.h"
#include "tests/platform/sim_fixture.h"
#include "ui/backend/headless/headless_backend.h"
#include "ui/combo.h"
#include "ui/combo_wnd.h"
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

class MainFrameTest : public SimTest, protected DialogHarness {
  protected:
    void SetUp() override {
        SimTest::SetUp();
        InstallDialogs();
    }
    void TearDown() override {
        frame_.reset();
        RemoveDialogs();
        SimTest::TearDown();
    }

    // Its initialisation takes the inventory of the current platform.
    CMainFrame& OpenFrame(std::unique_ptr<CMainFrame> frame = std::make_unique<CMainFrame>()) {
        frame_ = std::move(frame);
        EXPECT_NE(frame_->Create(nullptr, L"OrvelTramsik", kMainFrameStyle, kMainFrameExStyle),
                  nullptr);
        backend_->Advance(0);
        return *frame_;
    }

    SkinUI::CPaintManagerUI& Manager() { return frame_->GetPaintManager(); }

    SkinUI::CControlUI* Find(std::wstring_view name) {
        SkinUI::CControlUI* control = Manager().FindControl(name);
        EXPECT_NE(control, nullptr) << "no control " << std::string(name.begin(), name.end());
        return control;
    }
    std::wstring TextOf(std::wstring_view name) {
        SkinUI::CControlUI* control = Find(name);
        return control ? control->GetText() : std::wstring();
    }
    SkinUI::CComboUI* Combo(std::wstring_view name) {
        return dynamic_cast<SkinUI::CComboUI*>(Find(name));
    }
    std::vector<std::wstring> Items(std::wstring_view name) {
        std::vector<std::wstring> items;
        if (SkinUI::CComboUI* combo = Combo(name))
            for (int i = 0; i < combo->GetCount(); ++i)
                items.push_back(combo->GetItemAt(i)->GetText());
        return items;
    }

    bool Click(std::wstring_view name) { return backend_->ClickControl(Manager(), name); }
    // A user's choice of item `index` in a combo box: the drop-down opened, the item clicked.
    void Choose(std::wstring_view combo, int index) {
        ASSERT_TRUE(Click(combo));
        SkinUI::CComboUI* box = Combo(combo);
        ASSERT_TRUE(box && box->IsDropDownOpen());
        SkinUI::CComboWnd* list = box->GetDropWindow();
        const SkinUI::Rect row = list->GetRowRect(index);
        backend_->Click(*list, {(row.left + row.right) / 2, (row.top + row.bottom) / 2});
    }

    std::unique_ptr<CMainFrame> frame_;
};

}  // namespace app

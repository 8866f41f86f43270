// The main window on the headless backend with the program's skins, over a simulated machine:
// load a machine (SimTest's Load, LoadDemo or LoadFile, which finds files under
// tests/app/machines), then OpenFrame takes the inventory and shows the window.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_frame/main_frame.h"
#include "tests/app/dialog_fixture.h"
#include "tests/platform/sim_fixture.h"
#include "ui/combo.h"
#include "ui/combo_wnd.h"

namespace app {

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

    // Creates the window (its initialisation takes the inventory of the current platform),
    // lays it out and paints it.
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
    // The item texts of a combo box, in order.
    std::vector<std::wstring> Items(std::wstring_view name) {
        std::vector<std::wstring> items;
        if (SkinUI::CComboUI* combo = Combo(name))
            for (int i = 0; i < combo->GetCount(); ++i)
                items.push_back(combo->GetItemAt(i)->GetText());
        return items;
    }

    // A user's click on a control of the window, laid out as it is now.
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

// A skinned test window built from markup text, recording every notification it receives.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "base/utf8.h"
#include "ui/backend/headless/headless_backend.h"
#include "ui/window_impl_base.h"

namespace SkinUI {
inline void PrintTo(const Rect& r, std::ostream* os) {
    *os << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}
inline void PrintTo(const Size& s, std::ostream* os) {
    *os << "{" << s.cx << "," << s.cy << "}";
}
}  // namespace SkinUI

namespace SkinUI::testing {

struct Notified {
    std::wstring type;
    std::wstring sender;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class TestWindow : public WindowImplBase {
  public:
    explicit TestWindow(std::wstring skin) : skin_(std::move(skin)) {}
    std::wstring GetWindowClassName() const override { return L"TestWnd"; }
    std::wstring GetSkinFile() override { return skin_; }
    UILIB_RESOURCETYPE GetResourceType() const override { return UILIB_RESOURCE; }
    void Notify(TNotifyUI& msg) override {
        notified.push_back(
            {msg.type, msg.sender ? msg.sender->GetName() : L"", msg.wParam, msg.lParam});
        if (onNotify) onNotify(msg);
        WindowImplBase::Notify(msg);
    }
    LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                bool& handled) override {
        if (onMessage) return onMessage(message, wParam, lParam, handled);
        return WindowImplBase::HandleCustomMessage(message, wParam, lParam, handled);
    }
    bool Open(CWindowWnd* owner = nullptr) {
        if (!Create(owner, L"test", style::kFrame, 0, 100, 50)) return false;
        ShowWindow(true, true);
        return true;
    }
    std::vector<Notified> Of(std::wstring_view type) const {
        std::vector<Notified> out;
        for (const Notified& n : notified)
            if (n.type == type) out.push_back(n);
        return out;
    }
    CControlUI* Find(std::wstring_view name) { return paintManager_.FindControl(name); }
    template <class T>
    T* Find(std::wstring_view name) {
        return dynamic_cast<T*>(paintManager_.FindControl(name));
    }
    LRESULT HitTest(Point client) {
        return SendMessageW(msg::kNcHitTest, 0, MakePointParam(ClientToScreen(client)));
    }

    std::vector<Notified> notified;
    std::function<void(TNotifyUI&)> onNotify;
    std::function<LRESULT(UINT, WPARAM, LPARAM, bool&)> onMessage;

  private:
    std::wstring skin_;
};

// A test with one window open on the headless backend, built from the skin the test names.
class WindowTest : public ::testing::Test {
  protected:
    explicit WindowTest(std::wstring skin) : window_(std::move(skin)) {}
    void SetUp() override {
        backend_ = &headless::HeadlessBackend::Install();
        ASSERT_TRUE(window_.Open());
        backend_->Advance(0);
    }
    Rect PosOf(std::wstring_view name) {
        CControlUI* control = window_.Find(name);
        EXPECT_NE(control, nullptr) << ToUtf8(std::wstring(name));
        return control ? control->GetPos() : Rect{};
    }
    headless::HeadlessBackend* backend_ = nullptr;
    TestWindow window_;
};

inline std::string ReadTestFile(const char* name) {
    std::ifstream file(std::string(TRAMSIK_SOURCE_DIR "/tests/ui/") + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline Point Centre(const Rect& rc) {
    return {rc.left + rc.Width() / 2, rc.top + rc.Height() / 2};
}

}  // namespace SkinUI::testing

#include "ui/tooltip.h"

#include "ui/label.h"
#include "ui/paint_manager.h"

namespace SkinUI {

namespace {
constexpr uint32_t kBackground = 0xFFFFFFE1;
constexpr uint32_t kBorder = 0xFF767676;
constexpr uint32_t kText = 0xFF333333;
constexpr Rect kTextPadding{6, 3, 6, 3};
}  // namespace

CToolTipWnd::CToolTipWnd() : manager_(std::make_unique<CPaintManagerUI>()) {
    SetWindowKind(WindowKind::kToolTip);
}

CToolTipWnd::~CToolTipWnd() {
    DestroyWindow();
}

void CToolTipWnd::ShowAt(CWindowWnd* owner, const std::wstring& text, Point screen) {
    if (!IsWindow()) {
        if (!Create(owner, L"", 0, 0, screen.x, screen.y, 1, 1)) return;
        manager_->Init(this);
        label_ = new CLabelUI();
        label_->SetBkColor(kBackground);
        label_->SetBorderColor(kBorder);
        label_->SetBorderSize(1);
        label_->SetTextColor(kText);
        label_->SetTextPadding(kTextPadding);
        manager_->AttachDialog(label_);
    }
    label_->SetText(text);
    Size size = GetBackend().MeasureText(text, manager_->GetDefaultFont(), 0, text::kSingleLine);
    MoveWindow({screen.x, screen.y, screen.x + size.cx + kTextPadding.left + kTextPadding.right,
                screen.y + size.cy + kTextPadding.top + kTextPadding.bottom});
    ShowWindow(true, false);
}

void CToolTipWnd::Hide() {
    if (IsWindow()) ShowWindow(false, false);
}

std::wstring CToolTipWnd::GetShownText() const {
    return IsWindowVisible() && label_ ? label_->GetText() : std::wstring();
}

LRESULT CToolTipWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == msg::kSize) manager_->NeedUpdate();
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

}  // namespace SkinUI

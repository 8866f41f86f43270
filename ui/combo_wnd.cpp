#include "ui/combo_wnd.h"

#include <algorithm>

#include "ui/combo.h"
#include "ui/paint_manager.h"
#include "ui/render_engine.h"

namespace SkinUI {

namespace {
constexpr uint32_t kListBackground = 0xFFFFFFFF;
constexpr uint32_t kListBorder = 0xFFB5B5B5;
constexpr int kDefaultDropHeight = 150;
constexpr WPARAM kEscape = 0x1B;
}  // namespace

// Draws the owner's items as rows (each item paints itself at its row) and picks one on click.
class CComboDropListUI : public CControlUI {
  public:
    explicit CComboDropListUI(CComboWnd* window) : window_(window) {}

    int RowHeight(int index) const {
        CControlUI* item = window_->owner_->GetItemAt(index);
        return item ? std::max(1, item->EstimateSize({rcItem_.Width(), 0}).cy) : 0;
    }
    int ContentHeight() const {
        int total = 0;
        for (int i = 0; i < window_->owner_->GetCount(); ++i)
            total += RowHeight(i);
        return total;
    }
    Rect RowRect(int index) const {
        int y = rcItem_.top + 1 - scroll_;
        for (int i = 0; i < index; ++i)
            y += RowHeight(i);
        return {rcItem_.left + 1, y, rcItem_.right - 1, y + RowHeight(index)};
    }
    int RowAt(Point pt) const {
        for (int i = 0; i < window_->owner_->GetCount(); ++i)
            if (RowRect(i).Contains(pt)) return i;
        return -1;
    }
    void SetHotRow(int row) {
        CComboUI* owner = window_->owner_;
        for (int i = 0; i < owner->GetCount(); ++i)
            static_cast<CListElementUI*>(owner->GetItemAt(i))->SetHotState(i == row);
        Invalidate();
    }
    void ScrollBy(int delta) {
        int range = std::max(0, ContentHeight() - (rcItem_.Height() - 2));
        scroll_ = std::clamp(scroll_ + delta, 0, range);
        Invalidate();
    }
    // Brings the selected row into view when the list opens.
    void ShowSelection() {
        int sel = window_->owner_->GetCurSel();
        if (sel < 0) return;
        Rect row = RowRect(sel);
        if (row.bottom > rcItem_.bottom - 1) ScrollBy(row.bottom - (rcItem_.bottom - 1));
    }

    void DoEvent(TEventUI& event) override {
        switch (event.type) {
            case UIEvent::kMouseMove:
                SetHotRow(RowAt(event.ptMouse));
                return;
            case UIEvent::kMouseLeave:
                SetHotRow(-1);
                return;
            case UIEvent::kButtonUp: {
                int row = RowAt(event.ptMouse);
                if (row < 0) return;
                CComboUI* owner = window_->owner_;
                CControlUI* item = owner->GetItemAt(row);
                if (!item->IsEnabled()) return;
                window_->Close(0);
                owner->SelectItem(row, true);
                return;
            }
            case UIEvent::kScrollWheel:
                ScrollBy(static_cast<int>(event.wParam) > 0 ? -RowHeight(0) : RowHeight(0));
                return;
            default:
                CControlUI::DoEvent(event);
        }
    }

    void DoPaint(ISurface& surface, const Rect& rcPaint) override {
        surface.PushClip(rcPaint.Intersect(rcItem_));
        CRenderEngine::DrawColor(surface, rcItem_, kListBackground);
        Rect inner{rcItem_.left + 1, rcItem_.top + 1, rcItem_.right - 1, rcItem_.bottom - 1};
        CComboUI* owner = window_->owner_;
        for (int i = 0; i < owner->GetCount(); ++i) {
            Rect row = RowRect(i);
            if (row.Intersect(inner).IsEmpty()) continue;
            CControlUI* item = owner->GetItemAt(i);
            item->SetPos(row);
            item->DoPaint(surface, inner);
        }
        CRenderEngine::DrawBorder(surface, rcItem_, {1, 1, 1, 1}, kListBorder);
        surface.PopClip();
    }

  private:
    CComboWnd* window_;
    int scroll_ = 0;
};

CComboWnd::CComboWnd(CComboUI* owner)
    : owner_(owner), manager_(std::make_unique<CPaintManagerUI>()) {
    SetWindowKind(WindowKind::kPopup);
}

CComboWnd::~CComboWnd() {
    DestroyWindow();
    manager_.reset();
}

Rect CComboWnd::GetRowRect(int index) const {
    return list_ ? list_->RowRect(index) : Rect{};
}

void CComboWnd::Open() {
    CPaintManagerUI* ownerManager = owner_->GetManager();
    CWindowWnd* ownerWindow = ownerManager ? ownerManager->GetPaintWindow() : nullptr;
    if (!ownerWindow || !ownerWindow->IsWindow()) return;
    Rect combo = owner_->GetPos();
    Size box = owner_->GetDropBoxSize();
    int width = box.cx > 0 ? box.cx : combo.Width();
    int content = 2;
    for (int i = 0; i < owner_->GetCount(); ++i)
        content += owner_->GetItemAt(i)->EstimateSize({width, 0}).cy;
    int height = std::min(content, box.cy > 0 ? box.cy : kDefaultDropHeight);
    Point below = ownerWindow->ClientToScreen({combo.left, combo.bottom});
    Rect work = GetBackend().WorkArea();
    // Opens upwards when the list would leave the screen below the combo.
    if (below.y + height > work.bottom)
        below.y = ownerWindow->ClientToScreen({combo.left, combo.top}).y - height;
    if (!Create(ownerWindow, L"", 0, 0, below.x, below.y, width, height)) return;
    manager_->Init(this);
    list_ = new CComboDropListUI(this);
    manager_->AttachDialog(list_);
    manager_->UpdateLayout();
    list_->ShowSelection();
    ShowWindow(true, false);
}

LRESULT CComboWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == msg::kLButtonDown && !GetClientRect().Contains(PointFromParam(lParam))) {
        // A press outside the list (seen while the mouse is captured) closes it.
        Close(0);
        return 0;
    }
    if (message == msg::kKeyDown && wParam == kEscape) {
        Close(0);
        return 0;
    }
    if (message == msg::kDestroy) {
        for (int i = 0; i < owner_->GetCount(); ++i)
            static_cast<CListElementUI*>(owner_->GetItemAt(i))->SetHotState(false);
    }
    LRESULT result = 0;
    if (manager_->MessageHandler(message, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

}  // namespace SkinUI

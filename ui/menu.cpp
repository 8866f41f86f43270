#include "ui/menu.h"

#include <algorithm>

#include "ui/message_loop.h"
#include "ui/paint_manager.h"

namespace SkinUI {

bool CMenuUI::SelectItem(int index, bool takeFocus) {
    return SelectListRow(*this, *this, curSel_, index, takeFocus);
}

void CMenuUI::ItemClicked(CControlUI* item) {
    if (menu_) menu_->ElementClicked(item);
}

bool CMenuUI::Add(CControlUI* control) {
    if (!CVerticalLayoutUI::Add(control)) return false;
    if (auto* element = dynamic_cast<CListElementUI*>(control)) {
        element->SetOwner(this);
        element->SetIndex(GetCount() - 1);
    }
    return true;
}

void CMenuUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (ApplyListInfoAttribute(info_, name, value)) {
        // In a menu the element under the pointer is the selected one.
        if (name == L"itemselectedbkcolor") info_.hotBkColor = info_.selectedBkColor;
        Invalidate();
        return;
    }
    CVerticalLayoutUI::SetAttribute(name, value);
}

Size CMenuUI::EstimateSize(Size available) {
    Size size{0, 0};
    int shown = 0;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* item = GetItemAt(i);
        if (!item->IsOwnVisible()) continue;
        Size s = item->EstimateSize(available);
        const Rect& pad = item->GetPadding();
        size.cx = std::max(size.cx, s.cx + pad.left + pad.right);
        size.cy += s.cy + pad.top + pad.bottom;
        ++shown;
    }
    if (shown > 1) size.cy += childPadding_ * (shown - 1);
    size.cx += inset_.left + inset_.right;
    size.cy += inset_.top + inset_.bottom;
    if (cxyFixed_.cx > 0) size.cx = cxyFixed_.cx;
    if (cxyFixed_.cy > 0) size.cy = cxyFixed_.cy;
    return size;
}

Size CMenuElementUI::EstimateSize(Size available) {
    Size size = CListLabelElementUI::EstimateSize(available);
    if (size.cx == 0 && manager_ && HasBackend()) {
        const TListInfoUI* info = owner_ ? owner_->GetListInfo() : nullptr;
        int font = info ? info->font : -1;
        size.cx =
            GetBackend().MeasureText(text_, manager_->GetFont(font), 0, text::kSingleLine).cx +
            (info ? info->textPadding.left + info->textPadding.right : 0);
    }
    return size;
}

CMenuWnd::CMenuWnd() : manager_(std::make_unique<CPaintManagerUI>()) {
    SetWindowKind(WindowKind::kPopup);
}

CMenuWnd::~CMenuWnd() {
    deleteOnFinal_ = false;
    DestroyWindow();
}

void CMenuWnd::OnFinalMessage() {
    if (deleteOnFinal_) delete this;
}

CControlUI* CMenuWnd::CreateControl(const std::wstring& className) {
    (void)className;
    return nullptr;
}

void CMenuWnd::Init(CControlUI* ownerElement, const std::wstring& skin, Point point,
                    CPaintManagerUI* manager, MenuCheckMap* checks, UINT flags) {
    (void)ownerElement;
    target_ = manager ? manager->GetPaintWindow() : nullptr;
    checks_ = checks;
    if (!Create(target_, L"", 0, 0, point.x, point.y, 1, 1)) return;
    manager_->Init(this);
    CDialogBuilder builder;
    CControlUI* root = builder.Create(skin, L"xml", this, manager_.get());
    if (root == nullptr) {
        DestroyWindow();  // deletes this menu
        return;
    }
    manager_->AttachDialog(root);
    CMenuUI* menu = dynamic_cast<CMenuUI*>(root);
    for (int i = 0; menu == nullptr && i < root->GetChildCount(); ++i)
        menu = dynamic_cast<CMenuUI*>(root->GetChildAt(i));
    if (menu) menu->SetClickTarget(this);
    Size size = root->EstimateSize({0, 0});
    int x = flags & menu_align::kRight ? point.x - size.cx : point.x;
    int y = flags & menu_align::kBottom ? point.y - size.cy : point.y;
    MoveWindow({x, y, x + size.cx, y + size.cy});
    ShowWindow(true, true);
}

void CMenuWnd::ElementClicked(CControlUI* element) {
    if (CMessageLoop::IsWindowAlive(target_)) {
        bool checked = false;
        if (checks_) {
            auto it = checks_->find(element->GetName());
            checked = it != checks_->end() && it->second;
        }
        auto* name = new std::wstring(element->GetName());
        // The receiver deletes the name; a message that finds no receiver deletes it here.
        target_->PostMessageW(msg::kMenuClick, reinterpret_cast<WPARAM>(name), checked ? 1 : 0,
                              [name] { delete name; });
    }
    Close(0);
}

LRESULT CMenuWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == msg::kLButtonDown && !GetClientRect().Contains(PointFromParam(lParam))) {
        Close(0);
        return 0;
    }
    if (message == msg::kKeyDown && wParam == 0x1B) {
        Close(0);
        return 0;
    }
    LRESULT result = 0;
    if (manager_->MessageHandler(message, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

}  // namespace SkinUI

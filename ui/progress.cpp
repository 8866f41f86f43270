#include "ui/progress.h"

#include <algorithm>

#include "ui/attribute_values.h"
#include "ui/paint_manager.h"

namespace SkinUI {

namespace {

const AttributeSetter<CProgressUI> kProgressAttributes[] = {
    {L"min", [](CProgressUI& c, std::wstring_view v) { c.SetMinValue(ParseInt(v)); }},
    {L"max", [](CProgressUI& c, std::wstring_view v) { c.SetMaxValue(ParseInt(v)); }},
    {L"value", [](CProgressUI& c, std::wstring_view v) { c.SetValue(ParseInt(v)); }},
    {L"hor", [](CProgressUI& c, std::wstring_view v) { c.SetHorizontal(ParseBool(v)); }},
    {L"foreimage", [](CProgressUI& c, std::wstring_view v) { c.SetForeImage(std::wstring(v)); }},
};

}  // namespace

void CProgressUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (!ApplyAttribute(kProgressAttributes, *this, name, value))
        CLabelUI::SetAttribute(name, value);
}

void CProgressUI::SetMinValue(int value) {
    min_ = value;
    Invalidate();
}

void CProgressUI::SetMaxValue(int value) {
    max_ = value;
    Invalidate();
}

void CProgressUI::SetValue(int value) {
    value_ = value;
    Invalidate();
}

void CProgressUI::SetHorizontal(bool horizontal) {
    horizontal_ = horizontal;
    Invalidate();
}

void CProgressUI::SetForeImage(std::wstring descriptor) {
    foreImage_ = std::move(descriptor);
    Invalidate();
}

Rect CProgressUI::GetForeRect() const {
    if (max_ <= min_) return {};
    // 64-bit: the product of a large range and a wide bar overflows 32 bits.
    long long span = static_cast<long long>(max_) - min_;
    long long done = std::clamp<long long>(static_cast<long long>(value_) - min_, 0, span);
    Rect rc = rcItem_;
    if (horizontal_) {
        rc.right = rc.left + static_cast<int>(rc.Width() * done / span);
    } else {
        rc.top = rc.bottom - static_cast<int>(rc.Height() * done / span);
    }
    return rc;
}

void CProgressUI::PaintStatusImage(ISurface& surface) {
    Rect fore = GetForeRect();
    if (fore.IsEmpty() || foreImage_.empty() || !manager_) return;
    TImageDescriptor d;
    ParseImageDescriptor(foreImage_, d);
    auto image = manager_->GetImage(d);
    if (!image) return;
    // The fore image is cut, not squeezed: the covered share of the bar shows the same share
    // of the picture.
    Rect source = d.hasSource ? d.source : Rect{0, 0, image->width, image->height};
    Rect dest = fore.Offset(-rcItem_.left, -rcItem_.top);
    // Rounded up, so a narrow picture still gives a covered share at least one pixel.
    auto share = [](int length, int part, int whole) {
        return (length * part + whole - 1) / std::max(1, whole);
    };
    if (horizontal_) {
        source.right = source.left + share(source.Width(), fore.Width(), rcItem_.Width());
    } else {
        source.top = source.bottom - share(source.Height(), fore.Height(), rcItem_.Height());
    }
    auto rectText = [](const Rect& r) {
        return std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," +
               std::to_wstring(r.right) + L"," + std::to_wstring(r.bottom);
    };
    std::wstring modify = L"dest='" + rectText(dest) + L"' source='" + rectText(source) + L"'";
    DrawImage(surface, foreImage_, modify);
}

}  // namespace SkinUI

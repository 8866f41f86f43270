#include "ui/backend/win32/gdiplus_surface.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace SkinUI::win32 {

namespace {

// Tried in order when a skin's face is missing: the skins' face by its English name, then faces
// with Chinese glyphs, then the common Latin ones; then any face the system has.
constexpr const wchar_t* kFallbackFaces[] = {L"Microsoft YaHei", L"SimSun", L"Segoe UI", L"Tahoma",
                                             L"Arial"};

// Layout is unbounded in one direction with this extent, as GDI+ wants a rectangle.
constexpr Gdiplus::REAL kUnbounded = 1e6f;

std::unique_ptr<Gdiplus::FontFamily> Installed(const wchar_t* face) {
    auto family = std::make_unique<Gdiplus::FontFamily>(face);
    if (family->GetLastStatus() != Gdiplus::Ok || !family->IsAvailable() ||
        !family->IsStyleAvailable(Gdiplus::FontStyleRegular))
        return nullptr;
    return family;
}

// The first face of the system's collection that has a regular style. A system may have none
// of the faces asked for (a fresh Wine prefix has only the host's fonts), and then even the
// generic sans-serif family is missing; without this, such a system would show no text at all.
std::unique_ptr<Gdiplus::FontFamily> AnyInstalled() {
    Gdiplus::InstalledFontCollection collection;
    INT count = collection.GetFamilyCount();
    std::vector<Gdiplus::FontFamily> families(static_cast<size_t>(std::max(0, count)));
    INT found = 0;
    if (count > 0) collection.GetFamilies(count, families.data(), &found);
    for (INT i = 0; i < found; ++i) {
        if (!families[i].IsStyleAvailable(Gdiplus::FontStyleRegular)) continue;
        return std::unique_ptr<Gdiplus::FontFamily>(families[i].Clone());
    }
    // A family that draws nothing is still a family: callers need not test for none.
    return std::make_unique<Gdiplus::FontFamily>();
}

// One StringFormat for drawing and measuring alike, from the typographic one: the default
// format pads every run by a sixth of an em, which would widen every self-sizing label.
std::unique_ptr<Gdiplus::StringFormat> FormatFor(unsigned style) {
    std::unique_ptr<Gdiplus::StringFormat> format(
        Gdiplus::StringFormat::GenericTypographic()->Clone());
    bool single = (style & text::kSingleLine) != 0;
    bool wrap = !single && (style & text::kWordBreak) != 0;
    bool ellipsis = !wrap && (style & text::kEndEllipsis) != 0;
    INT flags = Gdiplus::StringFormatFlagsMeasureTrailingSpaces;
    if (!wrap) flags |= Gdiplus::StringFormatFlagsNoWrap;
    // Unclipped like the other backends, except where the end gives way to an ellipsis.
    if (!ellipsis) flags |= Gdiplus::StringFormatFlagsNoClip;
    format->SetFormatFlags(flags);
    format->SetTrimming(ellipsis ? Gdiplus::StringTrimmingEllipsisCharacter
                                 : Gdiplus::StringTrimmingNone);
    format->SetAlignment(style & text::kCenter  ? Gdiplus::StringAlignmentCenter
                         : style & text::kRight ? Gdiplus::StringAlignmentFar
                                                : Gdiplus::StringAlignmentNear);
    format->SetLineAlignment(style & text::kVCenter  ? Gdiplus::StringAlignmentCenter
                             : style & text::kBottom ? Gdiplus::StringAlignmentFar
                                                     : Gdiplus::StringAlignmentNear);
    return format;
}

// A single line shows line breaks as blanks.
std::wstring Shown(std::wstring_view text, unsigned style) {
    std::wstring shown(text);
    if (style & text::kSingleLine)
        std::replace_if(
            shown.begin(), shown.end(), [](wchar_t c) { return c == L'\n' || c == L'\r'; }, L' ');
    return shown;
}

Gdiplus::Rect ToGdiplus(const Rect& rc) {
    return {rc.left, rc.top, std::max(0, rc.Width()), std::max(0, rc.Height())};
}

}  // namespace

TextEngine::TextEngine() : measureBitmap_(1, 1, PixelFormat32bppPARGB), measure_(&measureBitmap_) {
    Prepare(measure_);
}

TextEngine::~TextEngine() = default;

void TextEngine::Prepare(Gdiplus::Graphics& graphics) {
    // Grey anti-aliasing: sub-pixel colours would fringe on a buffer with an alpha channel.
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
    // Pixel centres where the framework's rectangles put them, so stretched images keep edges.
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
}

const Gdiplus::FontFamily& TextEngine::Family(const std::wstring& face) {
    auto it = families_.find(face);
    if (it != families_.end()) return *it->second;
    std::unique_ptr<Gdiplus::FontFamily> family;
    if (!face.empty()) family = Installed(face.c_str());
    for (const wchar_t* fallback : kFallbackFaces) {
        if (family) break;
        family = Installed(fallback);
    }
    if (!family) family = AnyInstalled();
    return *families_.emplace(face, std::move(family)).first->second;
}

Gdiplus::Font& TextEngine::FontFor(const TFontInfo& font) {
    auto key = std::make_tuple(font.name, font.size, font.bold, font.italic, font.underline);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return *it->second;
    INT style = (font.bold ? Gdiplus::FontStyleBold : 0) |
                (font.italic ? Gdiplus::FontStyleItalic : 0) |
                (font.underline ? Gdiplus::FontStyleUnderline : 0);
    auto made = std::make_unique<Gdiplus::Font>(
        &Family(font.name), static_cast<Gdiplus::REAL>(font.size > 0 ? font.size : 12), style,
        Gdiplus::UnitPixel);
    return *fonts_.emplace(key, std::move(made)).first->second;
}

Size TextEngine::Measure(std::wstring_view text, const TFontInfo& font, int maxWidth,
                         unsigned style) {
    std::wstring shown = Shown(text, style);
    auto format = FormatFor(style);
    // Alignment would move the measured box inside the unbounded width, not change its size.
    format->SetAlignment(Gdiplus::StringAlignmentNear);
    format->SetLineAlignment(Gdiplus::StringAlignmentNear);
    Gdiplus::RectF layout(0, 0, maxWidth > 0 ? static_cast<Gdiplus::REAL>(maxWidth) : kUnbounded,
                          kUnbounded);
    Gdiplus::RectF bounds;
    measure_.MeasureString(shown.c_str(), static_cast<INT>(shown.size()), &FontFor(font), layout,
                           format.get(), &bounds);
    return {static_cast<int>(std::ceil(bounds.Width)), static_cast<int>(std::ceil(bounds.Height))};
}

void TextEngine::Draw(Gdiplus::Graphics& graphics, std::wstring_view text, const Rect& rc,
                      const TFontInfo& font, uint32_t rgb, unsigned style) {
    std::wstring shown = Shown(text, style);
    auto format = FormatFor(style);
    Gdiplus::SolidBrush brush(
        Gdiplus::Color(255, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
    Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(rc.left), static_cast<Gdiplus::REAL>(rc.top),
                          static_cast<Gdiplus::REAL>(std::max(0, rc.Width())),
                          static_cast<Gdiplus::REAL>(std::max(0, rc.Height())));
    graphics.DrawString(shown.c_str(), static_cast<INT>(shown.size()), &FontFor(font), layout,
                        format.get(), &brush);
}

void GdiplusSurface::PushClip(const Rect& rc) {
    clips_.push_back(graphics_.Save());
    graphics_.IntersectClip(ToGdiplus(rc));
}

void GdiplusSurface::PopClip() {
    if (clips_.empty()) return;
    graphics_.Restore(clips_.back());
    clips_.pop_back();
}

void GdiplusSurface::FillRect(const Rect& rc, uint32_t argb) {
    if (rc.IsEmpty()) return;
    Gdiplus::SolidBrush brush{Gdiplus::Color(argb)};
    graphics_.FillRectangle(&brush, ToGdiplus(rc));
}

void GdiplusSurface::DrawImage(const TImageInfo& image, const Rect& source, const Rect& dest,
                               uint8_t alpha) {
    if (source.IsEmpty() || dest.IsEmpty() || image.pixels.empty()) return;
    Rect inside = source.Intersect({0, 0, image.width, image.height});
    if (inside.IsEmpty()) return;
    // The decoded picture already is premultiplied BGRA in memory: GDI+ reads it in place. Only
    // the source part is handed over: a stretched strip would otherwise blend in the edge of
    // its neighbouring tile.
    const uint32_t* first =
        image.pixels.data() + static_cast<size_t>(inside.top) * image.width + inside.left;
    Gdiplus::Bitmap picture(inside.Width(), inside.Height(), image.width * 4, PixelFormat32bppPARGB,
                            reinterpret_cast<BYTE*>(const_cast<uint32_t*>(first)));
    Gdiplus::ImageAttributes attributes;
    // Stretched edges repeat the part's own border instead of fading into nothing.
    attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    if (alpha != 255) {
        Gdiplus::ColorMatrix fade = {{{1, 0, 0, 0, 0},
                                      {0, 1, 0, 0, 0},
                                      {0, 0, 1, 0, 0},
                                      {0, 0, 0, alpha / 255.0f, 0},
                                      {0, 0, 0, 0, 1}}};
        attributes.SetColorMatrix(&fade);
    }
    bool unscaled = dest.Width() == source.Width() && dest.Height() == source.Height();
    graphics_.SetInterpolationMode(unscaled ? Gdiplus::InterpolationModeNearestNeighbor
                                            : Gdiplus::InterpolationModeHighQualityBilinear);
    graphics_.DrawImage(&picture, ToGdiplus(dest), 0, 0, inside.Width(), inside.Height(),
                        Gdiplus::UnitPixel, &attributes);
}

void GdiplusSurface::DrawText(std::wstring_view text, const Rect& rc, const TFontInfo& font,
                              uint32_t rgb, unsigned style) {
    text_.Draw(graphics_, text, rc, font, rgb, style);
}

}  // namespace SkinUI::win32

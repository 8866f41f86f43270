#include "ui/backend/sdl/cairo_painter.h"

#include <fontconfig/fontconfig.h>

#include "base/utf8.h"

namespace SkinUI::sdl {

namespace {

// The face that stands in for a missing one: it has Latin and Chinese glyphs, so a line mixing
// both is drawn in one face rather than a patchwork of fallbacks.
constexpr char kFallbackFace[] = "WenQuanYi Micro Hei";

bool FaceInstalled(const std::string& family) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* set = FcFontList(nullptr, pattern, objects);
    bool found = set && set->nfont > 0;
    if (set) FcFontSetDestroy(set);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return found;
}

double Channel(uint32_t argb, int shift) {
    return ((argb >> shift) & 0xFF) / 255.0;
}

}  // namespace

FontCache::FontCache() : options_(cairo_font_options_create()) {
    // Grey anti-aliasing with slight hinting, the same on every machine.
    cairo_font_options_set_antialias(options_, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options_, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options_, CAIRO_HINT_METRICS_ON);
}

FontCache::~FontCache() {
    for (auto& entry : descriptions_)
        pango_font_description_free(entry.second);
    cairo_font_options_destroy(options_);
}

std::string FontCache::ResolveFace(const std::wstring& face) {
    auto it = faces_.find(face);
    if (it != faces_.end()) return it->second;
    std::string utf8 = ToUtf8(face);
    std::string resolved = utf8;
    if (utf8.empty() || !FaceInstalled(utf8))
        resolved = FaceInstalled(kFallbackFace) ? kFallbackFace : "Sans";
    faces_.emplace(face, resolved);
    return resolved;
}

PangoFontDescription* FontCache::Get(const TFontInfo& font) {
    auto key = std::make_tuple(font.name, font.size, font.bold, font.italic);
    auto it = descriptions_.find(key);
    if (it != descriptions_.end()) return it->second;
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, ResolveFace(font.name).c_str());
    pango_font_description_set_absolute_size(description,
                                             (font.size > 0 ? font.size : 12) * PANGO_SCALE);
    pango_font_description_set_weight(description,
                                      font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(description,
                                     font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    descriptions_.emplace(key, description);
    return description;
}

PangoLayout* FontCache::NewLayout(cairo_t* cr) const {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout), options_);
    pango_layout_context_changed(layout);
    return layout;
}

void FontCache::Prepare(PangoLayout* layout, std::wstring_view text, const TFontInfo& font,
                        int width, unsigned style) {
    bool single = (style & text::kSingleLine) != 0;
    std::string utf8 = ToUtf8(text);
    if (single) {
        for (char& c : utf8)
            if (c == '\n' || c == '\r') c = ' ';
    }
    pango_layout_set_text(layout, utf8.c_str(), static_cast<int>(utf8.size()));
    pango_layout_set_font_description(layout, Get(font));
    PangoAttrList* attributes = pango_attr_list_new();
    if (font.underline)
        pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    pango_layout_set_attributes(layout, attributes);
    pango_attr_list_unref(attributes);
    bool wrap = !single && (style & text::kWordBreak) != 0;
    bool ellipsis = (style & text::kEndEllipsis) != 0;
    pango_layout_set_width(layout, (wrap || ellipsis) && width > 0 ? width * PANGO_SCALE : -1);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_ellipsize(layout,
                               ellipsis && !wrap ? PANGO_ELLIPSIZE_END : PANGO_ELLIPSIZE_NONE);
    pango_layout_set_single_paragraph_mode(layout, single);
    PangoAlignment alignment = style & text::kCenter  ? PANGO_ALIGN_CENTER
                               : style & text::kRight ? PANGO_ALIGN_RIGHT
                                                      : PANGO_ALIGN_LEFT;
    pango_layout_set_alignment(layout, alignment);
}

void CairoSurface::PushClip(const Rect& rc) {
    cairo_save(cr_);
    cairo_rectangle(cr_, rc.left, rc.top, std::max(0, rc.Width()), std::max(0, rc.Height()));
    cairo_clip(cr_);
}

void CairoSurface::PopClip() {
    cairo_restore(cr_);
}

void CairoSurface::FillRect(const Rect& rc, uint32_t argb) {
    if (rc.IsEmpty()) return;
    cairo_set_source_rgba(cr_, Channel(argb, 16), Channel(argb, 8), Channel(argb, 0),
                          Channel(argb, 24));
    cairo_rectangle(cr_, rc.left, rc.top, rc.Width(), rc.Height());
    cairo_fill(cr_);
}

void CairoSurface::DrawImage(const TImageInfo& image, const Rect& source, const Rect& dest,
                             uint8_t alpha) {
    if (source.IsEmpty() || dest.IsEmpty() || image.pixels.empty()) return;
    // The decoded picture already is premultiplied native-endian ARGB: Cairo reads it in place.
    cairo_surface_t* picture = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(image.pixels.data())),
        CAIRO_FORMAT_ARGB32, image.width, image.height, image.width * 4);
    cairo_save(cr_);
    cairo_rectangle(cr_, dest.left, dest.top, dest.Width(), dest.Height());
    cairo_clip(cr_);
    cairo_translate(cr_, dest.left, dest.top);
    cairo_scale(cr_, static_cast<double>(dest.Width()) / source.Width(),
                static_cast<double>(dest.Height()) / source.Height());
    // Only the source part is sampled: a sub-surface keeps stretched edges from bleeding in
    // the neighbouring tiles of a strip.
    cairo_surface_t* part = cairo_surface_create_for_rectangle(picture, source.left, source.top,
                                                               source.Width(), source.Height());
    cairo_set_source_surface(cr_, part, 0, 0);
    cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
    bool unscaled = dest.Width() == source.Width() && dest.Height() == source.Height();
    cairo_pattern_set_filter(cairo_get_source(cr_),
                             unscaled ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    if (alpha == 255)
        cairo_paint(cr_);
    else
        cairo_paint_with_alpha(cr_, alpha / 255.0);
    cairo_restore(cr_);
    cairo_surface_destroy(part);
    cairo_surface_destroy(picture);
}

void CairoSurface::DrawText(std::wstring_view text, const Rect& rc, const TFontInfo& font,
                            uint32_t rgb, unsigned style) {
    PangoLayout* layout = fonts_.NewLayout(cr_);
    fonts_.Prepare(layout, text, font, rc.Width(), style);
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    double x = rc.left, y = rc.top;
    if (pango_layout_get_width(layout) < 0) {
        // Without a layout width Pango does not align; place the line ourselves.
        if (style & text::kCenter)
            x = rc.left + (rc.Width() - width) / 2.0;
        else if (style & text::kRight)
            x = rc.right - width;
    }
    if (style & text::kVCenter)
        y = rc.top + (rc.Height() - height) / 2.0;
    else if (style & text::kBottom)
        y = rc.bottom - height;
    cairo_set_source_rgb(cr_, Channel(rgb, 16), Channel(rgb, 8), Channel(rgb, 0));
    cairo_move_to(cr_, x, y);
    pango_cairo_show_layout(cr_, layout);
    g_object_unref(layout);
}

}  // namespace SkinUI::sdl

// Drawing with Cairo and Pango on one frame: the ISurface of the SDL backend, and text
// measurement with the same layout rules.
#pragma once

#include <cairo.h>
#include <pango/pangocairo.h>

#include <map>
#include <string>

#include "ui/backend/backend.h"

namespace SkinUI::sdl {

// Pango font descriptions by face, size and style, with the face resolved once: a face that
// is not installed is replaced by one that covers Latin and Chinese alike.
class FontCache {
  public:
    FontCache();
    ~FontCache();
    FontCache(const FontCache&) = delete;
    FontCache& operator=(const FontCache&) = delete;
    PangoFontDescription* Get(const TFontInfo& font);
    PangoLayout* NewLayout(cairo_t* cr) const;
    // Lays out text as a surface would draw it.
    void Prepare(PangoLayout* layout, std::wstring_view text, const TFontInfo& font, int width,
                 unsigned style);

  private:
    std::string ResolveFace(const std::wstring& face);
    std::map<std::wstring, std::string> faces_;
    std::map<std::tuple<std::wstring, int, bool, bool>, PangoFontDescription*> descriptions_;
    cairo_font_options_t* options_;
};

class CairoSurface : public ISurface {
  public:
    CairoSurface(cairo_t* cr, FontCache& fonts) : cr_(cr), fonts_(fonts) {}
    void PushClip(const Rect& rc) override;
    void PopClip() override;
    void FillRect(const Rect& rc, uint32_t argb) override;
    void DrawImage(const TImageInfo& image, const Rect& source, const Rect& dest,
                   uint8_t alpha) override;
    void DrawText(std::wstring_view text, const Rect& rc, const TFontInfo& font, uint32_t rgb,
                  unsigned style) override;

  private:
    cairo_t* cr_;
    FontCache& fonts_;
};

}  // namespace SkinUI::sdl

// Drawing with GDI+: the ISurface of the Win32 backend, and text measured with the same layout
// rules it is drawn with.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "ui/backend/win32/windows_gdi.h"

namespace SkinUI::win32 {

// Fonts by face, size and style, each face resolved once: a face the system lacks is replaced
// by one it has, so that a missing face never means missing text.
class TextEngine {
  public:
    TextEngine();
    ~TextEngine();
    TextEngine(const TextEngine&) = delete;
    TextEngine& operator=(const TextEngine&) = delete;

    Size Measure(std::wstring_view text, const TFontInfo& font, int maxWidth, unsigned style);
    void Draw(Gdiplus::Graphics& graphics, std::wstring_view text, const Rect& rc,
              const TFontInfo& font, uint32_t rgb, unsigned style);
    // The text settings every Graphics of the backend uses, measuring included.
    static void Prepare(Gdiplus::Graphics& graphics);

  private:
    struct Layout {
        std::wstring text;
        Gdiplus::StringFormat format;
    };
    const Gdiplus::FontFamily& Family(const std::wstring& face);
    Gdiplus::Font& FontFor(const TFontInfo& font);
    static void Arrange(Layout& layout, std::wstring_view text, unsigned style, bool bounded);

    std::map<std::wstring, std::unique_ptr<Gdiplus::FontFamily>> families_;
    std::map<std::tuple<std::wstring, int, bool, bool, bool>, std::unique_ptr<Gdiplus::Font>>
        fonts_;
    // Measuring needs a Graphics; one pixel of a bitmap serves.
    Gdiplus::Bitmap measureBitmap_;
    Gdiplus::Graphics measure_;
};

class GdiplusSurface : public ISurface {
  public:
    GdiplusSurface(Gdiplus::Graphics& graphics, TextEngine& text)
        : graphics_(graphics), text_(text) {}
    void PushClip(const Rect& rc) override;
    void PopClip() override;
    void FillRect(const Rect& rc, uint32_t argb) override;
    void DrawImage(const TImageInfo& image, const Rect& source, const Rect& dest,
                   uint8_t alpha) override;
    void DrawText(std::wstring_view text, const Rect& rc, const TFontInfo& font, uint32_t rgb,
                  unsigned style) override;

  private:
    Gdiplus::Graphics& graphics_;
    TextEngine& text_;
    std::vector<Gdiplus::GraphicsState> clips_;
};

}  // namespace SkinUI::win32

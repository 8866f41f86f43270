// Portable drawing on top of a backend surface: colours, borders, image descriptors (dest,
// source, nine-slice corners, fade, hole, tiling) and text with the skin's fonts.
#pragma once

#include <string_view>

#include "ui/backend/backend.h"
#include "ui/image_descriptor.h"

namespace SkinUI {

class CPaintManagerUI;

namespace CRenderEngine {

void DrawColor(ISurface& surface, const Rect& rc, uint32_t argb);
// Borders of the given widths drawn inside `rc`.
void DrawBorder(ISurface& surface, const Rect& rc, const Rect& widths, uint32_t argb);
// Draws `source` of the picture onto `dest`, keeping the `corner` borders unstretched.
void DrawImage(ISurface& surface, const TImageInfo& image, const Rect& dest, const Rect& source,
               const Rect& corner, uint8_t fade, bool hole, bool xtiled, bool ytiled);
// Parses `descriptor` (then `modify` over it) and draws the picture inside `rcItem`; false
// when the picture cannot be found or decoded.
bool DrawImageString(ISurface& surface, const CPaintManagerUI& manager, const Rect& rcItem,
                     std::wstring_view descriptor, std::wstring_view modify = {});
void DrawText(ISurface& surface, const CPaintManagerUI& manager, const Rect& rc,
              std::wstring_view text, uint32_t color, int font, unsigned style);

}  // namespace CRenderEngine
}  // namespace SkinUI

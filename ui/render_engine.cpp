#include "ui/render_engine.h"

#include <algorithm>

#include "ui/paint_manager.h"

namespace SkinUI {
namespace CRenderEngine {

namespace {

// Draws `src` onto `dst`, tiling at the source's own size in the directions asked for.
void DrawPiece(ISurface& surface, const TImageInfo& image, const Rect& dst, const Rect& src,
               uint8_t fade, bool xtiled, bool ytiled) {
    if (dst.IsEmpty() || src.IsEmpty()) return;
    if (!xtiled && !ytiled) {
        surface.DrawImage(image, src, dst, fade);
        return;
    }
    int stepX = xtiled ? src.Width() : dst.Width();
    int stepY = ytiled ? src.Height() : dst.Height();
    for (int y = dst.top; y < dst.bottom; y += stepY) {
        for (int x = dst.left; x < dst.right; x += stepX) {
            Rect piece{x, y, std::min(x + stepX, dst.right), std::min(y + stepY, dst.bottom)};
            Rect from = src;
            // The last tile in a row or column shows only the part of the source that fits.
            if (xtiled) from.right = src.left + piece.Width();
            if (ytiled) from.bottom = src.top + piece.Height();
            surface.DrawImage(image, from, piece, fade);
        }
    }
}

}  // namespace

void DrawColor(ISurface& surface, const Rect& rc, uint32_t argb) {
    if ((argb >> 24) == 0 || rc.IsEmpty()) return;
    surface.FillRect(rc, argb);
}

void DrawBorder(ISurface& surface, const Rect& rc, const Rect& widths, uint32_t argb) {
    DrawColor(surface, {rc.left, rc.top, rc.left + widths.left, rc.bottom}, argb);
    DrawColor(surface, {rc.right - widths.right, rc.top, rc.right, rc.bottom}, argb);
    DrawColor(surface, {rc.left, rc.top, rc.right, rc.top + widths.top}, argb);
    DrawColor(surface, {rc.left, rc.bottom - widths.bottom, rc.right, rc.bottom}, argb);
}

void DrawImage(ISurface& surface, const TImageInfo& image, const Rect& dest, const Rect& source,
               const Rect& corner, uint8_t fade, bool hole, bool xtiled, bool ytiled) {
    // Corners wider than the picture or the destination are cut to what fits.
    int cl = std::clamp(corner.left, 0, std::min(source.Width(), dest.Width()));
    int cr = std::clamp(corner.right, 0, std::min(source.Width() - cl, dest.Width() - cl));
    int ct = std::clamp(corner.top, 0, std::min(source.Height(), dest.Height()));
    int cb = std::clamp(corner.bottom, 0, std::min(source.Height() - ct, dest.Height() - ct));
    const int sx[4] = {source.left, source.left + cl, source.right - cr, source.right};
    const int sy[4] = {source.top, source.top + ct, source.bottom - cb, source.bottom};
    const int dx[4] = {dest.left, dest.left + cl, dest.right - cr, dest.right};
    const int dy[4] = {dest.top, dest.top + ct, dest.bottom - cb, dest.bottom};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            bool centre = row == 1 && col == 1;
            if (centre && hole) continue;
            Rect dst{dx[col], dy[row], dx[col + 1], dy[row + 1]};
            Rect src{sx[col], sy[row], sx[col + 1], sy[row + 1]};
            DrawPiece(surface, image, dst, src, fade, centre && xtiled, centre && ytiled);
        }
    }
}

bool DrawImageString(ISurface& surface, const CPaintManagerUI& manager, const Rect& rcItem,
                     std::wstring_view descriptor, std::wstring_view modify) {
    if (descriptor.empty()) return false;
    TImageDescriptor d;
    ParseImageDescriptor(descriptor, d);
    if (!modify.empty()) ParseImageDescriptor(modify, d);
    auto image = manager.GetImage(d);
    if (!image) return false;
    Rect source = d.hasSource ? d.source : Rect{0, 0, image->width, image->height};
    source = source.Intersect({0, 0, image->width, image->height});
    Rect dest = d.hasDest ? d.dest.Offset(rcItem.left, rcItem.top) : rcItem;
    if (d.hasDest) {
        dest.right = std::min(dest.right, rcItem.right);
        dest.bottom = std::min(dest.bottom, rcItem.bottom);
    }
    if (source.IsEmpty() || dest.IsEmpty()) return false;
    DrawImage(surface, *image, dest, source, d.corner, d.fade, d.hole, d.xtiled, d.ytiled);
    return true;
}

void DrawText(ISurface& surface, const CPaintManagerUI& manager, const Rect& rc,
              std::wstring_view text, uint32_t color, int font, unsigned style) {
    if (text.empty() || rc.IsEmpty()) return;
    // Skins give text colours an alpha of 0; text is always drawn opaque.
    surface.DrawText(text, rc, manager.GetFont(font), color | 0xFF000000u, style);
}

}  // namespace CRenderEngine
}  // namespace SkinUI

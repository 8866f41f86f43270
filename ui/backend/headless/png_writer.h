// A minimal PNG encoder (8-bit RGBA, stored deflate blocks): enough to save what a headless
// window drew, with no compression library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace SkinUI::headless {

// `argb` holds premultiplied 0xAARRGGBB pixels, rows top to bottom.
std::string EncodePng(const std::vector<uint32_t>& argb, int width, int height);
bool WritePng(const std::string& path, const std::vector<uint32_t>& argb, int width, int height);

}  // namespace SkinUI::headless

// Decoded skin pictures, one per (name, type, mask), shared by every window of the process.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ui/backend/backend.h"

namespace SkinUI {

// Decodes PNG (or any format the decoder knows) into premultiplied ARGB; pixels of the colour
// `mask` (0xRRGGBB), when given, become transparent. Null for bytes that do not decode.
std::shared_ptr<const TImageInfo> DecodeImage(std::string_view bytes,
                                              std::optional<uint32_t> mask = std::nullopt);

class CImageCache {
  public:
    // The picture, decoded on first use; null (and remembered as such) when it cannot be
    // found or decoded.
    static std::shared_ptr<const TImageInfo> Get(std::wstring_view name, std::wstring_view type,
                                                 std::optional<uint32_t> mask = std::nullopt);
    static void Clear();
    // How many pictures were decoded since the last Clear (tests check the sharing).
    static int DecodeCount();
};

}  // namespace SkinUI

#include "ui/image_cache.h"

#include <cwctype>
#include <map>
#include <tuple>

#include <stb/stb_image.h>

#include "ui/resources.h"

namespace SkinUI {

namespace {

struct CacheState {
    std::map<std::tuple<std::wstring, std::wstring, int64_t>, std::shared_ptr<const TImageInfo>>
        images;
    int decodes = 0;
};

CacheState& State() {
    static CacheState state;
    return state;
}

}  // namespace

std::shared_ptr<const TImageInfo> DecodeImage(std::string_view bytes,
                                              std::optional<uint32_t> mask) {
    if (bytes.empty() || bytes.size() > 0x7FFFFFFF) return nullptr;
    int width = 0, height = 0, channels = 0;
    stbi_uc* rgba =
        stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                              static_cast<int>(bytes.size()), &width, &height, &channels, 4);
    if (rgba == nullptr) return nullptr;
    auto image = std::make_shared<TImageInfo>();
    image->width = width;
    image->height = height;
    image->pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (size_t i = 0; i < image->pixels.size(); ++i) {
        const stbi_uc* p = rgba + i * 4;
        uint32_t r = p[0], g = p[1], b = p[2], a = p[3];
        if (mask && ((r << 16) | (g << 8) | b) == *mask) a = 0;
        if (a != 255) image->hasAlpha = true;
        image->pixels[i] = (a << 24) | ((r * a + 127) / 255 << 16) | ((g * a + 127) / 255 << 8) |
                           ((b * a + 127) / 255);
    }
    stbi_image_free(rgba);
    return image;
}

std::shared_ptr<const TImageInfo> CImageCache::Get(std::wstring_view name, std::wstring_view type,
                                                   std::optional<uint32_t> mask) {
    CacheState& state = State();
    // Resource types match without regard to case, so "PNG" and "png" share one picture.
    std::wstring lowerType(type);
    for (wchar_t& c : lowerType)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    auto key = std::make_tuple(std::wstring(name), lowerType,
                               mask ? static_cast<int64_t>(*mask) : int64_t{-1});
    auto it = state.images.find(key);
    if (it != state.images.end()) return it->second;
    std::shared_ptr<const TImageInfo> image;
    if (auto bytes = LoadResourceBytes(name, type)) {
        image = DecodeImage(*bytes, mask);
        ++state.decodes;
    }
    state.images.emplace(std::move(key), image);
    return image;
}

void CImageCache::Clear() {
    State().images.clear();
    State().decodes = 0;
}

int CImageCache::DecodeCount() {
    return State().decodes;
}

}  // namespace SkinUI

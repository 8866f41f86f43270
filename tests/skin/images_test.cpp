// The skin images: every id the skins or the window name is an embedded PNG of the size its use
// needs, and the strips hold their states where they are cut.
#include <algorithm>

#include "tests/skin/skin_fixture.h"

namespace skin_test {
namespace {

struct ImageSize {
    int id, width, height;
};

const ImageSize kImages[] = {
    {107, 64, 64},     // window icon
    {137, 1024, 728},  // main window background
    {138, 68, 34},     // close: normal and hot tiles of 34x34
    {139, 2421, 49},   // page tabs: nine 269x48 tiles
    {161, 1460, 39},   // drive selector: two 730x39 tiles
    {162, 78, 39},     // refresh: two 39x39 tiles
    {167, 400, 16},    // progress fill
    {169, 80, 32},     // button hot and pushed, highlighted volume
    {173, 80, 32},     // button and volume normal
    {177, 10, 10},     // scroll bar up arrow
    {178, 10, 10},     // scroll bar down arrow
    {185, 1200, 39},   // migration target selector: two 600x39 tiles
    {190, 100, 36},    // list header item normal
    {191, 100, 36},    // list header item hot
    {192, 100, 36},    // list header item pushed
    {193, 10, 40},     // scroll bar thumb
    {194, 10, 20},     // scroll bar rail
    {195, 100, 36},    // last list header item normal
    {196, 100, 36},    // list header bar
    {197, 100, 36},    // last list header item hot and pushed
    {202, 466, 177},   // dialog background
    {203, 112, 58},    // dialog Cancel
    {204, 112, 58},    // dialog OK normal and hot
    {205, 112, 58},    // dialog OK pushed
    {206, 150, 45},    // dialog icons: three 50x45 tiles
    {208, 27, 21},     // dialog close
    {210, 68, 34},     // minimise
    {211, 68, 34},     // menu
    {213, 730, 39},    // drive selector on the migration page
    {214, 78, 39},     // migration page refresh
};

// Set by the window and the dialog at run time rather than named in the skins.
const int kRunTimeImages[] = {107, 139, 161, 169, 173, 203, 204, 205, 206, 208, 213};

const ImageSize* Expected(const std::wstring& id) {
    for (const ImageSize& image : kImages)
        if (std::to_wstring(image.id) == id) return &image;
    return nullptr;
}

// Straight colour of a pixel (the pictures are premultiplied), alpha in the top byte.
uint32_t ColourAt(const TImageInfo& image, int x, int y) {
    uint32_t p = image.pixels[static_cast<size_t>(y) * image.width + x];
    uint32_t a = p >> 24;
    if (a == 0) return 0;
    auto channel = [&](int shift) { return std::min(255u, ((p >> shift) & 0xFF) * 255 / a); };
    return (a << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
}

TEST_F(SkinTest, EveryNamedImageIsEmbeddedAndDecodesToItsSize) {
    std::set<std::wstring> named;
    for (int skin : {kMainWindowSkin, kMessageDialogSkin, kMenuSkin}) {
        for (const auto& entry : SkinDescriptors(skin)) {
            EXPECT_EQ(entry.second.type, L"png") << ToUtf8(entry.second.name);
            named.insert(entry.second.name);
        }
    }
    for (int id : kRunTimeImages)
        named.insert(std::to_wstring(id));
    for (const std::wstring& id : named) {
        const ImageSize* expected = Expected(id);
        ASSERT_NE(expected, nullptr) << "image " << ToUtf8(id) << " has no known size";
        ASSERT_TRUE(TramsikSkinResources().Find(id, L"PNG")) << ToUtf8(id);
        auto image = CImageCache::Get(id, L"png");
        ASSERT_NE(image, nullptr) << ToUtf8(id) << " does not decode";
        EXPECT_EQ(image->width, expected->width) << ToUtf8(id);
        EXPECT_EQ(image->height, expected->height) << ToUtf8(id);
    }
    // And nothing is embedded that no skin or page uses.
    for (const ImageSize& image : kImages)
        EXPECT_TRUE(named.contains(std::to_wstring(image.id))) << image.id << " is unused";
}

TEST_F(SkinTest, StripsHoldTheirStatesWhereTheyAreCut) {
    // Page tabs: in set s the tile at position s carries the accent underline.
    auto tabs = CImageCache::Get(L"139", L"png");
    ASSERT_NE(tabs, nullptr);
    for (int tile = 0; tile < 9; ++tile) {
        const bool active = tile % 3 == tile / 3;
        const uint32_t underline = ColourAt(*tabs, 269 * tile + 134, 46);
        EXPECT_EQ(Near(underline, 0xFEAD14), active) << "tile " << tile;
        EXPECT_TRUE(Near(ColourAt(*tabs, 269 * tile + 134, 3), active ? 0xFFF8EA : 0xFFFFFF))
            << "tile " << tile;
    }
    // Close: the second tile is the hot one, and the normal tile lets the header show. Selectors:
    // the hot tile has the accent border. Dialog icons: warning, error, success, in this order.
    // A dialog button fills the top 36 pixels of its 58-pixel box and leaves the rest clear.
    constexpr uint32_t kClear = 0, kOpaque = 1;  // checked by alpha alone
    const struct {
        int id, x, y;
        uint32_t rgb;
    } pixels[] = {
        {138, 36, 2, 0xDC143C},   {138, 2, 2, kClear},     {161, 365, 0, 0xD5DAE0},
        {161, 1095, 0, 0xFEAD14}, {206, 25, 38, 0xFEAD14}, {206, 75, 8, 0xDC143C},
        {206, 125, 8, 0x2E9E5B},  {204, 56, 18, kOpaque},  {204, 56, 45, kClear},
    };
    for (const auto& p : pixels) {
        auto image = CImageCache::Get(std::to_wstring(p.id), L"png");
        ASSERT_NE(image, nullptr) << p.id;
        const uint32_t colour = ColourAt(*image, p.x, p.y);
        if (p.rgb <= kOpaque)
            EXPECT_EQ(colour >> 24, p.rgb * 0xFF) << p.id << " at " << p.x << "," << p.y;
        else
            EXPECT_TRUE(Near(colour, p.rgb)) << p.id << " at " << p.x << "," << p.y;
    }
}

}  // namespace
}  // namespace skin_test

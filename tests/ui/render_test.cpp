// What a window paints on the headless backend: fills, image descriptors, the progress bar's
// share, and text where it belongs (by position and colour, never by a font's pixels).
#include <gtest/gtest.h>

#include "tests/ui/test_window.h"
#include "ui/backend/headless/png_writer.h"
#include "ui/image_cache.h"
#include "ui/progress.h"

namespace SkinUI::testing {
namespace {

constexpr uint32_t kBlue = 0xFF0000FF, kGreen = 0xFF00FF00, kRed = 0xFFFF0000, kWhite = 0xFFFFFFFF;
constexpr uint32_t kRoot = 0xFF102030;

const wchar_t kSkin[] =
    LR"(<Window size="100,120">
  <Font name="Face" size="10"/>
  <VerticalLayout name="root" bkcolor="#FF102030">
    <Control name="fill" height="10" bkcolor="#FFFF0000"/>
    <Control name="half" height="10" bkcolor="#80FFFFFF"/>
    <Control name="nine" height="30" bkimage="res='301' restype='png' corner='1,1,1,1'"/>
    <Control name="holed" height="10" bkimage="res='301' restype='PNG' corner='1,1,1,1' hole='true'"/>
    <Control name="tiled" height="4" bkimage="res='302' restype='png' xtiled='true'"/>
    <Control name="slice" height="4" bkimage="res='302' restype='png' source='1,0,2,1'"/>
    <Control name="faded" height="4" bkimage="res='302' restype='png' fade='0'"/>
    <Control name="missing" height="4" bkimage="res='999' restype='png'"/>
    <Progress name="bar" height="6" min="0" max="100" value="25" foreimage="res='304' restype='png'"/>
    <Label name="text" height="16" text="Hello" textcolor="#00123456" font="0"/>
    <Label name="grey" height="16" text="Off" textcolor="#FF000000" disabledtextcolor="#FFA0A0A0" enabled="false"/>
  </VerticalLayout>
</Window>)";

const CResourceModule& Images() {
    static const std::string nine =
        headless::EncodePng({kBlue, kBlue, kBlue, kBlue, kGreen, kBlue, kBlue, kBlue, kBlue}, 3, 3);
    static const std::string stripes = headless::EncodePng({kRed, kWhite}, 2, 1);
    static const std::string green = headless::EncodePng({kGreen}, 1, 1);
    static const CResourceModule module = [] {
        CResourceModule m;
        m.Add(L"301", L"PNG", nine);
        m.Add(L"302", L"png", stripes);
        m.Add(L"304", L"png", green);
        return m;
    }();
    return module;
}

class RenderTest : public WindowTest {
  protected:
    RenderTest() : WindowTest(kSkin) {}
    void SetUp() override {
        CPaintManagerUI::SetInstance(&Images());
        CImageCache::Clear();
        WindowTest::SetUp();
        frame_ = backend_->WindowOf(window_);
    }
    void TearDown() override { CPaintManagerUI::SetInstance(nullptr); }
    headless::HeadlessWindow* frame_ = nullptr;
};

TEST_F(RenderTest, FillsBlendAndNineSliceKeepsCornersAndHoleLeavesTheCentre) {
    EXPECT_EQ(frame_->PixelAt(50, 5), kRed);
    // 0x80 white over 0x102030: each channel c + (255 - c) * 128 / 255.
    EXPECT_EQ(frame_->PixelAt(50, 15), 0xFF889098u);
    Rect nine = PosOf(L"nine");
    ASSERT_EQ(nine, (Rect{0, 20, 100, 50}));
    EXPECT_EQ(frame_->PixelAt(0, 20), kBlue);
    EXPECT_EQ(frame_->PixelAt(99, 49), kBlue);
    EXPECT_EQ(frame_->PixelAt(50, 20), kBlue) << "top edge stays one pixel";
    EXPECT_EQ(frame_->PixelAt(0, 35), kBlue) << "left edge stays one pixel";
    EXPECT_EQ(frame_->PixelAt(1, 21), kGreen);
    EXPECT_EQ(frame_->PixelAt(50, 35), kGreen);
    Rect holed = PosOf(L"holed");
    EXPECT_EQ(frame_->PixelAt(holed.left, holed.top), kBlue);
    EXPECT_EQ(frame_->PixelAt(50, holed.top + 5), kRoot);
}

TEST_F(RenderTest, TilingSourceFadeMissingImagesAndProgress) {
    Rect tiled = PosOf(L"tiled");
    for (int x = 0; x < 100; ++x)
        ASSERT_EQ(frame_->PixelAt(x, tiled.top + 1), x % 2 ? kWhite : kRed) << x;
    Rect slice = PosOf(L"slice");
    EXPECT_EQ(frame_->PixelAt(0, slice.top), kWhite);
    EXPECT_EQ(frame_->PixelAt(50, PosOf(L"faded").top), kRoot);
    EXPECT_EQ(frame_->PixelAt(50, PosOf(L"missing").top), kRoot) << "a missing image is not drawn";
    // Each picture was decoded once although several controls use it; the missing one is
    // looked up once too.
    EXPECT_EQ(CImageCache::DecodeCount(), 3);
    window_.Find(L"tiled")->Invalidate();
    backend_->Advance(0);
    EXPECT_EQ(CImageCache::DecodeCount(), 3);

    // A progress bar covers its share.
    Rect bar = PosOf(L"bar");
    auto* progress = window_.Find<CProgressUI>(L"bar");
    EXPECT_EQ(progress->GetForeRect(), (Rect{0, bar.top, 25, bar.bottom}));
    EXPECT_EQ(frame_->PixelAt(24, bar.top + 2), kGreen);
    EXPECT_EQ(frame_->PixelAt(25, bar.top + 2), kRoot);
    progress->SetValue(250);
    backend_->Advance(0);
    EXPECT_EQ(frame_->PixelAt(99, bar.top + 2), kGreen) << "values past max show a full bar";
    progress->SetValue(-3);
    backend_->Advance(0);
    EXPECT_EQ(frame_->PixelAt(0, bar.top + 2), kRoot);
}

TEST_F(RenderTest, TextIsDrawnOpaqueWhereTheLabelIsAndSavedAsDrawn) {
    auto runs = frame_->FindText(L"Hello");
    ASSERT_EQ(runs.size(), 1u);
    Rect label = PosOf(L"text");
    EXPECT_EQ(runs[0].rect, label);
    EXPECT_EQ(runs[0].rgb, 0x123456u);
    EXPECT_EQ(runs[0].font.name, L"Face");
    EXPECT_EQ(runs[0].ink.Intersect(label), runs[0].ink) << "inside the label";
    EXPECT_EQ(runs[0].ink.left, label.left + 1) << "left-aligned";
    // Alpha 00 in the skin, yet the text is opaque.
    EXPECT_EQ(frame_->PixelAt(runs[0].ink.left + 1, Centre(runs[0].ink).y), 0xFF123456u);
    auto grey = frame_->FindText(L"Off");
    ASSERT_EQ(grey.size(), 1u);
    EXPECT_EQ(grey[0].rgb, 0xA0A0A0u) << "a disabled label uses its disabled colour";

    // The saved frame decodes to the same pixels.
    std::string path = ::testing::TempDir() + "skinui-render.png";
    ASSERT_TRUE(frame_->SavePng(path));
    std::ifstream file(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    auto image = DecodeImage(bytes);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 100);
    EXPECT_EQ(image->pixels, frame_->Pixels());
    EXPECT_EQ(DecodeImage("not a picture"), nullptr);
    // A mask colour turns its pixels transparent.
    auto masked = DecodeImage(headless::EncodePng({kRed, kWhite}, 2, 1), 0xFF0000);
    ASSERT_NE(masked, nullptr);
    EXPECT_EQ(masked->pixels[0], 0u);
    EXPECT_EQ(masked->pixels[1], kWhite);
    EXPECT_TRUE(masked->hasAlpha);
}

}  // namespace
}  // namespace SkinUI::testing

// Geometry of a sample skin: nested vertical and horizontal layouts with fixed and flexible
// children, padding, inset, childpadding and floating controls.
#include <gtest/gtest.h>

#include "tests/ui/test_window.h"
#include "ui/label.h"

namespace SkinUI::testing {
namespace {

struct LayoutTest : WindowTest {
    LayoutTest() : WindowTest(FromUtf8(ReadTestFile("layout_skin.xml"))) {}
};

TEST_F(LayoutTest, StacksRowsAndFloatingControlsAndRelaysOutOncePerTurn) {
    EXPECT_EQ(window_.GetClientRect(), (Rect{0, 0, 400, 300}));
    EXPECT_EQ(window_.GetPaintManager().GetCaptionRect(), (Rect{0, 0, 0, 34}));
    EXPECT_EQ(backend_->WindowOf(window_)->RoundCorner(), (Size{3, 3}));
    const std::pair<const wchar_t*, Rect> placed[] = {
        // Root inset 10,0,10,10: 380 x 290 inside; fixed 34 + 40 + (6 + 50 + 4) + 60 = 194.
        {L"title", {10, 0, 390, 34}},
        {L"row", {10, 34, 390, 74}},
        {L"flex_v", {10, 74, 390, 170}},
        {L"fixed_v", {10, 176, 390, 226}},
        {L"floats", {10, 230, 390, 290}},
        // The Label default sizes "Sample" to its text: 6 characters of a 12 px font, 6 px each.
        {L"caption_text", {10, 0, 46, 34}},
        {L"title_gap", {46, 0, 322, 34}},
        {L"closebtn", {356, 0, 390, 34}},
        // Row inset 4,5,4,5 gives 372 x 30; fixed 60 + (3 + 7) + 50 and 3 x 5 between: 135.
        {L"fixed_label", {14, 39, 74, 69}},
        {L"flex_a", {79, 39, 197, 69}},
        {L"flex_b", {205, 41, 324, 69}},
        {L"ok", {336, 39, 386, 69}},
        // Floating controls sit at their pos inside the parent.
        {L"float_btn", {30, 240, 60, 260}},
        {L"float_label", {15, 235, 55, 255}},
    };
    for (const auto& [name, rect] : placed)
        EXPECT_EQ(PosOf(name), rect) << ToUtf8(name);

    // Changes are laid out once, at the end of the turn.
    auto* label = window_.Find<CLabelUI>(L"caption_text");
    label->SetText(L"A longer caption");
    EXPECT_EQ(label->GetPos(), (Rect{10, 0, 46, 34}));
    EXPECT_TRUE(window_.GetPaintManager().IsUpdateNeeded());
    int paints = backend_->WindowOf(window_)->PaintCount();
    window_.Find(L"flex_v")->SetFixedHeight(20);
    window_.Find(L"fixed_v")->SetVisible(false);
    backend_->Advance(0);
    EXPECT_EQ(backend_->WindowOf(window_)->PaintCount(), paints + 1);
    EXPECT_EQ(label->GetPos(), (Rect{10, 0, 106, 34}));
    EXPECT_EQ(PosOf(L"title_gap"), (Rect{106, 0, 322, 34}));
    EXPECT_EQ(PosOf(L"flex_v"), (Rect{10, 74, 390, 94}));
    EXPECT_EQ(PosOf(L"floats"), (Rect{10, 94, 390, 154}));
    // Width 0 means as wide as the parent allows.
    window_.Find(L"ok")->SetFixedWidth(0);
    window_.GetPaintManager().UpdateLayout();
    EXPECT_EQ(PosOf(L"flex_a").Width() + PosOf(L"flex_b").Width() + PosOf(L"ok").Width() + 10,
              372 - 60 - 15);
}

}  // namespace
}  // namespace SkinUI::testing

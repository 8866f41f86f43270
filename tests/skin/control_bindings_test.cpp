// The binding tables against skins that lack controls or hold them as other kinds: only the
// required ones count, in table order, and each kind accepts exactly its classes.
#include <map>

#include "app/main_frame/control_bindings.h"
#include "tests/skin/skin_fixture.h"

namespace skin_test {

using app::ControlBinding;
using app::ControlKind;
using app::FindUnboundControls;
using app::IsControlKind;
using app::MainFrameBindings;
using app::MessageDialogBindings;

namespace {

const std::map<ControlKind, const wchar_t*> kElementOf = {
    {ControlKind::Control, L"Control"},   {ControlKind::Label, L"Label"},
    {ControlKind::Text, L"Text"},         {ControlKind::Button, L"Button"},
    {ControlKind::Option, L"Option"},     {ControlKind::Combo, L"Combo"},
    {ControlKind::Progress, L"Progress"}, {ControlKind::Container, L"HorizontalLayout"},
    {ControlKind::List, L"List"},         {ControlKind::ListHeaderItem, L"ListHeaderItem"},
};

// A skin with one element per binding, except those in `skip`, and with the elements named in
// `replaced` built as the given element instead.
std::wstring SkinOf(std::span<const ControlBinding> bindings, std::set<std::wstring_view> skip = {},
                    std::map<std::wstring_view, std::wstring_view> replaced = {}) {
    std::wstring skin = L"<Window size=\"400,300\"><VerticalLayout>";
    for (const ControlBinding& binding : bindings) {
        if (skip.contains(binding.name)) continue;
        auto it = replaced.find(binding.name);
        std::wstring element =
            it != replaced.end() ? std::wstring(it->second) : kElementOf.at(binding.kind);
        skin += L"<" + element + L" name=\"" + std::wstring(binding.name) + L"\"/>";
    }
    return skin + L"</VerticalLayout></Window>";
}

std::vector<std::wstring> Unbound(const std::wstring& skin,
                                  std::span<const ControlBinding> bindings) {
    TestWindow window{skin};
    if (!window.Open()) return {L"<skin did not build>"};
    return FindUnboundControls(window.GetPaintManager(), bindings);
}

using Names = std::vector<std::wstring>;

TEST_F(SkinTest, UnboundControlsAreTheMissingAndMistypedRequiredOnes) {
    auto main = MainFrameBindings();
    EXPECT_EQ(Unbound(SkinOf(main), main), Names{});
    // Optional controls may be missing.
    EXPECT_EQ(Unbound(SkinOf(main, {L"minbtn", L"data_mig_refresh", L"data_mig_tip", L"used_color",
                                    L"free_color"}),
                      main),
              Names{});
    // Missing and mistyped required controls, in table order.
    EXPECT_EQ(Unbound(SkinOf(main, {L"Status", L"closebtn"},
                             {{L"Drive_name", L"Label"},
                              {L"Data_Mig", L"Button"},
                              {L"continervolume", L"Combo"}}),
                      main),
              (Names{L"closebtn", L"Data_Mig", L"Drive_name", L"continervolume", L"Status"}));
    // A text line may be a label or a text; a migration page line must be a text.
    EXPECT_EQ(
        Unbound(SkinOf(main, {}, {{L"serial_no", L"Text"}, {L"source_disk", L"Label"}}), main),
        Names{L"source_disk"});
    // A vertical layout serves as the volume container as well as a horizontal one.
    EXPECT_EQ(Unbound(SkinOf(main, {}, {{L"continervolume", L"VerticalLayout"}}), main), Names{});

    auto dialog = MessageDialogBindings();
    EXPECT_EQ(Unbound(SkinOf(dialog, {L"warning"}), dialog), Names{}) << "no icon is fine";
    EXPECT_EQ(Unbound(SkinOf(dialog, {L"cancelBtn"}, {{L"msgbox", L"Label"}}), dialog),
              (Names{L"msgbox", L"cancelBtn"}));
    // An empty window binds nothing required.
    EXPECT_EQ(Unbound(L"<Window><VerticalLayout/></Window>", dialog).size(), 4u);
}

TEST_F(SkinTest, EachKindAcceptsExactlyItsClasses) {
    TestWindow window{
        LR"(<Window><VerticalLayout name="v">
        <Button name="b"/><Option name="o"/><Combo name="c"/><Text name="t"/><Label name="l"/>
        <Progress name="p"/><List name="li"/><Control name="x"/></VerticalLayout></Window>)"};
    ASSERT_TRUE(window.Open());
    auto is = [&](const wchar_t* name, ControlKind kind) {
        return IsControlKind(*window.Find(name), kind);
    };
    EXPECT_TRUE(is(L"b", ControlKind::Button));
    EXPECT_FALSE(is(L"o", ControlKind::Button)) << "an option is not a plain button";
    EXPECT_TRUE(is(L"o", ControlKind::Option));
    EXPECT_FALSE(is(L"c", ControlKind::Container)) << "a combo box holds items, not controls";
    EXPECT_TRUE(is(L"v", ControlKind::Container));
    EXPECT_TRUE(is(L"t", ControlKind::Label));
    EXPECT_FALSE(is(L"l", ControlKind::Text));
    EXPECT_FALSE(is(L"p", ControlKind::Label)) << "a progress bar is no text line";
    EXPECT_FALSE(is(L"li", ControlKind::Container));
    EXPECT_TRUE(is(L"li", ControlKind::List));
    for (const wchar_t* name : {L"b", L"o", L"c", L"t", L"l", L"p", L"li", L"x", L"v"})
        EXPECT_TRUE(is(name, ControlKind::Control)) << ToUtf8(name);
}

}  // namespace
}  // namespace skin_test

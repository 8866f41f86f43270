// The binding tables against skins that lack controls or hold them as other kinds: only the
// required ones count, in table order.
#include <map>

#include "app/main_frame/control_bindings.h"
#include "tests/skin/skin_fixture.h"

namespace skin_test {

using namespace app;

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

}  // namespace
}  // namespace skin_test

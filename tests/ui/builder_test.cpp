// Building control trees from skins: fonts by index, class defaults before a control's own
// attributes, unknown elements offered to the callback, resources by id, and load failures.
#include <gtest/gtest.h>

#include "tests/ui/test_window.h"
#include "ui/combo.h"
#include "ui/dialog_builder.h"
#include "ui/label.h"
#include "ui/list.h"
#include "ui/message_loop.h"
#include "ui/resources.h"

const SkinUI::CResourceModule& TestResources();

namespace SkinUI::testing {
namespace {

class BuilderTest : public ::testing::Test {
  protected:
    void SetUp() override { headless::HeadlessBackend::Install(); }
    void TearDown() override { CPaintManagerUI::SetInstance(nullptr); }
    CPaintManagerUI manager_;
};

struct FancyCallback : IDialogBuilderCallback {
    std::vector<std::wstring> offered;
    CControlUI* CreateControl(const std::wstring& className) override {
        offered.push_back(className);
        return className == L"Fancy" ? new CTextUI() : nullptr;
    }
};

// Fonts by index, class defaults, unknown elements offered to the callback and skipped with
// their children when it declines, list headers, and combo boxes taking only list elements.
TEST_F(BuilderTest, OneSkinOfEveryKindOfElement) {
    FancyCallback callback;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(
        LR"(<Window><Font name="微软雅黑" size="12" bold="false" default="true"/>
            <Font name="微软雅黑" size="12" bold="true"/>
            <Default name="Label" value="autocalcwidth=&quot;true&quot; textcolor=&quot;#00515151&quot;"/>
            <VerticalLayout><Text name="msgbox" font="1"/>
              <Label name="Drive_text" autocalcwidth="false" width="80"/>
              <Label name="self_sizing" textcolor="#00DC143C"/>
              <Button name="not_a_label"/>
              <Mystery name="m"><Label name="inside_mystery"/></Mystery>
              <Fancy name="f" text="made by the window"/>
              <List name="listview" itemshowrowline="true" itemlinecolor="#FFE1E4E8" vscrollbar="true">
                <ListHeader height="24"><ListHeaderItem name="header_ID" text="ID" width="40"/>
                <ListHeaderItem name="Description" width="100" dragable="true" sepwidth="1"/></ListHeader>
              </List>
              <Combo name="Drive_name"><ListLabelElement text="a"/><Label text="not an item"/></Combo>
            </VerticalLayout></Window>)",
        L"xml", &callback, &manager_);
    ASSERT_NE(root, nullptr);
    manager_.AttachDialog(root);
    EXPECT_EQ(manager_.GetFontCount(), 2);
    auto* text = dynamic_cast<CTextUI*>(manager_.FindControl(L"msgbox"));
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(manager_.GetFont(text->GetFont()).bold);
    EXPECT_FALSE(manager_.GetDefaultFont().bold);
    EXPECT_FALSE(manager_.GetFont(57).bold) << "out of range: the default one";

    auto* fixed = dynamic_cast<CLabelUI*>(manager_.FindControl(L"Drive_text"));
    auto* sized = dynamic_cast<CLabelUI*>(manager_.FindControl(L"self_sizing"));
    auto* button = dynamic_cast<CLabelUI*>(manager_.FindControl(L"not_a_label"));
    ASSERT_TRUE(fixed && sized && button);
    EXPECT_FALSE(manager_.GetFont(fixed->GetFont()).bold) << "no font: the default one";
    EXPECT_FALSE(fixed->IsAutoCalcWidth());
    EXPECT_EQ(fixed->GetTextColor(), 0x00515151u);
    EXPECT_TRUE(sized->IsAutoCalcWidth());
    EXPECT_EQ(sized->GetTextColor(), 0x00DC143Cu);
    EXPECT_FALSE(button->IsAutoCalcWidth()) << "a Default applies to its own class name only";

    EXPECT_EQ(callback.offered, (std::vector<std::wstring>{L"Mystery", L"Fancy"}));
    EXPECT_EQ(manager_.FindControl(L"m"), nullptr);
    EXPECT_EQ(manager_.FindControl(L"inside_mystery"), nullptr);
    ASSERT_NE(manager_.FindControl(L"f"), nullptr);
    EXPECT_EQ(manager_.FindControl(L"f")->GetText(), L"made by the window");

    auto* list = dynamic_cast<CListUI*>(manager_.FindControl(L"listview"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetHeader()->GetCount(), 2);
    EXPECT_EQ(list->GetRowCount(), 0);
    EXPECT_TRUE(list->GetListInfo()->showRowLine);
    auto* row = new CListTextElementUI();
    list->Add(row);
    row->SetText(1, L"Read Error Rate");
    EXPECT_EQ(row->GetText(1), L"Read Error Rate");
    EXPECT_EQ(row->GetText(9), L"");
    EXPECT_EQ(list->GetRowCount(), 1);
    auto* combo = dynamic_cast<CComboUI*>(manager_.FindControl(L"Drive_name"));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->GetCount(), 1) << "only list elements are combo items";
}

TEST_F(BuilderTest, SkinsAndFilesByResourceIdAndTheirFailures) {
    CPaintManagerUI::SetInstance(&TestResources());
    CDialogBuilder builder;
    // Found by id, the type matched without regard to case.
    CControlUI* root = builder.Create(L"600", L"XML", nullptr, &manager_);
    ASSERT_NE(root, nullptr);
    manager_.AttachDialog(root);
    EXPECT_EQ(manager_.GetInitSize(), (Size{400, 300}));
    EXPECT_NE(manager_.FindControl(L"closebtn"), nullptr);

    EXPECT_EQ(builder.Create(L"601", L"xml", nullptr, &manager_), nullptr);
    EXPECT_NE(builder.GetLastError().find(L"not found"), std::wstring::npos);
    EXPECT_EQ(builder.Create(L"<Window><VerticalLayout></Window>", L"xml", nullptr, &manager_),
              nullptr);
    EXPECT_EQ(builder.GetLastError(), L"Unmatched closing tag (line 1, column 33)");
    EXPECT_EQ(builder.Create(L"<Window><Font size=\"3\"/></Window>", L"xml", nullptr, &manager_),
              nullptr);

    std::wstring deep;
    for (int i = 0; i <= CDialogBuilder::kMaxDepth + 1; ++i)
        deep += L"<VerticalLayout>";
    for (int i = 0; i <= CDialogBuilder::kMaxDepth + 1; ++i)
        deep += L"</VerticalLayout>";
    EXPECT_EQ(builder.Create(deep, L"xml", nullptr, &manager_), nullptr);

    // The embedded resources hold the files' bytes.
    auto bytes = TestResources().Find(L"600", L"xml");
    ASSERT_TRUE(bytes.has_value());
    const std::string expected = ReadTestFile("layout_skin.xml");
    EXPECT_EQ(std::string(*bytes), expected);
    EXPECT_FALSE(TestResources().Find(L"600", L"png").has_value());
    // Files named by file name are embedded as type "FILE" and found as files.
    auto embedded = LoadResourceBytes(L"embedded_layout.xml", L"");
    ASSERT_TRUE(embedded.has_value());
    EXPECT_EQ(*embedded, expected);
    EXPECT_FALSE(TestResources().Find(L"6000", L"xml").has_value());
}

using BuilderDeathTest = BuilderTest;

TEST_F(BuilderDeathTest, AWindowWhoseSkinDoesNotLoadEndsTheProgramWithCodeOne) {
    EXPECT_EXIT(
        {
            headless::HeadlessBackend::Install();
            TestWindow window(L"12345");
            window.Open();
        },
        ::testing::ExitedWithCode(1), "加载资源文件失败");
}

}  // namespace
}  // namespace SkinUI::testing

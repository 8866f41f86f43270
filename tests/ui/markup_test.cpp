#include "ui/markup.h"

#include <gtest/gtest.h>

#include <tuple>

namespace SkinUI {
namespace {

TEST(Markup, SkipsDeclarationAndCommentsAndReadsNesting) {
    CMarkup doc;
    ASSERT_TRUE(doc.LoadFromUtf8(
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- head -->\n"
        "<Window size = \"10,20\" caption=\"0,0,0,34\">\n  <!-- inside -->\n"
        "  <Font name=\"\xE5\xBE\xAE\xE8\xBD\xAF\xE9\x9B\x85\xE9\xBB\x91\" size=\"12\"/>\n"
        "  <VerticalLayout><Label text=\"a\"/><Button/></VerticalLayout>\n</Window>\n<!-- tail "
        "-->"));
    CMarkupNode root = doc.GetRoot();
    EXPECT_EQ(root.GetName(), L"Window");
    ASSERT_NE(root.GetAttributeValue(L"size"), nullptr);
    EXPECT_EQ(*root.GetAttributeValue(L"size"), L"10,20");
    EXPECT_EQ(root.GetAttributeValue(L"Size"), nullptr) << "names are case-sensitive";
    CMarkupNode font = root.GetChild();
    EXPECT_EQ(font.GetName(), L"Font");
    EXPECT_EQ(*font.GetAttributeValue(L"name"), L"微软雅黑");
    CMarkupNode layout = font.GetSibling();
    EXPECT_EQ(layout.GetName(), L"VerticalLayout");
    EXPECT_FALSE(layout.GetSibling().IsValid());
    EXPECT_EQ(layout.GetChild().GetName(), L"Label");
    EXPECT_EQ(layout.GetChild().GetSibling().GetName(), L"Button");
    EXPECT_EQ(layout.GetChild().GetParent().GetName(), L"VerticalLayout");
    EXPECT_FALSE(layout.GetChild().HasChildren());
}

TEST(Markup, DecodesTheFiveEntitiesAndNestedAttributeLists) {
    EXPECT_EQ(DecodeEntities(L"&amp;&lt;&gt;&quot;&apos;"), L"&<>\"'");
    EXPECT_EQ(DecodeEntities(L"a & b &nbsp; &amp"), L"a & b &nbsp; &amp");
    CMarkup doc;
    ASSERT_TRUE(doc.Load(L"<A v=\"x &lt;y&gt; &amp;amp;\"/>"));
    EXPECT_EQ(*doc.GetRoot().GetAttributeValue(L"v"), L"x <y> &amp;");

    ASSERT_TRUE(
        doc.Load(L"<Window><Default name=\"Label\" value=\"autocalcwidth=&quot;true&quot; "
                 L"textcolor = &quot;#00515151&quot;\"/></Window>"));
    const std::wstring* value = doc.GetRoot().GetChild().GetAttributeValue(L"value");
    ASSERT_NE(value, nullptr);
    AttributeList list;
    ASSERT_TRUE(ParseAttributeList(*value, list));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], (std::pair<std::wstring, std::wstring>{L"autocalcwidth", L"true"}));
    EXPECT_EQ(list[1], (std::pair<std::wstring, std::wstring>{L"textcolor", L"#00515151"}));
    // A broken list keeps what was read before the fault.
    list.clear();
    EXPECT_FALSE(ParseAttributeList(L"a=\"1\" b=2", list));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].second, L"1");
}

TEST(Markup, EveryErrorHasItsMessageAndLocationAndDeepNestingIsNone) {
    const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {
        {L"", L"Expected start tag", L"line 1, column 1"},
        {L"  hello", L"Expected start tag", L"line 1, column 3"},
        {L"<!-- never closed", L"Expected start tag", L"line 1, column 1"},
        {L"< A/>", L"Error parsing element name", L"line 1, column 2"},
        {L"<A>\n<>", L"Error parsing element name", L"line 2, column 2"},
        {L"<A b=\"1\"", L"Expected start-tag closing", L"line 1, column 9"},
        {L"<A/ >", L"Expected start-tag closing", L"line 1, column 4"},
        {L"<A><B/>", L"Expected end-tag start", L"line 1, column 8"},
        {L"<A><B></A>", L"Unmatched closing tag", L"line 1, column 10"},
        {L"<A></A x>", L"Unmatched closing tag", L"line 1, column 8"},
        {L"<A =\"1\"/>", L"Error while parsing attributes", L"line 1, column 4"},
        {L"<A b=\"1\"c=\"2\"/>", L"Error while parsing attributes", L"line 1, column 9"},
        // A character outside the BMP is one column, also where it takes two units.
        {L"<A b=\"\U0001F600\"c=\"2\"/>", L"Error while parsing attributes", L"line 1, column 9"},
        {L"<A b/>", L"Expected attribute value", L"line 1, column 5"},
        {L"<A b=1/>", L"Expected attribute value", L"line 1, column 6"},
        {L"<A b=\"1/>", L"Error while parsing attribute string", L"line 1, column 7"},
    };
    for (const auto& [text, message, location] : cases) {
        CMarkup doc;
        EXPECT_FALSE(doc.Load(text)) << text;
        EXPECT_EQ(doc.GetLastErrorMessage(), message) << text;
        EXPECT_EQ(doc.GetLastErrorLocation(), location) << text;
        EXPECT_FALSE(doc.GetRoot().IsValid());
    }
    // A successful load clears the previous error.
    CMarkup doc;
    EXPECT_FALSE(doc.Load(L"<A>"));
    EXPECT_TRUE(doc.Load(L"<A></A >"));
    EXPECT_TRUE(doc.GetLastErrorMessage().empty());

    // Deep nesting neither recurses nor fails.
    std::wstring text;
    for (int i = 0; i < 100000; ++i)
        text += L"<a>";
    for (int i = 0; i < 100000; ++i)
        text += L"</a>";
    ASSERT_TRUE(doc.Load(text));
    int depth = 0;
    for (CMarkupNode n = doc.GetRoot(); n.IsValid(); n = n.GetChild())
        ++depth;
    EXPECT_EQ(depth, 100000);
}

}  // namespace
}  // namespace SkinUI

#include <gtest/gtest.h>

#include "base/ui_text.h"
#include "base/utf8.h"
#include "disk/attribute_names.h"
#include "tests/support/language_scope.h"

namespace disk {

namespace {

AttributeNameTables Built() {
    AttributeNameTables tables;
    tables.BuildAttributeNameTables();
    return tables;
}

std::wstring Name(const AttributeNameTables& tables, const wchar_t* key, int id, int language) {
    LanguageScope scope(language);
    return tables.GetAttributeName(key, id);
}

TEST(AttributeNames, FamiliesNameTheirIdsInBothLanguages) {
    const AttributeNameTables tables = Built();
    EXPECT_EQ(Name(tables, L"Smart", 0xC2, 0), L"Temperature");
    EXPECT_EQ(Name(tables, L"Smart", 0xC2, 1), L"温度");
}

TEST(AttributeNames, UnknownFamiliesAndMissingIdsAreVendorSpecific) {
    const AttributeNameTables tables = Built();
    for (int language : {0, 1}) {
        const std::wstring vendorSpecific = language ? L"厂商特定项目" : L"Vendor Specific";
        EXPECT_EQ(Name(tables, L"SmartKingston", 0xC2, language), vendorSpecific);
        EXPECT_EQ(Name(tables, L"SmartIntel", 0x01, language), vendorSpecific);
        EXPECT_EQ(Name(tables, L"smartintel", 0x09, language), vendorSpecific);
        EXPECT_EQ(Name(tables, L"", 0x09, language), vendorSpecific);
        EXPECT_EQ(Name(tables, L"Smart", 0, language), vendorSpecific);
        EXPECT_EQ(Name(tables, L"Smart", -1, language), vendorSpecific);
        EXPECT_EQ(Name(tables, L"Smart", 256, language), vendorSpecific);
    }
    const AttributeNameTables unbuilt;
    EXPECT_EQ(Name(unbuilt, L"Smart", 0xC2, 0), L"Vendor Specific");
}

// Every row of every family is found again by its key and id, in both languages.
TEST(AttributeNames, EveryRowIsFoundByItsFamilyAndId) {
    const AttributeNameTables tables = Built();
    for (const AttributeNameFamily& family : kAttributeNameFamilies) {
        SCOPED_TRACE(ToUtf8(family.key));
        EXPECT_FALSE(family.rows.empty());
        size_t namedEnglish = 0, namedChinese = 0;
        for (int id = 0; id < 256; ++id) {
            namedEnglish += Name(tables, family.key, id, 0) != L"Vendor Specific";
            namedChinese += Name(tables, family.key, id, 1) != L"厂商特定项目";
        }
        EXPECT_EQ(namedEnglish, family.rows.size());
        EXPECT_EQ(namedChinese, family.rows.size());
    }
}

}  // namespace

}  // namespace disk

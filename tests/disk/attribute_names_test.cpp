#include <gtest/gtest.h>

#include "base/ui_text.h"
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

}  // namespace

}  // namespace disk

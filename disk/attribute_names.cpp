#include "disk/attribute_names.h"

#include "base/ui_text.h"

namespace disk {

namespace {

constexpr int kVendorSpecificText = 46;

}  // namespace

void AttributeNameTables::BuildAttributeNameTables() {
    for (size_t family = 0; family < kAttributeNameFamilyCount; ++family) {
        Table& english = tables_[2 * family];
        Table& chinese = tables_[2 * family + 1];
        for (const AttributeNameRow& row : kAttributeNameFamilies[family].rows) {
            english[row.id] = row.english;
            chinese[row.id] = row.chinese;
        }
    }
    built_ = true;
}

std::wstring AttributeNameTables::GetAttributeName(const std::wstring& smartKeyName, int id) const {
    if (built_ && id >= 0 && id < 256) {
        for (size_t family = 0; family < kAttributeNameFamilyCount; ++family) {
            if (smartKeyName != kAttributeNameFamilies[family].key) continue;
            const std::wstring& name = tables_[2 * family + (LanguageFlag == 1 ? 1 : 0)][id];
            if (!name.empty()) return name;
            break;
        }
    }
    return GetUiText(kVendorSpecificText);
}

}  // namespace disk

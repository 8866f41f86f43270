// The built-in SMART attribute names: one table per controller family (the drive's
// SmartKeyName), each row naming one attribute id in English and in Chinese.
#pragma once

#include <cstddef>
#include <span>

namespace disk {

struct AttributeNameRow {
    unsigned char id;
    const wchar_t* english;
    const wchar_t* chinese;
};

struct AttributeNameFamily {
    const wchar_t* key;
    std::span<const AttributeNameRow> rows;
};

inline constexpr size_t kAttributeNameFamilyCount = 18;
extern const AttributeNameFamily kAttributeNameFamilies[kAttributeNameFamilyCount];

}  // namespace disk

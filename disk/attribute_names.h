// SMART attribute names for the S.M.A.R.T. page, by controller family and interface language.
#pragma once

#include <array>
#include <string>

#include "disk/attribute_name_data.h"

namespace disk {

class AttributeNameTables {
  public:
    // Fills an English and a Chinese table of 256 names for every family. Until then every
    // lookup gives the "Vendor Specific" text.
    void BuildAttributeNameTables();

    // The name of attribute `id` for a drive of family `smartKeyName` (matched exactly, case
    // included) in the current language; "Vendor Specific" when the family has no table or
    // the table no name for the id.
    std::wstring GetAttributeName(const std::wstring& smartKeyName, int id) const;

  private:
    using Table = std::array<std::wstring, 256>;
    // For each family: its English table, then its Chinese one.
    std::array<Table, 2 * kAttributeNameFamilyCount> tables_;
    bool built_ = false;
};

}  // namespace disk

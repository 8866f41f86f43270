// The controller family of an ATA drive, told from its model text and the order of its SMART
// attribute ids. The family picks the vendor readings of the raw values, the attribute name
// table and a two-letter code.
#pragma once

#include <cstdint>
#include <string>

#include "disk/drive_record.h"

namespace disk {

// DriveRecord::VendorId. 1 is not used.
inline constexpr int32_t VENDOR_NONE = 0;
inline constexpr int32_t VENDOR_MTRON = 2;
inline constexpr int32_t VENDOR_INDILINX = 3;
inline constexpr int32_t VENDOR_JMICRON = 4;
inline constexpr int32_t VENDOR_INTEL = 5;
inline constexpr int32_t VENDOR_SAMSUNG = 6;
inline constexpr int32_t VENDOR_SANDFORCE = 7;
inline constexpr int32_t VENDOR_MICRON = 8;
inline constexpr int32_t VENDOR_OCZ = 9;
inline constexpr int32_t VENDOR_ST = 10;
inline constexpr int32_t VENDOR_WDC = 11;
inline constexpr int32_t VENDOR_PLEXTOR = 12;
inline constexpr int32_t VENDOR_SANDISK = 13;
inline constexpr int32_t VENDOR_OCZ_VECTOR = 14;
inline constexpr int32_t VENDOR_TOSHIBA = 15;
inline constexpr int32_t VENDOR_CORSAIR = 16;
inline constexpr int32_t VENDOR_KINGSTON = 17;
inline constexpr int32_t VENDOR_MICRON_MU02 = 18;
inline constexpr int32_t VENDOR_NVME = 19;
inline constexpr int32_t VENDOR_COUNT = 20;

// DriveRecord::VendorVariant of the drives whose write counters already count gigabytes.
inline constexpr int32_t VENDOR_VARIANT_GB = 3;

// The two-letter code of a family ("sg", "il", ...); empty for VENDOR_NONE and for values
// outside the table.
std::wstring VendorCodeOf(int32_t vendorId);

// Decides VendorId, SmartKeyName, VendorCode and VendorVariant from record.Model and the parsed
// attribute table, raises IsSsd, IsJMicron60xOrIndilinx and IsSandForce where the family calls
// for it, and then reads the family's own attributes again with the new vendor.
void ClassifyVendor(DriveRecord& record);

}  // namespace disk

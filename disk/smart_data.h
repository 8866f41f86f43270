// Parsing the SMART data and threshold pages into a drive record: the attribute table with its
// empty slots squeezed out, the thresholds by position, and the headline values the raw
// counters give (temperature, power-on time and count, life, host and NAND writes).
#pragma once

#include <cstdint>

#include "disk/drive_record.h"

namespace disk {

// Parses record.SmartReadData into Attribute / AttributeCount and the derived values, reading
// the vendor attributes with the current record.VendorId. False when no entry has an id.
bool FillSmartData(DriveRecord& record);

// Fills Threshold from record.SmartReadThreshold by matching ids with the parsed attributes.
// A Micron drive whose threshold page matches nothing takes its thresholds from the vendor
// byte of each attribute instead. False when nothing matched.
bool FillSmartThreshold(DriveRecord& record);

// True when the attribute ids of the two records agree position by position, up to the first
// record's AttributeCount; logs the first difference.
bool CheckSmartAttributeCorrect(const DriveRecord& first, const DriveRecord& second);

// Reads one attribute's vendor-specific value (life, writes, reads, erase and wear counters)
// into the record with the record's current VendorId; ids without such a reading change
// nothing.
void ApplyVendorReading(const SmartAttribute& attribute, DriveRecord& record);

// The raw counter: bytes 0-3 as a 32-bit number, and all six bytes as a 48-bit one.
uint32_t RawValue32(const SmartAttribute& attribute);
uint64_t RawValue48(const SmartAttribute& attribute);

// A power-on counter in the given TIME_UNIT_ converted to hours; unit codes beyond the table
// leave the value as it is.
int32_t ConvertPowerOnTime(int64_t value, int32_t timeUnitType);

// The counter value at which the adjusted-hours counters of some drives start.
inline constexpr int32_t kPowerOnHoursOffset = 0xDA753;

}  // namespace disk

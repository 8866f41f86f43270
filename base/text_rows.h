// Rows of the interface text table that the pages and the command line name, so that each
// row number is written once.
#pragma once

namespace text_rows {

inline constexpr int kSerialLabel = 2;
inline constexpr int kFirmwareLabel = 4;
inline constexpr int kUnallocatedLabel = 5;
inline constexpr int kFreeLabel = 6;
inline constexpr int kUsedLabel = 7;
inline constexpr int kSourceDiskLabel = 11;
inline constexpr int kOsVersionLabel = 12;
inline constexpr int kOsDriveLabel = 13;
inline constexpr int kDriveLabel = 14;  // in front of the drive selector
inline constexpr int kTargetDiskLabel = 15;
inline constexpr int kIdleStatus = 16;  // "Data migration"
inline constexpr int kUsedTimeLabel = 17;
inline constexpr int kRemainTimeLabel = 18;
inline constexpr int kStartButton = 19;
inline constexpr int kCancelButton = 20;
inline constexpr int kDiskInfoTab = 66;
inline constexpr int kSmartTab = 67;
inline constexpr int kMigrationTab = 68;
inline constexpr int kSmartHeaderFirst = 69;  // "Description" to "Status", six rows
inline constexpr int kControlsMissing = 75;   // "Control initialization failed"
inline constexpr int kBitsSuffix = 84;
inline constexpr int kAboutText = 85;
inline constexpr int kCapacityLabel = 90;
inline constexpr int kDriveLetterLabel = 93;
inline constexpr int kTransferModeLabel = 94;
inline constexpr int kPowerOnCountLabel = 95;
inline constexpr int kPowerOnTimeLabel = 96;
inline constexpr int kAhciLabel = 98;
inline constexpr int kAhciOn = 101;
inline constexpr int kAhciOff = 102;
inline constexpr int kTimesUnit = 103;
inline constexpr int kHoursUnit = 104;
inline constexpr int kTransferModeTooltip = 105;
inline constexpr int kNoVolumes = 106;
inline constexpr int kInterfaceLabel = 107;

}  // namespace text_rows

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "disk/drive_codes.h"
#include "disk/drive_record.h"

namespace disk {

using enum CommandType;

TEST(DriveRecord, FreshRecordHoldsTheUnknownValues) {
    const DriveRecord r;
    EXPECT_TRUE(std::all_of(r.IdentifyDevice.begin(), r.IdentifyDevice.end(),
                            [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(std::all_of(r.SmartReadData.begin(), r.SmartReadData.end(),
                            [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(r.Attribute[29].Id, 0);
    EXPECT_EQ(r.Threshold[29].ThresholdValue, 0);
    EXPECT_EQ(r.PowerOnRawValue, -1);
    EXPECT_EQ(r.PowerOnHours, -1);
    EXPECT_EQ(r.DetectedPowerOnHours, -1);
    EXPECT_EQ(r.Life, -1);
    EXPECT_EQ(r.HostWrites, -1);
    EXPECT_EQ(r.HostReads, -1);
    EXPECT_EQ(r.NandWrites, -1);
    EXPECT_EQ(r.GBytesErased, -1);
    EXPECT_EQ(r.WearLevelingCount, -1);
    EXPECT_EQ(r.Temperature, -1000);
    EXPECT_EQ(r.PowerOnCount, 0);
    EXPECT_EQ(r.AttributeCount, 0u);
    EXPECT_EQ(r.TemperatureMultiplier, 1.0);
    EXPECT_EQ(r.TimeUnitType, TIME_UNIT_UNKNOWN);
    EXPECT_EQ(r.Address.physicalDriveId, -1);
    EXPECT_EQ(r.Address.scsiPort, -1);
    EXPECT_EQ(r.TotalDiskSize, 0.0);
    EXPECT_EQ(r.CautionLimit05 | r.CautionLimitC5 | r.CautionLimitC6 | r.LifeCautionLimit, 0);
    EXPECT_FALSE(r.IsSsd || r.IsAligned4K || r.SmartDataValid);
    EXPECT_TRUE(r.Model.empty() && r.CommandTypeTag.empty());
    EXPECT_EQ(r.Volumes[25].Letter, 0);
    // The caution limits are fields of their own, not views of the USB ids.
    DriveRecord changed;
    changed.UsbVendorId = 0x152D;
    changed.UsbProductId = 0x2329;
    EXPECT_EQ(changed.CautionLimit05 | changed.CautionLimitC5, 0);
}

TEST(DriveRecord, SmartEntriesMapTheWireBytes) {
    const uint8_t wire[12] = {0x09, 0x32, 0x00, 0x63, 0x62, 0x10,
                              0x20, 0x30, 0x40, 0x50, 0x60, 0x7A};
    SmartAttribute attribute;
    std::memcpy(&attribute, wire, sizeof attribute);
    EXPECT_EQ(attribute.Id, 0x09);
    // Read by value: a reference to a packed member would be misaligned.
    EXPECT_EQ(uint16_t{attribute.StatusFlags}, 0x0032);
    EXPECT_EQ(attribute.CurrentValue, 0x63);
    EXPECT_EQ(attribute.WorstValue, 0x62);
    EXPECT_EQ(attribute.RawValue[0], 0x10);
    EXPECT_EQ(attribute.RawValue[5], 0x60);
    EXPECT_EQ(attribute.Reserved, 0x7A);
    SmartThreshold threshold;
    std::memcpy(&threshold, wire, sizeof threshold);
    EXPECT_EQ(threshold.Id, 0x09);
    EXPECT_EQ(threshold.ThresholdValue, 0x32);
    EXPECT_EQ(threshold.Reserved[9], 0x7A);
}

TEST(CommandType, TagsNumberTheDeviceOnBridgeRoutes) {
    EXPECT_EQ(FormatCommandTypeTag(CMD_TYPE_PHYSICAL_DRIVE, TARGET_FIRST_DEVICE), L"pd1");
    EXPECT_EQ(FormatCommandTypeTag(CMD_TYPE_PHYSICAL_DRIVE, TARGET_SECOND_DEVICE), L"pd2");
    EXPECT_EQ(FormatCommandTypeTag(CMD_TYPE_SAT, TARGET_SECOND_DEVICE), L"sa2");
    EXPECT_EQ(FormatCommandTypeTag(CMD_TYPE_SUNPLUS, 0x00), L"sp1");
    EXPECT_EQ(FormatCommandTypeTag(CMD_TYPE_IO_DATA, 0xA0), L"io1");
    EXPECT_EQ(FormatCommandTypeTag(CMD_TYPE_LOGITEC1, 0xB0), L"l12");
    EXPECT_EQ(FormatCommandTypeTag(CMD_TYPE_LOGITEC2, 0xA0), L"l21");
    EXPECT_EQ(FormatCommandTypeTag(CMD_TYPE_JMICRON, 0xB0), L"jm2");
    EXPECT_EQ(FormatCommandTypeTag(CMD_TYPE_CYPRESS, 0xB1), L"cy1");
    EXPECT_EQ(FormatCommandTypeTag(CommandType{11}, 0xB0), L"pr2");
    // The other routes address no device by a select byte.
    EXPECT_EQ(FormatCommandTypeTag(CMD_TYPE_UNKNOWN, 0xB0), L"un");
    EXPECT_EQ(FormatCommandTypeTag(CMD_TYPE_SCSI_MINIPORT, 0xB0), L"sm");
    EXPECT_EQ(FormatCommandTypeTag(CMD_TYPE_SILICON_IMAGE, 0xA0), L"si");
    EXPECT_EQ(FormatCommandTypeTag(CMD_TYPE_CSMI, 0xA0), L"cs");
    EXPECT_EQ(FormatCommandTypeTag(CMD_TYPE_CSMI_PHYSICAL_DRIVE, 0xA0), L"cp");
    EXPECT_EQ(FormatCommandTypeTag(CMD_TYPE_WMI, 0xB0), L"wm");
    EXPECT_EQ(FormatCommandTypeTag(CMD_TYPE_NVME_SAMSUNG, 0xA0), L"ns");
    EXPECT_EQ(FormatCommandTypeTag(CMD_TYPE_NVME_INTEL, 0xA0), L"ni");
    EXPECT_EQ(FormatCommandTypeTag(CMD_TYPE_NVME_STORAGE_QUERY, 0xB0), L"sq");
    // A value outside the table is an unknown route, not a read past it.
    EXPECT_EQ(FormatCommandTypeTag(CommandType{18}, 0xB0), L"un");
    EXPECT_EQ(FormatCommandTypeTag(CommandType{-1}, 0xA0), L"un");
    EXPECT_EQ(CommandTypeCode(CMD_TYPE_SAT), L"sa");
    EXPECT_EQ(CommandTypeCode(CommandType{1000}), L"un");
}

TEST(DriveList, AppendsUpToFortyAndRemovesByShifting) {
    auto list = std::make_unique<DriveList>();
    EXPECT_EQ(list->Count(), 0);
    DriveRecord record;
    for (int32_t i = 0; i < DriveList::kCapacity; ++i) {
        record.Address.physicalDriveId = i;
        EXPECT_TRUE(list->Append(record));
    }
    EXPECT_TRUE(list->IsFull());
    record.Address.physicalDriveId = 99;
    EXPECT_FALSE(list->Append(record));
    EXPECT_EQ(list->Count(), 40);
    EXPECT_EQ((*list)[39].Address.physicalDriveId, 39);

    EXPECT_TRUE(list->RemoveAt(0));
    EXPECT_TRUE(list->RemoveAt(10));  // the record that came with 11
    EXPECT_EQ(list->Count(), 38);
    EXPECT_EQ((*list)[0].Address.physicalDriveId, 1);
    EXPECT_EQ((*list)[9].Address.physicalDriveId, 10);
    EXPECT_EQ((*list)[10].Address.physicalDriveId, 12);
    EXPECT_EQ(list->Records().back().Address.physicalDriveId, 39);
    EXPECT_FALSE(list->RemoveAt(38));
    EXPECT_FALSE(list->RemoveAt(-1));
    EXPECT_EQ(list->Count(), 38);
    EXPECT_TRUE(list->RemoveAt(37));
    EXPECT_EQ(list->Records().back().Address.physicalDriveId, 38);
}

TEST(DriveList, ClearEmptiesBothSetsOfSlots) {
    auto list = std::make_unique<DriveList>();
    DriveRecord record;
    record.Model = L"OLD";
    record.Address.physicalDriveId = 3;
    list->Append(record);
    list->Spare()[5] = record;
    list->Clear();
    EXPECT_EQ(list->Count(), 0);
    EXPECT_TRUE(list->Records().empty());
    EXPECT_TRUE(list->Spare()[5].Model.empty());
    EXPECT_EQ(list->Spare()[5].Address.physicalDriveId, -1);
}

}  // namespace disk

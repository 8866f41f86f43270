#include <gtest/gtest.h>

#include <memory>

#include "disk/drive_codes.h"
#include "disk/drive_record.h"

namespace disk {

using enum CommandType;

// The tags of the other routes are checked with the records that carry them.
TEST(CommandType, TagsNumberTheDeviceOnBridgeRoutes) {
    EXPECT_EQ(FormatCommandTypeTag(CMD_TYPE_PHYSICAL_DRIVE, TARGET_SECOND_DEVICE), L"pd2");
    EXPECT_EQ(FormatCommandTypeTag(CMD_TYPE_SUNPLUS, 0x00), L"sp1");
    EXPECT_EQ(FormatCommandTypeTag(CMD_TYPE_LOGITEC1, 0xB0), L"l12");
    EXPECT_EQ(FormatCommandTypeTag(CMD_TYPE_CYPRESS, 0xB1), L"cy1");
    // The other routes address no device by a select byte.
    EXPECT_EQ(FormatCommandTypeTag(CMD_TYPE_UNKNOWN, 0xB0), L"un");
    EXPECT_EQ(FormatCommandTypeTag(CMD_TYPE_SCSI_MINIPORT, 0xB0), L"sm");
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
    EXPECT_FALSE(list->Append(record));

    EXPECT_TRUE(list->RemoveAt(0));
    EXPECT_TRUE(list->RemoveAt(10));  // the record that came with 11
    EXPECT_EQ(list->Count(), 38);
    EXPECT_EQ((*list)[10].Address.physicalDriveId, 12);
    EXPECT_EQ(list->Records().back().Address.physicalDriveId, 39);
    EXPECT_FALSE(list->RemoveAt(38));
    EXPECT_FALSE(list->RemoveAt(-1));
    EXPECT_EQ(list->Count(), 38);
    EXPECT_TRUE(list->RemoveAt(37));
    EXPECT_EQ(list->Records().back().Address.physicalDriveId, 38);
}

}  // namespace disk

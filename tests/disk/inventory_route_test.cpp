#include <gtest/gtest.h>

#include "disk/route_table.h"
#include "tests/disk/inventory_fixture.h"

namespace disk {

using enum CommandType;
using enum InterfaceType;

namespace {

class InventoryRouteTest : public InventoryTest {};

TEST_F(InventoryRouteTest, NvmeRoutesAreTriedInOrderBeforeTheBridges) {
    Json nvme = AtaDrive(0, "Orvel NVMe", "NV0");
    nvme.erase("identify");
    nvme.erase("smart");
    nvme["route"] = "nvme-storage-query";
    nvme["nvme"] = {{"model", "Orvel NVMe P5"}, {"serial", "NV0"}, {"firmware", "P5N1"}};
    // A drive that answers none of the routes, so that every one is tried.
    nvme["faults"] = {{"gone", true}};
    Machine(MachineOf(Json::array({nvme})));
    LogWatch watch;
    EXPECT_FALSE(
        Engine().GetDiskInfo({.physicalDriveId = 0}, {.interfaceType = INTERFACE_TYPE_NVME}));
    EXPECT_EQ(watch.Messages(), (LogLines{"GetDiskInfo", "DoIdentifyDeviceNVMeStorageQuery",
                                          "DoIdentifyDeviceNVMeSamsung",
                                          "DoIdentifyDeviceNVMeIntel", "else (USB-HDD)"}));
}

TEST_F(InventoryRouteTest, AtaDisksFallBackToTheScsiMiniportOnlyWhereItHelps) {
    Json gone = AtaDrive(0, "Orvel Gone", "GONE0");
    gone["faults"] = {{"gone", true}};
    Machine(MachineOf(Json::array({gone})));
    LogWatch watch;
    EXPECT_FALSE(Engine().GetDiskInfo(
        {.physicalDriveId = 0, .scsiPort = 1, .scsiTargetId = 2, .scsiBus = 0}, {}));
    LogLines lines = watch.Messages();
    EXPECT_TRUE(InOrder(
        lines, {"DoIdentifyDevicePd(0, 0xA0) - 1", "WakeUp(0)", "DoIdentifyDevicePd(0, 0xA0) - 2",
                "DoIdentifyDevicePd(0, 0xB0) - 3", "DoIdentifyDeviceScsi(1, 2) - 4"}));
    EXPECT_EQ(lines.back(), "DoIdentifyDeviceScsi(1, 2) - 4");

    // Without a drive number only the SCSI address can reach the disk.
    LogWatch scsi;
    const DriveAddress portOnly{.scsiPort = 3, .scsiTargetId = 4, .scsiBus = 0};
    EXPECT_FALSE(Engine().GetDiskInfo(portOnly, {.interfaceType = INTERFACE_TYPE_SATA,
                                                 .nvidiaControllerFound = true,
                                                 .marvellControllerFound = true}));
    EXPECT_EQ(scsi.Messages(), (LogLines{"GetDiskInfo", "DoIdentifyDeviceScsi(3, 4) - 7"}));
    LogWatch bridge;
    EXPECT_FALSE(Engine().GetDiskInfo(portOnly, {.interfaceType = INTERFACE_TYPE_USB}));
    EXPECT_EQ(bridge.Messages(), (LogLines{"GetDiskInfo"}));
}

TEST(RouteTableTest, OnlyBuiltRoutesAnswer) {
    // The physical drive route is built; routes that are not stay silent rather than pretend.
    EXPECT_NE(RouteOf(CMD_TYPE_PHYSICAL_DRIVE).openAta, nullptr);
    EXPECT_EQ(RouteOf(CMD_TYPE_PHYSICAL_DRIVE).smartRead, &kPhysicalDriveSmartRead);
    // Values no route has, as a corrupt record could hold them.
    const CommandType unassigned{11}, pastTable{static_cast<int32_t>(kCommandTypeCount)},
        negative{-1}, large{1000};
    for (const CommandType type : {CMD_TYPE_UNKNOWN, unassigned, pastTable, negative, large})
        EXPECT_EQ(RouteOf(type).openAta, nullptr) << ToUnderlying(type);
    DriveRecord record;
    for (const CommandType type : {CMD_TYPE_UNKNOWN, unassigned, CMD_TYPE_NVME_STORAGE_QUERY}) {
        record.CommandType = type;
        EXPECT_FALSE(ReadSmartThroughRoute({}, record)) << ToUnderlying(type);
    }
    AtaPage identify;
    identify.fill(0xEE);
    EXPECT_FALSE(IdentifyThroughRoute(unassigned, {}, {}, identify));
}

}  // namespace

}  // namespace disk

#include <gtest/gtest.h>

#include "disk/route_table.h"
#include "tests/disk/inventory_fixture.h"

namespace disk {

using enum CommandType;
using enum InterfaceType;

namespace {

class InventoryRouteTest : public InventoryTest {
  protected:
    // The log of one probe of physical drive 0 as an NVMe disk.
    LogLines ProbeNvme() {
        LogWatch watch;
        EXPECT_FALSE(Engine().GetDiskInfo({.physicalDriveId = 0,
                                           .scsiPort = 2,
                                           .scsiTargetId = 0,
                                           .scsiBus = 0,
                                           .pnpDeviceId = L"USBSTOR\\DISK"},
                                          {.interfaceType = INTERFACE_TYPE_NVME}));
        return watch.Messages();
    }
};

TEST_F(InventoryRouteTest, EnclosureIdsComeFromTheControllerMapInAnInventory) {
    const auto enclosure = [](int pd, const std::string& name, const std::string& vidPid) {
        Json drive =
            AtaDrive(pd, "Orvel Enclosed " + std::to_string(pd), "ENC" + std::to_string(pd));
        // A bridge neither vendor branch tries.
        drive["route"] = "cypress";
        drive["usb"] = {{"vid", "0x" + vidPid.substr(4, 4)}, {"pid", "0x" + vidPid.substr(13, 4)}};
        return WithWmi(drive, WmiView(pd, name, "USBSTOR\\DISK&ENC" + std::to_string(pd) + "\\1&0",
                                      "USB", "External hard disk media"));
    };
    const Json controllers = Json::array(
        {{{"class", "USB"},
          {"name", "USB 3.0 Host Controller"},
          {"deviceId", "PCI\\VEN_8086\\1"},
          {"devices",
           Json::array({
               {{"deviceId", "USB\\VID_04BB&PID_0122\\A1"}},
               {{"deviceId", "USBSTOR\\DISK&ENC0\\1&0"}, {"name", "I-O DATA HDC-U USB Device"}},
               {{"deviceId", "USB\\VID_0789&PID_00D9\\B2"}},
               {{"deviceId", "USBSTOR\\DISK&ENC1\\1&0"}, {"name", "Logitec LHR USB Device"}},
           })}}});
    const LogLines lines = Inventory(
        MachineOf(Json::array({enclosure(0, "I-O DATA HDC-U USB Device", "VID_04BB&PID_0122"),
                               enclosure(1, "Logitec LHR USB Device", "VID_0789&PID_00D9")}),
                  controllers));
    EXPECT_TRUE(Consecutive(
        lines, {"usbVendorId=04BB, usbProductId=0122", "flagTarget && GetDiskInfo", "GetDiskInfo",
                "(usbVendorId == USB_VENDOR_IO_DATA && productId == 0x0122) || usbVendorId == "
                "USB_VENDOR_JMICRON",
                "FALSE - USB0"}));
    EXPECT_TRUE(Consecutive(
        lines, {"usbVendorId=0789, usbProductId=00D9", "flagTarget && GetDiskInfo", "GetDiskInfo",
                "FALSE: usbVendorId == USB_VENDOR_LOGITEC && productId == 0x00D9"}));
}

TEST_F(InventoryRouteTest, NvmeRoutesAreTriedInOrderBeforeTheBridges) {
    Json nvme = AtaDrive(0, "Orvel NVMe", "NV0");
    nvme.erase("identify");
    nvme.erase("smart");
    nvme["route"] = "nvme-storage-query";
    nvme["nvme"] = {{"model", "Orvel NVMe P5"}, {"serial", "NV0"}, {"firmware", "P5N1"}};
    // A drive that answers none of the routes, so that every one is tried.
    nvme["faults"] = {{"gone", true}};
    Json machine = MachineOf(Json::array({nvme}));
    Machine(machine);
    EXPECT_EQ(ProbeNvme(), (LogLines{"GetDiskInfo", "DoIdentifyDeviceNVMeStorageQuery",
                                     "DoIdentifyDeviceNVMeSamsung", "DoIdentifyDeviceNVMeIntel",
                                     "else (USB-HDD)"}));
    // Before Windows 10 there is no storage query.
    machine["os"] = {{"major", 6}, {"minor", 1}};
    Machine(machine);
    EXPECT_EQ(ProbeNvme(), (LogLines{"GetDiskInfo", "DoIdentifyDeviceNVMeSamsung",
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

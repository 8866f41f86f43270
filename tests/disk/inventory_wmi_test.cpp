#include <gtest/gtest.h>

#include "disk/disk_identity_rules.h"
#include "disk/identify.h"
#include "disk/wmi_disk.h"
#include "tests/disk/identify_builder.h"
#include "tests/disk/inventory_fixture.h"

namespace disk {

using enum CommandType;
using enum InterfaceType;

namespace {

class InventoryWmiTest : public InventoryTest {};

TEST_F(InventoryWmiTest, WithoutManagementTheDirectPassStillFindsDisksAndLetters) {
    // Two ATA disks, each with a fixed volume.
    Json first = WithWmi(AtaDrive(0, "Orvel SSD W0", "W0SERIAL"),
                         WmiView(0, "Orvel SSD W0", "SCSI\\DISK&VEN_&PROD_W0\\4&1&0&000000"));
    first["layout"] = WholeDiskLayout();
    Json second = WithWmi(AtaDrive(1, "Orvel SSD W1", "W1SERIAL"),
                          WmiView(1, "Orvel SSD W1", "SCSI\\DISK&VEN_&PROD_W1\\4&1&0&010000"));
    second["layout"] = WholeDiskLayout();
    const Json twoDisks = MachineOf(Json::array({first, second}), Json::array(),
                                    Json::array({Volume("C", Json::array({Extent(0, 0)})),
                                                 Volume("E", Json::array({Extent(1, 0)}))}));
    struct Case {
        const char* winmgmt;
        const char* wmi;
        std::vector<std::string> steps;  // in this order; the last one right before the direct pass
    };
    const Case cases[] = {
        // A service that comes up in the short wait goes on to the connection.
        {"startable",
         "locator-fails",
         {"CAtaSmart::Init WMI on - Start", "Waiting... Winmgmt", "CoInitializeSecurity()",
          "CoCreateInstance()", "NG:WMI Init 1"}},
        {"disabled", "ok", {"Waiting... Winmgmt", "StartService - 1", "NG:WMI Init 3"}},
        {"running", "connect-fails", {"CoCreateInstance()", "ConnectServer()"}},
        {"running",
         "blanket-fails",
         {"ConnectServer()", "CoSetProxyBlanket()", "NG:WMI Init - 80070005"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.winmgmt) + " / " + c.wmi);
        Json machine = twoDisks;
        machine["os"]["winmgmt"] = c.winmgmt;
        machine["os"]["scConfigWorks"] = false;
        machine["os"]["wmi"] = c.wmi;
        const LogLines lines = Inventory(machine);
        EXPECT_TRUE(InOrder(lines, c.steps));
        EXPECT_TRUE(Consecutive(lines, {c.steps.back(), "USB-HDD Check"}));
        EXPECT_FALSE(Engine().WmiAvailable);
        // No disk pass: the records carry no management view.
        EXPECT_FALSE(Has(lines, "DO:SELECT * FROM Win32_DiskDrive"));
        ASSERT_EQ(Engine().vars.Count(), 2);
        EXPECT_EQ(Drive(1)->WmiModel, L"");
        EXPECT_EQ(
            std::tuple(Drive(0)->DriveLetters, Drive(1)->DriveLetters, Drive(1)->DriveLetterMap),
            std::tuple(L"C:", L"E:", 1u << 4));
    }
}

TEST(WmiDiskTest, DriveNumberComesFromTheEndOfTheDeviceId) {
    EXPECT_EQ(PhysicalDriveOfDeviceId(L"\\\\.\\PHYSICALDRIVE05"), 5);
    EXPECT_EQ(PhysicalDriveOfDeviceId(L"\\\\.\\PHYSICALDRIVE123"), 23);
    EXPECT_EQ(PhysicalDriveOfDeviceId(L"7"), 7);
    // An id without a number names no drive; it must not alias drive 0.
    EXPECT_EQ(PhysicalDriveOfDeviceId(L"\\\\.\\PHYSICALDRIVE"), -1);
    EXPECT_EQ(PhysicalDriveOfDeviceId(L""), -1);
}

TEST_F(InventoryWmiTest, RemovableUsbMediaAreProbedOnlyForTwoModels) {
    const auto usbDisk = [](int pd, const std::string& model) {
        return WithWmi(AtaDrive(pd, model, "RM" + std::to_string(pd)),
                       WmiView(pd, model + " USB Device", "USBSTOR\\DISK&RM" + std::to_string(pd),
                               "USB", "Removable Media"));
    };
    Json ataRemovable =
        WithWmi(AtaDrive(3, "Orvel CF Card", "CF03"),
                WmiView(3, "Orvel CF Card", "IDE\\DISK&CF\\1", "IDE", "Removable Media"));
    // A removable volume on the ATA disk counts once one of the two models was seen.
    ataRemovable["layout"] = WholeDiskLayout();
    Json machine = MachineOf(
        Json::array({usbDisk(0, "Generic Flash"), usbDisk(1, "SanDisk Extreme"), ataRemovable}),
        Json::array(), Json::array({Volume("G", Json::array({Extent(3, 0)}), "removable")}));
    const LogLines lines = Inventory(machine);

    const auto probed = [&](int pd) {
        const std::string line = "DO:GetDiskInfo pd=" + std::to_string(pd) +
                                 ", sp=0, st=" + std::to_string(pd) + ", mt=removable media";
        return Consecutive(
            lines, {line, "INTERFACE_TYPE_USB", "flagTarget && GetDiskInfo", "GetDiskInfo"});
    };
    EXPECT_FALSE(probed(0));
    EXPECT_TRUE(probed(1));
    // Neither USB, IEEE 1394, NVMe nor UASP: probed whatever the media type says.
    EXPECT_TRUE(Consecutive(lines, {"DO:GetDiskInfo pd=3, sp=0, st=3, mt=removable media",
                                    "flagTarget && GetDiskInfo", "GetDiskInfo"}));
    ASSERT_NE(Drive(3), nullptr);
    EXPECT_EQ(Drive(3)->WmiModel, L"Orvel CF Card");
    EXPECT_EQ(Drive(3)->DriveLetters, L"G:");

    // Without the two models the removable volume is not mapped.
    machine["drives"].erase(1);
    const LogLines without = Inventory(machine);
    ASSERT_NE(Drive(3), nullptr);
    EXPECT_EQ(Drive(3)->DriveLetters, L"");
    EXPECT_TRUE(Consecutive(without, {"G:\\", "Drive Letter Mapping - != DRIVE_FIXED"}));
}

TEST_F(InventoryWmiTest, OldSamsungFirmwareIsNeverListed) {
    const auto samsung = [](int pd, const std::string& firmware) {
        return WithWmi(
            AtaDrive(pd, "SAMSUNG HD204UI", "S2H7J9" + std::to_string(pd), firmware),
            WmiView(pd, "SAMSUNG HD204UI ATA Device", "IDE\\DISKSAMSUNG\\" + std::to_string(pd)));
    };
    Json machine = MachineOf(
        Json::array({samsung(0, "1AQ10001"), samsung(1, "1AQ10003"), samsung(2, "2AQ10003")}));
    for (Json& drive : machine["drives"])
        drive["wmi"]["FirmwareRevision"] = drive["identify"]["firmware"];
    const LogLines lines = Inventory(machine);
    EXPECT_EQ(Engine().vars.Count(), 1);
    EXPECT_NE(Drive(1), nullptr);
    EXPECT_TRUE(Consecutive(lines, {"DO:GetDiskInfo pd=0, sp=0, st=0, mt=fixed hard disk media",
                                    "flagTarget && GetDiskInfo", "while(pEnumCOMDevs ..."}));

    // The direct pass leaves them out by the product and revision the driver reports; the
    // switch turns the rule off.
    machine["os"]["wmi"] = "locator-fails";
    Inventory(machine);
    EXPECT_EQ(Engine().vars.Count(), 1);
    EXPECT_NE(Drive(1), nullptr);
    Machine(machine).ExcludeSamsungHd = false;
    Inventory();
    EXPECT_EQ(Engine().vars.Count(), 3);
}

TEST_F(InventoryWmiTest, ManagementModelChecksTheStrings) {
    // A bridge that delivers the strings readable: the identification reads them pair-swapped,
    // and the management model tells which way round is right.
    Json swapped = WithWmi(AtaDrive(0, "DW CDW0500AAXK0-E0MR0A", "DWW-ACWY214365"),
                           WmiView(0, "WDC WD5000AAKX-00ERMA0 ATA Device", "S\\0"));
    Json other = WithWmi(AtaDrive(1, "Orvel SSD Other", "OTHER1"),
                         WmiView(1, "Something Else Entirely", "S\\1"));
    const LogLines lines = Inventory(MachineOf(Json::array({swapped, other})));
    ASSERT_NE(Drive(0), nullptr);
    EXPECT_EQ(Drive(0)->ModelSerial, L"WDC WD5000AAKX-00ERMA0WD-WCAYW123456");
    // A model that matches neither is logged and kept.
    EXPECT_TRUE(Consecutive(lines, {"WmiModel: Something Else Entirely", "Model: Orvel SSD Other",
                                    "SerialNumber: OTHER1", "DISABLED: vars.RemoveAt(index) - 2",
                                    "OK:Check Model Name"}));
    ASSERT_NE(Drive(1), nullptr);
    EXPECT_EQ(Drive(1)->Model, L"Orvel SSD Other");
}

// What the management view adds, on records the identification made.
TEST(WmiDiskTest, DecorationUsbNamesAndRemoval) {
    const AtaPage page = IdentifyBuilder::Minimal().Word(76, 0x0106).Page();
    const std::vector<UsbDevice> usb = {{L"JMicron Generic USB Device", 0x152D, 0x0578},
                                        {L"Other", 1, 2}};
    struct Case {
        InterfaceType interfaceType;
        std::wstring model, interfaceText;
        std::wstring expectedInterface;
        InterfaceType expectedType;
        int32_t expectedVendor;
    };
    const Case cases[] = {
        {INTERFACE_TYPE_UASP, L"Orvel Portable SCSI Disk Device", L"SCSI", L"UASP (Serial ATA)",
         INTERFACE_TYPE_UASP, 0},
        {INTERFACE_TYPE_USB, L"JMicron Generic USB Device", L"USB", L"USB (Serial ATA)",
         INTERFACE_TYPE_USB, 0x152D},
        {INTERFACE_TYPE_IEEE1394, L"JMicron Generic IEEE 1394 SBP2 Device", L"1394",
         L"IEEE 1394 (Serial ATA)", INTERFACE_TYPE_IEEE1394, 0},
        {INTERFACE_TYPE_UNKNOWN, L"TEST DRIVE 100", L"IDE", L"Serial ATA", INTERFACE_TYPE_SATA, 0},
    };
    for (const Case& c : cases) {
        DriveRecord record;
        ASSERT_EQ(IdentifyDrive(page, CMD_TYPE_PHYSICAL_DRIVE, TARGET_FIRST_DEVICE, record),
                  IdentifyOutcome::Usable);
        WmiDisk disk;
        disk.model = c.model;
        disk.interfaceType = c.interfaceText;
        EXPECT_TRUE(CompleteFromWmi(disk, c.interfaceType, usb, record));
        EXPECT_EQ(
            std::tuple(record.Interface, record.InterfaceType, record.UsbVendorId, record.WmiModel),
            std::tuple(c.expectedInterface, c.expectedType, c.expectedVendor, c.model));
    }

    // Size: kept when plausible, replaced in MiB when not, never by a zero size.
    DriveRecord record;
    record.Model = L"M";
    WmiDisk disk;
    disk.size = L"0";
    CompleteFromWmi(disk, INTERFACE_TYPE_UNKNOWN, {}, record);
    EXPECT_EQ(record.TotalDiskSize, 0.0);
    disk.size = L"10737418240";  // 10 GiB
    for (double total : {1023.0, 1024.0, 10239.0, 10240.0}) {
        record.TotalDiskSize = total;
        CompleteFromWmi(disk, INTERFACE_TYPE_UNKNOWN, {}, record);
        EXPECT_EQ(record.TotalDiskSize, total >= 1024.0 && total < 10240.0 ? 10240.0 : total);
    }
    // More than 32 bits: DiskSizeWmi keeps the low ones, the size is converted whole.
    disk.size = L"6000000000";
    record.TotalDiskSize = 2048.0;
    CompleteFromWmi(disk, INTERFACE_TYPE_UNKNOWN, {}, record);
    EXPECT_EQ(std::tuple(record.DiskSizeWmi, record.TotalDiskSize),
              std::tuple(static_cast<uint32_t>(6000000000ull), 5722.0));

    // A record without a model is to be removed.
    LogWatch watch;
    DriveRecord empty;
    disk.model = L"Orvel SSD SATA Disk Device";
    EXPECT_FALSE(CompleteFromWmi(disk, INTERFACE_TYPE_UNKNOWN, {}, empty));
    EXPECT_TRUE(Consecutive(watch.Messages(),
                            {"WmiModel: Orvel SSD", "SerialNumber: ", "vars.RemoveAt(index) - 1"}));
    EXPECT_EQ(WithoutBusWords(L"NVMe Orvel P5 SCSI Disk Device"), L"Orvel P5");
}

}  // namespace

}  // namespace disk

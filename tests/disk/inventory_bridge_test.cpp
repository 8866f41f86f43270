// Drives reached through the USB bridge, SCSI miniport, Silicon Image, CSMI and WMI routes:
// which route discovery settles on, and how their SMART pages are read and confirmed.
#include <gtest/gtest.h>

#include <sstream>

#include "disk/route_table.h"
#include "platform/io_trace.h"
#include "platform/ioctl.h"
#include "tests/disk/inventory_fixture.h"
#include "tests/disk/smart_page_builder.h"
#include "transport/usb_bridge.h"

namespace disk {

using enum CommandType;
using enum InterfaceType;

namespace {

Json UsbDrive(int physicalDrive, const std::string& route, int vid, int pid,
              const std::string& target = "0xA0") {
    Json drive =
        AtaDrive(physicalDrive, "Orvel Bridge Disk", "BRIDGE" + std::to_string(physicalDrive));
    drive["route"] = route;
    drive["usb"] = {{"vid", vid}, {"pid", pid}};
    drive["ata"] = {{"target", target}};
    return drive;
}

class InventoryBridgeTest : public InventoryTest {
  protected:
    // One probe of drive 1 as a USB disk with these ids; its log.
    LogLines ProbeUsb(int32_t vendorId, int32_t productId, bool* added) {
        LogWatch watch;
        *added = Engine().GetDiskInfo({.physicalDriveId = 1}, {.interfaceType = INTERFACE_TYPE_USB,
                                                               .usbVendorId = vendorId,
                                                               .usbProductId = productId});
        return watch.Messages();
    }
};

// Which bridge each enclosure's branch settles on; the branch's own log lines are rows of its
// table, so only the refusals' are checked.
TEST_F(InventoryBridgeTest, EachEnclosureVendorReachesItsBridge) {
    struct Case {
        std::string route, target;
        int32_t vendorId, productId;
        CommandType commandType;  // CMD_TYPE_UNKNOWN: refused
        std::string refusal = "";
    };
    const Case cases[] = {
        {"io-data", "0xA0", USB_VENDOR_IO_DATA, 0x0001, CMD_TYPE_IO_DATA},
        {"jmicron", "0xA0", USB_VENDOR_IO_DATA, 0x0122, CMD_TYPE_JMICRON},
        {"sat", "0xA0", USB_VENDOR_JMICRON, 0x0578, CMD_TYPE_SAT},
        {"sunplus", "0xA0", USB_VENDOR_SUNPLUS, 0x0001, CMD_TYPE_SUNPLUS},
        {"cypress", "0xA0", USB_VENDOR_CYPRESS, 0x6830, CMD_TYPE_CYPRESS},
        {"sat", "0xA0", USB_VENDOR_INITIO, 0x1340, CMD_TYPE_SAT},
        {"sat", "0xB0", USB_VENDOR_OXFORD, 0x0008, CMD_TYPE_SAT},
        // An IO-DATA enclosure with another chip falls through to every bridge.
        {"cypress", "0xA0", USB_VENDOR_IO_DATA, 0x0001, CMD_TYPE_CYPRESS},
        {"logitec1", "0xA0", USB_VENDOR_LOGITEC, 0x00DA, CMD_TYPE_LOGITEC1},
        {"logitec2", "0xB0", USB_VENDOR_UNKNOWN, 0, CMD_TYPE_LOGITEC2},
        // These vendors' branches end without the other bridges.
        {"sat", "0xA0", USB_VENDOR_LOGITEC, 0x00D9, CMD_TYPE_UNKNOWN,
         "FALSE: usbVendorId == USB_VENDOR_LOGITEC && productId == 0x00D9"},
        {"sunplus", "0xA0", USB_VENDOR_JMICRON, 0x0578, CMD_TYPE_UNKNOWN, "FALSE - USB0"},
        {"sat", "0xA0", USB_VENDOR_CYPRESS, 0x6830, CMD_TYPE_UNKNOWN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.route + " " + c.target + " " + std::to_string(c.vendorId));
        Machine(MachineOf(Json::array({UsbDrive(1, c.route, c.vendorId, c.productId, c.target)})));
        bool added = false;
        const LogLines lines = ProbeUsb(c.vendorId, c.productId, &added);
        if (c.commandType == CMD_TYPE_UNKNOWN) {
            EXPECT_FALSE(added);
            EXPECT_TRUE(c.refusal.empty() || lines.back() == c.refusal) << lines.back();
            EXPECT_EQ(Engine().vars.Count(), 0);
            continue;
        }
        ASSERT_TRUE(added);
        const DriveRecord* record = Drive(1);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(std::tuple(record->CommandType, record->Address.target, SmartFlags(*record),
                             record->AttributeCount),
                  std::tuple(c.commandType, c.target == "0xA0" ? 0xA0 : 0xB0,
                             std::tuple(true, true, true), 4u));
    }
    // Other buses try every bridge, whatever the ids say.
    Machine(MachineOf(Json::array({UsbDrive(1, "logitec2", USB_VENDOR_LOGITEC, 0x00D9, "0xB0")})));
    LogWatch watch;
    EXPECT_TRUE(
        Engine().GetDiskInfo({.physicalDriveId = 1}, {.interfaceType = INTERFACE_TYPE_IEEE1394,
                                                      .usbVendorId = USB_VENDOR_LOGITEC,
                                                      .usbProductId = 0x00D9}));
    EXPECT_TRUE(InOrder(watch.Messages(), {"else (USB-HDD)", "AddDisk - USB20"}));
}

// The CDBs of the pass-through requests in a trace of the log, in order.
std::vector<std::vector<uint8_t>> TracedCdbs(const LogLines& lines) {
    // The header goes in alone, sixteen bytes a line.
    constexpr size_t kHeader = sizeof(platform::SCSI_PASS_THROUGH);
    constexpr size_t kCdb = offsetof(platform::SCSI_PASS_THROUGH, Cdb);
    constexpr size_t kRows = (kHeader + 15) / 16;
    const std::string request = "DeviceIoControl 0x0004D004 in " + std::to_string(kHeader) + " ";
    std::vector<std::vector<uint8_t>> cdbs;
    for (size_t i = 0; i + kRows < lines.size(); ++i) {
        if (!lines[i].starts_with(request)) continue;
        std::vector<uint8_t> bytes;
        for (size_t line = 1; line <= kRows; ++line) {
            std::istringstream in(lines[i + line].substr(lines[i + line].find(": ") + 2));
            for (std::string hex; in >> hex;)
                bytes.push_back(static_cast<uint8_t>(std::stoul(hex, nullptr, 16)));
        }
        cdbs.emplace_back(bytes.begin() + kCdb, bytes.begin() + kCdb + 16);
    }
    return cdbs;
}

std::vector<uint8_t> IdentifyCdb(CommandType type, uint8_t target) {
    const auto cdb =
        transport::BuildBridgeCdb(ToUnderlying(type), transport::BridgeOperation::Identify, target);
    return {cdb->bytes, cdb->bytes + 16};
}

TEST_F(InventoryBridgeTest, TheGenericChainTriesTwelveAttemptsInOrder) {
    // Only the last attempt of the chain reaches this drive.
    Machine(MachineOf(Json::array({UsbDrive(1, "logitec2", 0x1234, 0x0001, "0xB0")})));
    platform::SetDeviceIoTrace(true);
    bool added = false;
    const LogLines lines = ProbeUsb(USB_VENDOR_UNKNOWN, 0, &added);
    platform::SetDeviceIoTrace(false);
    ASSERT_TRUE(added);
    // The chain is its table's: every bridge at the first device, then each at the second.
    const auto cdbs = TracedCdbs(lines);
    ASSERT_GT(cdbs.size(), 12u);
    EXPECT_EQ(cdbs[0], IdentifyCdb(CMD_TYPE_SAT, 0xA0));
    EXPECT_EQ(cdbs[6], IdentifyCdb(CMD_TYPE_SAT, 0xB0));
    EXPECT_EQ(cdbs[11], IdentifyCdb(CMD_TYPE_LOGITEC2, 0xB0));
    // After the answer come the SMART reads of the route that answered.
    const auto read = transport::BuildBridgeCdb(ToUnderlying(CMD_TYPE_LOGITEC2),
                                                transport::BridgeOperation::ReadSmartData, 0xB0);
    EXPECT_EQ(cdbs[12], std::vector<uint8_t>(read->bytes, read->bytes + 16));
    EXPECT_TRUE(InOrder(lines, {"else (USB-HDD)", "AddDisk - USB20",
                                "GetSmartAttributeSat(1) - 1 [l2]", "GetSmartAttributeSat - 1A"}));
    EXPECT_EQ(Drive(1)->CommandType, CMD_TYPE_LOGITEC2);

    // A bridge whose switch is off is not tried: the chain goes on to the next one.
    Machine(MachineOf(Json::array({UsbDrive(1, "sat", 0x1234, 0x0001)})));
    Engine().UsbSatEnabled[UsbBridgeIndex(CMD_TYPE_SAT)] = false;
    platform::SetDeviceIoTrace(true);
    const LogLines off = ProbeUsb(USB_VENDOR_UNKNOWN, 0, &added);
    platform::SetDeviceIoTrace(false);
    EXPECT_FALSE(added);
    const auto tried = TracedCdbs(off);
    ASSERT_EQ(tried.size(), 10u);
    EXPECT_EQ(tried[0], IdentifyCdb(CMD_TYPE_JMICRON, 0xA0));
    EXPECT_EQ(tried[5], IdentifyCdb(CMD_TYPE_JMICRON, 0xB0));
}

TEST_F(InventoryBridgeTest, BridgeSmartIsEnabledWhenTheDriveStartsWithItOff) {
    Json drive = UsbDrive(1, "jmicron", USB_VENDOR_JMICRON, 0x0578);
    drive["smart"]["enabled"] = false;
    Machine(MachineOf(Json::array({drive})));
    bool added = false;
    const LogLines lines = ProbeUsb(USB_VENDOR_JMICRON, 0x0578, &added);
    ASSERT_TRUE(added);
    EXPECT_TRUE(InOrder(lines, {"AddDisk - USB0A", "GetSmartAttributeSat(1) - 1 [jm]",
                                "GetSmartAttributeSat - 2", "GetSmartAttributeSat - 2A"}));
    // The first read failed, so there was nothing to check before the enable.
    EXPECT_FALSE(Has(lines, "GetSmartAttributeSat - 1A"));
    EXPECT_TRUE(Drive(1)->SmartDataValid);
    EXPECT_EQ(Drive(1)->Temperature, 36);
}

TEST_F(InventoryBridgeTest, ScsiMiniportDrivesAreReachedByPortAndTarget) {
    Json miniport = AtaDrive(4, "Orvel Miniport Disk", "MP4");
    miniport["route"] = "scsi-miniport";
    miniport["scsi"] = {{"port", 1}, {"target", 2}};
    Json portOnly = AtaDrive(0, "Orvel Port Disk", "MP0");
    portOnly["physicalDrive"] = nullptr;
    portOnly["route"] = "scsi-miniport";
    portOnly["scsi"] = {{"port", 1}, {"target", 3}};
    Machine(MachineOf(Json::array({miniport, portOnly})));

    // A disk the physical-drive route does not reach: only these controllers' disks are asked.
    LogWatch watch;
    const DriveAddress address{.physicalDriveId = 4, .scsiPort = 1, .scsiTargetId = 2};
    EXPECT_FALSE(Engine().GetDiskInfo(address, {.interfaceType = INTERFACE_TYPE_SATA}));
    EXPECT_TRUE(Engine().GetDiskInfo(
        address, {.interfaceType = INTERFACE_TYPE_SATA, .nvidiaControllerFound = true}));
    EXPECT_TRUE(Has(watch.Messages(), "AddDisk(4, 1, 2) - 5"));
    ASSERT_NE(Drive(4), nullptr);
    EXPECT_EQ(std::tuple(Drive(4)->CommandType, SmartFlags(*Drive(4))),
              std::tuple(CMD_TYPE_SCSI_MINIPORT, std::tuple(true, true, true)));

    LogWatch port;
    EXPECT_TRUE(Engine().GetDiskInfo({.scsiPort = 1, .scsiTargetId = 3},
                                     {.interfaceType = INTERFACE_TYPE_SATA}));
    EXPECT_TRUE(Has(port.Messages(), "AddDisk(-1, 1, 3) - 8"));
    EXPECT_EQ(std::tuple(Drive(-1)->Model, Drive(-1)->PowerOnHours),
              std::tuple(L"Orvel Port Disk", 1200));
    // An empty target is no drive.
    EXPECT_FALSE(Engine().GetDiskInfo({.scsiPort = 1, .scsiTargetId = 5},
                                      {.interfaceType = INTERFACE_TYPE_SATA}));
}

Json SiliconImageDrive(int chip) {
    Json drive = AtaDrive(0, "Orvel Sil Disk", "SIL0");
    drive["route"] = "silicon-image";
    drive["siliconImage"] = {{"chip", chip}, {"device", 1}};
    drive["wmi"] = WmiView(0, "Orvel Sil Disk", "SCSI\\DISK&VEN_&PROD_ORVEL_SIL\\1");
    return drive;
}

// Where the management pass finds that drive: on port 2, device 1 of the controller.
DriveAddress SiliconImageAddress(int32_t chip) {
    return {.physicalDriveId = 0,
            .scsiPort = 2,
            .scsiBus = 1,
            .siliconImageType = chip,
            .pnpDeviceId = L"SCSI\\DISK&VEN_&PROD_ORVEL_SIL\\1"};
}

TEST_F(InventoryBridgeTest, SiliconImageDrivesConfirmThroughThePhysicalDrive) {
    Machine(MachineOf(Json::array({SiliconImageDrive(3512)})));
    LogWatch watch;
    ASSERT_TRUE(
        Engine().GetDiskInfo(SiliconImageAddress(3512), {.interfaceType = INTERFACE_TYPE_SATA}));
    EXPECT_TRUE(
        Consecutive(watch.Messages(), {"physicalDriveId=0, scsiPort=2, scsiBus=1, scsiTargetId=-1",
                                       "AddDisk - Si", "GetSmartAttributeSi(physicalDriveId, &asi)",
                                       "GetSmartAttributeSi(physicalDriveId, &asiCheck)",
                                       "CheckSmartAttributeCorrect(&asi, &asiCheck) - 1"}));
    EXPECT_TRUE(InOrder(watch.Messages(), {"CheckSmartAttributeCorrect(&asi, &asiCheck) - 2",
                                           "GetSmartThresholdPd"}));
    const DriveRecord* record = Drive(0);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(
        std::tuple(record->CommandType, record->Address.siliconImageType, SmartFlags(*record)),
        std::tuple(CMD_TYPE_SILICON_IMAGE, 3512, std::tuple(true, true, true)));

    // Without the disk driver's ATA requests the reading stays unconfirmed by it, and no
    // thresholds come.
    Json quiet = SiliconImageDrive(3112);
    quiet["ata"] = {{"passThrough", false}, {"smartIoctl", false}};
    Machine(MachineOf(Json::array({quiet})));
    LogWatch second;
    ASSERT_TRUE(
        Engine().GetDiskInfo(SiliconImageAddress(3112), {.interfaceType = INTERFACE_TYPE_SATA}));
    EXPECT_TRUE(Has(second.Messages(), "CheckSmartAttributeCorrect(&asi, &asiCheck) - 2"));
    EXPECT_FALSE(Has(second.Messages(), "GetSmartThresholdPd"));
    EXPECT_EQ(SmartFlags(*Drive(0)), std::tuple(true, true, false));
}

Json CsmiDrive(Json physicalDrive, int phy, uint64_t sasAddress, bool member,
               const std::string& model) {
    Json drive = AtaDrive(0, model, "CSMI" + std::to_string(phy));
    drive["physicalDrive"] = std::move(physicalDrive);
    drive["route"] = "csmi";
    drive["csmi"] = {{"port", 0}, {"phy", phy}, {"sasAddress", sasAddress}, {"raidMember", member}};
    return drive;
}

TEST_F(InventoryBridgeTest, RaidPortsAddTheirDrivesInTheChosenMode) {
    const Json machine =
        MachineOf(Json::array({CsmiDrive(nullptr, 0, 0x50000A0000000001, true, "Orvel Member A"),
                               CsmiDrive(nullptr, 1, 0x50000B0000000002, false, "Orvel Spare"),
                               CsmiDrive(nullptr, 2, 0x50000C0000000003, true, "Orvel Member B")}));
    Inventory(machine);
    ASSERT_EQ(Engine().vars.Count(), 3);
    for (const DriveRecord& record : Engine().vars.Records())
        EXPECT_EQ(std::tuple(record.Address.physicalDriveId, record.CommandType,
                             record.Address.scsiPort, SmartFlags(record)),
                  std::tuple(-1, CMD_TYPE_CSMI, 0, std::tuple(true, true, true)));
    // Sorted by the port identifier of their PHY.
    EXPECT_EQ(Engine().vars[0].Model, L"Orvel Member A");
    EXPECT_EQ(Engine().vars[2].Model, L"Orvel Member B");

    Machine(machine);
    Engine().CsmiEnabled = 2;
    Inventory();
    ASSERT_EQ(Engine().vars.Count(), 2);
    EXPECT_EQ(Engine().vars[1].Model, L"Orvel Member B");

    Machine(machine);
    Engine().CsmiEnabled = 0;
    const LogLines off = Inventory();
    EXPECT_EQ(Engine().vars.Count(), 0);
    EXPECT_FALSE(Has(off, "DoIdentifyDeviceCsmi"));
}

TEST_F(InventoryBridgeTest, MergedRaidDrivesTryThePhysicalDriveFirst) {
    Inventory(MachineOf(Json::array({CsmiDrive(nullptr, 0, 0x5000, true, "Orvel Raid Disk")})));
    DriveRecord record = Engine().vars[0];
    record.CommandType = CMD_TYPE_CSMI_PHYSICAL_DRIVE;
    record.Address.physicalDriveId = 2;
    record.SmartDataValid = record.SmartThresholdValid = record.SmartSupported = false;
    Json drive = CsmiDrive(2, 0, 0x5000, true, "Orvel Raid Disk");
    Machine(MachineOf(Json::array({drive})));
    const SystemRoutes routes{.ataPassThrough = true};
    {
        LogWatch watch;
        ASSERT_TRUE(ReadSmartThroughRoute(routes, record));
        EXPECT_EQ(watch.Messages().front(), "GetSmartAttributePd(2) - 1 CSMI");
        EXPECT_FALSE(Has(watch.Messages(), "GetSmartAttributeCsmi - 1 CSMI"));
        EXPECT_TRUE(record.SmartDataValid && record.SmartThresholdValid);
    }
    // When the physical drive does not give SMART, the RAID route does.
    drive["ata"] = {{"passThrough", false}, {"smartIoctl", false}};
    Machine(MachineOf(Json::array({drive})));
    record.SmartDataValid = record.SmartThresholdValid = record.SmartSupported = false;
    LogWatch watch;
    ASSERT_TRUE(ReadSmartThroughRoute(routes, record));
    EXPECT_TRUE(InOrder(watch.Messages(),
                        {"GetSmartAttributePd(2) - 1 CSMI", "GetSmartAttributeCsmi - 1 CSMI",
                         "GetSmartAttributeCsmi", "FillSmartData"}));
    EXPECT_TRUE(record.SmartDataValid && record.SmartThresholdValid);
}

TEST_F(InventoryBridgeTest, WmiRouteReadsBothPagesWithoutConfirming) {
    Json drive = AtaDrive(5, "Orvel Wmi Disk", "WMI5");
    drive["route"] = "wmi";
    drive["wmi"] = WmiView(5, "Orvel Wmi Disk", "ide\\diskorvel_wmi\\5&0");
    Machine(MachineOf(Json::array({drive})));
    DriveRecord record;
    record.CommandType = CMD_TYPE_WMI;
    record.Address.pnpDeviceId = L"IDE\\DISKORVEL_WMI\\5&0";
    LogWatch watch;
    ASSERT_TRUE(ReadSmartThroughRoute({.osMajorVersion = 10}, record));
    EXPECT_TRUE(watch.Messages().empty());
    EXPECT_EQ(std::tuple(SmartFlags(record), record.AttributeCount),
              std::tuple(std::tuple(true, true, true), 4u));
    // No instance for the drive: nothing is valid.
    DriveRecord unknown;
    unknown.CommandType = CMD_TYPE_WMI;
    unknown.Address.pnpDeviceId = L"IDE\\OTHER";
    ASSERT_TRUE(ReadSmartThroughRoute({.osMajorVersion = 10}, unknown));
    EXPECT_EQ(SmartFlags(unknown), std::tuple(false, false, false));
}

}  // namespace

}  // namespace disk

#include <gtest/gtest.h>

#include "disk/controller_map.h"
#include "disk/wmi_query.h"
#include "platform/platform.h"
#include "tests/disk/inventory_fixture.h"

namespace disk {

namespace {

Json Controller(const std::string& klass, const std::string& name, const std::string& deviceId,
                Json devices = Json::array()) {
    return {{"class", klass}, {"name", name}, {"deviceId", deviceId}, {"devices", devices}};
}

Json Device(const std::string& deviceId, const std::string& name = "") {
    Json device = {{"deviceId", deviceId}};
    if (!name.empty()) device["name"] = name;
    return device;
}

class ControllerMapTest : public InventoryTest {
  protected:
    // The map of a machine with these controllers, built through a fresh connection.
    ControllerMap MapOf(Json controllers) {
        return MapOfMachine(MachineOf(Json::array(), std::move(controllers)));
    }
    ControllerMap MapOfMachine(const Json& machine) {
        Load(machine.dump());
        std::unique_ptr<platform::WmiLocator> locator;
        EXPECT_EQ(platform::CreateWbemLocator(&locator), platform::S_OK);
        std::unique_ptr<platform::WmiServices> services;
        EXPECT_EQ(locator->ConnectServer(L"\\\\.\\root\\cimv2", 0, &services), platform::S_OK);
        LogWatch watch;
        ControllerMap map = BuildControllerMap(*services, /*scsiScan=*/false);
        lines_ = watch.Messages();
        return map;
    }
    LogLines lines_;
};

TEST_F(ControllerMapTest, UasControllerListsItsDisksAndTheyAreProbedAsUasp) {
    const std::string disk = "SCSI\\DISK&VEN_ORVEL&PROD_PORTABLE\\7&1C2D3E4F&0&000000";
    const LogLines lines = Inventory(MachineOf(
        Json::array({WithWmi(AtaDrive(0, "Orvel Portable 1TB", "UAS0001"),
                             WmiView(0, "Orvel Portable 1TB SCSI Disk Device", disk, "SCSI"))}),
        Json::array({Controller("SCSI", "UAS Mass Storage Device",
                                "USB\\VID_174C&PID_55AA\\MSFT30123456789", {Device(disk)}),
                     Controller("SCSI", "Microsoft Storage Spaces Controller",
                                "ROOT\\SPACEPORT\\0000", {Device("SCSI\\DISK&OTHER\\1")})})));
    EXPECT_EQ(
        Engine().Controllers.uaspDevices,
        std::vector<std::wstring>{L"SCSI\\DISK&VEN_ORVEL&PROD_PORTABLE\\7&1C2D3E4F&0&000000"});
    // The disk pass probes the disk behind the bridge as a UASP disk: through the bridge
    // routes, not the physical-drive route.
    EXPECT_TRUE(Consecutive(
        lines,
        {"UASPController:" + disk, "DO:GetDiskInfo pd=0, sp=0, st=0, mt=fixed hard disk media",
         "INTERFACE_TYPE_UASP", "flagTarget && GetDiskInfo", "GetDiskInfo", "else (USB-HDD)"}));
}

TEST_F(ControllerMapTest, SiliconImageNamesGiveTheChipOfTheirDisks) {
    const std::string disk = "SCSI\\DISK&VEN_&PROD_ORVEL_SI\\4&1&0&000000";
    const LogLines lines = Inventory(MachineOf(
        Json::array(
            {WithWmi(AtaDrive(0, "Orvel SSD SI", "SI0001"), WmiView(0, "Orvel SSD SI", disk))}),
        Json::array(
            {Controller("SCSI", "Silicon Image SiI 3132 SATALink Controller",
                        "PCI\\VEN_1095&DEV_3132\\1", {Device(disk), Device("SCSI\\DISK&B\\2")}),
             Controller("SCSI", "BUFFALO IFC-PCI2ES", "PCI\\VEN_1095&DEV_3112\\2",
                        {Device("SCSI\\DISK&C\\3")}),
             Controller("SCSI", "Silicon Image SiI RAID", "PCI\\VEN_1095&DEV_0000\\4",
                        {Device("SCSI\\DISK&E\\5")})})));
    std::vector<int32_t> types;
    for (const auto& device : Engine().Controllers.siliconImageDevices)
        types.push_back(device.type);
    // No digits after the prefix: type 0, which the disk pass treats as no Silicon Image.
    EXPECT_EQ(types, (std::vector<int32_t>{3132, 3132, 3112, 0}));
    EXPECT_EQ(SiliconImageTypeOf(L"Intel SiI 3132"), 0);

    // Its disk is probed with the chip: the Silicon Image attempt first, then the physical
    // drive, which answers here.
    EXPECT_TRUE(InOrder(lines, {"SiliconImageController:" + disk,
                                "physicalDriveId=0, scsiPort=0, scsiBus=0, scsiTargetId=0",
                                "DoIdentifyDevicePd(0, 0xA0) - 1", "AddDisk(0, 0, 0) - 6"}));
    ASSERT_NE(Drive(0), nullptr);
    EXPECT_EQ(std::tuple(Drive(0)->Address.siliconImageType, Drive(0)->CommandType),
              std::tuple(3132, CommandType::CMD_TYPE_PHYSICAL_DRIVE));
}

TEST_F(ControllerMapTest, BlackListedControllersUnlessScsiPortsAreScanned) {
    const std::string disk = "SCSI\\DISK&VEN_&PROD_ORVEL_VIA\\4&2&0&000000";
    const Json controllers = Json::array(
        {Controller("SCSI", "VIA VT6410 ATA RAID Controller", "PCI\\VEN_1106&DEV_3164\\1",
                    {Device(disk)}),
         Controller("SCSI", "ITE IT8212 ATA RAID Controller", "PCI\\VEN_1283&DEV_8212\\2",
                    {Device("SCSI\\DISK&VEN_&PROD_ite\\1")}),
         Controller("SCSI", "DVDFab Virtual Drive SCSI Controller", "ROOT\\DVDFAB\\0000",
                    {Device("SCSI\\CDROM&VEN_DVDFAB\\1")})});

    // A black-listed disk is left to the direct pass, which finds it without its management
    // view; with the SCSI scan the disk pass probes it.
    const Json machine = MachineOf(Json::array({WithWmi(AtaDrive(0, "Orvel SSD VIA", "VIA0001"),
                                                        WmiView(0, "Orvel SSD VIA", disk))}),
                                   controllers);
    LogLines lines = Inventory(machine);
    const ControllerMap& map = Engine().Controllers;
    ASSERT_EQ(map.blackListedDevices.size(), 2u);
    EXPECT_EQ(map.blackListedDevices[0], L"SCSI\\DISK&VEN_&PROD_ORVEL_VIA\\4&2&0&000000");
    // Disks are matched by their upper-cased PNP device id, so the entries are upper-cased too.
    EXPECT_EQ(map.blackListedDevices[1], L"SCSI\\DISK&VEN_&PROD_ITE\\1");
    // The virtual drive is no controller: no text, no devices.
    ASSERT_EQ(map.controllerText.size(), 2u);
    EXPECT_EQ(map.controllerText[0].substr(0, 38), L"VIA VT6410 ATA RAID Controller [SCSI]\r");
    EXPECT_TRUE(Has(lines, "BlackScsiController:" + disk));
    EXPECT_FALSE(Has(lines, "DO:GetDiskInfo pd=0, sp=0, st=0, mt=fixed hard disk media"));
    ASSERT_NE(Drive(0), nullptr);
    EXPECT_TRUE(Drive(0)->WmiModel.empty());

    Machine(machine).ScsiScan = true;
    lines = Inventory();
    EXPECT_TRUE(Engine().Controllers.blackListedDevices.empty());
    EXPECT_TRUE(Has(lines, "DO:GetDiskInfo pd=0, sp=0, st=0, mt=fixed hard disk media"));
    ASSERT_NE(Drive(0), nullptr);
    EXPECT_EQ(Drive(0)->WmiModel, L"Orvel SSD VIA");
    // The scan then tries every port and target through the SCSI miniport.
    EXPECT_TRUE(Has(lines, "DoIdentifyDeviceScsi(15, 7) - 7"));
    EXPECT_TRUE(Has(lines, "OK:GetDiskInfo - Scsi"));
}

TEST_F(ControllerMapTest, UsbMassStorageTakesTheIdsOfTheDeviceBeforeIt) {
    const ControllerMap map = MapOf(Json::array({Controller(
        "USB", "USB 3.0 eXtensible Host Controller", "PCI\\VEN_8086&DEV_A36D\\3",
        {Device("USB\\ROOT_HUB30\\4&1F3E4A5B&0&0", "USB Root Hub"),
         Device("USB\\VID_152D&PID_2338\\0123456789AB", "USB Mass Storage Device"),
         Device("USBSTOR\\DISK&VEN_JMICRON&PROD_USB_TO_ATA\\0123456789AB&0",
                "JMicron USB to ATA/ATAPI Bridge USB Device"),
         Device("USBSTOR\\DISK&VEN_GENERIC&PROD_FLASH\\1&0", "Generic Flash USB Device")})}));
    ASSERT_EQ(map.usbDevices.size(), 2u);
    // A mass-storage device after another one has no ids.
    const UsbDevice &first = map.usbDevices[0], &second = map.usbDevices[1];
    EXPECT_EQ(
        std::tuple(first.name, first.vendorId, first.productId, second.vendorId, second.productId),
        std::tuple(L"JMicron USB to ATA/ATAPI Bridge USB Device", 0x152D, 0x2338, 0, 0));

    const UsbDevice ids = UsbIdsOf(L"USB\\VID_04bb&PID_0122&MI_00\\6&1");
    EXPECT_EQ(std::tuple(ids.vendorId, ids.productId), std::tuple(0x04BB, 0x0122));
    EXPECT_EQ(UsbIdsOf(L"").vendorId, 0);
}

TEST_F(ControllerMapTest, AhciModeIsThatOfTheLastIdeController) {
    ControllerMap map = MapOf(
        Json::array({Controller("IDE", "Standard SATA AHCI Controller", "PCI\\VEN_8086&DEV_A352\\3",
                                {Device("SCSI\\DISK&A\\1", "Disk A")})}));
    EXPECT_TRUE(map.ahciMode);
    ASSERT_EQ(map.controllerText.size(), 1u);
    EXPECT_EQ(map.controllerText[0],
              L"Standard SATA AHCI Controller [ATA]\r\n   - SCSI\\DISK&A\\1 (Disk A)");

    EXPECT_FALSE(
        MapOf(Json::array({Controller("IDE", "Standard SATA AHCI Controller", "PCI\\A\\1"),
                           Controller("IDE", "ATA Channel 0", "PCIIDE\\IDECHANNEL\\4&1&0")}))
            .ahciMode);
}

TEST_F(ControllerMapTest, ControllerMakersAndListCaps) {
    Json devices = Json::array();
    for (int i = 0; i < 45; ++i)
        devices.push_back(Device("SCSI\\DISK&N\\" + std::to_string(i)));
    const ControllerMap map = MapOf(Json::array(
        {Controller("IDE", "NVIDIA nForce Serial ATA Controller", "PCI\\VEN_10DE\\1"),
         Controller("SCSI", "Marvell 91xx SATA 6G Controller USB", "PCI\\VEN_1B4B\\2", devices)}));
    EXPECT_TRUE(map.nvidiaControllerFound && map.marvellControllerFound);
    EXPECT_EQ(map.uaspDevices.size(), ControllerMap::kMaxEntries);
    EXPECT_EQ(map.uaspDevices.back(), L"SCSI\\DISK&N\\39");
}

TEST_F(ControllerMapTest, FailedQueriesLeaveTheMapEmptyAndAreLogged) {
    Json machine =
        MachineOf(Json::array(),
                  Json::array({Controller("IDE", "Standard SATA AHCI Controller", "PCI\\A\\1")}));
    machine["os"]["wmi"] = "query-fails";
    const ControllerMap map = MapOfMachine(machine);
    EXPECT_TRUE(map.controllerText.empty());
    EXPECT_FALSE(map.ahciMode);  // no IDE controller was handled
    EXPECT_TRUE(InOrder(lines_, {"EX:Win32_IDEController", "EX:Win32_SCSIController",
                                 "--ControllerMap--", "EX:Win32_USBController"}));
    EXPECT_FALSE(Has(lines_, "OK:Win32_IDEController"));
}

}  // namespace

}  // namespace disk

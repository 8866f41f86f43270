#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "disk/add_disk_nvme.h"
#include "disk/nvme_routes.h"
#include "disk/pcie_link.h"
#include "disk/vendor.h"
#include "tests/disk/inventory_fixture.h"
#include "tests/support/scripted_platform.h"

namespace disk {

using enum CommandType;
using enum InterfaceType;

namespace {

void Put(AtaPage& page, size_t offset, uint64_t value, size_t width) {
    // Wider fields get zeros above the 64-bit value.
    for (size_t i = 0; i < width; ++i)
        page[offset + i] = i < 8 ? static_cast<uint8_t>(value >> (8 * i)) : 0;
}

void PutText(AtaPage& page, size_t offset, size_t width, const std::string& text) {
    std::memset(&page[offset], ' ', width);
    std::memcpy(&page[offset], text.data(), std::min(width, text.size()));
}

AtaPage IdentifyOf(const std::string& model, const std::string& serial, const std::string& firmware,
                   uint16_t major, uint8_t minor) {
    AtaPage identify{};
    PutText(identify, 4, 20, serial);
    PutText(identify, 24, 40, model);
    PutText(identify, 64, 8, firmware);
    identify[81] = minor;
    Put(identify, 82, major, 2);
    return identify;
}

TEST(NvmeRecord, IdentityAndVersionComeFromTheIdentifyData) {
    DriveRecord record;
    const AtaPage identify = IdentifyOf("Orvel NVMe P7", "  SN42 ", "FW9", 1, 4);
    StartNvmeRecord(identify, record);
    EXPECT_EQ(std::tuple(record.Model, record.SerialNumber, record.FirmwareRev, record.Interface,
                         record.MajorVersion, record.InterfaceType),
              std::tuple(L"Orvel NVMe P7", L"SN42", L"FW9", L"NVM Express", L"NVM Express 1.4",
                         INTERFACE_TYPE_NVME));
    EXPECT_EQ(record.IdentifyDevice, identify);
    EXPECT_TRUE(record.IsSsd && record.SmartSupported && record.SmartDataValid &&
                record.SmartThresholdValid);
    EXPECT_EQ(std::tuple(record.Temperature, record.AttributeCount), std::tuple(-1000, 0u));

    // Controllers from before the version field say 0.
    EXPECT_EQ(NvmeVersionText(IdentifyOf("M", "S", "F", 0, 0)), L"NVM Express 1.0/1.1");
    EXPECT_EQ(NvmeVersionText(IdentifyOf("M", "S", "F", 0, 3)), L"NVM Express 1.0/1.1");
    EXPECT_EQ(NvmeVersionText(IdentifyOf("M", "S", "F", 0x0102, 0xFF)), L"NVM Express 258.255");
}

TEST(NvmeRecord, HealthLogGivesTheDerivedValuesAndFifteenRows) {
    DriveRecord record;
    StartNvmeRecord(IdentifyOf("Orvel NVMe P7", "SN1", "FW1", 1, 3), record);
    AtaPage& log = record.SmartReadData;
    for (size_t i = 0; i < log.size(); ++i)
        log[i] = static_cast<uint8_t>(0x40 + i);
    Put(log, 1, 0x0134, 2);  // 308 K
    log[3] = 97;
    Put(log, 32, 4096 + 2047, 16);
    Put(log, 48, 2048, 16);
    Put(log, 112, 321, 16);
    Put(log, 128, 842, 16);
    ApplyNvmeHealthLog(record);

    EXPECT_EQ(std::tuple(record.Temperature, record.Life, record.HostReads, record.HostWrites,
                         record.PowerOnCount, record.PowerOnHours, record.DetectedPowerOnHours),
              std::tuple(35, 97, 2, 1, 321, 842, 842));
    EXPECT_EQ(std::tuple(record.SmartKeyName, record.VendorId, record.VendorCode),
              std::tuple(L"SmartNVMe", VENDOR_NVME, L"nv"));

    ASSERT_EQ(record.AttributeCount, 15u);
    for (uint8_t i = 0; i < 15; ++i) {
        const SmartAttribute& row = record.Attribute[i];
        EXPECT_EQ(row.Id, i + 1);
        EXPECT_EQ(row.StatusFlags | row.CurrentValue | row.WorstValue | row.Reserved, 0);
        EXPECT_EQ(record.Threshold[i].ThresholdValue, 0);
    }
    EXPECT_EQ(record.Attribute[15].Id, 0) << "nothing past the fifteen rows";
    // One-byte and two-byte fields leave the other raw bytes 0; counters keep six bytes.
    const SmartAttribute& warning = record.Attribute[0];
    EXPECT_EQ(warning.RawValue[0], 0x40);
    EXPECT_EQ(warning.RawValue[1] | warning.RawValue[5], 0);
    const SmartAttribute& temperature = record.Attribute[1];
    EXPECT_EQ(std::tuple(temperature.RawValue[0], temperature.RawValue[1], temperature.RawValue[2]),
              std::tuple(0x34, 0x01, 0));
    const SmartAttribute& errors = record.Attribute[14];
    for (int b = 0; b < 6; ++b)
        EXPECT_EQ(errors.RawValue[b], 0x40 + 176 + b);

    // Edges: 2047 data units are no whole count; below 0 °C; counters past 32 bits saturate.
    Put(log, 48, 2047, 16);
    Put(log, 1, 200, 2);
    Put(log, 32, 0x00FFFFFFFFFFFFFF, 8);
    Put(log, 112, 0xFFFFFFFF, 4);
    ApplyNvmeHealthLog(record);
    EXPECT_EQ(
        std::tuple(record.HostWrites, record.Temperature, record.HostReads, record.PowerOnCount),
        std::tuple(0, -73, INT32_MAX, INT32_MAX));
}

// Three NVMe drives, one per route, with the first on a controller with a PCIe link.
Json NvmeMachine(int osMajor, Json samsungHealth = {{"temperatureKelvin", 0x0134}}) {
    const auto drive = [](int number, const std::string& route, const std::string& model,
                          Json health) {
        Json drive = {{"physicalDrive", number},
                      {"route", route},
                      {"size", "16MiB"},
                      {"nvme",
                       {{"model", model},
                        {"serial", "NV" + std::to_string(number)},
                        {"firmware", "N1"},
                        {"version", "0x00010300"},
                        {"health", std::move(health)}}}};
        drive["wmi"] = WmiView(
            number, model, "SCSI\\DISK&VEN_NVME&PROD_" + std::to_string(number) + "\\5&1&0&000000",
            "SCSI");
        return drive;
    };
    Json intel = drive(2, "nvme-intel", "Orvel NVMe Intel",
                       {{"temperatureKelvin", 300}, {"powerOnHours", 77}});
    intel["scsi"] = {{"port", 3}, {"target", 0}};
    const Json controller = {
        {"class", "SCSI"},
        {"name", "Standard NVM Express Controller"},
        {"deviceId", "PCI\\VEN_1FAB&DEV_5013\\4&1&0&0008"},
        {"devices", Json::array({{{"deviceId", "SCSI\\DISK&VEN_NVME&PROD_0\\5&1&0&000000"}}})},
        {"pcieLink", {{"maxSpeed", 3}, {"maxWidth", 4}, {"speed", 3}, {"width", 4}}}};
    return MachineOf(
        Json::array({drive(0, "nvme-storage-query", "Orvel NVMe Query",
                           {{"temperatureKelvin", 320}, {"dataUnitsWritten", 4096}}),
                     drive(1, "nvme-samsung", "Orvel NVMe Samsung", std::move(samsungHealth)),
                     intel}),
        Json::array({controller}), Json::array(), {{"major", osMajor}, {"minor", 0}});
}

TEST_F(InventoryTest, EachRouteRecordsItsDriveWithItsLinkAndHealth) {
    Inventory(NvmeMachine(10));
    ASSERT_EQ(Engine().vars.Count(), 3);

    const DriveRecord &query = Engine().vars[0], &samsung = Engine().vars[1],
                      &intel = Engine().vars[2];
    EXPECT_EQ(std::tuple(query.CommandType, samsung.CommandType, intel.CommandType),
              std::tuple(CMD_TYPE_NVME_STORAGE_QUERY, CMD_TYPE_NVME_SAMSUNG, CMD_TYPE_NVME_INTEL));
    EXPECT_EQ(std::tuple(query.Temperature, query.HostWrites, query.AttributeCount,
                         query.MaxTransferMode, query.CurrentTransferMode),
              std::tuple(47, 2, 15u, L"PCIe 3.0 x4", L"PCIe 3.0 x4"));
    // The second drive is on no known controller.
    EXPECT_EQ(std::tuple(samsung.Temperature, samsung.MaxTransferMode),
              std::tuple(35, L"PCIe 0.0 x0"));
    EXPECT_EQ(std::tuple(intel.Temperature, intel.PowerOnHours), std::tuple(27, 77));

    // Before Windows 10 the other routes still answer.
    EXPECT_FALSE(Has(Inventory(NvmeMachine(6)), "DoIdentifyDeviceNVMeStorageQuery"));
    // Only the storage query reaches the first drive.
    ASSERT_EQ(Engine().vars.Count(), 2);
    EXPECT_EQ(std::tuple(Engine().vars[0].CommandType, Engine().vars[1].CommandType),
              std::tuple(CMD_TYPE_NVME_SAMSUNG, CMD_TYPE_NVME_INTEL));

    // An all-zero log: the Samsung read fails, and the Intel short read does not reach it.
    Inventory(NvmeMachine(10, Json::object()));
    const DriveRecord* empty = Drive(1);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(std::tuple(empty->Model, empty->AttributeCount, empty->SmartDataValid,
                         empty->Temperature, empty->SmartKeyName),
              std::tuple(L"Orvel NVMe Samsung", 0u, false, -1000, L""));
}

TEST(NvmeHealthLogChoice, FollowsTheRouteWithTheIntelShortLogBehindSamsung) {
    constexpr platform::DWORD kPassThrough = 0x0004D004, kMiniport = 0x0004D008,
                              kAddress = 0x00041018, kQuery = 0x002D1400;
    auto backend = std::make_unique<ScriptedPlatform>(
        [&](const ScriptedRequest& request, uint8_t* out, platform::DWORD* returned) {
            if (request.code == kPassThrough) return 0;  // the Samsung driver does not answer
            if (request.code == kAddress) {
                std::memset(out, 0, request.outSize);
                out[4] = 4;
                *returned = 8;
                return 1;
            }
            std::memcpy(out, request.in.data(), request.in.size());
            out[152] = 1;  // a critical warning
            *returned = request.outSize;
            return 1;
        });
    ScriptedPlatform& machine = *backend;
    platform::UsePlatform(std::move(backend));
    const DriveAddress address{.physicalDriveId = 6};
    AtaPage log{};

    auto samsung = OpenNvmeRoute(CMD_TYPE_NVME_SAMSUNG, address, {});
    ASSERT_TRUE(samsung->ReadHealthLog(log));
    EXPECT_EQ(log[0], 1);
    ASSERT_EQ(machine.requests.size(), 3u);
    EXPECT_EQ(std::tuple(machine.requests[0].code, machine.requests[2].code),
              std::tuple(kPassThrough, kMiniport));
    EXPECT_EQ(std::tuple(machine.requests[2].in[92], machine.requests[2].in[94]),
              std::tuple(0x02, 0x00))
        << "the short log";

    // The storage query's log only where the system has the query.
    machine.requests.clear();
    EXPECT_FALSE(OpenNvmeRoute(CMD_TYPE_NVME_STORAGE_QUERY, address, {})->ReadHealthLog(log));
    EXPECT_TRUE(machine.requests.empty());
    const SystemRoutes current{.storageQuery = true};
    EXPECT_TRUE(OpenNvmeRoute(CMD_TYPE_NVME_STORAGE_QUERY, address, current)->ReadHealthLog(log));
    ASSERT_EQ(machine.requests.size(), 1u);
    EXPECT_EQ(machine.requests[0].code, kQuery);

    // Other routes have no NVMe health log.
    EXPECT_EQ(OpenNvmeRoute(CMD_TYPE_PHYSICAL_DRIVE, address, current), nullptr);
    EXPECT_EQ(OpenNvmeRoute(CommandType{static_cast<int32_t>(kCommandTypeCount)}, address, current),
              nullptr);
    platform::UsePlatform(nullptr);
}

TEST_F(SimTest, PcieLinkIsFoundFromTheDriveThroughItsController) {
    LoadDemo();
    const platform::PcieLink link = GetPcieLink(2);
    EXPECT_EQ(std::tuple(link.maxSpeed, link.maxWidth, link.speed, link.width),
              std::tuple(3u, 4u, 3u, 4u));
    // A drive on a controller without link facts, and a drive that does not exist.
    const platform::PcieLink sata = GetPcieLink(0);
    EXPECT_EQ(sata.maxSpeed + sata.maxWidth + sata.speed + sata.width, 0u);
    const platform::PcieLink missing = GetPcieLink(40);
    EXPECT_EQ(FormatPcieLink(missing.maxSpeed, missing.maxWidth), L"PCIe 0.0 x0");
}

}  // namespace

}  // namespace disk

// The management service over an inventory, with no backend beneath: the WQL forms, classes
// and namespaces it answers, and where a connection fails.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/utf8.h"
#include "platform/inventory/locator.h"
#include "platform/inventory/wql.h"

namespace {

using namespace platform;
using namespace platform::inventory;

// A SATA controller with one disk, which a second controller lists too, and that disk's
// Win32_DiskDrive object.
std::shared_ptr<const Inventory> OneDisk() {
    auto inventory = std::make_shared<Inventory>();
    const DeviceRef disk{L"SCSI\\DISK&VEN_&PROD_ONE\\4&1&0&000000", L"One SSD"};
    inventory->controllers = {
        {ControllerClass::Ide, L"SATA", L"PCI\\VEN_1&DEV_2\\3", {disk}, std::nullopt},
        {ControllerClass::Scsi, L"Other", L"PCI\\VEN_1&DEV_3\\4", {disk}, PcieLink{3, 4, 3, 4}},
    };
    inventory->disks = {{{{L"Model", std::wstring(L"One SSD")},
                          {L"DeviceID", std::wstring(L"\\\\.\\PHYSICALDRIVE0")},
                          {L"PNPDeviceID", disk.deviceId}},
                         FailurePrediction{}}};
    return inventory;
}

TEST(Inventory, AnswersItsFormsFindsLinksAndConnectsOrFailsWhereItShould) {
    const auto inventory = OneDisk();
    const struct {
        const wchar_t* nameSpace;
        const wchar_t* query;
        HRESULT result;
        size_t objects;
    } rows[] = {
        {L"root\\cimv2", L"SELECT * FROM Win32_DiskDrive", S_OK, 1},
        {L"root\\cimv2", L"select Name, DeviceID from Win32_IDEController", S_OK, 1},
        {L"root\\cimv2", L"SELECT * FROM Win32_PnPEntity", S_OK, 1},  // listed twice, one entity
        {L"root\\cimv2", L"SELECT * FROM Win32_Printer", WBEM_E_INVALID_CLASS, 0},
        {L"root\\cimv2", L"DELETE FROM Win32_DiskDrive", WBEM_E_INVALID_QUERY, 0},
        {L"root\\wmi", L"SELECT * FROM Win32_DiskDrive", WBEM_E_INVALID_CLASS, 0},
        {L"root\\wmi", L"SELECT * FROM MSStorageDriver_FailurePredictStatus", S_OK, 1},
        {L"root\\cimv2", L"ASSOCIATORS OF {Win32_DiskDrive.DeviceID='x'} WHERE Colour = Red",
         WBEM_E_INVALID_QUERY, 0},
        // The inventory doubles every backslash of the id it inserts; both spellings match.
        {L"root\\cimv2",
         L"ASSOCIATORS OF {Win32_IDEController.DeviceID=\"PCI\\\\VEN_1&DEV_2\\\\3\"} "
         L"WHERE AssocClass = Win32_IDEControllerDevice",
         S_OK, 1},
        {L"root\\cimv2",
         L"ASSOCIATORS OF {Win32_PnPEntity.DeviceID='SCSI\\DISK&VEN_&PROD_ONE\\4&1&0&000000'}",
         S_OK, 3},
        // Doubled inside single quotes too, as the way from a drive to its controller asks.
        {L"root\\cimv2",
         L"ASSOCIATORS OF {Win32_DiskDrive.DeviceID='\\\\\\\\.\\\\PHYSICALDRIVE0'} "
         L"WHERE ResultClass=Win32_PnPEntity",
         S_OK, 1},
        {L"root\\cimv2",
         L"ASSOCIATORS OF {Win32_PnPEntity.DeviceID='SCSI\\\\DISK&VEN_&PROD_ONE\\\\4&1&0&000000'} "
         L"WHERE AssocClass=Win32_SCSIControllerDevice",
         S_OK, 1},
    };
    for (const auto& row : rows) {
        std::vector<WmiInstance> results;
        EXPECT_EQ(RunWql(*inventory, row.nameSpace, row.query, &results), row.result)
            << ToUtf8(row.query);
        EXPECT_EQ(results.size(), row.objects) << ToUtf8(row.query);
    }
    // Controllers are found by id in any case.
    EXPECT_EQ(LinkOf(inventory->controllers, L"pci\\ven_1&dev_3\\4")->width, 4u);
    EXPECT_EQ(LinkOf(inventory->controllers, L"PCI\\VEN_1&DEV_2\\3")->maxSpeed, 0u)
        << "a controller without link facts";
    EXPECT_FALSE(LinkOf(inventory->controllers, L"PCI\\NOTHERE"));

    // The locator: namespaces, query language and where a connection fails.
    std::unique_ptr<WmiServices> services;
    std::unique_ptr<WmiEnumerator> enumerator;
    auto locator = MakeLocator(OneDisk());
    EXPECT_EQ(locator->ConnectServer(L"root\\default\\none", 0, &services),
              WBEM_E_INVALID_NAMESPACE);
    ASSERT_EQ(locator->ConnectServer(L"\\\\.\\ROOT\\CIMV2", 0, &services), S_OK);
    EXPECT_EQ(services->SetProxyBlanket(10, 0, 3, 3, 0), S_OK);
    EXPECT_EQ(services->ExecQuery(L"SQL", L"SELECT * FROM Win32_DiskDrive", 0, &enumerator),
              WBEM_E_INVALID_QUERY_TYPE);
    ASSERT_EQ(services->ExecQuery(L"WQL", L"SELECT * FROM Win32_DiskDrive", 0, &enumerator), S_OK);
    WmiObject object;
    DWORD returned = 0;
    EXPECT_EQ(enumerator->Next(0, &object, &returned), S_OK);
    EXPECT_EQ(returned, 1u);
    EXPECT_EQ(enumerator->Next(0, &object, &returned), WBEM_S_FALSE);
    EXPECT_EQ(returned, 0u);

    bool available = false;
    locator = MakeLocator(OneDisk(), {[&] { return available; }, true, true});
    EXPECT_EQ(locator->ConnectServer(L"root\\cimv2", 0, &services), WBEM_E_TRANSPORT_FAILURE);
    available = true;
    ASSERT_EQ(locator->ConnectServer(L"root\\cimv2", 0, &services), S_OK);
    EXPECT_EQ(services->SetProxyBlanket(10, 0, 3, 3, 0), E_ACCESSDENIED);
    EXPECT_EQ(services->ExecQuery(L"WQL", L"SELECT * FROM Win32_DiskDrive", 0, &enumerator),
              WBEM_E_TRANSPORT_FAILURE);
}

}  // namespace

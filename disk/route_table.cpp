#include "disk/route_table.h"

#include <algorithm>

#include "disk/nvme_routes.h"
#include "transport/csmi.h"
#include "transport/physical_drive.h"
#include "transport/scsi_miniport.h"
#include "transport/silicon_image.h"
#include "transport/usb_bridge.h"
#include "transport/wmi_smart.h"

namespace disk {

using enum CommandType;

namespace {

std::unique_ptr<transport::AtaRoute> OpenPhysicalDriveRoute(const DriveAddress& address,
                                                            const SystemRoutes& system) {
    return std::make_unique<transport::PhysicalDriveRoute>(address.physicalDriveId, address.target,
                                                           system.ataPassThrough);
}

std::unique_ptr<transport::AtaRoute> OpenScsiMiniportRoute(const DriveAddress& address,
                                                           const SystemRoutes&) {
    return std::make_unique<transport::ScsiMiniportRoute>(address.scsiPort, address.scsiTargetId);
}

// The bridge chip is the route: one opener per CommandType.
template <CommandType bridge>
std::unique_ptr<transport::AtaRoute> OpenUsbBridgeRoute(const DriveAddress& address,
                                                        const SystemRoutes&) {
    return std::make_unique<transport::UsbBridgeRoute>(ToUnderlying(bridge),
                                                       address.physicalDriveId, address.target);
}

// Discovery gives the controller's device number as the SCSI bus.
std::unique_ptr<transport::AtaRoute> OpenSiliconImageRoute(const DriveAddress& address,
                                                           const SystemRoutes& system) {
    return std::make_unique<transport::SiliconImageRoute>(
        transport::SiliconImageAddress{.port = address.scsiPort,
                                       .chip = address.siliconImageType,
                                       .device = address.scsiBus,
                                       .physicalDrive = address.physicalDriveId,
                                       .pnpDeviceId = address.pnpDeviceId,
                                       .osMajorVersion = system.osMajorVersion,
                                       .osMinorVersion = system.osMinorVersion});
}

std::unique_ptr<transport::AtaRoute> OpenCsmiRoute(const DriveAddress& address,
                                                   const SystemRoutes&) {
    return std::make_unique<transport::CsmiRoute>(address.scsiPort, address.csmiPortData);
}

void ScanCsmiPort(int port, const SystemRoutes& system, const CsmiDriveFound& found) {
    const auto scope =
        system.csmiMode == 2 ? transport::CsmiScope::RaidMembers : transport::CsmiScope::AllPhys;
    transport::DoIdentifyDeviceCsmi(
        port, scope, [&](transport::AtaBuffer identify, const transport::CsmiPhyEntry& phy) {
            AtaPage page;
            std::ranges::copy(identify, page.begin());
            found(page, phy);
        });
}

std::unique_ptr<transport::AtaRoute> OpenWmiRoute(const DriveAddress& address,
                                                  const SystemRoutes& system) {
    return std::make_unique<transport::WmiRoute>(address.pnpDeviceId, system.osMajorVersion);
}

// Entries left empty belong to routes that are not built yet; each lands with its transport.
const std::array<RouteEntry, kCommandTypeCount> kRoutes = [] {
    std::array<RouteEntry, kCommandTypeCount> routes{};
    const auto route = [&](CommandType type) -> RouteEntry& { return routes[ToUnderlying(type)]; };
    route(CMD_TYPE_PHYSICAL_DRIVE) = {.openAta = OpenPhysicalDriveRoute,
                                      .smartRead = &kPhysicalDriveSmartRead};
    route(CMD_TYPE_SCSI_MINIPORT) = {.openAta = OpenScsiMiniportRoute,
                                     .smartRead = &kScsiMiniportSmartRead};
    route(CMD_TYPE_SILICON_IMAGE) = {.openAta = OpenSiliconImageRoute,
                                     .smartRead = &kSiliconImageSmartRead};
    route(CMD_TYPE_SAT) = {OpenUsbBridgeRoute<CMD_TYPE_SAT>, &kUsbBridgeSmartRead};
    route(CMD_TYPE_SUNPLUS) = {OpenUsbBridgeRoute<CMD_TYPE_SUNPLUS>, &kUsbBridgeSmartRead};
    route(CMD_TYPE_IO_DATA) = {OpenUsbBridgeRoute<CMD_TYPE_IO_DATA>, &kUsbBridgeSmartRead};
    route(CMD_TYPE_LOGITEC1) = {OpenUsbBridgeRoute<CMD_TYPE_LOGITEC1>, &kUsbBridgeSmartRead};
    route(CMD_TYPE_LOGITEC2) = {OpenUsbBridgeRoute<CMD_TYPE_LOGITEC2>, &kUsbBridgeSmartRead};
    route(CMD_TYPE_JMICRON) = {OpenUsbBridgeRoute<CMD_TYPE_JMICRON>, &kUsbBridgeSmartRead};
    route(CMD_TYPE_CYPRESS) = {OpenUsbBridgeRoute<CMD_TYPE_CYPRESS>, &kUsbBridgeSmartRead};
    route(CMD_TYPE_CSMI) = {
        .openAta = OpenCsmiRoute, .smartRead = &kCsmiSmartRead, .scanPort = ScanCsmiPort};
    route(CMD_TYPE_CSMI_PHYSICAL_DRIVE) = {.openAta = OpenCsmiRoute,
                                           .smartRead = &kCsmiPhysicalDriveSmartRead};
    route(CMD_TYPE_WMI) = {.openAta = OpenWmiRoute, .smartRead = &kWmiSmartRead};
    route(CMD_TYPE_NVME_SAMSUNG) = {.openNvme = OpenNvmeRouteOf<CMD_TYPE_NVME_SAMSUNG>};
    route(CMD_TYPE_NVME_INTEL) = {.openNvme = OpenNvmeRouteOf<CMD_TYPE_NVME_INTEL>};
    route(CMD_TYPE_NVME_STORAGE_QUERY) = {.openNvme = OpenNvmeRouteOf<CMD_TYPE_NVME_STORAGE_QUERY>};
    return routes;
}();

const RouteEntry kNoRoute{};

}  // namespace

const RouteEntry& RouteOf(CommandType commandType) {
    const auto index = static_cast<size_t>(ToUnderlying(commandType));
    return index < kRoutes.size() ? kRoutes[index] : kNoRoute;
}

bool IdentifyThroughRoute(CommandType commandType, const DriveAddress& address,
                          const SystemRoutes& system, transport::AtaBuffer identify) {
    const RouteEntry& entry = RouteOf(commandType);
    if (entry.openAta == nullptr) return false;
    // A route that fails must not leave an earlier route's answer looking like its own.
    std::ranges::fill(identify, uint8_t{0});
    return entry.openAta(address, system)->IdentifyDevice(identify);
}

bool ReadSmartThroughRoute(const SystemRoutes& system, DriveRecord& record) {
    const RouteEntry& entry = RouteOf(record.CommandType);
    if (entry.openAta == nullptr || entry.smartRead == nullptr) return false;
    const DriveAddress& address = record.Address;
    const auto route = entry.openAta(address, system);
    // Some sequences also read through the drive's physical-drive route, at the first device.
    std::unique_ptr<transport::AtaRoute> physicalDrive;
    if (entry.smartRead->sequence != SmartSequence::ReadAndConfirm &&
        address.physicalDriveId >= 0) {
        DriveAddress first = address;
        first.target = TARGET_FIRST_DEVICE;
        physicalDrive = OpenPhysicalDriveRoute(first, system);
    }
    ReadSmartSequence(*route, physicalDrive.get(), *entry.smartRead, record);
    return true;
}

}  // namespace disk

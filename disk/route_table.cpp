#include "disk/route_table.h"

#include <algorithm>

#include "transport/physical_drive.h"

namespace {

std::unique_ptr<transport::AtaRoute> OpenPhysicalDriveRoute(const DriveAddress& address,
                                                            const SystemRoutes& system) {
    return std::make_unique<transport::PhysicalDriveRoute>(address.physicalDriveId, address.target,
                                                           system.ataPassThrough);
}

// Entries left empty belong to routes that are not built yet; each lands with its transport.
const std::array<RouteEntry, CMD_TYPE_COUNT> kRoutes = [] {
    std::array<RouteEntry, CMD_TYPE_COUNT> routes{};
    routes[CMD_TYPE_PHYSICAL_DRIVE] = {.openAta = OpenPhysicalDriveRoute,
                                       .smartRead = &kPhysicalDriveSmartRead};
    return routes;
}();

const RouteEntry kNoRoute{};

}  // namespace

DriveAddress AddressOf(const DriveRecord& record) {
    return {.physicalDriveId = record.PhysicalDriveId,
            .scsiPort = record.ScsiPort,
            .scsiTargetId = record.ScsiTargetId,
            .scsiBus = record.ScsiBus,
            .siliconImageType = record.SiliconImageType,
            .target = record.Target,
            .csmiPortData = record.CsmiPortData,
            .pnpDeviceId = record.PnpDeviceId};
}

const RouteEntry& RouteOf(int32_t commandType) {
    const bool known = commandType >= 0 && commandType < CMD_TYPE_COUNT;
    return known ? kRoutes[static_cast<size_t>(commandType)] : kNoRoute;
}

bool IdentifyThroughRoute(int32_t commandType, const DriveAddress& address,
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
    const auto route = entry.openAta(AddressOf(record), system);
    ReadAndConfirmSmart(*route, *entry.smartRead, record);
    return true;
}

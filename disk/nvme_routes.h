// The NVMe routes as the route table offers them. Which reads a drive's health log comes from
// follows from its CommandType: the storage query (only where the system has it), the Intel
// miniport's full log, or the Samsung route with the Intel short log behind it.
#pragma once

#include <cstdint>
#include <memory>

#include "disk/route_table.h"

namespace disk {

// The route of an NVMe CommandType; null for any other value.
std::unique_ptr<NvmeRoute> OpenNvmeRoute(CommandType commandType, const DriveAddress& address,
                                         const SystemRoutes& system);

// The same in the shape of a route-table entry, one per NVMe CommandType.
template <CommandType commandType>
std::unique_ptr<NvmeRoute> OpenNvmeRouteOf(const DriveAddress& address,
                                           const SystemRoutes& system) {
    return OpenNvmeRoute(commandType, address, system);
}

}  // namespace disk

// The one table of command routes the inventory reaches drives by, indexed by CommandType. An
// entry says how to open the route for one drive, how its SMART reads are logged, and for the
// discovery routes how they find their drives. A route whose entry is empty is not built: it
// never answers, so the inventory simply goes on to the next one. Adding a route is filling in
// its entry.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "disk/drive_address.h"
#include "disk/drive_record.h"
#include "disk/smart_reading.h"
#include "platform/win_types.h"
#include "transport/ata_route.h"

namespace disk {

// What the system offers the routes, fixed from its version at the start of an inventory.
struct SystemRoutes {
    bool ataPassThrough = false;
    bool storageQuery = false;
    platform::DWORD osMajorVersion = 0;
    platform::DWORD osMinorVersion = 0;
    // CAtaSmart::CsmiEnabled: which PHYs of a RAID port discovery asks (1 all, 2 RAID members).
    int32_t csmiMode = 1;
};

// An NVMe drive's route. NVMe drives answer no ATA command: the route fetches the Identify
// Controller data and the SMART / Health Information log.
class NvmeRoute {
  public:
    virtual ~NvmeRoute() = default;
    // The first 512 bytes of the Identify Controller data.
    virtual bool IdentifyController(transport::AtaBuffer identify) = 0;
    // The first 512 bytes of the health log, by the reads this route tries in turn.
    virtual bool ReadHealthLog(transport::AtaBuffer log) = 0;
};

// A drive found behind a RAID port: its IDENTIFY answer and its port description.
using CsmiDriveFound = std::function<void(const AtaPage& identify, const CsmiPortData& port)>;

struct RouteEntry {
    // Opens the ATA route for the drive at `address`.
    std::unique_ptr<transport::AtaRoute> (*openAta)(const DriveAddress& address,
                                                    const SystemRoutes& system) = nullptr;
    // The log lines around the route's SMART reads.
    const SmartReadProfile* smartRead = nullptr;
    // Opens the NVMe route for the drive at `address`.
    std::unique_ptr<NvmeRoute> (*openNvme)(const DriveAddress& address,
                                           const SystemRoutes& system) = nullptr;
    // Finds the drives behind one RAID port and reports each to `found`.
    void (*scanPort)(int port, const SystemRoutes& system, const CsmiDriveFound& found) = nullptr;
};

// The entry of a route; values outside the table get an empty one.
const RouteEntry& RouteOf(CommandType commandType);

// IDENTIFY DEVICE through the route of `commandType`; false when the route is not built or the
// drive does not answer.
bool IdentifyThroughRoute(CommandType commandType, const DriveAddress& address,
                          const SystemRoutes& system, transport::AtaBuffer identify);

// Reads and confirms the record's SMART pages through the route its CommandType names. False
// when that route cannot read SMART: an unknown value, or a route not built.
bool ReadSmartThroughRoute(const SystemRoutes& system, DriveRecord& record);

}  // namespace disk

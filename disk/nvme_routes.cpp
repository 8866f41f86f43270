#include "disk/nvme_routes.h"

#include <algorithm>
#include <array>

#include "transport/nvme_intel.h"
#include "transport/nvme_samsung.h"
#include "transport/nvme_storage_query.h"

namespace disk {

namespace {

using Read = bool (*)(int physicalDrive, transport::NvmePage page);

struct NvmeReads {
    CommandType commandType;
    Read identify;
    // The health log needs the system's storage query, which older systems lack.
    bool logNeedsStorageQuery;
    // Tried in turn until one answers; null entries end the list.
    std::array<Read, 2> healthLog;
};

constexpr NvmeReads kNvmeReads[] = {
    {CommandType::CMD_TYPE_NVME_STORAGE_QUERY,
     transport::DoIdentifyDeviceNVMeStorageQuery,
     true,
     {transport::GetSmartAttributeNVMeStorageQuery, nullptr}},
    {CommandType::CMD_TYPE_NVME_INTEL,
     transport::DoIdentifyDeviceNVMeIntel,
     false,
     {transport::GetSmartAttributeNVMeIntel, nullptr}},
    // Samsung's driver does not give the log on every drive; the Intel miniport's short read
    // still gets its first bytes.
    {CommandType::CMD_TYPE_NVME_SAMSUNG,
     transport::DoIdentifyDeviceNVMeSamsung,
     false,
     {transport::GetSmartAttributeNVMeSamsung, transport::GetSmartAttributeNVMeIntelShort}},
};

class TableNvmeRoute : public NvmeRoute {
  public:
    TableNvmeRoute(const NvmeReads& reads, int32_t physicalDrive, bool storageQuery)
        : reads_(reads), drive_(physicalDrive), storageQuery_(storageQuery) {}

    bool IdentifyController(transport::AtaBuffer identify) override {
        return reads_.identify(drive_, identify);
    }

    bool ReadHealthLog(transport::AtaBuffer log) override {
        if (reads_.logNeedsStorageQuery && !storageQuery_) return false;
        return std::ranges::any_of(reads_.healthLog,
                                   [&](Read read) { return read != nullptr && read(drive_, log); });
    }

  private:
    const NvmeReads& reads_;
    int32_t drive_;
    bool storageQuery_;
};

}  // namespace

std::unique_ptr<NvmeRoute> OpenNvmeRoute(CommandType commandType, const DriveAddress& address,
                                         const SystemRoutes& system) {
    const auto* reads = std::ranges::find(kNvmeReads, commandType, &NvmeReads::commandType);
    if (reads == std::end(kNvmeReads)) return nullptr;
    return std::make_unique<TableNvmeRoute>(*reads, address.physicalDriveId, system.storageQuery);
}

}  // namespace disk

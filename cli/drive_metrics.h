// Drive health as Prometheus metric families, from the records of one inventory: identity,
// capacity, temperature and power-on figures of every drive, each S.M.A.R.T. attribute with its
// status, the NVMe health log's fields, a health status per drive, and whether each drive and
// the run as a whole could be read. docs/metrics.md lists every series.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "cli/exposition.h"
#include "disk/attribute_names.h"
#include "disk/drive_record.h"

namespace cli {

struct MetricsInventory {
    // Both null when the inventory could not be taken at all.
    const disk::DriveList* drives = nullptr;
    const disk::AttributeNameTables* names = nullptr;  // names in the interface language
    // Physical drive numbers of disks that were found but answered no route.
    std::span<const int32_t> unansweredDrives{};
    double seconds = 0.0;  // the run's duration until the metrics were built
};

// The families in the order docs/metrics.md lists them.
std::vector<MetricFamily> DriveMetricFamilies(const MetricsInventory& inventory);

}  // namespace cli

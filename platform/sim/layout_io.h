// Partition tables in a simulated disk's image: written once into a new image from the
// machine's layout, read back for the layout and volume requests, and deleted on request.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/disk_requests.h"
#include "platform/sim/disk_image.h"
#include "platform/sim/machine.h"

namespace platform::sim {

// An entry is what the layout request reports of it.
using TableEntry = LayoutPartition;

struct PartitionTable {
    LayoutStyle style = LayoutStyle::Raw;
    uint32_t signature = 0;
    GuidBytes diskGuid{};
    uint64_t firstUsableLba = 0, lastUsableLba = 0;
    // Non-empty entries in slot order.
    std::vector<TableEntry> entries;

    const TableEntry* Find(uint32_t index) const;
};

// Order: entry arrays, then headers, then sector 0, so a table is complete before the MBR
// points at it. False at the first failed write.
bool WriteLayout(DiskImage& image, const LayoutSpec& layout);

// The table the image holds now: a GPT when a protective MBR leads to a valid header (the
// backup when the primary is damaged), an MBR when sector 0 carries its signature, else raw.
PartitionTable ReadPartitionTable(const DiskImage& image);

// Clears the MBR's entries and signature and both GPT headers, as the disk driver does.
bool DeleteLayout(DiskImage& image);

}  // namespace platform::sim

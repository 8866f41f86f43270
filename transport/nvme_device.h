// What the three NVMe routes share: the part of each NVMe structure that is kept, and how their
// devices are opened.
#pragma once

#include <cstdint>
#include <span>

#include "platform/win_types.h"

namespace transport {

// The first 512 bytes of the Identify Controller data or of the SMART / Health Information log;
// the rest of either 4096-byte transfer is not kept.
using NvmePage = std::span<uint8_t, 512>;

// "\\.\PhysicalDrive<n>" for reading and writing, shared, with normal file attributes.
platform::HANDLE OpenNvmePhysicalDrive(int physicalDrive);
// "\\.\SCSI<port>:" the same way.
platform::HANDLE OpenNvmeScsiPort(int port);

// A reply of nothing but zeros carries no data, whatever the call said.
bool IsAllZero(std::span<const uint8_t> bytes);

}  // namespace transport

#include "transport/nvme_device.h"

#include <algorithm>
#include <string>

#include "platform/platform.h"
#include "platform/win_constants.h"

namespace transport {

using namespace platform;

namespace {

HANDLE OpenNormal(const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
}

}  // namespace

HANDLE OpenNvmePhysicalDrive(int physicalDrive) {
    return OpenNormal(L"\\\\.\\PhysicalDrive" + std::to_wstring(physicalDrive));
}

HANDLE OpenNvmeScsiPort(int port) {
    return OpenNormal(L"\\\\.\\SCSI" + std::to_wstring(port) + L":");
}

bool IsAllZero(std::span<const uint8_t> bytes) {
    return std::ranges::all_of(bytes, [](uint8_t byte) { return byte == 0; });
}

}  // namespace transport

#include "disk/pcie_link.h"

#include <memory>
#include <optional>

#include "disk/wmi_query.h"
#include "transport/wmi_connect.h"

using namespace platform;

namespace disk {

namespace {

constexpr size_t kMaxObjects = 256;

// The DeviceID of the last object `query` returns.
std::optional<std::wstring> LastDeviceId(WmiServices& services, const std::wstring& query) {
    const auto objects = RunWqlQuery(services, query);
    if (!objects) return std::nullopt;
    std::optional<std::wstring> id;
    WalkWmiObjects(*objects, kMaxObjects, [&](const WmiObject& object) {
        if (auto found = WmiText(object, L"DeviceID")) id = std::move(found);
    });
    return id;
}

}  // namespace

PcieLink GetPcieLink(int32_t physicalDriveId) {
    // Its own connection: the inventory's may be gone by the time a drive is recorded.
    const auto services =
        transport::ConnectWmiNamespace(L"\\\\.\\root\\cimv2", WBEM_FLAG_CONNECT_USE_MAX_WAIT);
    if (!services) return {};
    // An object path's backslashes are escapes, so every one of an id is doubled.
    const std::wstring drive = L"\\\\.\\PhysicalDrive" + std::to_wstring(physicalDriveId);
    const auto entity =
        LastDeviceId(*services, L"ASSOCIATORS OF {Win32_DiskDrive.DeviceID='" + WqlEscape(drive) +
                                    L"'} WHERE ResultClass=Win32_PnPEntity");
    if (!entity) return {};
    const auto controller =
        LastDeviceId(*services, L"ASSOCIATORS OF {Win32_PnPEntity.DeviceID='" + WqlEscape(*entity) +
                                    L"'} WHERE AssocClass=Win32_SCSIControllerDevice");
    if (!controller) return {};
    PcieLink link;
    if (!GetPcieLinkProperties(*controller, &link)) return {};
    return link;
}

std::wstring FormatPcieLink(uint32_t speed, uint32_t width) {
    return L"PCIe " + std::to_wstring(speed) + L".0 x" + std::to_wstring(width);
}

}  // namespace disk

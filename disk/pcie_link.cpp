#include "disk/pcie_link.h"

#include <memory>
#include <optional>

#include "disk/wmi_query.h"

using namespace platform;

namespace {

constexpr size_t kMaxObjects = 256;

// Its own connection: the inventory's may be gone by the time a drive is recorded.
std::unique_ptr<WmiServices> ConnectCimv2() {
    std::unique_ptr<WmiLocator> locator;
    if (!Succeeded(CreateWbemLocator(&locator)) || !locator) return nullptr;
    std::unique_ptr<WmiServices> services;
    if (!Succeeded(locator->ConnectServer(L"\\\\.\\root\\cimv2", WBEM_FLAG_CONNECT_USE_MAX_WAIT,
                                          &services)) ||
        !services)
        return nullptr;
    if (!Succeeded(services->SetProxyBlanket(RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE,
                                             RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE,
                                             EOAC_NONE)))
        return nullptr;
    return services;
}

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
    const auto services = ConnectCimv2();
    if (!services) return {};
    const auto entity = LastDeviceId(
        *services, L"ASSOCIATORS OF {Win32_DiskDrive.DeviceID='\\\\.\\PhysicalDrive" +
                       std::to_wstring(physicalDriveId) + L"'} WHERE ResultClass=Win32_PnPEntity");
    if (!entity) return {};
    const auto controller =
        LastDeviceId(*services, L"ASSOCIATORS OF {Win32_PnPEntity.DeviceID='" + *entity +
                                    L"'} WHERE AssocClass=Win32_SCSIControllerDevice");
    if (!controller) return {};
    PcieLink link;
    if (!GetPcieLinkProperties(*controller, &link)) return {};
    return link;
}

std::wstring FormatPcieLink(uint32_t speed, uint32_t width) {
    return L"PCIe " + std::to_wstring(speed) + L".0 x" + std::to_wstring(width);
}

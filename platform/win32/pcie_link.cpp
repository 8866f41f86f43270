// The PCIe link of a storage controller, from the device properties Windows keeps for it.
#include "platform/win32/win32_platform.h"
#include "platform/win32/windows_api.h"

#include <cfgmgr32.h>
#include <devguid.h>
#include <devpropdef.h>
#include <setupapi.h>

namespace platform::win32 {

namespace {

// The PCI device property set; the SDK headers of this toolchain do not name its keys.
constexpr DEVPROPGUID kPciDeviceProperties = {
    0x3ab22e31, 0x8264, 0x4b4e, {0x9a, 0xf5, 0xa8, 0xd2, 0xd8, 0xe3, 0x3e, 0x62}};

struct LinkProperty {
    DEVPROPID id;
    uint32_t PcieLink::*field;
};
constexpr LinkProperty kLinkProperties[] = {
    {11, &PcieLink::maxSpeed},
    {12, &PcieLink::maxWidth},
    {9, &PcieLink::speed},
    {10, &PcieLink::width},
};

// Present only from Vista on, so looked up where the setup functions live.
using GetDeviceProperty = ::BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, const DEVPROPKEY*,
                                          DEVPROPTYPE*, PBYTE, ::DWORD, PDWORD, ::DWORD);

GetDeviceProperty DevicePropertyCall() {
    static const HMODULE setupApi = ::LoadLibraryW(L"Setupapi.dll");
    return LookUp<GetDeviceProperty>(setupApi, "SetupDiGetDevicePropertyW");
}

// The storage adapter with this instance id among the present ones, in `devices`.
bool FindAdapter(HDEVINFO devices, const std::wstring& instanceId, SP_DEVINFO_DATA* adapter) {
    adapter->cbSize = sizeof *adapter;
    for (::DWORD index = 0; ::SetupDiEnumDeviceInfo(devices, index, adapter); ++index) {
        wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
        if (::CM_Get_Device_IDW(adapter->DevInst, id, MAX_DEVICE_ID_LEN, 0) == CR_SUCCESS &&
            instanceId == id)
            return true;
    }
    return false;
}

// The four link properties of `adapter`; one it lacks stays 0, of one it has only the first
// byte counts.
PcieLink ReadLink(GetDeviceProperty getProperty, HDEVINFO devices, SP_DEVINFO_DATA& adapter) {
    PcieLink link;
    for (const LinkProperty& property : kLinkProperties) {
        const DEVPROPKEY key = {kPciDeviceProperties, property.id};
        DEVPROPTYPE type = 0;
        BYTE value[1024] = {};
        if (getProperty(devices, &adapter, &key, &type, value, sizeof value, nullptr, 0))
            link.*property.field = value[0];
    }
    return link;
}

}  // namespace

BOOL Win32Platform::GetPcieLinkProperties(const std::wstring& controllerDeviceId, PcieLink* link) {
    const GetDeviceProperty getProperty = DevicePropertyCall();
    if (getProperty == nullptr) return FALSE;
    const HDEVINFO devices =
        ::SetupDiGetClassDevsW(&GUID_DEVCLASS_SCSIADAPTER, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE) return FALSE;
    SP_DEVINFO_DATA adapter{};
    const bool found = FindAdapter(devices, controllerDeviceId, &adapter);
    if (found && link != nullptr) *link = ReadLink(getProperty, devices, adapter);
    ::SetupDiDestroyDeviceInfoList(devices);
    if (!found) ::SetLastError(ERROR_FILE_NOT_FOUND);
    return found;
}

}  // namespace platform::win32

// The names a machine file gives its coded values, shared by the reader and the writer so a
// written file always reads back.
#pragma once

#include <string_view>
#include <utility>

#include "platform/ioctl.h"
#include "platform/sim/machine.h"

namespace platform::sim {

template <typename T>
using NameOf = std::pair<std::string_view, T>;

inline constexpr NameOf<WORD> kArchitectureNames[] = {{"x86", 0}, {"amd64", 9}};

inline constexpr NameOf<WinmgmtState> kWinmgmtNames[] = {
    {"running", WinmgmtState::Running},
    {"startable", WinmgmtState::Startable},
    {"disabled", WinmgmtState::Disabled},
};

inline constexpr NameOf<WmiState> kWmiStateNames[] = {
    {"ok", WmiState::Ok},
    {"locator-fails", WmiState::LocatorFails},
    {"connect-fails", WmiState::ConnectFails},
    {"blanket-fails", WmiState::BlanketFails},
    {"query-fails", WmiState::QueryFails},
};

inline constexpr NameOf<ControllerClass> kControllerClassNames[] = {
    {"IDE", ControllerClass::Ide},
    {"SCSI", ControllerClass::Scsi},
    {"USB", ControllerClass::Usb},
};

inline constexpr NameOf<DWORD> kBusTypeNames[] = {
    {"scsi", BusTypeScsi}, {"ata", BusTypeAta}, {"sata", BusTypeSata}, {"usb", BusTypeUsb},
    {"raid", BusTypeRAID}, {"sas", BusTypeSas}, {"nvme", BusTypeNvme}, {"1394", BusType1394},
};

inline constexpr NameOf<bool> kMediaTypeNames[] = {{"fixed", false}, {"removable", true}};

inline constexpr NameOf<LayoutStyle> kLayoutStyleNames[] = {
    {"mbr", LayoutStyle::Mbr},
    {"gpt", LayoutStyle::Gpt},
    {"raw", LayoutStyle::Raw},
};

// GetDriveTypeW's answers for the two kinds of volume a machine holds.
inline constexpr NameOf<UINT> kDriveTypeNames[] = {{"fixed", 3}, {"removable", 2}};

// WMI hands 64-bit counts out as decimal text.
enum class WmiKind { Text, Integer, Size };
struct WmiDiskProperty {
    const char* name;
    WmiKind kind;
};
// The Win32_DiskDrive properties a machine may state, with the kind of value each holds; the
// others read as null.
inline constexpr WmiDiskProperty kDiskDriveProperties[] = {
    {"Model", WmiKind::Text},
    {"DeviceID", WmiKind::Text},
    {"MediaType", WmiKind::Text},
    {"InterfaceType", WmiKind::Text},
    {"PNPDeviceID", WmiKind::Text},
    {"Size", WmiKind::Size},
    {"FirmwareRevision", WmiKind::Text},
    {"SerialNumber", WmiKind::Text},
    {"Caption", WmiKind::Text},
    {"Name", WmiKind::Text},
    {"SCSIPort", WmiKind::Integer},
    {"SCSITargetId", WmiKind::Integer},
    {"SCSIBus", WmiKind::Integer},
    {"SCSILogicalUnit", WmiKind::Integer},
    {"Index", WmiKind::Integer},
};

// The name of `value` in `names`; empty for a value without one.
template <typename T, size_t N>
constexpr std::string_view NameIn(const NameOf<T> (&names)[N], T value) {
    for (const auto& [name, each] : names)
        if (each == value) return name;
    return {};
}

}  // namespace platform::sim

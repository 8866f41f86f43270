// The small code sets a drive record carries: the route a drive is reached by, its interface,
// its transfer-mode code and the unit of its power-on counter. Records, logs and reports store
// and print them as 32-bit numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

namespace disk {

// Route by which a drive is reached (DriveRecord::CommandType). 0 means not yet known; 11 has a
// code but no route assigns it, so the drive enumeration treats it as unknown.
enum class CommandType : int32_t {
    CMD_TYPE_UNKNOWN = 0,
    CMD_TYPE_PHYSICAL_DRIVE = 1,
    CMD_TYPE_SCSI_MINIPORT = 2,
    CMD_TYPE_SILICON_IMAGE = 3,
    CMD_TYPE_SAT = 4,
    CMD_TYPE_SUNPLUS = 5,
    CMD_TYPE_IO_DATA = 6,
    CMD_TYPE_LOGITEC1 = 7,
    CMD_TYPE_LOGITEC2 = 8,
    CMD_TYPE_JMICRON = 9,
    CMD_TYPE_CYPRESS = 10,
    CMD_TYPE_CSMI = 12,
    CMD_TYPE_CSMI_PHYSICAL_DRIVE = 13,
    CMD_TYPE_WMI = 14,
    CMD_TYPE_NVME_SAMSUNG = 15,
    CMD_TYPE_NVME_INTEL = 16,
    CMD_TYPE_NVME_STORAGE_QUERY = 17,
};
// Tables indexed by CommandType have this many entries; larger values read as unknown.
inline constexpr size_t kCommandTypeCount = 18;

// Bus of a drive (DriveRecord::InterfaceType); 6 is not used.
enum class InterfaceType : int32_t {
    INTERFACE_TYPE_UNKNOWN = 0,
    INTERFACE_TYPE_PATA = 1,
    INTERFACE_TYPE_SATA = 2,
    INTERFACE_TYPE_USB = 3,
    INTERFACE_TYPE_IEEE1394 = 4,
    INTERFACE_TYPE_UASP = 5,
    INTERFACE_TYPE_NVME = 7,
};

// The number a code is stored, logged and reported as, and indexes its tables by (what
// std::to_underlying does from C++23 on).
template <typename Code>
requires std::is_enum_v<Code>
constexpr std::underlying_type_t<Code> ToUnderlying(Code code) {
    return static_cast<std::underlying_type_t<Code>>(code);
}

// The USB bridge routes, CMD_TYPE_SAT to CMD_TYPE_CYPRESS, have consecutive numbers: a table of
// one entry per bridge is indexed by UsbBridgeIndex.
inline constexpr size_t kUsbBridgeCount =
    ToUnderlying(CommandType::CMD_TYPE_CYPRESS) - ToUnderlying(CommandType::CMD_TYPE_SAT) + 1;
constexpr size_t UsbBridgeIndex(CommandType bridge) {
    return static_cast<size_t>(ToUnderlying(bridge) - ToUnderlying(CommandType::CMD_TYPE_SAT));
}

// The two-letter code of a route ("pd", "sa", ...). Values outside the table read as
// CMD_TYPE_UNKNOWN, so a corrupt record never indexes past it.
std::wstring CommandTypeCode(CommandType commandType);

// DriveRecord::CommandTypeTag: the code, followed by "1" for the first device (target other
// than 0xB0) or "2" for the second on the routes that address a device by its select byte.
std::wstring FormatCommandTypeTag(CommandType commandType, uint8_t target);

// ATA device select values.
inline constexpr uint8_t TARGET_FIRST_DEVICE = 0xA0;
inline constexpr uint8_t TARGET_SECOND_DEVICE = 0xB0;

// DriveRecord::TransferMode, the code of the fastest mode the drive supports.
inline constexpr int32_t TRANSFER_MODE_SATA_UNKNOWN = 0;  // "----"
inline constexpr int32_t TRANSFER_MODE_NONE = 1;
inline constexpr int32_t TRANSFER_MODE_PIO_DMA = 2;
inline constexpr int32_t TRANSFER_MODE_UDMA_16 = 3;
inline constexpr int32_t TRANSFER_MODE_UDMA_25 = 4;
inline constexpr int32_t TRANSFER_MODE_UDMA_33 = 5;
inline constexpr int32_t TRANSFER_MODE_UDMA_44 = 6;
inline constexpr int32_t TRANSFER_MODE_UDMA_66 = 7;
inline constexpr int32_t TRANSFER_MODE_UDMA_100 = 8;
inline constexpr int32_t TRANSFER_MODE_UDMA_133 = 9;
inline constexpr int32_t TRANSFER_MODE_SATA_150 = 10;
inline constexpr int32_t TRANSFER_MODE_SATA_300 = 11;
inline constexpr int32_t TRANSFER_MODE_SATA_600 = 12;

// Unit of the power-on counter (SMART attribute 9).
inline constexpr int32_t TIME_UNIT_UNKNOWN = 0;
inline constexpr int32_t TIME_UNIT_HOURS = 1;
inline constexpr int32_t TIME_UNIT_MINUTES = 2;
inline constexpr int32_t TIME_UNIT_HALF_MINUTES = 3;
inline constexpr int32_t TIME_UNIT_SECONDS = 4;
inline constexpr int32_t TIME_UNIT_TEN_MINUTES = 5;
inline constexpr int32_t TIME_UNIT_ADJUSTED_HOURS = 6;  // hours of a counter that needs fixing up

}  // namespace disk

// The request and reply layouts and the values the engine writes by hand (platform/ioctl.h,
// platform/win_types.h, platform/win_constants.h), held against the Windows headers of the
// target this file is compiled for. It defines nothing; a size, an offset or a value that
// differs stops the build here, on the 32-bit and on the 64-bit target alike.
//
// The version macros are raised for this file alone, before anything is included: it calls
// nothing, and only the newest headers name everything today's drivers read (the NVMe bus type,
// the Windows 10 fields of the partition records). So it must be compiled on its own, without a
// precompiled header or a unity build that reads the Windows headers first.
//
// Not covered, because the headers a program can include do not define them:
// - the vendor requests: the NVMe miniport's NVME_PASS_THROUGH_IOCTL with its signature and
//   code, the Samsung NVMe driver's security protocol, the Silicon Image SI_IDENTIFY_REQUEST,
//   the miniport SMART request's signature and everything in platform/csmi.h;
// - what only the kernel-mode headers define: the IOCTL_SCSI_MINIPORT_* request codes,
//   SCSISTAT_CHECK_CONDITION and the SECURITY PROTOCOL operation codes;
// - the ATA command set's own values (device select, status and error bits);
// - our containers (the *_WITH_BUFFERS requests, STORAGE_QUERY_NVME_BUFFER), whose headers are
//   checked below, and SYSTEM_INFO, which is the engine's own subset of the system's record.
#undef _WIN32_WINNT
#undef WINVER
#undef NTDDI_VERSION
#define _WIN32_WINNT 0x0A00
#define WINVER 0x0A00
#define NTDDI_VERSION WDK_NTDDI_VERSION

#include <cstddef>
#include <cstdint>

// Ours first: many of its names are macros in the Windows headers.
#include "platform/ioctl.h"
#include "platform/win_constants.h"
#include "platform/win_types.h"

// Our values whose names the Windows headers spell the same. Those that are macros there would
// be rewritten once the headers are read, so each is taken here first under a name of its own.
#define TRAMSIK_SAME_NAMES(X)                 \
    X(FILE_ANY_ACCESS)                        \
    X(FILE_READ_ACCESS)                       \
    X(FILE_WRITE_ACCESS)                      \
    X(IOCTL_SCSI_PASS_THROUGH)                \
    X(IOCTL_SCSI_MINIPORT)                    \
    X(IOCTL_ATA_PASS_THROUGH)                 \
    X(IOCTL_SCSI_GET_ADDRESS)                 \
    X(SMART_GET_VERSION)                      \
    X(SMART_SEND_DRIVE_COMMAND)               \
    X(SMART_RCV_DRIVE_DATA)                   \
    X(IOCTL_DISK_GET_DRIVE_GEOMETRY)          \
    X(IOCTL_DISK_GET_DRIVE_GEOMETRY_EX)       \
    X(IOCTL_DISK_GET_DRIVE_LAYOUT_EX)         \
    X(IOCTL_DISK_GET_LENGTH_INFO)             \
    X(IOCTL_DISK_UPDATE_PROPERTIES)           \
    X(IOCTL_DISK_DELETE_DRIVE_LAYOUT)         \
    X(IOCTL_STORAGE_QUERY_PROPERTY)           \
    X(IOCTL_STORAGE_PREDICT_FAILURE)          \
    X(IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS)   \
    X(FSCTL_LOCK_VOLUME)                      \
    X(FSCTL_UNLOCK_VOLUME)                    \
    X(FSCTL_DISMOUNT_VOLUME)                  \
    X(SMART_CYL_LOW)                          \
    X(ATA_FLAGS_DRDY_REQUIRED)                \
    X(ATA_FLAGS_DATA_IN)                      \
    X(ATA_FLAGS_DATA_OUT)                     \
    X(ATA_FLAGS_48BIT_COMMAND)                \
    X(SMART_NO_ERROR)                         \
    X(SMART_IDE_ERROR)                        \
    X(CAP_ATA_ID_CMD)                         \
    X(CAP_ATAPI_ID_CMD)                       \
    X(CAP_SMART_CMD)                          \
    X(RemovableMedia)                         \
    X(FixedMedia)                             \
    X(PARTITION_STYLE_MBR)                    \
    X(PARTITION_STYLE_GPT)                    \
    X(PARTITION_STYLE_RAW)                    \
    X(StorageDeviceProperty)                  \
    X(StorageAdapterProtocolSpecificProperty) \
    X(PropertyStandardQuery)                  \
    X(PropertyExistsQuery)                    \
    X(NVME_IDENTIFY_CNS_CONTROLLER)           \
    X(NVME_LOG_PAGE_HEALTH_INFO)              \
    X(NVME_NAMESPACE_ALL)                     \
    X(ProtocolTypeNvme)                       \
    X(NVMeDataTypeIdentify)                   \
    X(NVMeDataTypeLogPage)                    \
    X(BusTypeUnknown)                         \
    X(BusTypeScsi)                            \
    X(BusTypeAtapi)                           \
    X(BusTypeAta)                             \
    X(BusType1394)                            \
    X(BusTypeUsb)                             \
    X(BusTypeRAID)                            \
    X(BusTypeSas)                             \
    X(BusTypeSata)                            \
    X(BusTypeNvme)                            \
    X(SCSI_IOCTL_DATA_OUT)                    \
    X(SCSI_IOCTL_DATA_IN)                     \
    X(GENERIC_READ)                           \
    X(GENERIC_WRITE)                          \
    X(GENERIC_EXECUTE)                        \
    X(GENERIC_ALL)                            \
    X(FILE_SHARE_READ)                        \
    X(FILE_SHARE_WRITE)                       \
    X(OPEN_EXISTING)                          \
    X(FILE_ATTRIBUTE_NORMAL)                  \
    X(FILE_BEGIN)                             \
    X(FILE_CURRENT)                           \
    X(FILE_END)                               \
    X(ERROR_SUCCESS)                          \
    X(ERROR_INVALID_FUNCTION)                 \
    X(ERROR_FILE_NOT_FOUND)                   \
    X(ERROR_PATH_NOT_FOUND)                   \
    X(ERROR_ACCESS_DENIED)                    \
    X(ERROR_INVALID_HANDLE)                   \
    X(ERROR_NOT_READY)                        \
    X(ERROR_WRITE_PROTECT)                    \
    X(ERROR_BAD_LENGTH)                       \
    X(ERROR_SECTOR_NOT_FOUND)                 \
    X(ERROR_NOT_SUPPORTED)                    \
    X(ERROR_DEV_NOT_EXIST)                    \
    X(ERROR_INVALID_PARAMETER)                \
    X(ERROR_INSUFFICIENT_BUFFER)              \
    X(ERROR_NEGATIVE_SEEK)                    \
    X(ERROR_ALREADY_EXISTS)                   \
    X(ERROR_MORE_DATA)                        \
    X(ERROR_SERVICE_REQUEST_TIMEOUT)          \
    X(ERROR_SERVICE_ALREADY_RUNNING)          \
    X(ERROR_SERVICE_DISABLED)                 \
    X(ERROR_SERVICE_DOES_NOT_EXIST)           \
    X(ERROR_IO_DEVICE)                        \
    X(ERROR_DEVICE_NOT_CONNECTED)             \
    X(DRIVE_UNKNOWN)                          \
    X(DRIVE_NO_ROOT_DIR)                      \
    X(DRIVE_REMOVABLE)                        \
    X(DRIVE_FIXED)                            \
    X(VER_PLATFORM_WIN32_NT)                  \
    X(PROCESSOR_ARCHITECTURE_INTEL)           \
    X(PROCESSOR_ARCHITECTURE_AMD64)           \
    X(SC_MANAGER_CONNECT)                     \
    X(SERVICE_QUERY_STATUS)                   \
    X(SERVICE_START)                          \
    X(SERVICE_STOPPED)                        \
    X(SERVICE_START_PENDING)                  \
    X(SERVICE_RUNNING)                        \
    X(SERVICE_WIN32_SHARE_PROCESS)            \
    X(SW_HIDE)                                \
    X(SE_ERR_FNF)                             \
    X(MUTEX_ALL_ACCESS)                       \
    X(DDD_RAW_TARGET_PATH)

// Ours on the left, the headers' spelling on the right.
#define TRAMSIK_OTHER_NAMES(X)                                                       \
    X(SMART_CYL_HIGH, SMART_CYL_HI)                                                  \
    X(ATA_IDENTIFY_DEVICE, ID_CMD)                                                   \
    X(ATA_SMART, SMART_CMD)                                                          \
    X(SMART_READ_DATA, READ_ATTRIBUTES)                                              \
    X(SMART_READ_THRESHOLDS, READ_THRESHOLDS)                                        \
    X(SMART_ENABLE_OPERATIONS, ENABLE_SMART)                                         \
    X(SMART_DISABLE_OPERATIONS, DISABLE_SMART)                                       \
    X(SMART_RETURN_STATUS, RETURN_SMART_STATUS)                                      \
    X(NVME_ADMIN_GET_LOG_PAGE, NVME_ADMIN_COMMAND_GET_LOG_PAGE)                      \
    X(NVME_ADMIN_IDENTIFY, NVME_ADMIN_COMMAND_IDENTIFY)                              \
    X(kNvmeTransferSize, sizeof(NVME_IDENTIFY_CONTROLLER_DATA))                      \
    X(kSendCmdOutHeaderSize, offsetof(SENDCMDOUTPARAMS, bBuffer))                    \
    X(kDiskGeometryExMinimum, offsetof(DISK_GEOMETRY_EX, Data))                      \
    X(kDriveLayoutHeaderSize, offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry)) \
    X(kVolumeExtentsHeaderSize, offsetof(VOLUME_DISK_EXTENTS, Extents))              \
    X(kStorageDescriptorHeaderSize, sizeof(STORAGE_DESCRIPTOR_HEADER))               \
    X(kOsVersionInfoSize, sizeof(OSVERSIONINFOW))                                    \
    X(kOsVersionInfoExSize, sizeof(OSVERSIONINFOEXW))

namespace {

#define TRAMSIK_TAKE(name) constexpr auto ours_##name = platform::name;
#define TRAMSIK_TAKE_OURS(ours, theirs) TRAMSIK_TAKE(ours)
TRAMSIK_SAME_NAMES(TRAMSIK_TAKE)
TRAMSIK_OTHER_NAMES(TRAMSIK_TAKE_OURS)

// A control code built by our CTL_CODE; the parentheses keep the headers' macro of that name out.
constexpr platform::DWORD kOurDeleteLayout = (platform::CTL_CODE)(0x07, 0x0040, 0, 3);

}  // namespace

// windows.h first: the others build on it.
#include <windows.h>

#include <ntdddisk.h>
#include <ntddscsi.h>
#include <ntddstor.h>
#include <nvme.h>
#include <shellapi.h>
#include <winioctl.h>

namespace {

// Integers and enumerators of any type, compared as numbers.
template <typename Ours, typename Theirs>
constexpr bool SameValue(Ours ours, Theirs theirs) {
    return static_cast<uint64_t>(ours) == static_cast<uint64_t>(theirs);
}

#define TRAMSIK_SAME_VALUE(name) static_assert(SameValue(ours_##name, name), #name);
#define TRAMSIK_SAME_AS(ours, theirs) static_assert(SameValue(ours_##ours, theirs), #ours);
TRAMSIK_SAME_NAMES(TRAMSIK_SAME_VALUE)
TRAMSIK_OTHER_NAMES(TRAMSIK_SAME_AS)

static_assert(kOurDeleteLayout == CTL_CODE(IOCTL_DISK_BASE, 0x0040, METHOD_BUFFERED,
                                           FILE_READ_ACCESS | FILE_WRITE_ACCESS));

// TRAMSIK_FOR_EACH(m, type, a, b, ...) is m(type, a) m(type, b) ...; each rescan of
// TRAMSIK_EXPAND takes the list one step further.
#define TRAMSIK_EXPAND(...) TRAMSIK_EXPAND3(TRAMSIK_EXPAND3(TRAMSIK_EXPAND3(__VA_ARGS__)))
#define TRAMSIK_EXPAND3(...) TRAMSIK_EXPAND2(TRAMSIK_EXPAND2(TRAMSIK_EXPAND2(__VA_ARGS__)))
#define TRAMSIK_EXPAND2(...) TRAMSIK_EXPAND1(TRAMSIK_EXPAND1(TRAMSIK_EXPAND1(__VA_ARGS__)))
#define TRAMSIK_EXPAND1(...) __VA_ARGS__
#define TRAMSIK_FOR_EACH(macro, type, ...) \
    __VA_OPT__(TRAMSIK_EXPAND(TRAMSIK_FOR_EACH_STEP(macro, type, __VA_ARGS__)))
#define TRAMSIK_FOR_EACH_STEP(macro, type, first, ...) \
    macro(type, first) __VA_OPT__(TRAMSIK_FOR_EACH_AGAIN TRAMSIK_PARENS(macro, type, __VA_ARGS__))
#define TRAMSIK_PARENS ()
#define TRAMSIK_FOR_EACH_AGAIN() TRAMSIK_FOR_EACH_STEP

#define TRAMSIK_SAME_OFFSET(type, field) \
    static_assert(offsetof(platform::type, field) == offsetof(::type, field), #type "." #field);
// The fields named lie where the headers put them.
#define TRAMSIK_SAME_FIELDS(type, ...) TRAMSIK_FOR_EACH(TRAMSIK_SAME_OFFSET, type, __VA_ARGS__)
// And the whole structure is as long as the headers'.
#define TRAMSIK_SAME_LAYOUT(type, ...)                                      \
    static_assert(sizeof(platform::type) == sizeof(::type), #type " size"); \
    TRAMSIK_SAME_FIELDS(type, __VA_ARGS__)

// The pass-through requests: their buffer offset is pointer-sized, so these hold on each target
// for its own layout.
TRAMSIK_SAME_LAYOUT(ATA_PASS_THROUGH_EX, Length, AtaFlags, PathId, TargetId, Lun,
                    DataTransferLength, TimeOutValue, DataBufferOffset, PreviousTaskFile,
                    CurrentTaskFile)
static_assert(sizeof(platform::ATA_PASS_THROUGH_EX::DataBufferOffset) ==
              sizeof(::ATA_PASS_THROUGH_EX::DataBufferOffset));

TRAMSIK_SAME_LAYOUT(SCSI_PASS_THROUGH, Length, ScsiStatus, PathId, TargetId, Lun, CdbLength,
                    SenseInfoLength, DataIn, DataTransferLength, TimeOutValue, DataBufferOffset,
                    SenseInfoOffset, Cdb)
static_assert(sizeof(platform::SCSI_PASS_THROUGH::DataBufferOffset) ==
              sizeof(::SCSI_PASS_THROUGH::DataBufferOffset));

// The SMART requests, byte-packed in the headers too.
TRAMSIK_SAME_LAYOUT(IDEREGS, bFeaturesReg, bSectorCountReg, bSectorNumberReg, bCylLowReg,
                    bCylHighReg, bDriveHeadReg, bCommandReg)
TRAMSIK_SAME_LAYOUT(SENDCMDINPARAMS, cBufferSize, irDriveRegs, bDriveNumber, bBuffer)
TRAMSIK_SAME_LAYOUT(DRIVERSTATUS, bDriverError, bIDEError)
// Ours has room for the data of a read; the headers declare one byte of it.
TRAMSIK_SAME_FIELDS(SENDCMDOUTPARAMS, cBufferSize, DriverStatus, bBuffer)
static_assert(sizeof(platform::SENDCMDOUTPARAMS) ==
              offsetof(::SENDCMDOUTPARAMS, bBuffer) + READ_ATTRIBUTE_BUFFER_SIZE);
TRAMSIK_SAME_LAYOUT(GETVERSIONINPARAMS, bVersion, bRevision, bIDEDeviceMap, fCapabilities)

// Geometry, length, layout and volume extents.
TRAMSIK_SAME_LAYOUT(DISK_GEOMETRY, Cylinders, MediaType, TracksPerCylinder, SectorsPerTrack,
                    BytesPerSector)
TRAMSIK_SAME_LAYOUT(DISK_GEOMETRY_EX, Geometry, DiskSize, Data)
TRAMSIK_SAME_LAYOUT(GET_LENGTH_INFORMATION, Length)

// Ours pads the MBR record to the size of the union it shares with the GPT record.
TRAMSIK_SAME_FIELDS(PARTITION_INFORMATION_MBR, PartitionType, BootIndicator, RecognizedPartition,
                    HiddenSectors, PartitionId)
TRAMSIK_SAME_LAYOUT(PARTITION_INFORMATION_GPT, PartitionType, PartitionId, Attributes, Name)
TRAMSIK_SAME_LAYOUT(PARTITION_INFORMATION_EX, PartitionStyle, StartingOffset, PartitionLength,
                    PartitionNumber, RewritePartition, IsServicePartition, Mbr, Gpt)
// The headers' MBR layout record ends after the signature; ours pads it to the union's size.
TRAMSIK_SAME_FIELDS(DRIVE_LAYOUT_INFORMATION_MBR, Signature)
TRAMSIK_SAME_LAYOUT(DRIVE_LAYOUT_INFORMATION_GPT, DiskId, StartingUsableOffset, UsableLength,
                    MaxPartitionCount)
TRAMSIK_SAME_LAYOUT(DRIVE_LAYOUT_INFORMATION_EX, PartitionStyle, PartitionCount, Mbr, Gpt,
                    PartitionEntry)
TRAMSIK_SAME_LAYOUT(DISK_EXTENT, DiskNumber, StartingOffset, ExtentLength)
TRAMSIK_SAME_LAYOUT(VOLUME_DISK_EXTENTS, NumberOfDiskExtents, Extents)

// Storage properties, the NVMe protocol query and failure prediction.
TRAMSIK_SAME_LAYOUT(STORAGE_PROPERTY_QUERY, PropertyId, QueryType, AdditionalParameters)
TRAMSIK_SAME_LAYOUT(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolType, DataType,
                    ProtocolDataRequestValue, ProtocolDataRequestSubValue, ProtocolDataOffset,
                    ProtocolDataLength, FixedProtocolReturnData)
// The query sends the protocol block where the property query's parameters start, and the
// reply, a data descriptor, holds it in the same place.
static_assert(offsetof(platform::STORAGE_QUERY_NVME_BUFFER, ProtocolSpecific) ==
              offsetof(::STORAGE_PROPERTY_QUERY, AdditionalParameters));
static_assert(offsetof(platform::STORAGE_QUERY_NVME_BUFFER, ProtocolSpecific) ==
              offsetof(::STORAGE_PROTOCOL_DATA_DESCRIPTOR, ProtocolSpecificData));
static_assert(platform::kStorageQueryNvmeDataOffset == sizeof(::STORAGE_PROTOCOL_DATA_DESCRIPTOR));
TRAMSIK_SAME_LAYOUT(STORAGE_DEVICE_DESCRIPTOR, Version, Size, DeviceType, DeviceTypeModifier,
                    RemovableMedia, CommandQueueing, VendorIdOffset, ProductIdOffset,
                    ProductRevisionOffset, SerialNumberOffset, BusType, RawPropertiesLength,
                    RawDeviceProperties)
TRAMSIK_SAME_LAYOUT(STORAGE_PREDICT_FAILURE, PredictFailure, VendorSpecific)

// The SCSI address and the miniport header every SCSI_MINIPORT request starts with.
TRAMSIK_SAME_LAYOUT(SCSI_ADDRESS, Length, PortNumber, PathId, TargetId, Lun)
TRAMSIK_SAME_LAYOUT(SRB_IO_CONTROL, HeaderLength, Signature, Timeout, ControlCode, ReturnCode,
                    Length)

// The version and service records the system fills in.
TRAMSIK_SAME_LAYOUT(OSVERSIONINFOEXW, dwOSVersionInfoSize, dwMajorVersion, dwMinorVersion,
                    dwBuildNumber, dwPlatformId, szCSDVersion, wServicePackMajor, wServicePackMinor,
                    wSuiteMask, wProductType)
TRAMSIK_SAME_LAYOUT(SERVICE_STATUS, dwServiceType, dwCurrentState, dwControlsAccepted,
                    dwWin32ExitCode, dwServiceSpecificExitCode, dwCheckPoint, dwWaitHint)

}  // namespace

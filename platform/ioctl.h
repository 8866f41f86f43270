// Device control codes and the request and reply layouts that travel through DeviceIoControl.
// The transports build these buffers, every backend reads them and on Windows the drivers do,
// so each layout is the one the Windows headers give on the build's own target: naturally
// aligned, byte-packed only where the headers pack (the SMART requests), and with the
// pass-through requests' buffer offset as wide as a pointer. static_assert fixes every layout
// here; platform/win32/sdk_layout_check.cpp holds them against the Windows headers themselves.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win_types.h"

namespace platform {

// A size or an offset of a layout with a pointer-sized field: the first on 32-bit targets, the
// second on 64-bit ones.
constexpr size_t ByPointerSize(size_t bits32, size_t bits64) {
    return sizeof(void*) == 8 ? bits64 : bits32;
}

// A control code packs the device type, the required access, the function and the method.
constexpr DWORD CTL_CODE(DWORD deviceType, DWORD function, DWORD method, DWORD access) {
    return (deviceType << 16) | (access << 14) | (function << 2) | method;
}
// The access a handle needs for a control code: bit 0 read, bit 1 write.
constexpr DWORD RequiredAccess(DWORD code) {
    return (code >> 14) & 3;
}
inline constexpr DWORD FILE_ANY_ACCESS = 0;
inline constexpr DWORD FILE_READ_ACCESS = 1;
inline constexpr DWORD FILE_WRITE_ACCESS = 2;

inline constexpr DWORD IOCTL_SCSI_PASS_THROUGH = 0x0004D004;
inline constexpr DWORD IOCTL_SCSI_MINIPORT = 0x0004D008;
inline constexpr DWORD IOCTL_ATA_PASS_THROUGH = 0x0004D02C;
inline constexpr DWORD IOCTL_SCSI_GET_ADDRESS = 0x00041018;
inline constexpr DWORD SMART_GET_VERSION = 0x00074080;
inline constexpr DWORD SMART_SEND_DRIVE_COMMAND = 0x0007C084;
inline constexpr DWORD SMART_RCV_DRIVE_DATA = 0x0007C088;
inline constexpr DWORD IOCTL_DISK_GET_DRIVE_GEOMETRY = 0x00070000;
inline constexpr DWORD IOCTL_DISK_GET_DRIVE_GEOMETRY_EX = 0x000700A0;
inline constexpr DWORD IOCTL_DISK_GET_DRIVE_LAYOUT_EX = 0x00070050;
inline constexpr DWORD IOCTL_DISK_GET_LENGTH_INFO = 0x0007405C;
inline constexpr DWORD IOCTL_DISK_UPDATE_PROPERTIES = 0x00070140;
inline constexpr DWORD IOCTL_DISK_DELETE_DRIVE_LAYOUT = 0x0007C100;
inline constexpr DWORD IOCTL_STORAGE_QUERY_PROPERTY = 0x002D1400;
inline constexpr DWORD IOCTL_STORAGE_PREDICT_FAILURE = 0x002D1100;
inline constexpr DWORD IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS = 0x00560000;
inline constexpr DWORD FSCTL_LOCK_VOLUME = 0x00090018;
inline constexpr DWORD FSCTL_UNLOCK_VOLUME = 0x0009001C;
inline constexpr DWORD FSCTL_DISMOUNT_VOLUME = 0x00090020;

static_assert(IOCTL_ATA_PASS_THROUGH == CTL_CODE(0x04, 0x040B, 0, 3));
static_assert(SMART_RCV_DRIVE_DATA == CTL_CODE(0x07, 0x0022, 0, 3));
static_assert(IOCTL_DISK_GET_DRIVE_LAYOUT_EX == CTL_CODE(0x07, 0x0014, 0, 0));
static_assert(IOCTL_DISK_DELETE_DRIVE_LAYOUT == CTL_CODE(0x07, 0x0040, 0, 3));
static_assert(IOCTL_STORAGE_QUERY_PROPERTY == CTL_CODE(0x2D, 0x0500, 0, 0));
static_assert(FSCTL_LOCK_VOLUME == CTL_CODE(0x09, 6, 0, 0));

// Request codes carried inside IOCTL_SCSI_MINIPORT by the SCSI miniport route.
inline constexpr DWORD IOCTL_SCSI_MINIPORT_IDENTIFY = 0x001B0501;
inline constexpr DWORD IOCTL_SCSI_MINIPORT_READ_SMART_ATTRIBS = 0x001B0502;
inline constexpr DWORD IOCTL_SCSI_MINIPORT_READ_SMART_THRESHOLDS = 0x001B0503;
inline constexpr DWORD IOCTL_SCSI_MINIPORT_ENABLE_SMART = 0x001B0504;

// ATA commands, SMART feature values and the SMART register signature.
inline constexpr BYTE ATA_IDENTIFY_DEVICE = 0xEC;
inline constexpr BYTE ATA_SMART = 0xB0;
inline constexpr BYTE SMART_READ_DATA = 0xD0;
inline constexpr BYTE SMART_READ_THRESHOLDS = 0xD1;
inline constexpr BYTE SMART_ENABLE_OPERATIONS = 0xD8;
inline constexpr BYTE SMART_DISABLE_OPERATIONS = 0xD9;
inline constexpr BYTE SMART_RETURN_STATUS = 0xDA;
inline constexpr BYTE SMART_CYL_LOW = 0x4F;
inline constexpr BYTE SMART_CYL_HIGH = 0xC2;
// Device/head values of the first and second device; bit 4 selects the device.
inline constexpr BYTE ATA_DEVICE_MASTER = 0xA0;
inline constexpr BYTE ATA_DEVICE_SLAVE = 0xB0;
inline constexpr BYTE ATA_DEVICE_SELECT_BIT = 0x10;
// Status and error register bits of a finished command.
inline constexpr BYTE ATA_STATUS_ERR = 0x01;
inline constexpr BYTE ATA_STATUS_DSC = 0x10;
inline constexpr BYTE ATA_STATUS_DRDY = 0x40;
inline constexpr BYTE ATA_ERROR_ABRT = 0x04;

inline constexpr DWORD kSectorSize = 512;

// IOCTL_ATA_PASS_THROUGH. Task-file registers in order: features (error on return), sector
// count, sector number, cylinder low, cylinder high, device/head, command (status on return).
inline constexpr WORD ATA_FLAGS_DRDY_REQUIRED = 0x01;
inline constexpr WORD ATA_FLAGS_DATA_IN = 0x02;
inline constexpr WORD ATA_FLAGS_DATA_OUT = 0x04;
inline constexpr WORD ATA_FLAGS_48BIT_COMMAND = 0x08;
enum AtaRegister : int {
    kAtaFeatures = 0,
    kAtaError = 0,
    kAtaSectorCount = 1,
    kAtaSectorNumber = 2,
    kAtaCylLow = 3,
    kAtaCylHigh = 4,
    kAtaDeviceHead = 5,
    kAtaCommand = 6,
    kAtaStatus = 6,
};
struct ATA_PASS_THROUGH_EX {
    WORD Length;
    WORD AtaFlags;
    BYTE PathId;
    BYTE TargetId;
    BYTE Lun;
    BYTE ReservedAsUchar;
    DWORD DataTransferLength;
    DWORD TimeOutValue;
    DWORD ReservedAsUlong;
    uintptr_t DataBufferOffset;  // pointer-sized in the Windows headers
    BYTE PreviousTaskFile[8];
    BYTE CurrentTaskFile[8];
};
static_assert(sizeof(ATA_PASS_THROUGH_EX) == ByPointerSize(40, 48));
static_assert(offsetof(ATA_PASS_THROUGH_EX, DataTransferLength) == 8);
static_assert(offsetof(ATA_PASS_THROUGH_EX, DataBufferOffset) == ByPointerSize(20, 24));
static_assert(offsetof(ATA_PASS_THROUGH_EX, CurrentTaskFile) == ByPointerSize(32, 40));

// The request with one sector of data after a filler word. A 64-bit build pads the structure
// behind the data, so a request's length is the data's end, not the structure's size.
struct ATA_PASS_THROUGH_EX_WITH_BUFFERS {
    ATA_PASS_THROUGH_EX apt;
    DWORD Filler;
    BYTE ucDataBuf[512];
};
inline constexpr DWORD kAtaPassThroughDataOffset =
    offsetof(ATA_PASS_THROUGH_EX_WITH_BUFFERS, ucDataBuf);
static_assert(kAtaPassThroughDataOffset == ByPointerSize(44, 52));

// SMART_RCV_DRIVE_DATA and SMART_SEND_DRIVE_COMMAND, byte-packed as the headers have them.
#pragma pack(push, 1)
struct IDEREGS {
    BYTE bFeaturesReg;
    BYTE bSectorCountReg;
    BYTE bSectorNumberReg;
    BYTE bCylLowReg;
    BYTE bCylHighReg;
    BYTE bDriveHeadReg;
    BYTE bCommandReg;
    BYTE bReserved;
};
static_assert(sizeof(IDEREGS) == 8);

struct SENDCMDINPARAMS {
    DWORD cBufferSize;
    IDEREGS irDriveRegs;
    BYTE bDriveNumber;
    BYTE bReserved[3];
    DWORD dwReserved[4];
    BYTE bBuffer[1];
};
static_assert(sizeof(SENDCMDINPARAMS) == 33);
static_assert(offsetof(SENDCMDINPARAMS, irDriveRegs) == 4);
static_assert(offsetof(SENDCMDINPARAMS, bDriveNumber) == 12);
static_assert(offsetof(SENDCMDINPARAMS, bBuffer) == 32);

struct DRIVERSTATUS {
    BYTE bDriverError;
    BYTE bIDEError;
    BYTE bReserved[2];
    DWORD dwReserved[2];
};
static_assert(sizeof(DRIVERSTATUS) == 12);
// bDriverError values.
inline constexpr BYTE SMART_NO_ERROR = 0;
inline constexpr BYTE SMART_IDE_ERROR = 1;

// The reply of a SMART request; reads carry 512 data bytes after the 16-byte header.
struct SENDCMDOUTPARAMS {
    DWORD cBufferSize;
    DRIVERSTATUS DriverStatus;
    BYTE bBuffer[512];
};
inline constexpr DWORD kSendCmdOutHeaderSize = 16;
static_assert(sizeof(SENDCMDOUTPARAMS) == 528);
static_assert(offsetof(SENDCMDOUTPARAMS, bBuffer) == kSendCmdOutHeaderSize);

// The reply of SMART_GET_VERSION.
struct GETVERSIONINPARAMS {
    BYTE bVersion;
    BYTE bRevision;
    BYTE bReserved;
    BYTE bIDEDeviceMap;
    DWORD fCapabilities;
    DWORD dwReserved[4];
};
#pragma pack(pop)
static_assert(sizeof(GETVERSIONINPARAMS) == 24);
inline constexpr DWORD CAP_ATA_ID_CMD = 1;
inline constexpr DWORD CAP_ATAPI_ID_CMD = 2;
inline constexpr DWORD CAP_SMART_CMD = 4;

// Geometry.
inline constexpr DWORD RemovableMedia = 11;
inline constexpr DWORD FixedMedia = 12;
struct DISK_GEOMETRY {
    int64_t Cylinders;
    DWORD MediaType;
    DWORD TracksPerCylinder;
    DWORD SectorsPerTrack;
    DWORD BytesPerSector;
};
static_assert(sizeof(DISK_GEOMETRY) == 24);
static_assert(offsetof(DISK_GEOMETRY, TracksPerCylinder) == 12);
static_assert(offsetof(DISK_GEOMETRY, SectorsPerTrack) == 16);

struct DISK_GEOMETRY_EX {
    DISK_GEOMETRY Geometry;
    int64_t DiskSize;
    BYTE Data[8];
};
// The part a driver always fills: the geometry and the size.
inline constexpr DWORD kDiskGeometryExMinimum = 32;
static_assert(sizeof(DISK_GEOMETRY_EX) == 40);
static_assert(offsetof(DISK_GEOMETRY_EX, DiskSize) == 24);

struct GET_LENGTH_INFORMATION {
    int64_t Length;
};
static_assert(sizeof(GET_LENGTH_INFORMATION) == 8);

// Drive layout.
inline constexpr DWORD PARTITION_STYLE_MBR = 0;
inline constexpr DWORD PARTITION_STYLE_GPT = 1;
inline constexpr DWORD PARTITION_STYLE_RAW = 2;

struct PARTITION_INFORMATION_MBR {
    BYTE PartitionType;
    BYTE BootIndicator;
    BYTE RecognizedPartition;
    BYTE Reserved;
    DWORD HiddenSectors;
    BYTE PartitionId[16];
    BYTE Padding[88];
};
struct PARTITION_INFORMATION_GPT {
    BYTE PartitionType[16];
    BYTE PartitionId[16];
    uint64_t Attributes;
    char16_t Name[36];
};
static_assert(sizeof(PARTITION_INFORMATION_MBR) == 112);
static_assert(sizeof(PARTITION_INFORMATION_GPT) == 112);

struct PARTITION_INFORMATION_EX {
    DWORD PartitionStyle;
    DWORD Reserved0;
    int64_t StartingOffset;
    int64_t PartitionLength;
    DWORD PartitionNumber;
    BYTE RewritePartition;
    BYTE IsServicePartition;
    BYTE Reserved1[2];
    union {
        PARTITION_INFORMATION_MBR Mbr;
        PARTITION_INFORMATION_GPT Gpt;
    };
};
static_assert(sizeof(PARTITION_INFORMATION_EX) == 144);
static_assert(offsetof(PARTITION_INFORMATION_EX, StartingOffset) == 8);
static_assert(offsetof(PARTITION_INFORMATION_EX, PartitionNumber) == 24);
static_assert(offsetof(PARTITION_INFORMATION_EX, Mbr) == 32);

struct DRIVE_LAYOUT_INFORMATION_MBR {
    DWORD Signature;
    DWORD CheckSum;
    BYTE Padding[32];
};
struct DRIVE_LAYOUT_INFORMATION_GPT {
    BYTE DiskId[16];
    int64_t StartingUsableOffset;
    int64_t UsableLength;
    DWORD MaxPartitionCount;
    DWORD Padding;
};
static_assert(sizeof(DRIVE_LAYOUT_INFORMATION_MBR) == 40);
static_assert(sizeof(DRIVE_LAYOUT_INFORMATION_GPT) == 40);

struct DRIVE_LAYOUT_INFORMATION_EX {
    DWORD PartitionStyle;
    DWORD PartitionCount;
    union {
        DRIVE_LAYOUT_INFORMATION_MBR Mbr;
        DRIVE_LAYOUT_INFORMATION_GPT Gpt;
    };
    PARTITION_INFORMATION_EX PartitionEntry[1];
};
inline constexpr DWORD kDriveLayoutHeaderSize = 48;
static_assert(offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry) == kDriveLayoutHeaderSize);
static_assert(sizeof(DRIVE_LAYOUT_INFORMATION_EX) == 192);

// Volume extents.
struct DISK_EXTENT {
    DWORD DiskNumber;
    DWORD Reserved;
    int64_t StartingOffset;
    int64_t ExtentLength;
};
struct VOLUME_DISK_EXTENTS {
    DWORD NumberOfDiskExtents;
    DWORD Reserved;
    DISK_EXTENT Extents[1];
};
inline constexpr DWORD kVolumeExtentsHeaderSize = 8;
static_assert(sizeof(DISK_EXTENT) == 24);
static_assert(offsetof(VOLUME_DISK_EXTENTS, Extents) == kVolumeExtentsHeaderSize);

// Storage properties.
inline constexpr DWORD StorageDeviceProperty = 0;
inline constexpr DWORD StorageAdapterProtocolSpecificProperty = 49;
inline constexpr DWORD PropertyStandardQuery = 0;
inline constexpr DWORD PropertyExistsQuery = 1;
struct STORAGE_PROPERTY_QUERY {
    DWORD PropertyId;
    DWORD QueryType;
    BYTE AdditionalParameters[4];
};
static_assert(sizeof(STORAGE_PROPERTY_QUERY) == 12);

// NVMe: the two structures the NVMe routes fetch travel as 4096-byte transfers.
inline constexpr DWORD kNvmeTransferSize = 4096;
inline constexpr BYTE NVME_ADMIN_GET_LOG_PAGE = 0x02;
inline constexpr BYTE NVME_ADMIN_IDENTIFY = 0x06;
inline constexpr DWORD NVME_IDENTIFY_CNS_CONTROLLER = 1;
inline constexpr DWORD NVME_LOG_PAGE_HEALTH_INFO = 0x02;
inline constexpr DWORD NVME_NAMESPACE_ALL = 0xFFFFFFFF;

// IOCTL_STORAGE_QUERY_PROPERTY with StorageAdapterProtocolSpecificProperty: the NVMe request
// follows the query header and the driver returns its data in the same buffer.
inline constexpr DWORD ProtocolTypeNvme = 3;
inline constexpr DWORD NVMeDataTypeIdentify = 1;
inline constexpr DWORD NVMeDataTypeLogPage = 2;
struct STORAGE_PROTOCOL_SPECIFIC_DATA {
    DWORD ProtocolType;
    DWORD DataType;
    DWORD ProtocolDataRequestValue;
    DWORD ProtocolDataRequestSubValue;
    DWORD ProtocolDataOffset;  // from the start of this structure
    DWORD ProtocolDataLength;
    DWORD FixedProtocolReturnData;
    DWORD Reserved[3];
};
static_assert(sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA) == 40);
static_assert(offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataOffset) == 16);

struct STORAGE_QUERY_NVME_BUFFER {
    DWORD PropertyId;
    DWORD QueryType;
    STORAGE_PROTOCOL_SPECIFIC_DATA ProtocolSpecific;
    BYTE Data[kNvmeTransferSize];
};
inline constexpr DWORD kStorageQueryNvmeDataOffset = 48;
static_assert(sizeof(STORAGE_QUERY_NVME_BUFFER) == 4144);
static_assert(offsetof(STORAGE_QUERY_NVME_BUFFER, ProtocolSpecific) == 8);
static_assert(offsetof(STORAGE_QUERY_NVME_BUFFER, Data) == kStorageQueryNvmeDataOffset);
static_assert(kStorageQueryNvmeDataOffset == offsetof(STORAGE_QUERY_NVME_BUFFER, ProtocolSpecific) +
                                                 sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA));

enum STORAGE_BUS_TYPE : DWORD {
    BusTypeUnknown = 0,
    BusTypeScsi = 1,
    BusTypeAtapi = 2,
    BusTypeAta = 3,
    BusType1394 = 4,
    BusTypeUsb = 7,
    BusTypeRAID = 8,
    BusTypeSas = 10,
    BusTypeSata = 11,
    BusTypeNvme = 17,
};

struct STORAGE_DEVICE_DESCRIPTOR {
    DWORD Version;
    DWORD Size;
    BYTE DeviceType;
    BYTE DeviceTypeModifier;
    BYTE RemovableMedia;
    BYTE CommandQueueing;
    DWORD VendorIdOffset;
    DWORD ProductIdOffset;
    DWORD ProductRevisionOffset;
    DWORD SerialNumberOffset;
    DWORD BusType;
    DWORD RawPropertiesLength;
    BYTE RawDeviceProperties[4];
};
inline constexpr DWORD kStorageDescriptorHeaderSize = 8;
static_assert(sizeof(STORAGE_DEVICE_DESCRIPTOR) == 40);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, VendorIdOffset) == 12);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) == 28);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, RawDeviceProperties) == 36);

// SCSI address of a device, and the SCSI request blocks of the other routes.
struct SCSI_ADDRESS {
    DWORD Length;
    BYTE PortNumber;
    BYTE PathId;
    BYTE TargetId;
    BYTE Lun;
};
static_assert(sizeof(SCSI_ADDRESS) == 8);

struct SRB_IO_CONTROL {
    DWORD HeaderLength;
    BYTE Signature[8];
    DWORD Timeout;
    DWORD ControlCode;
    DWORD ReturnCode;
    DWORD Length;
};
static_assert(sizeof(SRB_IO_CONTROL) == 28);

inline constexpr BYTE SCSI_IOCTL_DATA_OUT = 0;
inline constexpr BYTE SCSI_IOCTL_DATA_IN = 1;
struct SCSI_PASS_THROUGH {
    WORD Length;
    BYTE ScsiStatus;
    BYTE PathId;
    BYTE TargetId;
    BYTE Lun;
    BYTE CdbLength;
    BYTE SenseInfoLength;
    BYTE DataIn;
    BYTE Reserved[3];
    DWORD DataTransferLength;
    DWORD TimeOutValue;
    uintptr_t DataBufferOffset;  // pointer-sized in the Windows headers
    DWORD SenseInfoOffset;
    BYTE Cdb[16];
};
// A 64-bit build pads the header behind the CDB as well.
static_assert(sizeof(SCSI_PASS_THROUGH) == ByPointerSize(44, 56));
static_assert(offsetof(SCSI_PASS_THROUGH, DataTransferLength) == 12);
static_assert(offsetof(SCSI_PASS_THROUGH, DataBufferOffset) == ByPointerSize(20, 24));
static_assert(offsetof(SCSI_PASS_THROUGH, SenseInfoOffset) == ByPointerSize(24, 32));
static_assert(offsetof(SCSI_PASS_THROUGH, Cdb) == ByPointerSize(28, 36));

// The Samsung NVMe route's SCSI pass-through: 24 sense bytes right after the header, then one
// 512-byte data block.
struct SCSI_PASS_THROUGH_NVME_BUFFERS {
    SCSI_PASS_THROUGH spt;
    BYTE SenseBuf[24];
    BYTE DataBuf[512];
};
inline constexpr DWORD kNvmePassThroughSenseOffset =
    offsetof(SCSI_PASS_THROUGH_NVME_BUFFERS, SenseBuf);
inline constexpr DWORD kNvmePassThroughDataOffset =
    offsetof(SCSI_PASS_THROUGH_NVME_BUFFERS, DataBuf);
static_assert(sizeof(SCSI_PASS_THROUGH_NVME_BUFFERS) == ByPointerSize(580, 592));
static_assert(kNvmePassThroughSenseOffset == sizeof(SCSI_PASS_THROUGH));
static_assert(kNvmePassThroughDataOffset == ByPointerSize(68, 80));
// SCSI SECURITY PROTOCOL IN / OUT, and the protocol value the Samsung NVMe driver listens on.
inline constexpr BYTE SCSIOP_SECURITY_PROTOCOL_IN = 0xA2;
inline constexpr BYTE SCSIOP_SECURITY_PROTOCOL_OUT = 0xB5;
inline constexpr BYTE kSamsungNvmeSecurityProtocol = 0xFE;

// The Intel NVMe miniport's pass-through ("NvmeMini"): an NVMe command with its data buffer.
inline constexpr char kNvmeMiniportSignature[8] = {'N', 'v', 'm', 'e', 'M', 'i', 'n', 'i'};
inline constexpr DWORD NVME_PASS_THROUGH_SRB_IO_CODE = 0xE0002000;
inline constexpr DWORD NVME_FROM_DEV_TO_HOST = 2;
struct NVME_PASS_THROUGH_IOCTL {
    SRB_IO_CONTROL SrbIoCtrl;
    DWORD VendorSpecific[6];
    DWORD NVMeCmd[16];
    DWORD CplEntry[4];
    DWORD Direction;
    DWORD QueueId;
    DWORD DataBufferLen;
    DWORD MetaDataLen;
    DWORD ReturnBufferLen;
    BYTE DataBuffer[kNvmeTransferSize];
};
inline constexpr DWORD kNvmePassThroughHeaderSize = 152;
static_assert(sizeof(NVME_PASS_THROUGH_IOCTL) == 4248);
static_assert(offsetof(NVME_PASS_THROUGH_IOCTL, VendorSpecific) == 28);
static_assert(offsetof(NVME_PASS_THROUGH_IOCTL, NVMeCmd) == 52);
static_assert(offsetof(NVME_PASS_THROUGH_IOCTL, CplEntry) == 116);
static_assert(offsetof(NVME_PASS_THROUGH_IOCTL, Direction) == 132);
static_assert(offsetof(NVME_PASS_THROUGH_IOCTL, ReturnBufferLen) == 148);
static_assert(offsetof(NVME_PASS_THROUGH_IOCTL, DataBuffer) == kNvmePassThroughHeaderSize);

// A SCSI pass-through with its sense and data areas in the same buffer, as the USB bridge
// routes send it. As with the ATA request, a 64-bit build pads the structure behind the data.
struct SCSI_PASS_THROUGH_WITH_BUFFERS {
    SCSI_PASS_THROUGH spt;
    DWORD Filler;
    BYTE ucSenseBuf[32];
    BYTE ucDataBuf[512];
};
inline constexpr DWORD kScsiPassThroughSenseOffset =
    offsetof(SCSI_PASS_THROUGH_WITH_BUFFERS, ucSenseBuf);
inline constexpr DWORD kScsiPassThroughDataOffset =
    offsetof(SCSI_PASS_THROUGH_WITH_BUFFERS, ucDataBuf);
static_assert(kScsiPassThroughSenseOffset == ByPointerSize(48, 60));
static_assert(kScsiPassThroughDataOffset == ByPointerSize(80, 92));
// SCSI status of a command that ended with sense data.
inline constexpr BYTE SCSISTAT_CHECK_CONDITION = 0x02;

// The miniport SMART request ("SCSIDISK"): the register block goes in after the header and the
// driver puts its SENDCMDOUTPARAMS reply in the same place. Packed like the SMART structures
// it carries.
inline constexpr char kMiniportSmartSignature[8] = {'S', 'C', 'S', 'I', 'D', 'I', 'S', 'K'};
#pragma pack(push, 1)
struct SRB_IO_SMART_REQUEST {
    SRB_IO_CONTROL header;
    union {
        SENDCMDINPARAMS in;
        SENDCMDOUTPARAMS out;
    };
    BYTE Spare;
};
#pragma pack(pop)
// The part of the request the driver reads: the header and the register block.
inline constexpr DWORD kMiniportSmartInSize = 60;
static_assert(sizeof(SRB_IO_SMART_REQUEST) == 557);
static_assert(offsetof(SRB_IO_SMART_REQUEST, in) + offsetof(SENDCMDINPARAMS, irDriveRegs) == 32);
static_assert(offsetof(SRB_IO_SMART_REQUEST, in) + offsetof(SENDCMDINPARAMS, bDriveNumber) == 40);
static_assert(offsetof(SRB_IO_SMART_REQUEST, out) + offsetof(SENDCMDOUTPARAMS, bBuffer) == 44);

// The Silicon Image miniport's IDENTIFY request ("CMD_IDE ").
inline constexpr char kSiliconImageSignature[8] = {'C', 'M', 'D', '_', 'I', 'D', 'E', ' '};
inline constexpr DWORD kSiliconImageIdentifyCode = 0x00042008;
struct SI_IDENTIFY_REQUEST {
    SRB_IO_CONTROL header;
    WORD DeviceNumber;
    WORD One;
    BYTE Reserved[20];
    BYTE Identify[512];
};
static_assert(sizeof(SI_IDENTIFY_REQUEST) == 564);
static_assert(offsetof(SI_IDENTIFY_REQUEST, DeviceNumber) == 28);
static_assert(offsetof(SI_IDENTIFY_REQUEST, One) == 30);
static_assert(offsetof(SI_IDENTIFY_REQUEST, Identify) == 52);

// IOCTL_STORAGE_PREDICT_FAILURE: the drive's verdict and its SMART data page.
struct STORAGE_PREDICT_FAILURE {
    DWORD PredictFailure;
    BYTE VendorSpecific[512];
};
static_assert(sizeof(STORAGE_PREDICT_FAILURE) == 516);
static_assert(offsetof(STORAGE_PREDICT_FAILURE, VendorSpecific) == 4);

}  // namespace platform

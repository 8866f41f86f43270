// The Common Storage Management Interface requests that RAID and SAS drivers accept through
// IOCTL_SCSI_MINIPORT: driver, RAID and PHY information and the SATA pass-through. Every
// request starts with the miniport header; the layouts are those of the published interface,
// byte-packed and checked here once for the routes and every backend.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/ioctl.h"
#include "platform/win_types.h"

namespace platform {

inline constexpr DWORD CC_CSMI_SAS_GET_DRIVER_INFO = 1;
inline constexpr DWORD CC_CSMI_SAS_GET_RAID_INFO = 10;
inline constexpr DWORD CC_CSMI_SAS_GET_RAID_CONFIG = 11;
inline constexpr DWORD CC_CSMI_SAS_GET_PHY_INFO = 20;
inline constexpr DWORD CC_CSMI_SAS_STP_PASSTHRU = 25;

// Seven characters and a zero byte.
inline constexpr char CSMI_ALL_SIGNATURE[8] = "CSMIALL";
inline constexpr char CSMI_RAID_SIGNATURE[8] = "CSMIARY";
inline constexpr char CSMI_SAS_SIGNATURE[8] = "CSMISAS";
inline constexpr DWORD CSMI_SAS_TIMEOUT = 60;

// IOCTL_HEADER ReturnCode values.
inline constexpr DWORD CSMI_SAS_STATUS_SUCCESS = 0;
inline constexpr DWORD CSMI_SAS_STATUS_FAILED = 1;
inline constexpr DWORD CSMI_SAS_RAID_SET_OUT_OF_RANGE = 1000;
inline constexpr DWORD CSMI_SAS_PHY_DOES_NOT_EXIST = 2000;

// STP pass-through flags and the register FIS type.
inline constexpr DWORD CSMI_SAS_STP_READ = 0x01;
inline constexpr DWORD CSMI_SAS_STP_PIO = 0x10;
inline constexpr BYTE kFisRegisterHostToDevice = 0x27;
inline constexpr BYTE kFisRegisterDeviceToHost = 0x34;
inline constexpr BYTE kFisCommandBit = 0x80;

// Device types and protocols of a PHY's identify frame.
inline constexpr BYTE CSMI_SAS_NO_DEVICE_ATTACHED = 0x00;
inline constexpr BYTE CSMI_SAS_END_DEVICE = 0x10;
inline constexpr BYTE CSMI_SAS_PROTOCOL_SATA = 0x01;

#pragma pack(push, 1)

struct CSMI_SAS_DRIVER_INFO {
    BYTE szName[81];
    BYTE szDescription[81];
    WORD usMajorRevision;
    WORD usMinorRevision;
    WORD usBuildRevision;
    WORD usReleaseRevision;
    WORD usCSMIMajorRevision;
    WORD usCSMIMinorRevision;
};
struct CSMI_SAS_DRIVER_INFO_BUFFER {
    SRB_IO_CONTROL IoctlHeader;
    CSMI_SAS_DRIVER_INFO Information;
};
static_assert(sizeof(CSMI_SAS_DRIVER_INFO) == 174);
static_assert(sizeof(CSMI_SAS_DRIVER_INFO_BUFFER) == 202);

struct CSMI_SAS_RAID_INFO {
    DWORD uNumRaidSets;
    DWORD uMaxDrivesPerSet;
    BYTE bReserved[92];
};
struct CSMI_SAS_RAID_INFO_BUFFER {
    SRB_IO_CONTROL IoctlHeader;
    CSMI_SAS_RAID_INFO Information;
};
static_assert(sizeof(CSMI_SAS_RAID_INFO_BUFFER) == 128);
static_assert(offsetof(CSMI_SAS_RAID_INFO_BUFFER, Information) + 4 == 32);

struct CSMI_SAS_RAID_DRIVES {
    BYTE bModel[40];
    BYTE bFirmware[8];
    BYTE bSerialNumber[40];
    BYTE bSASAddress[8];
    BYTE bSASLun[8];
    BYTE bDriveStatus;
    BYTE bDriveUsage;
    BYTE bReserved[30];
};
static_assert(sizeof(CSMI_SAS_RAID_DRIVES) == 136);
static_assert(offsetof(CSMI_SAS_RAID_DRIVES, bSASAddress) == 88);

// One RAID set and the first of its drives; a request for n drives is 136 × (n - 1) bytes
// longer.
struct CSMI_SAS_RAID_CONFIG {
    DWORD uRaidSetIndex;
    DWORD uCapacity;
    DWORD uStripeSize;
    BYTE bRaidType;
    BYTE bStatus;
    BYTE bInformation;
    BYTE bDriveCount;
    BYTE bReserved[20];
    CSMI_SAS_RAID_DRIVES Drives[1];
};
struct CSMI_SAS_RAID_CONFIG_BUFFER {
    SRB_IO_CONTROL IoctlHeader;
    CSMI_SAS_RAID_CONFIG Configuration;
};
static_assert(sizeof(CSMI_SAS_RAID_CONFIG) == 172);
static_assert(offsetof(CSMI_SAS_RAID_CONFIG, bDriveCount) == 15);
static_assert(offsetof(CSMI_SAS_RAID_CONFIG, Drives) == 36);
static_assert(offsetof(CSMI_SAS_RAID_CONFIG_BUFFER, Configuration) == 28);

struct CSMI_SAS_IDENTIFY {
    BYTE bDeviceType;
    BYTE bRestricted;
    BYTE bInitiatorPortProtocol;
    BYTE bTargetPortProtocol;
    BYTE bRestricted2[8];
    BYTE bSASAddress[8];
    BYTE bPhyIdentifier;
    BYTE bSignalClass;
    BYTE bReserved[6];
};
static_assert(sizeof(CSMI_SAS_IDENTIFY) == 28);
static_assert(offsetof(CSMI_SAS_IDENTIFY, bSASAddress) == 12);
static_assert(offsetof(CSMI_SAS_IDENTIFY, bPhyIdentifier) == 20);

// One PHY: the controller's own end and what is attached to it. A drive found behind a RAID
// port keeps its PHY entity as its port data.
struct CSMI_SAS_PHY_ENTITY {
    CSMI_SAS_IDENTIFY Identify;
    BYTE bPortIdentifier;
    BYTE bNegotiatedLinkRate;
    BYTE bMinimumLinkRate;
    BYTE bMaximumLinkRate;
    BYTE bPhyChangeCount;
    BYTE bAutoDiscover;
    BYTE bPhyFeatures;
    BYTE bReserved;
    CSMI_SAS_IDENTIFY Attached;
};
static_assert(sizeof(CSMI_SAS_PHY_ENTITY) == 64);
static_assert(offsetof(CSMI_SAS_PHY_ENTITY, bPortIdentifier) == 28);
static_assert(offsetof(CSMI_SAS_PHY_ENTITY, Attached) == 36);

inline constexpr size_t kCsmiMaxPhys = 32;
struct CSMI_SAS_PHY_INFO {
    BYTE bNumberOfPhys;
    BYTE bReserved[3];
    CSMI_SAS_PHY_ENTITY Phy[kCsmiMaxPhys];
};
struct CSMI_SAS_PHY_INFO_BUFFER {
    SRB_IO_CONTROL IoctlHeader;
    CSMI_SAS_PHY_INFO Information;
};
static_assert(sizeof(CSMI_SAS_PHY_INFO_BUFFER) == 2080);
static_assert(offsetof(CSMI_SAS_PHY_INFO_BUFFER, Information) + 4 == 32);

struct CSMI_SAS_STP_PASSTHRU {
    BYTE bPhyIdentifier;
    BYTE bPortIdentifier;
    BYTE bConnectionRate;
    BYTE bReserved;
    BYTE bDestinationSASAddress[8];
    BYTE bReserved2[4];
    BYTE bCommandFIS[20];
    DWORD uFlags;
    DWORD uDataLength;
};
struct CSMI_SAS_STP_PASSTHRU_STATUS {
    BYTE bConnectionStatus;
    BYTE bReserved[3];
    BYTE bStatusFIS[20];
    DWORD uSCR[16];
    DWORD uDataBytes;
};
// The request without its data area, which follows it.
struct CSMI_SAS_STP_PASSTHRU_BUFFER {
    SRB_IO_CONTROL IoctlHeader;
    CSMI_SAS_STP_PASSTHRU Parameters;
    CSMI_SAS_STP_PASSTHRU_STATUS Status;
};
inline constexpr size_t kCsmiStpDataOffset = 164;
static_assert(sizeof(CSMI_SAS_STP_PASSTHRU) == 44);
static_assert(sizeof(CSMI_SAS_STP_PASSTHRU_STATUS) == 92);
static_assert(sizeof(CSMI_SAS_STP_PASSTHRU_BUFFER) == kCsmiStpDataOffset);
static_assert(offsetof(CSMI_SAS_STP_PASSTHRU_BUFFER, Parameters) == 28);
static_assert(offsetof(CSMI_SAS_STP_PASSTHRU_BUFFER, Parameters.bDestinationSASAddress) == 32);
static_assert(offsetof(CSMI_SAS_STP_PASSTHRU_BUFFER, Parameters.bCommandFIS) == 44);
static_assert(offsetof(CSMI_SAS_STP_PASSTHRU_BUFFER, Parameters.uFlags) == 64);
static_assert(offsetof(CSMI_SAS_STP_PASSTHRU_BUFFER, Parameters.uDataLength) == 68);

#pragma pack(pop)

}  // namespace platform

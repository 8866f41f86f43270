// The kernel's request structures and control codes that the Linux backend fills, mirrored
// here so the translation code and its tests need no kernel headers. The system build checks
// every layout against the kernel's own headers (kernel_io_posix.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::linux_backend {

// Block-device and pass-through control codes (x86 and arm encodings agree on these).
inline constexpr unsigned long kSgIo = 0x2285;
inline constexpr unsigned long kBlkRrPart = 0x125F;
inline constexpr unsigned long kBlkSszGet = 0x1268;
inline constexpr unsigned long kBlkGetSize64 = 0x80081272;
inline constexpr unsigned long kNvmeIoctlAdminCmd = 0xC0484E41;

// The SCSI generic request (struct sg_io_hdr). Not packed: it holds pointers and follows the
// natural layout, which the system build compares with the kernel's.
struct SgIoHeader {
    int32_t interfaceId;  // 'S'
    int32_t dxferDirection;
    uint8_t cmdLen;
    uint8_t mxSbLen;
    uint16_t iovecCount;
    uint32_t dxferLen;
    void* dxferp;
    uint8_t* cmdp;
    uint8_t* sbp;
    uint32_t timeout;  // milliseconds
    uint32_t flags;
    int32_t packId;
    void* usrPtr;
    uint8_t status;
    uint8_t maskedStatus;
    uint8_t msgStatus;
    uint8_t sbLenWr;
    uint16_t hostStatus;
    uint16_t driverStatus;
    int32_t resid;
    uint32_t duration;
    uint32_t info;
};
inline constexpr int32_t kSgInterfaceId = 'S';
inline constexpr int32_t kSgDxferNone = -1;
inline constexpr int32_t kSgDxferToDev = -2;
inline constexpr int32_t kSgDxferFromDev = -3;
// info bit 0: the command did not end cleanly (status, host or driver status set).
inline constexpr uint32_t kSgInfoCheck = 0x1;
static_assert(offsetof(SgIoHeader, dxferLen) == 12);
static_assert(offsetof(SgIoHeader, dxferp) == 16);

// The NVMe admin pass-through (struct nvme_admin_cmd), 72 bytes.
#pragma pack(push, 1)
struct NvmeAdminCommand {
    uint8_t opcode;
    uint8_t flags;
    uint16_t reserved1;
    uint32_t nsid;
    uint32_t cdw2;
    uint32_t cdw3;
    uint64_t metadata;
    uint64_t addr;
    uint32_t metadataLen;
    uint32_t dataLen;
    uint32_t cdw10, cdw11, cdw12, cdw13, cdw14, cdw15;
    uint32_t timeoutMs;
    uint32_t result;
};
#pragma pack(pop)
static_assert(sizeof(NvmeAdminCommand) == 72);
static_assert(offsetof(NvmeAdminCommand, addr) == 24);
static_assert(offsetof(NvmeAdminCommand, dataLen) == 36);
static_assert(offsetof(NvmeAdminCommand, cdw10) == 40);
static_assert(offsetof(NvmeAdminCommand, result) == 68);

}  // namespace platform::linux_backend

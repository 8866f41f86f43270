// The Intel NVMe miniport on "\\.\Scsi<port>:": its pass-through ("NvmeMini") runs an NVMe
// admin command on the drive of that port and returns the data in the request's buffer. The
// miniport knows Identify Controller and the health log; other commands complete with an NVMe
// error status and no data. A malformed request is refused.
#include <algorithm>
#include <cstring>

#include "platform/ioctl.h"
#include "platform/sim/device_models.h"
#include "platform/win_constants.h"

namespace platform::sim {

namespace {

constexpr DWORD kHeader = kNvmePassThroughHeaderSize;
// NVMe status codes, as the completion entry's dword 3 carries them (status field from bit 17).
constexpr DWORD kInvalidOpcode = 0x01u << 17;
constexpr DWORD kInvalidField = 0x02u << 17;
// What the miniport reports in ReturnCode for a command the drive failed.
constexpr DWORD kCommandFailed = 1;

SimDrive* DriveOnPort(SimState& state, uint32_t port) {
    for (SimDrive& drive : state.drives) {
        const DriveSpec& config = *drive.config;
        if (config.route == Route::NvmeIntel && config.scsi && config.scsi->port == port)
            return &drive;
    }
    return nullptr;
}

bool WellFormed(const NVME_PASS_THROUGH_IOCTL& request, const IoRequest& io) {
    const SRB_IO_CONTROL& header = request.SrbIoCtrl;
    const uint64_t total = uint64_t{header.HeaderLength} + header.Length;
    return header.HeaderLength == sizeof(SRB_IO_CONTROL) &&
           header.ControlCode == NVME_PASS_THROUGH_SRB_IO_CODE && total <= io.inSize &&
           total <= io.outSize && total >= kHeader && request.DataBufferLen <= total - kHeader &&
           request.ReturnBufferLen <= io.outSize && request.Direction == NVME_FROM_DEV_TO_HOST &&
           request.QueueId == 0 && request.MetaDataLen == 0;
}

// The data an admin command returns; empty with `status` set for one the drive refuses.
std::span<const uint8_t> Execute(const NvmeSpec& nvme, const DWORD command[16], DWORD* status) {
    const DWORD opcode = command[0] & 0xFF;
    const DWORD dword10 = command[10];
    if (opcode == NVME_ADMIN_IDENTIFY) {
        if ((dword10 & 0xFF) == NVME_IDENTIFY_CNS_CONTROLLER) return nvme.identify;
        *status = kInvalidField;
        return {};
    }
    if (opcode == NVME_ADMIN_GET_LOG_PAGE) {
        if ((dword10 & 0xFF) != NVME_LOG_PAGE_HEALTH_INFO) {
            *status = kInvalidField;
            return {};
        }
        // The dword count less one sits in bits 16-27.
        const size_t bytes = (((dword10 >> 16) & 0xFFF) + 1) * 4;
        return std::span<const uint8_t>(nvme.health).first(std::min(bytes, nvme.health.size()));
    }
    *status = kInvalidOpcode;
    return {};
}

std::optional<DWORD> PassThrough(SimDrive& drive, IoRequest& io) {
    if (io.inSize < kHeader || io.outSize < kHeader) return ERROR_INVALID_PARAMETER;
    NVME_PASS_THROUGH_IOCTL request;
    std::memcpy(&request, io.buffer.data(), kHeader);
    if (!WellFormed(request, io)) return ERROR_INVALID_PARAMETER;
    if (drive.Gone()) return ERROR_DEVICE_NOT_CONNECTED;

    DWORD status = 0;
    const auto data = Execute(*drive.config->nvme, request.NVMeCmd, &status);
    uint8_t* buffer = io.buffer.data() + kHeader;
    std::fill_n(buffer, request.DataBufferLen, uint8_t{0});
    std::copy_n(data.begin(), std::min<size_t>(data.size(), request.DataBufferLen), buffer);
    std::memset(request.CplEntry, 0, sizeof request.CplEntry);
    request.CplEntry[3] = status;
    request.SrbIoCtrl.ReturnCode = status == 0 ? 0 : kCommandFailed;
    std::memcpy(io.buffer.data(), &request, kHeader);
    io.returned = std::max(request.ReturnBufferLen, kHeader);
    return ERROR_SUCCESS;
}

class NvmeIntel : public DeviceModel {
  public:
    std::optional<DWORD> Control(SimState& state, OpenFile& file, IoRequest& io) const override {
        if (file.kind != DeviceKind::ScsiPort || io.code != IOCTL_SCSI_MINIPORT ||
            io.inSize < sizeof(SRB_IO_CONTROL))
            return std::nullopt;
        SRB_IO_CONTROL header;
        std::memcpy(&header, io.buffer.data(), sizeof header);
        if (std::memcmp(header.Signature, kNvmeMiniportSignature, sizeof header.Signature) != 0)
            return std::nullopt;
        SimDrive* drive = DriveOnPort(state, file.number);
        if (drive == nullptr) return std::nullopt;
        return PassThrough(*drive, io);
    }
};

}  // namespace

const DeviceModel& NvmeIntelModel() {
    static const NvmeIntel model;
    return model;
}

}  // namespace platform::sim

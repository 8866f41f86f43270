// The Samsung NVMe driver's vendor requests: SCSI SECURITY PROTOCOL OUT names the structure
// wanted (5 identify, 6 health log) with a request block, and SECURITY PROTOCOL IN of the same
// structure fetches it. A command the driver does not know ends in CHECK CONDITION with
// ILLEGAL REQUEST sense; a malformed pass-through request is refused outright.
#include <algorithm>
#include <cstring>

#include "platform/ioctl.h"
#include "platform/sim/device_models.h"
#include "platform/win_constants.h"

namespace platform::sim {

namespace {

constexpr BYTE kIdentifyPage = 0x05;
constexpr BYTE kHealthLogPage = 0x06;
constexpr DWORD kBlockSize = 512;
// Fixed-format sense: ILLEGAL REQUEST, INVALID FIELD IN CDB.
constexpr BYTE kIllegalRequestSense[] = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x24, 0};

// The request block of the OUT command names the same structure as the CDB.
BYTE RequestByteOf(BYTE page) {
    return page == kIdentifyPage ? 1 : 2;
}

bool WellFormed(const SCSI_PASS_THROUGH& spt, const IoRequest& request) {
    if (spt.Length != sizeof(SCSI_PASS_THROUGH) || spt.CdbLength < 12 ||
        spt.CdbLength > sizeof spt.Cdb || spt.DataIn > SCSI_IOCTL_DATA_IN)
        return false;
    if (spt.SenseInfoLength > 0 &&
        (spt.SenseInfoOffset < sizeof(SCSI_PASS_THROUGH) ||
         uint64_t{spt.SenseInfoOffset} + spt.SenseInfoLength > request.outSize))
        return false;
    if (spt.DataTransferLength == 0) return true;
    const uint64_t end = uint64_t{spt.DataBufferOffset} + spt.DataTransferLength;
    const DWORD room = spt.DataIn == SCSI_IOCTL_DATA_IN ? request.outSize : request.inSize;
    return spt.DataBufferOffset >= sizeof(SCSI_PASS_THROUGH) && end <= room;
}

// Runs the command; false for one the device refuses.
bool Execute(SimDrive& drive, const SCSI_PASS_THROUGH& spt, std::span<uint8_t> data) {
    const BYTE* cdb = spt.Cdb;
    const BYTE page = cdb[3];
    const bool known = cdb[1] == kSamsungNvmeSecurityProtocol && cdb[2] == 0 &&
                       (page == kIdentifyPage || page == kHealthLogPage) &&
                       spt.DataTransferLength == kBlockSize;
    if (!known) return false;
    const bool out = cdb[0] == SCSIOP_SECURITY_PROTOCOL_OUT && cdb[9] == 0x40 &&
                     spt.DataIn == SCSI_IOCTL_DATA_OUT;
    const bool in =
        cdb[0] == SCSIOP_SECURITY_PROTOCOL_IN && cdb[8] == 0x01 && spt.DataIn == SCSI_IOCTL_DATA_IN;
    if (out) {
        if (data[0] != RequestByteOf(page)) return false;
        drive.samsungNvmeRequest = page;
        return true;
    }
    if (!in || drive.samsungNvmeRequest != page) return false;
    drive.samsungNvmeRequest = 0;
    const NvmeSpec& nvme = *drive.config->nvme;
    const std::span<const uint8_t> source =
        page == kIdentifyPage ? std::span<const uint8_t>(nvme.identify) : nvme.health;
    std::copy_n(source.begin(), kBlockSize, data.begin());
    return true;
}

std::optional<DWORD> PassThrough(SimDrive& drive, IoRequest& request) {
    if (request.inSize < sizeof(SCSI_PASS_THROUGH) || request.outSize < sizeof(SCSI_PASS_THROUGH))
        return ERROR_INVALID_PARAMETER;
    SCSI_PASS_THROUGH spt;
    std::memcpy(&spt, request.buffer.data(), sizeof spt);
    if (!WellFormed(spt, request)) return ERROR_INVALID_PARAMETER;

    const std::span<uint8_t> data =
        spt.DataTransferLength == 0
            ? std::span<uint8_t>()
            : request.buffer.subspan(spt.DataBufferOffset, spt.DataTransferLength);
    if (Execute(drive, spt, data)) {
        spt.ScsiStatus = 0;
        spt.SenseInfoLength = 0;
        request.returned = static_cast<DWORD>(spt.DataIn == SCSI_IOCTL_DATA_IN
                                                  ? spt.DataBufferOffset + spt.DataTransferLength
                                                  : sizeof spt);
    } else {
        drive.samsungNvmeRequest = 0;
        spt.ScsiStatus = SCSISTAT_CHECK_CONDITION;
        spt.SenseInfoLength = std::min<BYTE>(spt.SenseInfoLength, sizeof kIllegalRequestSense);
        std::memcpy(request.buffer.data() + spt.SenseInfoOffset, kIllegalRequestSense,
                    spt.SenseInfoLength);
        spt.DataTransferLength = 0;
        request.returned = spt.SenseInfoLength > 0 ? spt.SenseInfoOffset + spt.SenseInfoLength
                                                   : static_cast<DWORD>(sizeof spt);
    }
    std::memcpy(request.buffer.data(), &spt, sizeof spt);
    return ERROR_SUCCESS;
}

class NvmeSamsung : public DeviceModel {
  public:
    std::optional<DWORD> Control(SimState& state, OpenFile& file,
                                 IoRequest& request) const override {
        if (file.kind != DeviceKind::PhysicalDrive || request.code != IOCTL_SCSI_PASS_THROUGH)
            return std::nullopt;
        SimDrive& drive = state.drives[file.number];
        if (drive.config->route != Route::NvmeSamsung) return std::nullopt;
        return PassThrough(drive, request);
    }
};

}  // namespace

const DeviceModel& NvmeSamsungModel() {
    static const NvmeSamsung model;
    return model;
}

}  // namespace platform::sim

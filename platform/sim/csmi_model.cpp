// A RAID driver with the Common Storage Management Interface on "\\.\Scsi<port>:". Its drives
// sit on PHYs (the highest PHY in use sets the PHY count); those marked as RAID members form
// the port's one RAID set. It answers driver, RAID and PHY information and carries ATA
// commands to a PHY's drive through the STP pass-through.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/csmi.h"
#include "platform/sim/ata_device.h"
#include "platform/sim/device_models.h"
#include "platform/win_constants.h"

namespace platform::sim {

namespace {

// The controller's own SAS address; its PHYs differ in the last byte.
constexpr uint64_t kControllerSasAddress = 0x500605B000000000;

void PutSasAddress(uint64_t address, BYTE out[8]) {
    for (int i = 7; i >= 0; --i, address >>= 8)
        out[i] = static_cast<BYTE>(address);
}

// An IDENTIFY string field as plain text: ATA stores two characters per word, swapped.
void PutAtaString(const Page& identify, size_t offset, size_t length, BYTE* out) {
    for (size_t i = 0; i + 1 < length; i += 2) {
        out[i] = identify[offset + i + 1];
        out[i + 1] = identify[offset + i];
    }
}

struct Port {
    std::vector<SimDrive*> drives;   // the drives on the port that answer
    std::vector<SimDrive*> members;  // those that belong to the RAID set
    size_t phyCount = 0;
};

Port PortOf(SimState& state, uint32_t number) {
    Port port;
    bool any = false;
    for (SimDrive& drive : state.drives) {
        const DriveSpec& config = *drive.config;
        if (config.route != Route::Csmi || !config.csmi || config.csmi->port != number) continue;
        any = true;
        port.phyCount = std::max<size_t>(port.phyCount, config.csmi->phy + 1);
        if (drive.Gone()) continue;
        port.drives.push_back(&drive);
        if (config.csmi->raidMember) port.members.push_back(&drive);
    }
    if (!any) port.phyCount = 0;
    return port;
}

template <typename T>
T Read(const IoRequest& request) {
    T value;
    std::memcpy(&value, request.buffer.data(), sizeof value);
    return value;
}

template <typename T>
DWORD Reply(IoRequest& request, const T& value) {
    std::memcpy(request.buffer.data(), &value, sizeof value);
    request.returned = request.outSize;
    return ERROR_SUCCESS;
}

DWORD DriverInfo(IoRequest& request) {
    auto reply = Read<CSMI_SAS_DRIVER_INFO_BUFFER>(request);
    std::memset(&reply.Information, 0, sizeof reply.Information);
    std::strcpy(reinterpret_cast<char*>(reply.Information.szName), "simraid");
    std::strcpy(reinterpret_cast<char*>(reply.Information.szDescription), "Simulated RAID");
    reply.Information.usMajorRevision = 1;
    reply.Information.usCSMIMajorRevision = 0;
    reply.Information.usCSMIMinorRevision = 82;
    return Reply(request, reply);
}

DWORD RaidInfo(const Port& port, IoRequest& request) {
    auto reply = Read<CSMI_SAS_RAID_INFO_BUFFER>(request);
    std::memset(&reply.Information, 0, sizeof reply.Information);
    reply.Information.uNumRaidSets = port.members.empty() ? 0 : 1;
    reply.Information.uMaxDrivesPerSet = static_cast<DWORD>(port.members.size());
    return Reply(request, reply);
}

DWORD RaidConfig(const Port& port, IoRequest& request) {
    const size_t needed =
        sizeof(SRB_IO_CONTROL) + sizeof(CSMI_SAS_RAID_CONFIG) +
        sizeof(CSMI_SAS_RAID_DRIVES) * (std::max<size_t>(port.members.size(), 1) - 1);
    if (request.inSize < needed || request.outSize < needed) return ERROR_INVALID_PARAMETER;
    auto* config = reinterpret_cast<CSMI_SAS_RAID_CONFIG*>(
        request.buffer.data() + offsetof(CSMI_SAS_RAID_CONFIG_BUFFER, Configuration));
    auto* header = reinterpret_cast<SRB_IO_CONTROL*>(request.buffer.data());
    request.returned = request.outSize;
    if (config->uRaidSetIndex != 0 || port.members.empty()) {
        header->ReturnCode = CSMI_SAS_RAID_SET_OUT_OF_RANGE;
        return ERROR_SUCCESS;
    }
    config->bRaidType = 1;
    config->bDriveCount = static_cast<BYTE>(port.members.size());
    auto* entries = reinterpret_cast<CSMI_SAS_RAID_DRIVES*>(
        request.buffer.data() + offsetof(CSMI_SAS_RAID_CONFIG_BUFFER, Configuration.Drives));
    for (size_t i = 0; i < port.members.size(); ++i) {
        const DriveSpec& member = *port.members[i]->config;
        CSMI_SAS_RAID_DRIVES entry{};
        if (member.identify) {
            PutAtaString(*member.identify, 54, sizeof entry.bModel, entry.bModel);
            PutAtaString(*member.identify, 46, sizeof entry.bFirmware, entry.bFirmware);
            PutAtaString(*member.identify, 20, 20, entry.bSerialNumber);
        }
        PutSasAddress(member.csmi->sasAddress, entry.bSASAddress);
        std::memcpy(&entries[i], &entry, sizeof entry);
    }
    header->ReturnCode = CSMI_SAS_STATUS_SUCCESS;
    return ERROR_SUCCESS;
}

DWORD PhyInfo(uint32_t portNumber, const Port& port, IoRequest& request) {
    auto reply = Read<CSMI_SAS_PHY_INFO_BUFFER>(request);
    std::memset(&reply.Information, 0, sizeof reply.Information);
    reply.Information.bNumberOfPhys = static_cast<BYTE>(std::min<size_t>(port.phyCount, 255));
    for (size_t phy = 0; phy < std::min(port.phyCount, kCsmiMaxPhys); ++phy) {
        CSMI_SAS_PHY_ENTITY& entity = reply.Information.Phy[phy];
        entity.Identify.bDeviceType = CSMI_SAS_END_DEVICE;
        PutSasAddress(kControllerSasAddress | (uint64_t{portNumber} << 8) | phy,
                      entity.Identify.bSASAddress);
        entity.Identify.bPhyIdentifier = static_cast<BYTE>(phy);
        entity.bPortIdentifier = static_cast<BYTE>(phy);
    }
    for (const SimDrive* drive : port.drives) {
        const CsmiSpec& csmi = *drive->config->csmi;
        if (csmi.phy >= kCsmiMaxPhys) continue;
        CSMI_SAS_IDENTIFY& attached = reply.Information.Phy[csmi.phy].Attached;
        attached.bDeviceType = CSMI_SAS_END_DEVICE;
        attached.bTargetPortProtocol = CSMI_SAS_PROTOCOL_SATA;
        PutSasAddress(csmi.sasAddress, attached.bSASAddress);
    }
    return Reply(request, reply);
}

DWORD StpPassThrough(const Port& port, IoRequest& request) {
    if (request.inSize < kCsmiStpDataOffset) return ERROR_INVALID_PARAMETER;
    auto stp = Read<CSMI_SAS_STP_PASSTHRU_BUFFER>(request);
    const CSMI_SAS_STP_PASSTHRU& parameters = stp.Parameters;
    const uint64_t end = uint64_t{kCsmiStpDataOffset} + parameters.uDataLength;
    if (end > request.inSize || end > request.outSize ||
        stp.IoctlHeader.Length < end - sizeof(SRB_IO_CONTROL) ||
        parameters.bCommandFIS[0] != kFisRegisterHostToDevice ||
        !(parameters.bCommandFIS[1] & kFisCommandBit) ||
        (parameters.uDataLength != 0 && !(parameters.uFlags & CSMI_SAS_STP_READ)))
        return ERROR_INVALID_PARAMETER;

    SimDrive* target = nullptr;
    for (SimDrive* drive : port.drives) {
        BYTE address[8];
        PutSasAddress(drive->config->csmi->sasAddress, address);
        if (drive->config->csmi->phy == parameters.bPhyIdentifier &&
            std::memcmp(address, parameters.bDestinationSASAddress, 8) == 0)
            target = drive;
    }
    if (target == nullptr) return ERROR_DEV_NOT_EXIST;

    const BYTE* fis = parameters.bCommandFIS;
    const BYTE registers[8] = {fis[3], fis[12], fis[4], fis[5], fis[6], fis[7], fis[2], 0};
    const std::span<uint8_t> data =
        request.buffer.subspan(kCsmiStpDataOffset, parameters.uDataLength);
    const AtaOutcome outcome = ExecuteAta(*target, registers, data);
    std::memset(&stp.Status, 0, sizeof stp.Status);
    stp.Status.bStatusFIS[0] = kFisRegisterDeviceToHost;
    stp.Status.bStatusFIS[2] = outcome.registers[kAtaStatus];
    stp.Status.bStatusFIS[3] = outcome.registers[kAtaError];
    stp.Status.uDataBytes = outcome.transferred;
    stp.IoctlHeader.ReturnCode =
        outcome.completed ? CSMI_SAS_STATUS_SUCCESS : CSMI_SAS_STATUS_FAILED;
    std::memcpy(request.buffer.data(), &stp, sizeof stp);
    request.returned = static_cast<DWORD>(end);
    return ERROR_SUCCESS;
}

struct Known {
    DWORD code;
    const char* signature;
    size_t size;  // the least the request must carry, header included
};

constexpr Known kKnown[] = {
    {CC_CSMI_SAS_GET_DRIVER_INFO, CSMI_ALL_SIGNATURE, sizeof(CSMI_SAS_DRIVER_INFO_BUFFER)},
    {CC_CSMI_SAS_GET_RAID_INFO, CSMI_RAID_SIGNATURE, sizeof(CSMI_SAS_RAID_INFO_BUFFER)},
    {CC_CSMI_SAS_GET_RAID_CONFIG, CSMI_RAID_SIGNATURE, sizeof(CSMI_SAS_RAID_CONFIG_BUFFER)},
    {CC_CSMI_SAS_GET_PHY_INFO, CSMI_SAS_SIGNATURE, sizeof(CSMI_SAS_PHY_INFO_BUFFER)},
    {CC_CSMI_SAS_STP_PASSTHRU, CSMI_SAS_SIGNATURE, kCsmiStpDataOffset},
};

bool IsCsmiSignature(const BYTE signature[8]) {
    return std::ranges::any_of(kKnown, [&](const Known& known) {
        return std::memcmp(signature, known.signature, 8) == 0;
    });
}

class CsmiDriver : public DeviceModel {
  public:
    std::optional<DWORD> Control(SimState& state, OpenFile& file,
                                 IoRequest& request) const override {
        if (file.kind != DeviceKind::ScsiPort || request.code != IOCTL_SCSI_MINIPORT ||
            request.inSize < sizeof(SRB_IO_CONTROL))
            return std::nullopt;
        const auto header = Read<SRB_IO_CONTROL>(request);
        if (!IsCsmiSignature(header.Signature)) return std::nullopt;
        const Port port = PortOf(state, file.number);
        if (port.phyCount == 0) return std::nullopt;

        const auto known = std::ranges::find(kKnown, header.ControlCode, &Known::code);
        if (known == std::end(kKnown)) return ERROR_NOT_SUPPORTED;
        if (std::memcmp(header.Signature, known->signature, 8) != 0 ||
            header.HeaderLength != sizeof(SRB_IO_CONTROL) || request.inSize < known->size ||
            request.outSize < known->size || header.Length < known->size - sizeof header)
            return ERROR_INVALID_PARAMETER;
        switch (header.ControlCode) {
            case CC_CSMI_SAS_GET_DRIVER_INFO:
                return DriverInfo(request);
            case CC_CSMI_SAS_GET_RAID_INFO:
                return RaidInfo(port, request);
            case CC_CSMI_SAS_GET_RAID_CONFIG:
                return RaidConfig(port, request);
            case CC_CSMI_SAS_GET_PHY_INFO:
                return PhyInfo(file.number, port, request);
            default:
                return StpPassThrough(port, request);
        }
    }
};

}  // namespace

const DeviceModel& CsmiModel() {
    static const CsmiDriver model;
    return model;
}

}  // namespace platform::sim

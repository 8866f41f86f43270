#include "transport/csmi.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "base/log.h"
#include "platform/csmi.h"
#include "platform/platform.h"
#include "platform/win_constants.h"
#include "transport/scsi_miniport.h"

namespace transport {

using namespace platform;

namespace {

// The extra byte the published pass-through buffer carries after its status block.
constexpr DWORD kStpRequestSize = kCsmiStpDataOffset + 4;
// A driver claiming more RAID sets, or RAID drives (sets times drives per set), than this is
// not believed: every set is asked for with a request sized for all drives, so a garbage count
// would cost gigabytes or billions of requests.
constexpr uint64_t kMaxRaidDrives = 256;
// The byte of a SAS address that ties a RAID member to the PHY it is attached to.
constexpr size_t kSasAddressMatchByte = 2;

const char* SignatureOf(DWORD code) {
    switch (code) {
        case CC_CSMI_SAS_GET_DRIVER_INFO:
            return CSMI_ALL_SIGNATURE;
        case CC_CSMI_SAS_GET_RAID_INFO:
        case CC_CSMI_SAS_GET_RAID_CONFIG:
            return CSMI_RAID_SIGNATURE;
        default:
            return CSMI_SAS_SIGNATURE;
    }
}

// A zeroed request of `size` bytes with the packed layouts laid over it.
struct RequestBuffer {
    explicit RequestBuffer(size_t size) : bytes(size, 0) {}
    template <typename T>
    T& As() {
        return *reinterpret_cast<T*>(bytes.data());
    }
    uint8_t* Bytes() { return bytes.data(); }
    DWORD Size() const { return static_cast<DWORD>(bytes.size()); }
    std::vector<uint8_t> bytes;
};

// The request on a port handle, logging `failedLog` when the driver refuses it.
bool Ask(HANDLE port, DWORD code, RequestBuffer& buffer, const wchar_t* failedLog) {
    if (CsmiRequest(port, code, buffer.Bytes(), buffer.Size())) return true;
    WriteLog(L"%ls", failedLog);
    return false;
}

// The SAS-address bytes of the RAID members on a port; false when a request failed.
bool CollectRaidMembers(HANDLE port, std::vector<uint8_t>* members) {
    RequestBuffer info(sizeof(CSMI_SAS_RAID_INFO_BUFFER));
    if (!Ask(port, CC_CSMI_SAS_GET_RAID_INFO, info, L"FAILED: CC_CSMI_SAS_GET_RAID_INFO"))
        return false;
    const DWORD sets = info.As<CSMI_SAS_RAID_INFO_BUFFER>().Information.uNumRaidSets;
    const DWORD perSet = info.As<CSMI_SAS_RAID_INFO_BUFFER>().Information.uMaxDrivesPerSet;
    const uint64_t drives = uint64_t{sets} * perSet;
    // Every set is asked for, also when it is said to hold no drives.
    if (drives > kMaxRaidDrives || sets > kMaxRaidDrives) {
        WriteLog(L"FAILED: CC_CSMI_SAS_GET_RAID_CONFIG");
        return false;
    }
    // Room for every drive of every set, as the driver's count asks.
    const size_t size = sizeof(SRB_IO_CONTROL) + sizeof(CSMI_SAS_RAID_CONFIG) +
                        sizeof(CSMI_SAS_RAID_DRIVES) * drives;
    for (DWORD set = 0; set < sets; ++set) {
        RequestBuffer config(size);
        config.As<CSMI_SAS_RAID_CONFIG_BUFFER>().Configuration.uRaidSetIndex = set;
        if (!Ask(port, CC_CSMI_SAS_GET_RAID_CONFIG, config, L"FAILED: CC_CSMI_SAS_GET_RAID_CONFIG"))
            return false;
        const auto* entries = reinterpret_cast<const CSMI_SAS_RAID_DRIVES*>(
            config.Bytes() + offsetof(CSMI_SAS_RAID_CONFIG_BUFFER, Configuration.Drives));
        for (DWORD i = 0; i < perSet; ++i)
            if (entries[i].bModel[0] != 0)
                members->push_back(entries[i].bSASAddress[kSasAddressMatchByte]);
    }
    return true;
}

}  // namespace

HANDLE OpenCsmi(int port) {
    return OpenScsiPort(port);
}

bool CsmiRequest(HANDLE port, DWORD code, void* buffer, DWORD size) {
    if (size < sizeof(SRB_IO_CONTROL)) return false;
    auto* header = static_cast<SRB_IO_CONTROL*>(buffer);
    header->HeaderLength = sizeof(SRB_IO_CONTROL);
    std::memcpy(header->Signature, SignatureOf(code), sizeof header->Signature);
    header->Timeout = CSMI_SAS_TIMEOUT;
    header->ControlCode = code;
    header->ReturnCode = 0;
    header->Length = size - sizeof(SRB_IO_CONTROL);
    DWORD returned = 0;
    if (DeviceIoControl(port, IOCTL_SCSI_MINIPORT, buffer, size, buffer, size, &returned))
        return true;
    const DWORD error = GetLastError();
    return error != ERROR_INVALID_FUNCTION && error != ERROR_NOT_SUPPORTED &&
           error != ERROR_DEV_NOT_EXIST;
}

bool SendAtaCommandCsmi(int port, const CsmiPhyEntry& phy, uint8_t command, uint8_t feature,
                        uint8_t* data, uint32_t dataSize) {
    if (dataSize > kSectorSize) return false;
    const HANDLE handle = OpenCsmi(port);
    if (handle == INVALID_HANDLE_VALUE) return false;

    CSMI_SAS_PHY_ENTITY entity;
    std::memcpy(&entity, phy.data(), sizeof entity);
    RequestBuffer request(kStpRequestSize + dataSize);
    CSMI_SAS_STP_PASSTHRU& stp = request.As<CSMI_SAS_STP_PASSTHRU_BUFFER>().Parameters;
    stp.bPhyIdentifier = entity.Identify.bPhyIdentifier;
    stp.bPortIdentifier = entity.bPortIdentifier;
    std::memcpy(stp.bDestinationSASAddress, entity.Attached.bSASAddress,
                sizeof stp.bDestinationSASAddress);
    stp.bCommandFIS[0] = kFisRegisterHostToDevice;
    stp.bCommandFIS[1] = kFisCommandBit;
    stp.bCommandFIS[2] = command;
    stp.bCommandFIS[3] = feature;
    if (command == ATA_SMART) {
        stp.bCommandFIS[5] = SMART_CYL_LOW;
        stp.bCommandFIS[6] = SMART_CYL_HIGH;
    }
    stp.bCommandFIS[7] = ATA_DEVICE_MASTER;
    stp.uFlags = CSMI_SAS_STP_READ | CSMI_SAS_STP_PIO;
    stp.uDataLength = dataSize;

    const bool ok = CsmiRequest(handle, CC_CSMI_SAS_STP_PASSTHRU, request.Bytes(), request.Size());
    if (ok && data != nullptr) std::memcpy(data, request.Bytes() + kCsmiStpDataOffset, dataSize);
    CloseHandle(handle);
    return ok;
}

void DoIdentifyDeviceCsmi(int port, CsmiScope scope, const CsmiFound& found) {
    const HANDLE handle = OpenCsmi(port);
    if (handle == INVALID_HANDLE_VALUE) return;
    const auto scan = [&] {
        RequestBuffer driver(sizeof(CSMI_SAS_DRIVER_INFO_BUFFER));
        if (!Ask(handle, CC_CSMI_SAS_GET_DRIVER_INFO, driver,
                 L"FAILED: CC_CSMI_SAS_GET_DRIVER_INFO"))
            return;
        std::vector<uint8_t> members;
        if (!CollectRaidMembers(handle, &members)) return;
        RequestBuffer phys(sizeof(CSMI_SAS_PHY_INFO_BUFFER));
        if (!Ask(handle, CC_CSMI_SAS_GET_PHY_INFO, phys, L"FAILED: CC_CSMI_SAS_GET_PHY_INFO"))
            return;
        const CSMI_SAS_PHY_INFO& info = phys.As<CSMI_SAS_PHY_INFO_BUFFER>().Information;
        // The reply has room for 32 PHYs; a larger count is not to be trusted.
        if (info.bNumberOfPhys < 1 || info.bNumberOfPhys > kCsmiMaxPhys) return;
        for (size_t i = 0; i < info.bNumberOfPhys; ++i) {
            const CSMI_SAS_PHY_ENTITY& entity = info.Phy[i];
            if (scope == CsmiScope::RaidMembers &&
                std::ranges::find(members, entity.Attached.bSASAddress[kSasAddressMatchByte]) ==
                    members.end())
                continue;
            WriteLog(L"DoIdentifyDeviceCsmi");
            CsmiPhyEntry phy;
            std::memcpy(phy.data(), &entity, phy.size());
            std::array<uint8_t, kSectorSize> identify{};
            if (SendAtaCommandCsmi(port, phy, ATA_IDENTIFY_DEVICE, 0, identify.data(),
                                   identify.size()))
                found(identify, phy);
        }
    };
    scan();
    CloseHandle(handle);
}

bool CsmiRoute::IdentifyDevice(AtaBuffer identify) {
    return SendAtaCommandCsmi(port_, phy_, ATA_IDENTIFY_DEVICE, 0, identify.data(),
                              identify.size());
}

bool CsmiRoute::ReadSmartData(AtaBuffer page) {
    WriteLog(L"GetSmartAttributeCsmi");
    if (!SendAtaCommandCsmi(port_, phy_, ATA_SMART, SMART_READ_DATA, page.data(), page.size()))
        return false;
    WriteLog(L"FillSmartData");
    return true;
}

bool CsmiRoute::ReadSmartThresholds(AtaBuffer page) {
    WriteLog(L"GetSmartThresholdCsmi");
    if (!SendAtaCommandCsmi(port_, phy_, ATA_SMART, SMART_READ_THRESHOLDS, page.data(),
                            page.size()))
        return false;
    WriteLog(L"FillSmartThreshold");
    return true;
}

bool CsmiRoute::EnableSmartOperations() {
    WriteLog(L"ControlSmartStatusCsmi");
    return SendAtaCommandCsmi(port_, phy_, ATA_SMART, SMART_ENABLE_OPERATIONS, nullptr, 0);
}

}  // namespace transport

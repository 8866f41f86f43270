// The system's own NVMe driver (Windows 10 and later): the protocol-specific storage property
// query hands an Identify or Get Log Page command to the drive and returns the data after a
// protocol data descriptor in the same buffer. Older systems do not know the property; the
// disk class then refuses it as any unknown property.
#include <algorithm>
#include <cstring>
#include <span>
#include <variant>

#include "platform/ioctl.h"
#include "platform/sim/device_models.h"
#include "platform/win_constants.h"

namespace platform::sim {

namespace {

constexpr DWORD kFirstStorageQueryMajorVersion = 10;
constexpr DWORD kProtocolStart = offsetof(STORAGE_QUERY_NVME_BUFFER, ProtocolSpecific);

// The structure a well-formed request asks for; an error code when the driver refuses it.
std::variant<std::span<const uint8_t>, DWORD> Requested(const SimDrive& drive,
                                                        const STORAGE_PROTOCOL_SPECIFIC_DATA& p) {
    const NvmeSpec& nvme = *drive.config->nvme;
    switch (p.DataType) {
        case NVMeDataTypeIdentify:
            // Value 0 and the controller's CNS value both give the controller data.
            if (p.ProtocolDataRequestValue > NVME_IDENTIFY_CNS_CONTROLLER ||
                p.ProtocolDataRequestSubValue != 0)
                return ERROR_NOT_SUPPORTED;
            return std::span<const uint8_t>(nvme.identify);
        case NVMeDataTypeLogPage:
            if (p.ProtocolDataRequestValue != NVME_LOG_PAGE_HEALTH_INFO) return ERROR_NOT_SUPPORTED;
            if (p.ProtocolDataRequestSubValue != 0 &&
                p.ProtocolDataRequestSubValue != NVME_NAMESPACE_ALL)
                return ERROR_INVALID_PARAMETER;
            return std::span<const uint8_t>(nvme.health);
        default:
            return ERROR_INVALID_PARAMETER;
    }
}

std::optional<DWORD> ProtocolQuery(const SimDrive& drive, IoRequest& request) {
    constexpr DWORD kHeader = kStorageQueryNvmeDataOffset;
    if (request.inSize < kHeader || request.outSize < kHeader) return ERROR_INVALID_PARAMETER;
    STORAGE_PROPERTY_QUERY query{};
    std::memcpy(&query, request.buffer.data(), 8);
    if (query.QueryType == PropertyExistsQuery) return ERROR_SUCCESS;
    if (query.QueryType != PropertyStandardQuery) return ERROR_INVALID_PARAMETER;

    STORAGE_PROTOCOL_SPECIFIC_DATA protocol{};
    std::memcpy(&protocol, request.buffer.data() + kProtocolStart, sizeof protocol);
    const uint64_t end =
        uint64_t{kProtocolStart} + protocol.ProtocolDataOffset + protocol.ProtocolDataLength;
    if (protocol.ProtocolType != ProtocolTypeNvme ||
        protocol.ProtocolDataOffset < sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA) ||
        protocol.ProtocolDataLength == 0 || end > request.inSize || end > request.outSize)
        return ERROR_INVALID_PARAMETER;
    const auto requested = Requested(drive, protocol);
    if (const DWORD* error = std::get_if<DWORD>(&requested)) return *error;
    const auto data = std::get<std::span<const uint8_t>>(requested);
    if (protocol.ProtocolDataLength < data.size()) return ERROR_INVALID_PARAMETER;

    // The reply: the descriptor (version and size), the protocol data as sent, then the data.
    const DWORD descriptor[2] = {kHeader, kHeader};
    std::memcpy(request.buffer.data(), descriptor, sizeof descriptor);
    uint8_t* out = request.buffer.data() + kProtocolStart + protocol.ProtocolDataOffset;
    std::fill_n(out, protocol.ProtocolDataLength, uint8_t{0});
    std::ranges::copy(data, out);
    request.returned = static_cast<DWORD>(end);
    return ERROR_SUCCESS;
}

class NvmeStorageQuery : public DeviceModel {
  public:
    std::optional<DWORD> Control(SimState& state, OpenFile& file,
                                 IoRequest& request) const override {
        if (file.kind != DeviceKind::PhysicalDrive ||
            request.code != IOCTL_STORAGE_QUERY_PROPERTY || request.inSize < 8)
            return std::nullopt;
        const SimDrive& drive = state.drives[file.number];
        DWORD propertyId = 0;
        std::memcpy(&propertyId, request.buffer.data(), sizeof propertyId);
        if (drive.config->route != Route::NvmeStorageQuery ||
            propertyId != StorageAdapterProtocolSpecificProperty ||
            state.machine.os.major < kFirstStorageQueryMajorVersion)
            return std::nullopt;
        return ProtocolQuery(drive, request);
    }
};

}  // namespace

const DeviceModel& NvmeStorageQueryModel() {
    static const NvmeStorageQuery model;
    return model;
}

}  // namespace platform::sim

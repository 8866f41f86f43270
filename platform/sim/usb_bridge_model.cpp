// USB enclosures. Each bridge chip understands one dialect of command descriptor blocks that
// wrap an ATA command; the enclosure decodes only its own and ends anything else with CHECK
// CONDITION and ILLEGAL REQUEST, so no data comes back for a CDB of another chip.
#include <algorithm>
#include <array>
#include <cstring>

#include "platform/ioctl.h"
#include "platform/sim/ata_device.h"
#include "platform/sim/device_models.h"
#include "platform/win_constants.h"
#include "platform/win_requests.h"

namespace platform::sim {

namespace {

constexpr int16_t V = -1;  // a byte that carries a register or the transfer direction

// Where the registers sit in a chip's CDB: features, sector count, sector number, cylinder
// low and high, device/head, command (task-file order).
struct Dialect {
    Route route;
    uint8_t length;
    std::array<int16_t, 16> pattern;  // fixed bytes; V marks the variable ones
    std::array<uint8_t, 7> registerAt;
    // The byte that says whether data moves, and its two values; none when at is 0.
    uint8_t directionAt;
    uint8_t dataIn, noData;
};

constexpr Dialect kDialects[] = {
    // ATA PASS-THROUGH (12): protocol 4 (PIO data-in) or 3 (non-data) in byte 1.
    {Route::Sat,
     12,
     {0xA1, V, 0x0E, V, V, V, V, V, V, V, 0, 0},
     {3, 4, 5, 6, 7, 8, 9},
     1,
     0x08,
     0x06},
    {Route::Sunplus,
     12,
     {0xF8, 0, 0x22, 0x10, 0x01, V, V, V, V, V, V, V},
     {5, 6, 7, 8, 9, 10, 11},
     0,
     0,
     0},
    {Route::IoData, 12, {0xE3, 0, V, V, V, V, V, V, V, 0, 0, 0}, {2, 3, 4, 5, 6, 7, 8}, 0, 0, 0},
    {Route::Logitec1, 10, {0xE0, 0, V, V, V, V, V, V, V, 'L'}, {2, 3, 4, 5, 6, 7, 8}, 0, 0, 0},
    {Route::Logitec2,
     16,
     {0xD8, 0x15, 0, V, 0x06, 0x7B, 0, 0, 0x02, 0, V, V, V, V, V, V},
     {3, 10, 11, 12, 13, 14, 15},
     0,
     0,
     0},
    {Route::Jmicron,
     12,
     {0xDF, 0x10, 0, 0x02, 0, V, V, V, V, V, V, V},
     {5, 6, 7, 8, 9, 10, 11},
     0,
     0,
     0},
    {Route::Cypress,
     16,
     {0x24, 0x24, 0, 0xBE, V, 0, V, V, V, V, V, V, V, 0, 0, 0},
     {6, 7, 8, 9, 10, 11, 12},
     4,
     0x01,
     0x00},
};

const Dialect* DialectOf(Route route) {
    for (const Dialect& dialect : kDialects)
        if (dialect.route == route) return &dialect;
    return nullptr;
}

// The task file the CDB carries, or nothing when the chip does not understand it.
std::optional<std::array<BYTE, 8>> Decode(const Dialect& dialect, const SCSI_PASS_THROUGH& spt) {
    if (spt.CdbLength != dialect.length) return std::nullopt;
    for (size_t i = 0; i < dialect.length; ++i)
        if (dialect.pattern[i] != V && spt.Cdb[i] != dialect.pattern[i]) return std::nullopt;
    if (dialect.directionAt != 0) {
        const BYTE direction = spt.Cdb[dialect.directionAt];
        const bool moves = spt.DataTransferLength != 0;
        if (direction != (moves ? dialect.dataIn : dialect.noData)) return std::nullopt;
    }
    std::array<BYTE, 8> registers{};
    for (size_t i = 0; i < dialect.registerAt.size(); ++i)
        registers[i] = spt.Cdb[dialect.registerAt[i]];
    return registers;
}

// Fixed-format sense data with a sense key and an additional sense code.
void WriteSense(IoRequest& request, const SCSI_PASS_THROUGH& spt, BYTE key, BYTE code) {
    if (spt.SenseInfoLength < 14) return;
    uint8_t* sense = request.buffer.data() + spt.SenseInfoOffset;
    std::memset(sense, 0, spt.SenseInfoLength);
    sense[0] = 0x70;
    sense[2] = key;
    sense[7] = 10;
    sense[12] = code;
}

constexpr BYTE kIllegalRequest = 0x05, kAbortedCommand = 0x0B;
constexpr BYTE kInvalidOperationCode = 0x20;

class UsbBridge : public DeviceModel {
  public:
    std::optional<DWORD> Control(SimState& state, OpenFile& file,
                                 IoRequest& request) const override {
        if (file.kind != DeviceKind::PhysicalDrive || request.code != IOCTL_SCSI_PASS_THROUGH)
            return std::nullopt;
        SimDrive& drive = state.drives[file.number];
        const Dialect* dialect = DialectOf(drive.config->route);
        if (dialect == nullptr) return std::nullopt;

        ScsiCommand command;
        if (const DWORD error = DecodeScsiPassThrough(request, &command); error != ERROR_SUCCESS)
            return error;
        // Data only ever comes in from these chips.
        SCSI_PASS_THROUGH& spt = command.header;
        if (!command.data.empty() && spt.DataIn != SCSI_IOCTL_DATA_IN)
            return ERROR_INVALID_PARAMETER;
        DWORD transferred = 0;
        const auto registers = Decode(*dialect, spt);
        if (!registers) {
            spt.ScsiStatus = SCSISTAT_CHECK_CONDITION;
            WriteSense(request, spt, kIllegalRequest, kInvalidOperationCode);
        } else {
            const AtaOutcome outcome = ExecuteAta(drive, registers->data(), command.data);
            if (outcome.completed) {
                transferred = outcome.transferred;
            } else {
                spt.ScsiStatus = SCSISTAT_CHECK_CONDITION;
                WriteSense(request, spt, kAbortedCommand, 0);
            }
        }
        spt.DataTransferLength = transferred;
        std::memcpy(request.buffer.data(), &spt, sizeof spt);
        // What comes back ends with the data that moved; without data, at the data area.
        request.returned = static_cast<DWORD>(
            std::min<uint64_t>(request.outSize, uint64_t{spt.DataBufferOffset} + transferred));
        return ERROR_SUCCESS;
    }
};

}  // namespace

const DeviceModel& UsbBridgeModel() {
    static const UsbBridge model;
    return model;
}

}  // namespace platform::sim

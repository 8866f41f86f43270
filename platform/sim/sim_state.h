// The running state of a simulated machine that its device models work on: each drive's
// image and live flags, the volumes, and the virtual clock.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/sim/disk_image.h"
#include "platform/sim/layout_io.h"
#include "platform/sim/machine.h"
#include "platform/win_constants.h"
#include "platform/win_requests.h"
#include "platform/win_types.h"

namespace platform::sim {

// What a write, a layout deletion or a lock answers while another process writes the drive's
// image: the lock refusal that the lockFails fault and the Linux backend's busy disk give, and
// that the migration reports as a drive in use. Failing the open for writing instead (a
// sharing violation) would also cost a program that only reads the drive its inventory and
// its migration pre-check, since both open drives for writing.
inline constexpr DWORD kImageInUse = ERROR_ACCESS_DENIED;

struct SimDrive {
    const DriveSpec* config = nullptr;
    std::unique_ptr<DiskImage> image;
    // SMART operations enabled on the device (ENABLE / DISABLE OPERATIONS change it).
    bool smartEnabled = true;
    // The handle that holds the lock, or null.
    HANDLE lockedBy = nullptr;
    // Handles open for writing. The image stays claimed for writing (DiskImage::ClaimWriting)
    // from the first write, layout deletion or lock until none of them and no lock is left.
    unsigned writeHandles = 0;
    // The structure a Samsung NVMe SECURITY PROTOCOL OUT asked for (0: none yet); the
    // SECURITY PROTOCOL IN that follows fetches it.
    uint8_t samsungNvmeRequest = 0;
    uint64_t requests = 0;
    uint64_t writeRequests = 0;  // counted while a power cut waits for one of them
    // With a volatile write cache, the writes since the last flush in order: what each
    // overwrote and what it wrote, so that a power cut can keep any subset of them.
    struct CachedWrite {
        uint64_t offset = 0;
        std::vector<uint8_t> before, after;
    };
    std::vector<CachedWrite> unflushed;
    // When a slow drive finishes the transfers asked of it so far, in real time: each drive
    // keeps its own, so two drives busy at once wait at once, and a drive left idle (its
    // caller busy elsewhere) is not charged for the idle time.
    std::chrono::steady_clock::time_point busyUntil;

    // Unplugged, or past the request count after which it goes away.
    bool Gone() const;
    // A handle opened with `access` is closed: its lock ends, and so does the claim on the
    // image when no handle open for writing and no lock is left.
    void Closed(HANDLE handle, DWORD access);
};

enum class DeviceKind { PhysicalDrive, Volume, ScsiPort, DosDevice };

struct OpenFile {
    DeviceKind kind = DeviceKind::PhysicalDrive;
    // Drive index in SimState::drives, volume index, or SCSI port number.
    uint32_t number = 0;
    std::wstring target;  // the raw target path of a DOS device
    DWORD access = 0;
    int64_t position = 0;
};

// One DeviceIoControl as the I/O manager hands it to a driver, with the handle it came on.
struct IoRequest : ControlRequest {
    HANDLE handle = nullptr;
};

class SimState {
  public:
    explicit SimState(const Machine& machine) : machine(machine) {}

    const Machine& machine;
    std::vector<SimDrive> drives;

    SimDrive* DriveByNumber(uint32_t physicalDrive);
    const VolumeSpec* Volume(wchar_t letter) const;

    // Where a volume lies: one extent per (drive, partition) whose entry is in the image now.
    struct Extent {
        uint32_t diskNumber;
        uint64_t offset, length;
    };
    std::vector<Extent> VolumeExtents(const VolumeSpec& volume) const;

    // Virtual milliseconds since the machine started; only sleeps and slow I/O move it.
    double clockMs = 0;
};

// A device model answers the control requests of one kind of device or route. Models are
// asked in turn; nullopt means "not mine", otherwise the system error (0 for success).
class DeviceModel {
  public:
    virtual ~DeviceModel() = default;
    virtual std::optional<DWORD> Control(SimState& state, OpenFile& file,
                                         IoRequest& request) const = 0;
};

// Every model of the simulator, route-specific ones before the generic disk and volume ones.
std::span<const DeviceModel* const> DeviceModels();

}  // namespace platform::sim

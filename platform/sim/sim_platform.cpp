#include "platform/sim/sim_platform.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <random>
#include <thread>

#include "base/utf8.h"
#include "platform/ioctl.h"
#include "platform/sim/layout_io.h"
#include "platform/sim/machine_inventory.h"
#include "platform/win_constants.h"
#include "platform/win_names.h"

namespace platform::sim {

namespace {

constexpr double kMiB = 1024.0 * 1024.0;
constexpr double kRealWaitPieceMs = 5;

// Images made on demand are named after the machine, the drive and everything that shapes
// a new image, so a changed description gets a fresh image and an unchanged one reuses it.
std::string ImageName(const Machine& machine, const DriveSpec& drive) {
    uint64_t hash = 0xCBF29CE484222325ull;
    const auto mix = [&](const void* data, size_t size) {
        for (size_t i = 0; i < size; ++i)
            hash = (hash ^ static_cast<const uint8_t*>(data)[i]) * 0x100000001B3ull;
    };
    mix(&drive.size, sizeof drive.size);
    if (drive.layout) {
        const LayoutSpec& layout = *drive.layout;
        mix(&layout.style, sizeof layout.style);
        mix(layout.diskGuid.data(), layout.diskGuid.size());
        mix(&layout.signature, sizeof layout.signature);
        for (const PartitionSpec& partition : layout.partitions) {
            mix(partition.typeGuid.data(), partition.typeGuid.size());
            mix(partition.uniqueGuid.data(), partition.uniqueGuid.size());
            mix(&partition.mbrType, sizeof partition.mbrType);
            mix(&partition.startLba, sizeof partition.startLba);
            mix(&partition.sectorCount, sizeof partition.sectorCount);
            mix(&partition.bootable, sizeof partition.bootable);
            mix(&partition.attributes, sizeof partition.attributes);
            mix(partition.name.data(), partition.name.size() * sizeof(char16_t));
        }
    }
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "-%016llx.img", static_cast<unsigned long long>(hash));
    return machine.name + "-drive" + std::to_string(drive.index) + suffix;
}

bool Overlaps(uint64_t firstSector, uint64_t sectors, const std::optional<uint64_t>& faultSector,
              uint64_t faultCount) {
    return faultSector && firstSector < *faultSector + faultCount &&
           *faultSector < firstSector + sectors;
}

}  // namespace

std::filesystem::path DefaultCacheFolder() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache)
        return std::filesystem::path(cache) / "tramsik";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".cache" / "tramsik";
    return std::filesystem::temp_directory_path() / "tramsik";
}

WindowsSemantics::SystemFacts SimPlatform::SystemFactsOf(const OsSpec& os) {
    return {.major = os.major,
            .minor = os.minor,
            .build = os.build,
            .platformId = os.platformId,
            .csdVersion = os.csdVersion,
            .servicePackMajor = os.servicePackMajor,
            .servicePackMinor = os.servicePackMinor,
            .extendedRecord = os.versionInfoEx,
            .architecture = os.architecture,
            .processors = 4,
            .codePage = os.codePage,
            .systemDirectory = os.systemDirectory};
}

SimPlatform::SimPlatform(std::unique_ptr<Machine> machine)
    : WindowsSemantics(SystemFactsOf(machine->os)),
      machine_(std::move(machine)),
      state_(*machine_) {
    ShareInventory(std::make_shared<const inventory::Inventory>(MachineInventory(*machine_)));
    const OsSpec& os = machine_->os;
    serviceState_ =
        os.winmgmt == WinmgmtState::Running ? ServiceState::Running : ServiceState::Stopped;
    serviceDisabled_ = os.winmgmt == WinmgmtState::Disabled;
}

std::unique_ptr<SimPlatform> SimPlatform::Create(Machine machine, const SimOptions& options,
                                                 std::string* error) {
    auto owned = std::make_unique<Machine>(std::move(machine));
    std::unique_ptr<SimPlatform> platform(new SimPlatform(std::move(owned)));
    const std::filesystem::path folder =
        options.cacheFolder.empty() ? DefaultCacheFolder() : options.cacheFolder;
    for (const DriveSpec& config : platform->machine_->drives) {
        SimDrive drive;
        drive.config = &config;
        drive.smartEnabled = !config.smart || config.smart->enabled;
        if (!config.image.empty()) {
            drive.image = DiskImage::Open(config.image, error);
        } else {
            std::error_code ignored;
            std::filesystem::create_directories(folder, ignored);
            const std::filesystem::path path = folder / ImageName(*platform->machine_, config);
            std::error_code sizeError;
            if (std::filesystem::file_size(path, sizeError) == config.size && !sizeError) {
                drive.image = DiskImage::Open(path, error);
            } else {
                drive.image = DiskImage::Create(path, config.size, error);
                if (drive.image && config.layout && !WriteLayout(*drive.image, *config.layout)) {
                    *error = "cannot write the partition table into \"" + path.string() + "\"";
                    return nullptr;
                }
            }
        }
        if (!drive.image) return nullptr;
        platform->state_.drives.push_back(std::move(drive));
    }
    return platform;
}

std::filesystem::path SimPlatform::ImagePath(size_t index) const {
    std::lock_guard lock(mutex_);
    return state_.drives.at(index).image->Path();
}

double SimPlatform::VirtualMilliseconds() const {
    std::lock_guard lock(mutex_);
    return state_.clockMs;
}

std::vector<SimPlatform::Launch> SimPlatform::Launches() const {
    std::lock_guard lock(mutex_);
    return launches_;
}

unsigned SimPlatform::StartRequests() const {
    std::lock_guard lock(mutex_);
    return startRequests_;
}

HANDLE SimPlatform::NewHandle(Handle handle) {
    const uintptr_t value = NewHandleValue();
    handles_.emplace(value, std::move(handle));
    return reinterpret_cast<HANDLE>(value);
}

OpenFile* SimPlatform::File(HANDLE handle) {
    const auto found = handles_.find(reinterpret_cast<uintptr_t>(handle));
    return found == handles_.end() ? nullptr : std::get_if<OpenFile>(&found->second);
}

SimDrive* SimPlatform::DriveOf(const OpenFile& file) {
    return file.kind == DeviceKind::PhysicalDrive ? &state_.drives[file.number] : nullptr;
}

// ---- files and devices ----

HANDLE SimPlatform::OpenDevice(const std::wstring& device, DWORD access) {
    std::lock_guard lock(mutex_);
    OpenFile file;
    file.access = access;
    if (const auto number = NumberBetween(device, L"PHYSICALDRIVE", L"")) {
        const auto found =
            std::find_if(state_.drives.begin(), state_.drives.end(), [&](const SimDrive& drive) {
                return drive.config->physicalDrive == *number && !drive.Gone();
            });
        if (found == state_.drives.end()) return FailOpen(ERROR_FILE_NOT_FOUND);
        file.kind = DeviceKind::PhysicalDrive;
        file.number = static_cast<uint32_t>(found - state_.drives.begin());
        if (file.access & GENERIC_WRITE) ++found->writeHandles;
        return NewHandle(file);
    }
    if (const VolumeSpec* volume =
            device.size() == 2 && device[1] == L':' ? state_.Volume(device[0]) : nullptr) {
        file.kind = DeviceKind::Volume;
        file.number = static_cast<uint32_t>(volume - machine_->volumes.data());
        return NewHandle(file);
    }
    if (const auto number = NumberBetween(device, L"SCSI", L":")) {
        const bool present = std::any_of(machine_->drives.begin(), machine_->drives.end(),
                                         [&](const DriveSpec& drive) {
                                             return (drive.scsi && drive.scsi->port == *number) ||
                                                    (drive.csmi && drive.csmi->port == *number);
                                         });
        if (!present) return FailOpen(ERROR_FILE_NOT_FOUND);
        file.kind = DeviceKind::ScsiPort;
        file.number = *number;
        return NewHandle(file);
    }
    if (auto target = DosDeviceTarget(device)) {
        file.kind = DeviceKind::DosDevice;
        file.target = std::move(*target);
        return NewHandle(file);
    }
    return FailOpen(ERROR_FILE_NOT_FOUND);
}

DWORD SimPlatform::Control(HANDLE device, ControlRequest& request) {
    std::lock_guard lock(mutex_);
    OpenFile* file = File(device);
    if (!file) return ERROR_INVALID_HANDLE;
    if (SimDrive* drive = DriveOf(*file)) {
        if (drive->Gone()) return ERROR_DEVICE_NOT_CONNECTED;
        ++drive->requests;
    }
    if (!AccessAllows(request.code, file->access)) return ERROR_ACCESS_DENIED;
    IoRequest io{request, device};
    std::optional<DWORD> result;
    for (const DeviceModel* model : DeviceModels())
        if ((result = model->Control(state_, *file, io))) break;
    request.returned = io.returned;
    return result.value_or(ERROR_INVALID_FUNCTION);
}

BOOL SimPlatform::SetFilePointerEx(HANDLE handle, int64_t distance, int64_t* newPosition,
                                   DWORD method) {
    std::lock_guard lock(mutex_);
    OpenFile* file = File(handle);
    if (!file) return Fail(ERROR_INVALID_HANDLE);
    int64_t base = 0;
    if (method == FILE_CURRENT) {
        base = file->position;
    } else if (method == FILE_END) {
        const SimDrive* drive = DriveOf(*file);
        base = drive ? static_cast<int64_t>(drive->image->Size()) : 0;
    } else if (method != FILE_BEGIN) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (distance < 0 && base + distance < 0) return Fail(ERROR_NEGATIVE_SEEK);
    if (const SimDrive* drive = DriveOf(*file)) {
        const FaultSpec& faults = drive->config->faults;
        const uint64_t sector = static_cast<uint64_t>(base + distance) / kSectorSize;
        if (faults.seekErrorSector == sector) return Fail(faults.errorCode);
    }
    file->position = base + distance;
    if (newPosition) *newPosition = file->position;
    return 1;
}

std::optional<std::chrono::steady_clock::time_point> SimPlatform::SlowTransfer(SimDrive& drive,
                                                                               uint64_t bytes,
                                                                               bool writing) {
    const FaultSpec& faults = drive.config->faults;
    const double msPerMiB =
        faults.slowMsPerMiB + (writing ? faults.writeMsPerMiB : faults.readMsPerMiB);
    if (msPerMiB <= 0) return std::nullopt;
    const double ms = msPerMiB * static_cast<double>(bytes) / kMiB;
    state_.clockMs += ms;
    // The drive works through its transfers one after another, from now or from the end of
    // the last one. Like a drive's queue, the caller may run up to two pieces ahead, and then
    // waits until it is one piece ahead: many tiny sleeps would each cost more than they ask
    // for, and a sleep that wakes late leaves the drive still busy rather than idle.
    using Clock = std::chrono::steady_clock;
    const auto span = [](double milliseconds) {
        return std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double, std::milli>(milliseconds));
    };
    const auto now = Clock::now();
    drive.busyUntil = std::max(now, drive.busyUntil) + span(ms);
    if (drive.busyUntil - now < span(2 * kRealWaitPieceMs)) return std::nullopt;
    return drive.busyUntil - span(kRealWaitPieceMs);
}

BOOL SimPlatform::Transfer(HANDLE handle, void* into, const void* from, DWORD size, DWORD* done) {
    const bool writing = from != nullptr;
    DiskImage* image = nullptr;
    uint64_t position = 0;
    {
        std::lock_guard lock(mutex_);
        if (done) *done = 0;
        OpenFile* file = File(handle);
        if (!file) return Fail(ERROR_INVALID_HANDLE);
        SimDrive* drive = DriveOf(*file);
        if (!drive) return Fail(ERROR_INVALID_FUNCTION);
        if (!(file->access & (writing ? GENERIC_WRITE : GENERIC_READ)))
            return Fail(ERROR_ACCESS_DENIED);
        if (drive->Gone()) return Fail(ERROR_DEVICE_NOT_CONNECTED);
        ++drive->requests;
        position = static_cast<uint64_t>(file->position);
        // Raw disk transfers are whole sectors at sector boundaries.
        if (position % kSectorSize || size % kSectorSize) return Fail(ERROR_INVALID_PARAMETER);
        const uint64_t diskSize = drive->image->Size();
        if (!writing && position == diskSize) return 1;
        if (position >= diskSize || size > diskSize - position) return Fail(ERROR_SECTOR_NOT_FOUND);
        const FaultSpec& faults = drive->config->faults;
        const uint64_t first = position / kSectorSize, sectors = size / kSectorSize;
        if (writing && faults.writeProtected) return Fail(ERROR_WRITE_PROTECT);
        if (writing && !drive->image->ClaimWriting()) return Fail(kImageInUse);
        if (writing ? Overlaps(first, sectors, faults.writeErrorSector, faults.writeErrorCount)
                    : Overlaps(first, sectors, faults.readErrorSector, faults.readErrorCount))
            return Fail(faults.errorCode);
        // A write the drive's cache, a power cut or a corruption has to know of is done here,
        // in order with the others; plain transfers leave the lock to the other drives.
        const bool watched = writing && (faults.volatileWriteCache || faults.powerCutAfterWrites ||
                                         faults.corruptWriteSector);
        if (!watched) {
            image = drive->image.get();
        } else {
            if (faults.volatileWriteCache) {
                SimDrive::CachedWrite cached{
                    position, std::vector<uint8_t>(size),
                    std::vector<uint8_t>(static_cast<const uint8_t*>(from),
                                         static_cast<const uint8_t*>(from) + size)};
                if (!drive->image->Read(position, cached.before.data(), size))
                    return Fail(ERROR_IO_DEVICE);
                drive->unflushed.push_back(std::move(cached));
            }
            if (!drive->image->Write(position, from, size)) return Fail(ERROR_IO_DEVICE);
            if (Overlaps(first, sectors, faults.corruptWriteSector, 1) &&
                !CorruptSector(*drive, *faults.corruptWriteSector))
                return Fail(ERROR_IO_DEVICE);
            if (++drive->writeRequests == faults.powerCutAfterWrites) PowerCut();
        }
    }
    // The image files are safe to read and write from several threads: the source's reads
    // and the target's writes of a copy overlap here.
    if (image &&
        !(writing ? image->Write(position, from, size) : image->Read(position, into, size)))
        return Fail(ERROR_IO_DEVICE);
    std::optional<std::chrono::steady_clock::time_point> wakeAt;
    {
        std::lock_guard lock(mutex_);
        OpenFile* file = File(handle);
        SimDrive* drive = file ? DriveOf(*file) : nullptr;
        if (!drive) return Fail(ERROR_INVALID_HANDLE);
        file->position = static_cast<int64_t>(position + size);
        if (done) *done = size;
        wakeAt = SlowTransfer(*drive, size, writing);
    }
    // The clock already moved; the real wait makes a slow disk feel slow to a person too.
    if (wakeAt) std::this_thread::sleep_until(*wakeAt);
    return 1;
}

BOOL SimPlatform::Flush(HANDLE handle) {
    std::chrono::steady_clock::time_point idle;
    {
        std::lock_guard lock(mutex_);
        OpenFile* file = File(handle);
        if (!file) return Fail(ERROR_INVALID_HANDLE);
        SimDrive* drive = DriveOf(*file);
        if (!drive) return Fail(ERROR_INVALID_FUNCTION);
        if (drive->Gone()) return Fail(ERROR_DEVICE_NOT_CONNECTED);
        if (drive->config->faults.flushError) return Fail(*drive->config->faults.flushError);
        // The image file is the medium: what the cache held is safe from now on.
        drive->unflushed.clear();
        idle = drive->busyUntil;
    }
    // A flush returns once the drive has done what it was asked before it.
    std::this_thread::sleep_until(idle);
    return 1;
}

bool SimPlatform::CorruptSector(SimDrive& drive, uint64_t sector) {
    // One flipped bit in the middle of the sector: the drive said it wrote it, and did not.
    uint8_t byte = 0;
    const uint64_t offset = sector * kSectorSize + kSectorSize / 2;
    if (!drive.image->Read(offset, &byte, 1)) return false;
    byte ^= 0x01;
    return drive.image->Write(offset, &byte, 1);
}

void SimPlatform::PowerCut() {
    // Each cache keeps what it happened to have written to the medium: first everything since
    // the last flush is undone, newest first, then the kept writes are done again in order.
    for (SimDrive& drive : state_.drives) {
        std::mt19937_64 chance(drive.config->faults.powerCutSeed);
        std::vector<bool> kept;
        for (size_t i = 0; i < drive.unflushed.size(); ++i)
            kept.push_back((chance() & 1) != 0);
        for (auto it = drive.unflushed.rbegin(); it != drive.unflushed.rend(); ++it)
            drive.image->Write(it->offset, it->before.data(), it->before.size());
        for (size_t i = 0; i < drive.unflushed.size(); ++i)
            if (kept[i])
                drive.image->Write(drive.unflushed[i].offset, drive.unflushed[i].after.data(),
                                   drive.unflushed[i].after.size());
    }
    // At once: no destructor, no buffered output, nothing a real power cut would allow.
    std::_Exit(kPowerCutExitStatus);
}

BOOL SimPlatform::CloseHandle(HANDLE handle) {
    std::lock_guard lock(mutex_);
    const auto found = handles_.find(reinterpret_cast<uintptr_t>(handle));
    if (found == handles_.end()) return Fail(ERROR_INVALID_HANDLE);
    if (const OpenFile* file = std::get_if<OpenFile>(&found->second)) {
        if (SimDrive* drive = DriveOf(*file)) drive->Closed(handle, file->access);
    }
    // Erasing a host mutex's handle closes its lock file, and so lets go of it.
    handles_.erase(found);
    return 1;
}

// ---- volumes ----

std::optional<SimPlatform::VolumeFacts> SimPlatform::DescribeVolume(wchar_t letter) {
    std::lock_guard lock(mutex_);
    const VolumeSpec* volume = state_.Volume(letter);
    if (!volume) return std::nullopt;
    uint64_t bytes = volume->totalBytes.value_or(0);
    if (!volume->totalBytes)
        for (const auto& extent : state_.VolumeExtents(*volume))
            bytes += extent.length;
    return VolumeFacts{volume->label, volume->fileSystem, volume->serialNumber, volume->driveType,
                       VolumeFacts::Space{volume->freeBytes, bytes, volume->freeBytes}};
}

// ---- management instrumentation and services ----

HRESULT SimPlatform::CreateWbemLocator(std::unique_ptr<WmiLocator>* locator) {
    locator->reset();
    if (machine_->os.wmi == WmiState::LocatorFails) return REGDB_E_CLASSNOTREG;
    *locator = MakeMachineLocator(machine_->os, SharedInventory(), [this] {
        std::lock_guard lock(mutex_);
        return ServiceAvailable();
    });
    return S_OK;
}

void SimPlatform::UpdateService() {
    if (serviceState_ == ServiceState::StartPending && state_.clockMs >= serviceReadyAt_)
        serviceState_ = ServiceState::Running;
}

// A connection starts the service on demand, as the system does, unless it is disabled.
bool SimPlatform::ServiceAvailable() {
    UpdateService();
    if (serviceState_ == ServiceState::Stopped && !serviceDisabled_) {
        serviceState_ = ServiceState::StartPending;
        serviceReadyAt_ = state_.clockMs + machine_->os.winmgmtStartMs;
        UpdateService();
    }
    return serviceState_ == ServiceState::Running;
}

BOOL SimPlatform::QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) {
    const std::optional<DWORD> access = ServiceAccess(service);
    if (!access) return Fail(ERROR_INVALID_HANDLE);
    if (!(*access & SERVICE_QUERY_STATUS)) return Fail(ERROR_ACCESS_DENIED);
    std::lock_guard lock(mutex_);
    if (!status) return Fail(ERROR_INVALID_PARAMETER);
    UpdateService();
    *status = SERVICE_STATUS{};
    status->dwServiceType = SERVICE_WIN32_SHARE_PROCESS;
    status->dwCurrentState = serviceState_ == ServiceState::Running        ? SERVICE_RUNNING
                             : serviceState_ == ServiceState::StartPending ? SERVICE_START_PENDING
                                                                           : SERVICE_STOPPED;
    return 1;
}

BOOL SimPlatform::StartServiceW(SC_HANDLE service, DWORD, const wchar_t**) {
    const std::optional<DWORD> access = ServiceAccess(service);
    if (!access) return Fail(ERROR_INVALID_HANDLE);
    std::lock_guard lock(mutex_);
    ++startRequests_;
    if (!(*access & SERVICE_START)) return Fail(ERROR_ACCESS_DENIED);
    UpdateService();
    if (serviceState_ != ServiceState::Stopped) return Fail(ERROR_SERVICE_ALREADY_RUNNING);
    if (serviceDisabled_) return Fail(ERROR_SERVICE_DISABLED);
    serviceState_ = ServiceState::StartPending;
    serviceReadyAt_ = state_.clockMs + machine_->os.winmgmtStartMs;
    UpdateService();
    return 1;
}

intptr_t SimPlatform::ShellExecuteW(const wchar_t*, const wchar_t* file, const wchar_t* parameters,
                                    const wchar_t*, int show) {
    std::lock_guard lock(mutex_);
    const std::wstring program = UpperCase(file ? file : L"");
    if (program != L"SC" && program != L"SC.EXE") return SE_ERR_FNF;
    const std::wstring arguments = parameters ? parameters : L"";
    launches_.push_back({file, arguments, show});
    // The service control tool: only the start type of the management service matters here.
    if (machine_->os.scConfigWorks && UpperCase(arguments) == L"CONFIG WINMGMT START= AUTO")
        serviceDisabled_ = false;
    return 42;
}

// ---- time and mutexes ----

DWORD SimPlatform::GetTickCount() {
    std::lock_guard lock(mutex_);
    return machine_->os.tickStart + static_cast<DWORD>(static_cast<uint64_t>(state_.clockMs));
}

LocalTime SimPlatform::GetLocalTime() {
    using namespace std::chrono;
    double elapsed;
    {
        std::lock_guard lock(mutex_);
        elapsed = state_.clockMs;
    }
    const LocalTime& start = machine_->os.localTime;
    const sys_days startDay =
        year_month_day{year{start.year}, month{static_cast<unsigned>(start.month)},
                       day{static_cast<unsigned>(start.day)}};
    const auto now = startDay + hours{start.hour} + minutes{start.minute} + seconds{start.second} +
                     milliseconds{start.milliseconds} + milliseconds{static_cast<int64_t>(elapsed)};
    const auto today = floor<days>(now);
    const year_month_day date{today};
    const hh_mm_ss clock{now - today};
    return {static_cast<int>(date.year()),
            static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day())),
            static_cast<int>(clock.hours().count()),
            static_cast<int>(clock.minutes().count()),
            static_cast<int>(clock.seconds().count()),
            static_cast<int>(duration_cast<milliseconds>(clock.subseconds()).count())};
}

void SimPlatform::Sleep(DWORD milliseconds) {
    std::lock_guard lock(mutex_);
    state_.clockMs += milliseconds;
}

BOOL SimPlatform::QueryPerformanceCounter(int64_t* count) {
    std::lock_guard lock(mutex_);
    if (!count) return Fail(ERROR_INVALID_PARAMETER);
    *count = static_cast<int64_t>(state_.clockMs * 1000.0);
    return 1;
}

BOOL SimPlatform::QueryPerformanceFrequency(int64_t* frequency) {
    if (!frequency) return Fail(ERROR_INVALID_PARAMETER);
    *frequency = 1000000;
    return 1;
}

bool SimPlatform::DeclaredHeld(const wchar_t* name) const {
    const std::vector<std::wstring>& held = machine_->os.heldMutexes;
    return name && std::find(held.begin(), held.end(), name) != held.end();
}

// Named mutexes are the host's, so copies of the program on simulated machines find each other
// as they would on the real one.
HANDLE SimPlatform::CreateMutexW(BOOL, const wchar_t* name) {
    std::lock_guard lock(mutex_);
    if (DeclaredHeld(name)) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return NewHandle(MutexHandle{});
    }
    DWORD error = ERROR_SUCCESS;
    std::optional<HostMutex> host = HostMutex::Create(name, &error);
    SetLastError(error);
    return host ? NewHandle(MutexHandle{std::move(host)}) : nullptr;
}

HANDLE SimPlatform::OpenMutexW(DWORD, BOOL, const wchar_t* name) {
    std::lock_guard lock(mutex_);
    if (DeclaredHeld(name)) return NewHandle(MutexHandle{});
    std::optional<HostMutex> host = HostMutex::Open(name);
    if (!host) {
        Fail(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return NewHandle(MutexHandle{std::move(host)});
}

}  // namespace platform::sim

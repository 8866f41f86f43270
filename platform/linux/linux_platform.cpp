#include "platform/linux/linux_platform.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <cwctype>
#include <set>
#include <thread>

#include "base/utf8.h"
#include "platform/inventory/locator.h"
#include "platform/ioctl.h"
#include "platform/linux/device_inventory.h"
#include "platform/linux/errors.h"
#include "platform/linux/sysfs_text.h"
#include "platform/win_constants.h"
#include "platform/win_names.h"

namespace platform::linux_backend {

namespace {

// What the backend can do matches the storage stack of this Windows release (ATA pass-through,
// the NVMe storage query); the engine's feature choices go by these numbers.
constexpr DWORD kEquivalentMajor = 10, kEquivalentMinor = 0;
constexpr wchar_t kSystemDirectory[] = L"C:\\Windows\\System32";

// Lock files live where the user's runtime files do, else in /tmp; the kernel drops the lock
// when the process ends, however it ends.
std::string LockFilePath(KernelIo& kernel, const std::wstring& name) {
    std::string file;
    for (const char c : ToUtf8(name))
        file += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_') ? c : '_';
    const std::string folder = kernel.Environment("XDG_RUNTIME_DIR").value_or("/tmp");
    return (folder.empty() ? std::string("/tmp") : folder) + "/" + file + ".lock";
}

}  // namespace

LinuxPlatform::LinuxPlatform(std::unique_ptr<KernelIo> kernel) : kernel_(std::move(kernel)) {
    os_ = ReadOsFacts(*kernel_);
    codePage_ = ReadCodePage(*kernel_);
    std::lock_guard lock(mutex_);
    Refresh();
}

LinuxPlatform::~LinuxPlatform() {
    for (auto& [value, handle] : handles_)
        CloseFile(handle);
}

void LinuxPlatform::Refresh() {
    disks_ = ListPhysicalDisks(*kernel_);
    std::set<DeviceNumber> physical;
    for (const BlockDisk& disk : disks_) {
        physical.insert(disk.device);
        for (const BlockPartition& partition : disk.partitions)
            physical.insert(partition.device);
    }
    // File systems on stacked devices over these drives get letters too.
    for (const std::string& name : kernel_->ListDirectory("/sys/block")) {
        const auto device =
            ParseDeviceNumber(kernel_->ReadText("/sys/block/" + name + "/dev").value_or(""));
        if (device && !physical.count(*device) && !ExtentsOf(*device).empty())
            physical.insert(*device);
    }
    letters_ = AssignDriveLetters(
        ParseMountInfo(kernel_->ReadText("/proc/self/mountinfo").value_or("")), physical);
    inventory_ =
        std::make_shared<const inventory::Inventory>(BuildDeviceInventory(*kernel_, disks_));
}

std::wstring LinuxPlatform::AccessProblem() {
    static const std::wstring kSimulated =
        L"; a simulated machine can be chosen with TRAMSIK_MACHINE or --machine (a machine "
        L"file, or \"demo\")";
    std::lock_guard lock(mutex_);
    if (disks_.empty())
        return L"no physical drive (SATA/SCSI sd*, NVMe nvme*n*) found on this machine" +
               kSimulated;
    std::wstring names;
    for (const BlockDisk& disk : disks_) {
        const int fd = kernel_->Open(DevicePath(disk), KernelIo::OpenMode::Read);
        if (fd >= 0) {
            kernel_->Close(fd);
            return L"";
        }
        if (fd != -EACCES && fd != -EPERM) return L"";
        names += (names.empty() ? L"" : L", ") + FromUtf8(DevicePath(disk));
    }
    return L"no whole disk could be opened (" + names +
           L"): permission denied; run as root to read the drives (the \"disk\" group gives raw "
           L"access, but S.M.A.R.T. commands need root)" +
           kSimulated;
}

HANDLE LinuxPlatform::NewHandle(OpenHandle handle) {
    const uintptr_t value = NewHandleValue();
    handles_.emplace(value, std::move(handle));
    return reinterpret_cast<HANDLE>(value);
}

LinuxPlatform::OpenHandle* LinuxPlatform::Find(HANDLE handle) {
    const auto found = handles_.find(reinterpret_cast<uintptr_t>(handle));
    return found == handles_.end() ? nullptr : &found->second;
}

const LetteredMount* LinuxPlatform::MountOf(const wchar_t* root) const {
    if (!root || !root[0] || root[1] != L':') return nullptr;
    const wchar_t letter = static_cast<wchar_t>(std::towupper(root[0]));
    for (const LetteredMount& mount : letters_)
        if (mount.letter == letter) return &mount;
    return nullptr;
}

std::vector<LinuxPlatform::Extent> LinuxPlatform::ExtentsOf(const DeviceNumber& device,
                                                            int depth) const {
    for (size_t n = 0; n < disks_.size(); ++n) {
        const BlockDisk& disk = disks_[n];
        const uint32_t number = static_cast<uint32_t>(n);
        if (disk.device == device) return {{number, 0, disk.sizeBytes}};
        for (const BlockPartition& partition : disk.partitions)
            if (partition.device == device)
                return {{number, partition.startSector * 512, partition.sectorCount * 512}};
    }
    // A stacked device (a logical volume, an encrypted or RAID volume) lies where the devices
    // below it lie; the depth limit stops a loop in a broken sysfs.
    constexpr int kMaxStackDepth = 8;
    std::vector<Extent> extents;
    if (depth >= kMaxStackDepth) return extents;
    for (const DeviceNumber& lower : LowerDevices(*kernel_, device))
        for (const Extent& extent : ExtentsOf(lower, depth + 1))
            extents.push_back(extent);
    return extents;
}

// A disk is in use while the disk or one of its partitions is mounted or held by another
// device (a device-mapper target, a RAID set).
bool LinuxPlatform::InUse(const BlockDisk& disk) const {
    const auto mounted = [&](const DeviceNumber& device) {
        return std::any_of(letters_.begin(), letters_.end(),
                           [&](const LetteredMount& m) { return m.mount.device == device; });
    };
    if (mounted(disk.device) ||
        !kernel_->ListDirectory("/sys/block/" + disk.name + "/holders").empty())
        return true;
    for (const BlockPartition& partition : disk.partitions)
        if (mounted(partition.device) ||
            !kernel_->ListDirectory("/sys/block/" + disk.name + "/" + partition.name + "/holders")
                 .empty())
            return true;
    // Mounts without a letter (a second mount, a bind mount) count as well.
    const auto mounts = ParseMountInfo(kernel_->ReadText("/proc/self/mountinfo").value_or(""));
    return std::any_of(mounts.begin(), mounts.end(), [&](const MountEntry& m) {
        if (m.device == disk.device) return true;
        return std::any_of(disk.partitions.begin(), disk.partitions.end(),
                           [&](const BlockPartition& p) { return p.device == m.device; });
    });
}

void LinuxPlatform::CloseFile(OpenHandle& handle) {
    if (DiskFile* disk = std::get_if<DiskFile>(&handle.file)) {
        // Whatever was written reaches the drive before the handle is gone.
        if (disk->written) kernel_->Sync(disk->fd);
        if (disk->exclusiveFd >= 0) kernel_->Close(disk->exclusiveFd);
        kernel_->Close(disk->fd);
    } else if (MutexFile* mutex = std::get_if<MutexFile>(&handle.file)) {
        kernel_->Close(mutex->fd);
    }
}

// ---- files and devices ----

HANDLE LinuxPlatform::CreateFileW(const wchar_t* name, DWORD access, DWORD, DWORD disposition,
                                  DWORD) {
    std::lock_guard lock(mutex_);
    const std::wstring device = DeviceName(name);
    if (disposition != OPEN_EXISTING) {
        Fail(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    access = access & GENERIC_ALL ? GENERIC_READ | GENERIC_WRITE : access;
    if (const auto number = NumberBetween(device, L"PHYSICALDRIVE", L"")) {
        if (*number >= disks_.size()) {
            Fail(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        const auto mode =
            access & GENERIC_WRITE ? KernelIo::OpenMode::ReadWrite : KernelIo::OpenMode::Read;
        const int fd = kernel_->Open(DevicePath(disks_[*number]), mode);
        if (fd < 0) {
            Fail(WindowsError(fd));
            return INVALID_HANDLE_VALUE;
        }
        return NewHandle({DiskFile{disks_[*number], fd}, access});
    }
    if (device.size() == 2 && device[1] == L':' && MountOf(device.c_str())) {
        return NewHandle({VolumeFile{device[0]}, access});
    }
    // SCSI ports exist, but no miniport of this system answers their private requests.
    if (const auto port = NumberBetween(device, L"SCSI", L":");
        port &&
        kernel_->ReadText("/sys/class/scsi_host/host" + std::to_string(*port) + "/proc_name")) {
        return NewHandle({PortFile{*port}, access});
    }
    Fail(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
}

BOOL LinuxPlatform::DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out,
                                    DWORD outSize, DWORD* returned) {
    std::lock_guard lock(mutex_);
    if (returned) *returned = 0;
    OpenHandle* handle = Find(device);
    if (!handle || std::holds_alternative<MutexFile>(handle->file))
        return Fail(ERROR_INVALID_HANDLE);
    if ((!in && inSize) || (!out && outSize)) return Fail(ERROR_INVALID_PARAMETER);
    if (!AccessAllows(code, handle->access)) return Fail(ERROR_ACCESS_DENIED);
    return Buffered(in, inSize, out, outSize, returned,
                    [&](std::span<uint8_t> system, DWORD& count) {
                        Request request{code, system, inSize, outSize, 0};
                        DWORD error = ERROR_INVALID_FUNCTION;
                        if (DiskFile* disk = std::get_if<DiskFile>(&handle->file))
                            error = DiskControl(*disk, request);
                        else if (const VolumeFile* volume = std::get_if<VolumeFile>(&handle->file))
                            error = VolumeControl(*volume, request);
                        count = request.returned;
                        return error;
                    });
}

BOOL LinuxPlatform::SetFilePointerEx(HANDLE file, int64_t distance, int64_t* newPosition,
                                     DWORD method) {
    std::lock_guard lock(mutex_);
    OpenHandle* handle = Find(file);
    DiskFile* disk = handle ? std::get_if<DiskFile>(&handle->file) : nullptr;
    if (!disk) return Fail(ERROR_INVALID_HANDLE);
    int64_t base = 0;
    if (method == FILE_CURRENT) {
        base = disk->position;
    } else if (method == FILE_END) {
        const auto size = SizeOf(*disk);
        if (!size) return Fail(ERROR_IO_DEVICE);
        base = static_cast<int64_t>(*size);
    } else if (method != FILE_BEGIN) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (distance < 0 && base + distance < 0) return Fail(ERROR_NEGATIVE_SEEK);
    disk->position = base + distance;
    if (newPosition) *newPosition = disk->position;
    return 1;
}

BOOL LinuxPlatform::ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read) {
    std::lock_guard lock(mutex_);
    if (read) *read = 0;
    OpenHandle* handle = Find(file);
    DiskFile* disk = handle ? std::get_if<DiskFile>(&handle->file) : nullptr;
    if (!disk) return Fail(ERROR_INVALID_HANDLE);
    if (!buffer && size) return Fail(ERROR_INVALID_PARAMETER);
    if (!(handle->access & GENERIC_READ)) return Fail(ERROR_ACCESS_DENIED);
    // Raw disk transfers are whole sectors at sector boundaries.
    if (disk->position % kSectorSize || size % kSectorSize) return Fail(ERROR_INVALID_PARAMETER);
    DWORD done = 0;
    while (done < size) {
        const int64_t got =
            kernel_->ReadAt(disk->fd, static_cast<uint8_t*>(buffer) + done, size - done,
                            static_cast<uint64_t>(disk->position) + done);
        if (got < 0) return Fail(WindowsError(static_cast<int>(got)));
        if (got == 0) break;  // the end of the disk
        done += static_cast<DWORD>(got);
    }
    if (done % kSectorSize) return Fail(ERROR_IO_DEVICE);
    disk->position += done;
    if (read) *read = done;
    return 1;
}

BOOL LinuxPlatform::WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD* written) {
    std::lock_guard lock(mutex_);
    if (written) *written = 0;
    OpenHandle* handle = Find(file);
    DiskFile* disk = handle ? std::get_if<DiskFile>(&handle->file) : nullptr;
    if (!disk) return Fail(ERROR_INVALID_HANDLE);
    if (!buffer && size) return Fail(ERROR_INVALID_PARAMETER);
    if (!(handle->access & GENERIC_WRITE)) return Fail(ERROR_ACCESS_DENIED);
    if (disk->position % kSectorSize || size % kSectorSize) return Fail(ERROR_INVALID_PARAMETER);
    const auto diskSize = SizeOf(*disk);
    if (!diskSize) return Fail(ERROR_IO_DEVICE);
    if (static_cast<uint64_t>(disk->position) + size > *diskSize)
        return Fail(ERROR_SECTOR_NOT_FOUND);
    DWORD done = 0;
    while (done < size) {
        const int64_t put =
            kernel_->WriteAt(disk->fd, static_cast<const uint8_t*>(buffer) + done, size - done,
                             static_cast<uint64_t>(disk->position) + done);
        if (put < 0) return Fail(WindowsError(static_cast<int>(put)));
        if (put == 0) return Fail(ERROR_IO_DEVICE);
        done += static_cast<DWORD>(put);
        disk->written = true;
    }
    disk->position += done;
    if (written) *written = done;
    return 1;
}

BOOL LinuxPlatform::CloseHandle(HANDLE handle) {
    std::lock_guard lock(mutex_);
    const auto found = handles_.find(reinterpret_cast<uintptr_t>(handle));
    if (found == handles_.end()) return Fail(ERROR_INVALID_HANDLE);
    CloseFile(found->second);
    handles_.erase(found);
    return 1;
}

// ---- volumes and paths ----

UINT LinuxPlatform::GetDriveTypeW(const wchar_t* root) {
    std::lock_guard lock(mutex_);
    const LetteredMount* mount = MountOf(root ? root : L"C:\\");
    if (!mount) return DRIVE_NO_ROOT_DIR;
    for (const Extent& extent : ExtentsOf(mount->mount.device))
        if (disks_[extent.disk].removable) return DRIVE_REMOVABLE;
    return DRIVE_FIXED;
}

BOOL LinuxPlatform::GetDiskFreeSpaceExW(const wchar_t* root, ULONGLONG* availableToCaller,
                                        ULONGLONG* total, ULONGLONG* totalFree) {
    std::lock_guard lock(mutex_);
    const LetteredMount* mount = MountOf(root);
    if (!mount) return Fail(ERROR_PATH_NOT_FOUND);
    const auto stats = kernel_->FileSystemStats(mount->mount.mountPoint);
    if (!stats) return Fail(ERROR_NOT_READY);
    if (availableToCaller) *availableToCaller = stats->availableBytes;
    if (total) *total = stats->totalBytes;
    if (totalFree) *totalFree = stats->freeBytes;
    return 1;
}

std::optional<LinuxPlatform::VolumeFacts> LinuxPlatform::DescribeVolume(wchar_t letter) {
    std::lock_guard lock(mutex_);
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    const LetteredMount* mount = MountOf(root);
    if (!mount) return std::nullopt;
    return VolumeFacts{L"", FromUtf8(mount->mount.fsType),
                       mount->mount.device.major << 20 | mount->mount.device.minor};
}

UINT LinuxPlatform::GetSystemDirectoryW(wchar_t* buffer, UINT size) {
    return CopyPath(kSystemDirectory, buffer, size);
}

// ---- management instrumentation and services ----

HRESULT LinuxPlatform::CreateWbemLocator(std::unique_ptr<WmiLocator>* locator) {
    std::lock_guard lock(mutex_);
    // Each inventory starts here, so it sees the drives and mounts as they are now.
    Refresh();
    // The management service is part of this backend and always answers.
    *locator = inventory::MakeLocator(inventory_);
    return S_OK;
}

// The management service is part of this backend and always runs.
BOOL LinuxPlatform::QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) {
    if (!ServiceAccess(service)) return Fail(ERROR_INVALID_HANDLE);
    if (!status) return Fail(ERROR_INVALID_PARAMETER);
    *status = SERVICE_STATUS{};
    status->dwServiceType = SERVICE_WIN32_SHARE_PROCESS;
    status->dwCurrentState = SERVICE_RUNNING;
    return 1;
}

BOOL LinuxPlatform::StartServiceW(SC_HANDLE service, DWORD, const wchar_t**) {
    return Fail(ServiceAccess(service) ? ERROR_SERVICE_ALREADY_RUNNING : ERROR_INVALID_HANDLE);
}

// Only the service control tool is ever asked for; the service it would configure already
// runs, so nothing is started.
intptr_t LinuxPlatform::ShellExecuteW(const wchar_t*, const wchar_t* file, const wchar_t*,
                                      const wchar_t*, int) {
    const std::wstring program = UpperCase(file ? file : L"");
    constexpr intptr_t kStarted = 42;
    return program == L"SC" || program == L"SC.EXE" ? kStarted : SE_ERR_FNF;
}

// ---- version ----

LinuxPlatform::VersionFacts LinuxPlatform::DescribeVersion() {
    VersionFacts version;
    version.major = kEquivalentMajor;
    version.minor = kEquivalentMinor;
    // The kernel's release in the build number: 6.1.76 -> 60176.
    version.build =
        os_.major * 10000 + std::min<DWORD>(os_.minor, 99) * 100 + std::min<DWORD>(os_.build, 99);
    version.platformId = VER_PLATFORM_WIN32_NT;
    // The distribution's name travels where the service-pack text would.
    version.csdVersion = os_.name;
    return version;
}

void LinuxPlatform::GetNativeSystemInfo(SYSTEM_INFO* info) {
    if (!info) return;
    info->wProcessorArchitecture = os_.architecture;
    info->dwPageSize = 4096;
    info->dwNumberOfProcessors = std::max(1u, std::thread::hardware_concurrency());
}

UINT LinuxPlatform::GetACP() {
    return codePage_;
}

std::optional<PcieLink> LinuxPlatform::ControllerLink(const std::wstring& deviceId) {
    std::lock_guard lock(mutex_);
    return inventory::LinkOf(inventory_->controllers, deviceId);
}

// ---- time and the single-instance lock ----

DWORD LinuxPlatform::GetTickCount() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

LocalTime LinuxPlatform::GetLocalTime() {
    return base::CurrentLocalTime();
}

void LinuxPlatform::Sleep(DWORD milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

BOOL LinuxPlatform::QueryPerformanceCounter(int64_t* count) {
    if (!count) return Fail(ERROR_INVALID_PARAMETER);
    *count = std::chrono::duration_cast<std::chrono::nanoseconds>(
                 std::chrono::steady_clock::now().time_since_epoch())
                 .count();
    return 1;
}

BOOL LinuxPlatform::QueryPerformanceFrequency(int64_t* frequency) {
    if (!frequency) return Fail(ERROR_INVALID_PARAMETER);
    *frequency = 1000000000;
    return 1;
}

HANDLE LinuxPlatform::CreateMutexW(BOOL, const wchar_t* name) {
    std::lock_guard lock(mutex_);
    if (!name || !*name) {
        Fail(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const int fd = kernel_->Open(LockFilePath(*kernel_, name), KernelIo::OpenMode::CreateReadWrite);
    if (fd < 0) {
        Fail(WindowsError(fd));
        return nullptr;
    }
    // Held elsewhere: the mutex exists; the handle refers to it without holding the lock.
    const int locked = kernel_->LockExclusive(fd);
    SetLastError(locked == 0 ? ERROR_SUCCESS : ERROR_ALREADY_EXISTS);
    return NewHandle({MutexFile{fd}, 0});
}

HANDLE LinuxPlatform::OpenMutexW(DWORD, BOOL, const wchar_t* name) {
    std::lock_guard lock(mutex_);
    const int fd = name && *name
                       ? kernel_->Open(LockFilePath(*kernel_, name), KernelIo::OpenMode::Read)
                       : -ENOENT;
    if (fd < 0) {
        Fail(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    // A lock file nobody holds is a mutex that went away with its process.
    if (kernel_->LockExclusive(fd) == 0) {
        kernel_->Close(fd);
        Fail(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return NewHandle({MutexFile{fd}, 0});
}

}  // namespace platform::linux_backend

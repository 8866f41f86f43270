#include "platform/linux/linux_platform.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cwctype>
#include <set>
#include <thread>

#include "base/utf8.h"
#include "platform/inventory/locator.h"
#include "platform/ioctl.h"
#include "platform/linux/device_inventory.h"
#include "platform/linux/errors.h"
#include "platform/linux/os_facts.h"
#include "platform/linux/sysfs_text.h"
#include "platform/win_constants.h"
#include "platform/win_names.h"

namespace platform::linux_backend {

// What the backend can do matches the storage stack of this Windows release (ATA pass-through,
// the NVMe storage query); the engine's feature choices go by these numbers.
WindowsSemantics::SystemFacts LinuxPlatform::SystemFactsOf(KernelIo& kernel) {
    const OsFacts os = ReadOsFacts(kernel);
    SystemFacts system;
    system.major = 10;
    system.minor = 0;
    // The kernel's release in the build number: 6.1.76 -> 60176.
    system.build =
        os.major * 10000 + std::min<DWORD>(os.minor, 99) * 100 + std::min<DWORD>(os.build, 99);
    system.platformId = VER_PLATFORM_WIN32_NT;
    // The distribution's name travels where the service-pack text would.
    system.csdVersion = os.name;
    system.architecture = os.architecture;
    system.processors = std::max(1u, std::thread::hardware_concurrency());
    system.codePage = ReadCodePage(kernel);
    system.systemDirectory = L"C:\\Windows\\System32";
    return system;
}

LinuxPlatform::LinuxPlatform(std::unique_ptr<KernelIo> kernel)
    : WindowsSemantics(SystemFactsOf(*kernel)), kernel_(std::move(kernel)) {
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
    ShareInventory(
        std::make_shared<const inventory::Inventory>(BuildDeviceInventory(*kernel_, disks_)));
}

DriveAccess LinuxPlatform::AccessProblem(std::wstring* why) {
    static const std::wstring kSimulated =
        L"; a simulated machine can be chosen with TRAMSIK_MACHINE or --machine (a machine "
        L"file, or \"demo\")";
    std::lock_guard lock(mutex_);
    if (disks_.empty()) {
        *why =
            L"no physical drive (SATA/SCSI sd*, NVMe nvme*n*) found on this machine" + kSimulated;
        return DriveAccess::NoDrive;
    }
    std::wstring names;
    for (const BlockDisk& disk : disks_) {
        const int fd = kernel_->Open(DevicePath(disk), KernelIo::OpenMode::Read);
        if (fd >= 0) {
            kernel_->Close(fd);
            return DriveAccess::Readable;
        }
        if (fd != -EACCES && fd != -EPERM) return DriveAccess::Readable;
        names += (names.empty() ? L"" : L", ") + FromUtf8(DevicePath(disk));
    }
    *why = L"no whole disk could be opened (" + names +
           L"): permission denied; run as root to read the drives (the \"disk\" group gives raw "
           L"access, but S.M.A.R.T. commands need root)" +
           kSimulated;
    return DriveAccess::NoRights;
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
    }
}

// ---- files and devices ----

HANDLE LinuxPlatform::OpenDevice(const std::wstring& device, DWORD access) {
    std::lock_guard lock(mutex_);
    if (const auto number = NumberBetween(device, L"PHYSICALDRIVE", L"")) {
        if (*number >= disks_.size()) return FailOpen(ERROR_FILE_NOT_FOUND);
        const auto mode =
            access & GENERIC_WRITE ? KernelIo::OpenMode::ReadWrite : KernelIo::OpenMode::Read;
        const int fd = kernel_->Open(DevicePath(disks_[*number]), mode);
        if (fd < 0) return FailOpen(WindowsError(fd));
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
    return FailOpen(ERROR_FILE_NOT_FOUND);
}

DWORD LinuxPlatform::Control(HANDLE device, ControlRequest& request) {
    std::lock_guard lock(mutex_);
    OpenHandle* handle = Find(device);
    if (!handle || std::holds_alternative<MutexFile>(handle->file)) return ERROR_INVALID_HANDLE;
    if (!AccessAllows(request.code, handle->access)) return ERROR_ACCESS_DENIED;
    if (DiskFile* disk = std::get_if<DiskFile>(&handle->file)) return DiskControl(*disk, request);
    if (const VolumeFile* volume = std::get_if<VolumeFile>(&handle->file))
        return VolumeControl(*volume, request);
    return ERROR_INVALID_FUNCTION;
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

BOOL LinuxPlatform::Transfer(HANDLE file, void* into, const void* from, DWORD size, DWORD* done) {
    if (done) *done = 0;
    int fd = -1;
    uint64_t position = 0;
    {
        std::lock_guard lock(mutex_);
        OpenHandle* handle = Find(file);
        DiskFile* disk = handle ? std::get_if<DiskFile>(&handle->file) : nullptr;
        if (!disk) return Fail(ERROR_INVALID_HANDLE);
        if (!(handle->access & (from ? GENERIC_WRITE : GENERIC_READ)))
            return Fail(ERROR_ACCESS_DENIED);
        // Raw disk transfers are whole sectors at sector boundaries.
        if (disk->position % kSectorSize || size % kSectorSize)
            return Fail(ERROR_INVALID_PARAMETER);
        position = static_cast<uint64_t>(disk->position);
        if (from) {
            const auto diskSize = SizeOf(*disk);
            if (!diskSize) return Fail(ERROR_IO_DEVICE);
            if (position + size > *diskSize) return Fail(ERROR_SECTOR_NOT_FOUND);
            disk->written = true;
        }
        fd = disk->fd;
    }
    // Outside the lock, so that a copy's reads of one disk and writes of another overlap.
    DWORD moved = 0;
    const DWORD error =
        from ? Write(fd, position, from, size, &moved) : Read(fd, position, into, size, &moved);
    if (error != ERROR_SUCCESS) return Fail(error);
    std::lock_guard lock(mutex_);
    OpenHandle* handle = Find(file);
    DiskFile* disk = handle ? std::get_if<DiskFile>(&handle->file) : nullptr;
    if (!disk) return Fail(ERROR_INVALID_HANDLE);
    disk->position = static_cast<int64_t>(position + moved);
    if (done) *done = moved;
    return 1;
}

BOOL LinuxPlatform::Flush(HANDLE file) {
    std::lock_guard lock(mutex_);
    OpenHandle* handle = Find(file);
    DiskFile* disk = handle ? std::get_if<DiskFile>(&handle->file) : nullptr;
    if (!disk) return Fail(ERROR_INVALID_HANDLE);
    // fsync on a block device also has the kernel send the drive a cache flush.
    const int synced = kernel_->Sync(disk->fd);
    return synced == 0 ? 1 : Fail(WindowsError(synced));
}

DWORD LinuxPlatform::Read(int fd, uint64_t position, void* into, DWORD size, DWORD* moved) {
    DWORD count = 0;
    while (count < size) {
        const int64_t got = kernel_->ReadAt(fd, static_cast<uint8_t*>(into) + count, size - count,
                                            position + count);
        if (got < 0) return WindowsError(static_cast<int>(got));
        if (got == 0) break;  // the end of the disk
        count += static_cast<DWORD>(got);
    }
    if (count % kSectorSize) return ERROR_IO_DEVICE;
    *moved = count;
    return ERROR_SUCCESS;
}

DWORD LinuxPlatform::Write(int fd, uint64_t position, const void* from, DWORD size, DWORD* moved) {
    DWORD count = 0;
    while (count < size) {
        const int64_t put = kernel_->WriteAt(fd, static_cast<const uint8_t*>(from) + count,
                                             size - count, position + count);
        if (put < 0) return WindowsError(static_cast<int>(put));
        if (put == 0) return ERROR_IO_DEVICE;
        count += static_cast<DWORD>(put);
    }
    *moved = count;
    return ERROR_SUCCESS;
}

BOOL LinuxPlatform::CloseHandle(HANDLE handle) {
    std::lock_guard lock(mutex_);
    const auto found = handles_.find(reinterpret_cast<uintptr_t>(handle));
    if (found == handles_.end()) return Fail(ERROR_INVALID_HANDLE);
    CloseFile(found->second);
    handles_.erase(found);
    return 1;
}

// ---- volumes ----

std::optional<LinuxPlatform::VolumeFacts> LinuxPlatform::DescribeVolume(wchar_t letter) {
    std::lock_guard lock(mutex_);
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    const LetteredMount* mount = MountOf(root);
    if (!mount) return std::nullopt;
    VolumeFacts volume;
    volume.fileSystem = FromUtf8(mount->mount.fsType);
    volume.serialNumber = mount->mount.device.major << 20 | mount->mount.device.minor;
    for (const Extent& extent : ExtentsOf(mount->mount.device))
        if (disks_[extent.disk].removable) volume.driveType = DRIVE_REMOVABLE;
    if (const auto stats = kernel_->FileSystemStats(mount->mount.mountPoint))
        volume.space = {stats->availableBytes, stats->totalBytes, stats->freeBytes};
    return volume;
}

// ---- management instrumentation ----

HRESULT LinuxPlatform::CreateWbemLocator(std::unique_ptr<WmiLocator>* locator) {
    std::lock_guard lock(mutex_);
    Refresh();
    // The management service is part of this backend and always answers.
    *locator = inventory::MakeLocator(SharedInventory());
    return S_OK;
}

// ---- the single-instance lock ----

HANDLE LinuxPlatform::CreateMutexW(BOOL, const wchar_t* name) {
    std::lock_guard lock(mutex_);
    DWORD error = ERROR_SUCCESS;
    std::optional<HostMutex> mutex = HostMutex::Create(name, &error);
    SetLastError(error);
    return mutex ? NewHandle({MutexFile{std::move(*mutex)}, 0}) : nullptr;
}

HANDLE LinuxPlatform::OpenMutexW(DWORD, BOOL, const wchar_t* name) {
    std::lock_guard lock(mutex_);
    std::optional<HostMutex> mutex = HostMutex::Open(name);
    if (!mutex) {
        Fail(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return NewHandle({MutexFile{std::move(*mutex)}, 0});
}

}  // namespace platform::linux_backend

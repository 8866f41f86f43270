// The Linux backend: the Windows-shaped calls of the seam answered by the running kernel.
// Physical drive n is the n-th whole disk of ListPhysicalDisks; ATA and SMART requests travel
// as ATA PASS-THROUGH (16) over SG_IO, SCSI pass-through as the CDB given, the NVMe storage
// query as NVMe admin commands; geometry, layout, lock and the like map onto block-device
// requests and sysfs; mounted file systems get drive letters (the root file system is C:).
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "platform/host_mutex.h"
#include "platform/linux/block_devices.h"
#include "platform/linux/kernel_io.h"
#include "platform/linux/mounts.h"
#include "platform/win_requests.h"
#include "platform/windows_semantics.h"

namespace platform::linux_backend {

class LinuxPlatform : public WindowsSemantics {
  public:
    explicit LinuxPlatform(std::unique_ptr<KernelIo> kernel);
    ~LinuxPlatform() override;

    // Whether a drive can be reached: not when there is none, nor when every whole disk refused
    // to open for want of rights; `why` then says so. Readable when at least one opens (or
    // fails for another reason).
    DriveAccess AccessProblem(std::wstring* why);
    // The drives and lettered mounts as last read (each inventory reads them again).
    const std::vector<BlockDisk>& Disks() const { return disks_; }
    const std::vector<LetteredMount>& Letters() const { return letters_; }

    BOOL SetFilePointerEx(HANDLE file, int64_t distance, int64_t* newPosition,
                          DWORD method) override;
    BOOL CloseHandle(HANDLE handle) override;
    // Each inventory starts here, so it sees the drives and mounts as they are now.
    HRESULT CreateWbemLocator(std::unique_ptr<WmiLocator>* locator) override;
    // A lock file: the kernel drops the lock when the process ends, however it ends.
    HANDLE CreateMutexW(BOOL initialOwner, const wchar_t* name) override;
    HANDLE OpenMutexW(DWORD access, BOOL inheritHandle, const wchar_t* name) override;

  private:
    HANDLE OpenDevice(const std::wstring& device, DWORD access) override;
    DWORD Control(HANDLE handle, ControlRequest& request) override;
    BOOL Transfer(HANDLE file, void* into, const void* from, DWORD size, DWORD* done) override;
    BOOL Flush(HANDLE file) override;
    // Mounted file systems by letter; removable when they lie on a removable disk.
    std::optional<VolumeFacts> DescribeVolume(wchar_t letter) override;

    static SystemFacts SystemFactsOf(KernelIo& kernel);

    struct DiskFile {
        // The drive as it was when opened: a later inventory may renumber the drives.
        BlockDisk info;
        int fd = -1;
        int exclusiveFd = -1;  // held while the disk is locked
        bool written = false;
        int64_t position = 0;
    };
    struct VolumeFile {
        wchar_t letter = L'C';
    };
    struct PortFile {
        uint32_t port = 0;
    };
    struct MutexFile {
        HostMutex mutex;
    };
    struct OpenHandle {
        std::variant<DiskFile, VolumeFile, PortFile, MutexFile> file;
        DWORD access = 0;
    };
    using Request = ControlRequest;

    // The transfer loops of a disk's descriptor: the kernel may move less than asked. They run
    // without mutex_ (the kernel interface is safe from several threads).
    DWORD Read(int fd, uint64_t position, void* into, DWORD size, DWORD* moved);
    DWORD Write(int fd, uint64_t position, const void* from, DWORD size, DWORD* moved);

    // Everything below runs with mutex_ held.
    void Refresh();
    HANDLE NewHandle(OpenHandle handle);
    OpenHandle* Find(HANDLE handle);
    const LetteredMount* MountOf(const wchar_t* root) const;
    std::string DevicePath(const BlockDisk& disk) const { return "/dev/" + disk.name; }
    // The physical drive and byte range of a mounted device; none when it lies on no drive.
    struct Extent {
        uint32_t disk;
        uint64_t offset, length;
    };
    std::vector<Extent> ExtentsOf(const DeviceNumber& device, int depth = 0) const;
    bool InUse(const BlockDisk& disk) const;
    void CloseFile(OpenHandle& handle);

    DWORD DiskControl(DiskFile& file, Request& request);
    DWORD VolumeControl(const VolumeFile& file, Request& request);
    // ATA, SMART, SCSI and NVMe pass-through (pass_through.cpp).
    AtaPaths AtaPathsOf(const DiskFile& file);
    DWORD SmartVersion(const DiskFile& file, Request& request);
    DWORD ScsiPassThrough(const DiskFile& file, Request& request);
    DWORD NvmeQuery(const DiskFile& file, Request& request);
    // Block-device requests (disk_control.cpp).
    DWORD Geometry(const DiskFile& file, Request& request);
    DWORD Layout(const DiskFile& file, Request& request);
    DWORD DeleteLayout(DiskFile& file);
    DWORD RereadPartitions(const DiskFile& file);
    DWORD Lock(DiskFile& file);
    DWORD Descriptor(const DiskFile& file, Request& request);
    DWORD ScsiAddress(const DiskFile& file, Request& request);
    std::optional<uint64_t> SizeOf(const DiskFile& file);
    uint32_t SectorSizeOf(const DiskFile& file);

    std::unique_ptr<KernelIo> kernel_;
    mutable std::mutex mutex_;
    std::vector<BlockDisk> disks_;
    std::vector<LetteredMount> letters_;
    std::map<uintptr_t, OpenHandle> handles_;
};

}  // namespace platform::linux_backend

// The few kernel interfaces the Linux backend uses, behind one small class: device nodes and
// their control requests, sysfs and procfs texts, file-system statistics and the system's
// name. The backend's translation logic only talks to this class, so tests drive it with a
// fake kernel and no disks or root rights are needed to check it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform::linux_backend {

// Failures are negative errno values, as the kernel reports them.
class KernelIo {
  public:
    enum class OpenMode { Read, ReadWrite, ReadWriteExclusive };
    struct FsStats {
        uint64_t totalBytes = 0, freeBytes = 0, availableBytes = 0;
    };
    struct SystemName {
        std::string sysname, release, machine;
    };

    virtual ~KernelIo() = default;

    // A file descriptor, or -errno.
    virtual int Open(const std::string& path, OpenMode mode) = 0;
    virtual void Close(int fd) = 0;
    // 0 (or a positive device status, for NVMe pass-through) or -errno. `argument` points at
    // the structure the request code names.
    virtual int Ioctl(int fd, unsigned long request, void* argument) = 0;
    // Bytes moved, or -errno.
    virtual int64_t ReadAt(int fd, void* buffer, size_t size, uint64_t offset) = 0;
    virtual int64_t WriteAt(int fd, const void* buffer, size_t size, uint64_t offset) = 0;
    virtual int Sync(int fd) = 0;

    // Whole small files (sysfs attributes, procfs tables, os-release, id databases).
    virtual std::optional<std::string> ReadText(const std::string& path) = 0;
    // Entry names of a directory without "." and ".."; empty when it cannot be read.
    virtual std::vector<std::string> ListDirectory(const std::string& path) = 0;
    // The path with every symbolic link resolved; nullopt when it does not exist.
    virtual std::optional<std::string> Resolve(const std::string& path) = 0;
    virtual std::optional<FsStats> FileSystemStats(const std::string& path) = 0;
    virtual SystemName Uname() = 0;
    virtual std::optional<std::string> Environment(const std::string& name) = 0;
};

// The running kernel.
std::unique_ptr<KernelIo> MakeSystemKernelIo();

}  // namespace platform::linux_backend

// The real kernel behind KernelIo.
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/nvme_ioctl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/linux/kernel_abi.h"
#include "platform/linux/kernel_io.h"

namespace platform::linux_backend {

static_assert(kSgIo == SG_IO);
static_assert(kBlkRrPart == BLKRRPART);
static_assert(kBlkSszGet == BLKSSZGET);
static_assert(kBlkGetSize64 == BLKGETSIZE64);
static_assert(kNvmeIoctlAdminCmd == NVME_IOCTL_ADMIN_CMD);
static_assert(kSgDxferNone == SG_DXFER_NONE && kSgDxferToDev == SG_DXFER_TO_DEV &&
              kSgDxferFromDev == SG_DXFER_FROM_DEV);
static_assert(sizeof(SgIoHeader) == sizeof(sg_io_hdr_t));
static_assert(offsetof(SgIoHeader, cmdp) == offsetof(sg_io_hdr_t, cmdp));
static_assert(offsetof(SgIoHeader, sbp) == offsetof(sg_io_hdr_t, sbp));
static_assert(offsetof(SgIoHeader, status) == offsetof(sg_io_hdr_t, status));
static_assert(offsetof(SgIoHeader, sbLenWr) == offsetof(sg_io_hdr_t, sb_len_wr));
static_assert(offsetof(SgIoHeader, info) == offsetof(sg_io_hdr_t, info));
static_assert(sizeof(NvmeAdminCommand) == sizeof(nvme_admin_cmd));
static_assert(offsetof(NvmeAdminCommand, cdw10) == offsetof(nvme_admin_cmd, cdw10));
static_assert(offsetof(NvmeAdminCommand, result) == offsetof(nvme_admin_cmd, result));

namespace {

// Direct I/O wants memory aligned to the device's logical block; a page covers every one.
constexpr size_t kDirectAlignment = 4096;

// A page-aligned copy of a caller's buffer that direct I/O would refuse.
class Bounce {
  public:
    explicit Bounce(size_t size)
        : data_(std::aligned_alloc(kDirectAlignment, (size + kDirectAlignment - 1) /
                                                         kDirectAlignment * kDirectAlignment)) {}
    ~Bounce() { std::free(data_); }
    Bounce(const Bounce&) = delete;
    Bounce& operator=(const Bounce&) = delete;
    void* get() const { return data_; }
    explicit operator bool() const { return data_ != nullptr; }

  private:
    void* data_;
};

// Whether a transfer of `buffer` on `fd` has to go through a Bounce: the descriptor reads past
// the cache and the buffer is not aligned for that (the partition-table code's single sectors).
bool NeedsBounce(int fd, const void* buffer) {
    return reinterpret_cast<uintptr_t>(buffer) % kDirectAlignment != 0 &&
           (::fcntl(fd, F_GETFL) & O_DIRECT) != 0;
}

class SystemKernelIo : public KernelIo {
  public:
    int Open(const std::string& path, OpenMode mode) override {
        int flags = O_RDWR;
        if (mode == OpenMode::Read) flags = O_RDONLY;
        if (mode == OpenMode::ReadWriteExclusive) flags = O_RDWR | O_EXCL;
        // O_NONBLOCK: a drive without a medium opens instead of waiting for one.
        const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) return -errno;
        // A disk is read and written past the page cache: a migration neither evicts what the
        // running system needs nor times the cache instead of the disk. A device that refuses
        // keeps the cache.
        struct stat status {};
        if (::fstat(fd, &status) == 0 && S_ISBLK(status.st_mode))
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_DIRECT);
        return fd;
    }
    void Close(int fd) override { ::close(fd); }
    int Ioctl(int fd, unsigned long request, void* argument) override {
        // NVMe pass-through answers a failed command with its (positive) status.
        const int result = ::ioctl(fd, request, argument);
        return result < 0 ? -errno : result;
    }
    int64_t ReadAt(int fd, void* buffer, size_t size, uint64_t offset) override {
        if (NeedsBounce(fd, buffer)) {
            const Bounce bounce(size);
            if (!bounce) return -ENOMEM;
            const ssize_t done = ::pread(fd, bounce.get(), size, static_cast<off_t>(offset));
            if (done > 0) std::memcpy(buffer, bounce.get(), static_cast<size_t>(done));
            return done < 0 ? -errno : done;
        }
        const ssize_t done = ::pread(fd, buffer, size, static_cast<off_t>(offset));
        return done < 0 ? -errno : done;
    }
    int64_t WriteAt(int fd, const void* buffer, size_t size, uint64_t offset) override {
        if (NeedsBounce(fd, buffer)) {
            const Bounce bounce(size);
            if (!bounce) return -ENOMEM;
            std::memcpy(bounce.get(), buffer, size);
            const ssize_t done = ::pwrite(fd, bounce.get(), size, static_cast<off_t>(offset));
            return done < 0 ? -errno : done;
        }
        const ssize_t done = ::pwrite(fd, buffer, size, static_cast<off_t>(offset));
        return done < 0 ? -errno : done;
    }
    int Sync(int fd) override { return ::fsync(fd) < 0 ? -errno : 0; }

    std::optional<std::string> ReadText(const std::string& path) override {
        std::ifstream file(path, std::ios::binary);
        if (!file) return std::nullopt;
        std::ostringstream text;
        text << file.rdbuf();
        if (file.bad()) return std::nullopt;
        return text.str();
    }
    std::vector<std::string> ListDirectory(const std::string& path) override {
        std::vector<std::string> names;
        std::error_code error;
        for (std::filesystem::directory_iterator it(path, error), end; !error && it != end;
             it.increment(error))
            names.push_back(it->path().filename().string());
        return names;
    }
    std::optional<std::string> Resolve(const std::string& path) override {
        std::error_code error;
        const std::filesystem::path resolved = std::filesystem::canonical(path, error);
        if (error) return std::nullopt;
        return resolved.string();
    }
    std::optional<FsStats> FileSystemStats(const std::string& path) override {
        struct statvfs stats {};
        if (::statvfs(path.c_str(), &stats) != 0) return std::nullopt;
        const uint64_t unit = stats.f_frsize ? stats.f_frsize : stats.f_bsize;
        return FsStats{uint64_t{stats.f_blocks} * unit, uint64_t{stats.f_bfree} * unit,
                       uint64_t{stats.f_bavail} * unit};
    }
    SystemName Uname() override {
        struct utsname name {};
        if (::uname(&name) != 0) return {};
        return {name.sysname, name.release, name.machine};
    }
    std::optional<std::string> Environment(const std::string& name) override {
        const char* value = std::getenv(name.c_str());
        if (!value) return std::nullopt;
        return std::string(value);
    }
};

}  // namespace

std::unique_ptr<KernelIo> MakeSystemKernelIo() {
    return std::make_unique<SystemKernelIo>();
}

}  // namespace platform::linux_backend

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/sim/disk_image.h"

namespace platform::sim {

namespace {

constexpr size_t kHoleBlock = 4096;

// The block against itself one byte on: a single library call, where a loop over the bytes
// would cost the sanitizer builds a check per byte on every chunk a migration writes.
bool AllZero(const uint8_t* bytes, size_t length) {
    return length == 0 || (bytes[0] == 0 && std::memcmp(bytes, bytes + 1, length - 1) == 0);
}

int Descriptor(intptr_t file) {
    return static_cast<int>(file);
}

}  // namespace

DiskImage::~DiskImage() {
    ::close(Descriptor(file_));
}

std::unique_ptr<DiskImage> DiskImage::Open(const std::filesystem::path& path, std::string* error) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        *error = "cannot open image file \"" + path.string() + "\": " + std::strerror(errno);
        return nullptr;
    }
    const off_t size = ::lseek(fd, 0, SEEK_END);
    if (size < 0) {
        *error = "cannot size image file \"" + path.string() + "\": " + std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<DiskImage>(new DiskImage(fd, static_cast<uint64_t>(size), path));
}

std::unique_ptr<DiskImage> DiskImage::Create(const std::filesystem::path& path, uint64_t size,
                                             std::string* error) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        *error = "cannot make image file \"" + path.string() + "\": " + std::strerror(errno);
        if (fd >= 0) ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<DiskImage>(new DiskImage(fd, size, path));
}

bool DiskImage::Read(uint64_t offset, void* buffer, size_t length) const {
    if (offset > size_ || length > size_ - offset) return false;
    auto* bytes = static_cast<uint8_t*>(buffer);
    while (length > 0) {
        const ssize_t done = ::pread(Descriptor(file_), bytes, length, static_cast<off_t>(offset));
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        bytes += done;
        offset += static_cast<uint64_t>(done);
        length -= static_cast<size_t>(done);
    }
    return true;
}

bool DiskImage::Write(uint64_t offset, const void* buffer, size_t length) {
    if (offset > size_ || length > size_ - offset) return false;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    // Whole blocks of zeros become holes, which read back as zeros.
    if (offset % kHoleBlock == 0 && length % kHoleBlock == 0 && AllZero(bytes, length) &&
        ::fallocate(Descriptor(file_), FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE,
                    static_cast<off_t>(offset), static_cast<off_t>(length)) == 0)
        return true;
    while (length > 0) {
        const ssize_t done = ::pwrite(Descriptor(file_), bytes, length, static_cast<off_t>(offset));
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        bytes += done;
        offset += static_cast<uint64_t>(done);
        length -= static_cast<size_t>(done);
    }
    return true;
}

bool DiskImage::ClaimWriting() {
    if (!claimed_) claimed_ = ::flock(Descriptor(file_), LOCK_EX | LOCK_NB) == 0;
    return claimed_;
}

void DiskImage::ReleaseWriting() {
    if (claimed_) ::flock(Descriptor(file_), LOCK_UN);
    claimed_ = false;
}

}  // namespace platform::sim

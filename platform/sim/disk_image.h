// A simulated disk's contents: a raw image file, either one the machine names or a sparse
// file made on demand. Runs of zeros are written as holes, so a migration onto a simulated
// disk keeps the image small.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace platform::sim {

class DiskImage {
  public:
    ~DiskImage();
    DiskImage(const DiskImage&) = delete;
    DiskImage& operator=(const DiskImage&) = delete;

    // An existing file, used as it is.
    static std::unique_ptr<DiskImage> Open(const std::filesystem::path& path, std::string* error);
    // A new sparse file of `size` bytes that replaces whatever lay at `path`.
    static std::unique_ptr<DiskImage> Create(const std::filesystem::path& path, uint64_t size,
                                             std::string* error);

    uint64_t Size() const { return size_; }
    const std::filesystem::path& Path() const { return path_; }
    // Whole transfers only: false when the range leaves the image or the file fails.
    bool Read(uint64_t offset, void* buffer, size_t length) const;
    bool Write(uint64_t offset, const void* buffer, size_t length);

    // Writing is one opener's at a time, across processes: the first claim takes the file's
    // exclusive advisory lock and later ones of the same opener are free; false while another
    // opener (another program on the same machine file) holds it. Reading stays shared.
    bool ClaimWriting();
    void ReleaseWriting();

  private:
    DiskImage(intptr_t file, uint64_t size, std::filesystem::path path)
        : file_(file), size_(size), path_(std::move(path)) {}

    // The host's handle of the open file: a descriptor, or a Windows handle.
    intptr_t file_;
    bool claimed_ = false;
    uint64_t size_;
    std::filesystem::path path_;
};

}  // namespace platform::sim

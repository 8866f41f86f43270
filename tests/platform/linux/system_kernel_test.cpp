// The real kernel behind KernelIo, on things every Linux machine has: its own mount table and
// a temporary file for reads and writes.
#include <gtest/gtest.h>

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "platform/linux/kernel_abi.h"
#include "platform/linux/kernel_io.h"
#include "platform/linux/mounts.h"

using namespace platform::linux_backend;

TEST(SystemKernelIo, FilesTheMountTableAndUnalignedBuffersPastTheCache) {
    const auto kernel = MakeSystemKernelIo();
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("tramsik-kernel-" + std::to_string(std::random_device{}())))
                                 .string();
    EXPECT_EQ(kernel->Open(path, KernelIo::OpenMode::ReadWrite), -ENOENT);
    std::ofstream(path).close();
    int fd = kernel->Open(path, KernelIo::OpenMode::ReadWrite);
    ASSERT_GE(fd, 0);
    const char text[] = "sector";
    EXPECT_EQ(kernel->WriteAt(fd, text, sizeof text, 512), static_cast<int64_t>(sizeof text));
    EXPECT_EQ(kernel->Sync(fd), 0);
    char back[sizeof text] = {};
    EXPECT_EQ(kernel->ReadAt(fd, back, sizeof back, 512), static_cast<int64_t>(sizeof back));
    EXPECT_STREQ(back, text);
    EXPECT_EQ(kernel->ReadAt(fd, back, sizeof back, 4096), 0);
    kernel->Close(fd);
    // A regular file has no block-device requests.
    const int plain = kernel->Open(path, KernelIo::OpenMode::Read);
    uint64_t size = 0;
    EXPECT_LT(kernel->Ioctl(plain, kBlkGetSize64, &size), 0);
    kernel->Close(plain);
    std::filesystem::remove(path);

    EXPECT_EQ(kernel->Resolve(path), std::nullopt);
    EXPECT_FALSE(kernel->ListDirectory("/proc/self").empty());
    EXPECT_FALSE(ParseMountInfo(kernel->ReadText("/proc/self/mountinfo").value_or("")).empty());
    EXPECT_GT(kernel->FileSystemStats("/").value_or(KernelIo::FsStats{}).totalBytes, 0u);
    EXPECT_FALSE(kernel->Uname().release.empty());

    // A disk is opened past the page cache, where the kernel refuses buffers that are not aligned:
    // such transfers still work, through an aligned copy. A file on a file system that can do
    // direct I/O stands in for the disk.
    const std::string direct = "tramsik-direct-" + std::to_string(std::random_device{}());
    std::ofstream(direct).close();
    std::filesystem::resize_file(direct, 8192);
    fd = kernel->Open(direct, KernelIo::OpenMode::ReadWrite);
    ASSERT_GE(fd, 0);
    if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_DIRECT) != 0) {
        kernel->Close(fd);
        std::filesystem::remove(direct);
        GTEST_SKIP() << "this file system has no direct I/O";
    }
    // One byte in, so the sector is off any alignment the kernel accepts.
    std::vector<uint8_t> unaligned(513), copy(513);
    for (size_t i = 0; i < unaligned.size(); ++i)
        unaligned[i] = static_cast<uint8_t>(i * 7);
    EXPECT_EQ(kernel->WriteAt(fd, unaligned.data() + 1, 512, 1024), 512);
    EXPECT_EQ(kernel->ReadAt(fd, copy.data() + 1, 512, 1024), 512);
    EXPECT_TRUE(std::equal(copy.begin() + 1, copy.end(), unaligned.begin() + 1));
    // A length the device cannot take is still refused, not rounded.
    EXPECT_EQ(kernel->ReadAt(fd, copy.data() + 1, 100, 1024), -EINVAL);
    kernel->Close(fd);
    std::filesystem::remove(direct);
}

// The real kernel behind KernelIo, on things every Linux machine has: its own mount table and
// a temporary file for reads and writes.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/linux/kernel_abi.h"
#include "platform/linux/kernel_io.h"
#include "platform/linux/mounts.h"

using namespace platform::linux_backend;

TEST(SystemKernelIo, FilesAndTheMountTable) {
    const auto kernel = MakeSystemKernelIo();
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("tramsik-kernel-" + std::to_string(std::random_device{}())))
                                 .string();
    EXPECT_EQ(kernel->Open(path, KernelIo::OpenMode::ReadWrite), -ENOENT);
    std::ofstream(path).close();
    const int fd = kernel->Open(path, KernelIo::OpenMode::ReadWrite);
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
    const auto mounts = ParseMountInfo(kernel->ReadText("/proc/self/mountinfo").value_or(""));
    ASSERT_FALSE(mounts.empty());
    const auto letters = AssignDriveLetters(mounts, {});
    ASSERT_FALSE(letters.empty());
    EXPECT_EQ(letters[0].letter, L'C');
    EXPECT_EQ(letters[0].mount.mountPoint, "/");
    ASSERT_TRUE(kernel->FileSystemStats("/"));
    EXPECT_GT(kernel->FileSystemStats("/")->totalBytes, 0u);
    EXPECT_FALSE(kernel->Uname().release.empty());
}

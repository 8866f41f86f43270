// The real kernel behind KernelIo, on things every Linux machine has: its own mount table, a
// temporary file for reads, writes and the single-instance lock.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <random>

#include "platform/linux/kernel_abi.h"
#include "platform/linux/kernel_io.h"
#include "platform/linux/mounts.h"

using namespace platform::linux_backend;

TEST(SystemKernelIo, FilesLocksAndTheMountTable) {
    const auto kernel = MakeSystemKernelIo();
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("tramsik-kernel-" + std::to_string(std::random_device{}())))
                                 .string();
    EXPECT_EQ(kernel->Open(path, KernelIo::OpenMode::ReadWrite), -ENOENT);
    const int fd = kernel->Open(path, KernelIo::OpenMode::CreateReadWrite);
    ASSERT_GE(fd, 0);
    const char text[] = "sector";
    EXPECT_EQ(kernel->WriteAt(fd, text, sizeof text, 512), static_cast<int64_t>(sizeof text));
    EXPECT_EQ(kernel->Sync(fd), 0);
    char back[sizeof text] = {};
    EXPECT_EQ(kernel->ReadAt(fd, back, sizeof back, 512), static_cast<int64_t>(sizeof back));
    EXPECT_STREQ(back, text);
    EXPECT_EQ(kernel->ReadAt(fd, back, sizeof back, 4096), 0);

    // The lock is per open file: a second open of the same file is refused while the first
    // holds it, and gets it once the first is closed.
    ASSERT_EQ(kernel->LockExclusive(fd), 0);
    const int other = kernel->Open(path, KernelIo::OpenMode::Read);
    ASSERT_GE(other, 0);
    EXPECT_EQ(kernel->LockExclusive(other), -EWOULDBLOCK);
    kernel->Close(fd);
    EXPECT_EQ(kernel->LockExclusive(other), 0);
    kernel->Close(other);
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

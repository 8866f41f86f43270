// The host's named mutexes: lock files in the runtime folder, one owner at a time among all
// handles of all processes, and gone once the owner's process has ended, however it ended.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/host_mutex.h"
#include "platform/win_constants.h"
#include "tests/platform/scoped_environment.h"

namespace {

using namespace platform;

class HostMutexTest : public ::testing::Test {
  protected:
    PrivateRuntimeFolder runtime_;
};

TEST_F(HostMutexTest, LockFilesLieInTheRuntimeFolderUnderTheirNamesMadeSafe) {
    const struct {
        const char* runtime;
        const wchar_t* name;
        const char* path;
    } cases[] = {
        {"/run/user/1000", L"OrvelTramsik", "/run/user/1000/OrvelTramsik.lock"},
        {"/run/user/1000", L"Global\\Orvel Tramsik-2_b",
         "/run/user/1000/Global_Orvel_Tramsik-2_b.lock"},
        {"/run/user/1000", L"../up", "/run/user/1000/___up.lock"},
        {"/run/user/1000", L"程序", "/run/user/1000/______.lock"},
        {"", L"OrvelTramsik", "/tmp/OrvelTramsik.lock"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        ScopedEnvironment runtime("XDG_RUNTIME_DIR", c.runtime);
        EXPECT_EQ(HostMutexPath(c.name), c.path);
    }
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(HostMutexPath(L"OrvelTramsik"), "/tmp/OrvelTramsik.lock");
}

TEST_F(HostMutexTest, OneHandleOwnsItAndOpenFindsItOnlyWhileOwned) {
    DWORD error = 0;
    EXPECT_FALSE(HostMutex::Open(L"OrvelTramsik"));
    std::optional<HostMutex> first = HostMutex::Create(L"OrvelTramsik", &error);
    ASSERT_TRUE(first);
    EXPECT_EQ(error, ERROR_SUCCESS);
    EXPECT_TRUE(std::filesystem::exists(runtime_.Path() / "OrvelTramsik.lock"));
    // Another handle, in this process as in another, finds it held.
    std::optional<HostMutex> second = HostMutex::Create(L"OrvelTramsik", &error);
    ASSERT_TRUE(second);
    EXPECT_EQ(error, ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(HostMutex::Open(L"OrvelTramsik"));
    EXPECT_FALSE(HostMutex::Open(L"Orveltramsik")) << "names are case-sensitive";

    first.reset();
    second.reset();
    EXPECT_FALSE(HostMutex::Open(L"OrvelTramsik")) << "its lock file stays, owned by nobody";
    EXPECT_TRUE(HostMutex::Create(L"OrvelTramsik", &error));
    EXPECT_EQ(error, ERROR_SUCCESS);
}

TEST_F(HostMutexTest, WithoutANameOrAPlaceForItsFileThereIsNoMutex) {
    const struct {
        const wchar_t* name;
        const char* runtime;
        DWORD error;
    } cases[] = {
        {nullptr, nullptr, ERROR_INVALID_PARAMETER},
        {L"", nullptr, ERROR_INVALID_PARAMETER},
        {L"OrvelTramsik", "/nonexistent/tramsik", ERROR_ACCESS_DENIED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        std::optional<ScopedEnvironment> runtime;
        if (c.runtime) runtime.emplace("XDG_RUNTIME_DIR", c.runtime);
        DWORD error = 0;
        EXPECT_FALSE(HostMutex::Create(c.name, &error));
        EXPECT_EQ(error, c.error);
        EXPECT_FALSE(HostMutex::Open(c.name));
    }
}

TEST_F(HostMutexTest, AnotherProcessOwnsItUntilItEnds) {
    int ready[2], finish[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(finish), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(ready[0]);
        close(finish[1]);
        // Ends without closing its handle: the kernel lets go of the lock.
        DWORD error = 0;
        std::optional<HostMutex> held = HostMutex::Create(L"OrvelTramsik", &error);
        const char state = held && error == ERROR_SUCCESS ? 'y' : 'n';
        (void)!write(ready[1], &state, 1);
        char done = 0;
        (void)!read(finish[0], &done, 1);
        _exit(0);
    }
    close(ready[1]);
    close(finish[0]);
    char state = 0;
    EXPECT_EQ(read(ready[0], &state, 1), 1);
    EXPECT_EQ(state, 'y');
    DWORD error = 0;
    EXPECT_TRUE(HostMutex::Create(L"OrvelTramsik", &error));
    EXPECT_EQ(error, ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(HostMutex::Open(L"OrvelTramsik"));

    close(finish[1]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_FALSE(HostMutex::Open(L"OrvelTramsik"));
    EXPECT_TRUE(HostMutex::Create(L"OrvelTramsik", &error));
    EXPECT_EQ(error, ERROR_SUCCESS);
    close(ready[0]);
}

}  // namespace

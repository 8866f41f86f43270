// The host's named mutexes: lock files in the runtime folder, one owner at a time among all
// handles, in this process as in another (the lock is the kernel's, which ends with its process).
#include <gtest/gtest.h>

#include <cstdlib>
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

TEST_F(HostMutexTest, OneHandleOwnsItOpenFindsItWhileOwnedAndWithoutANameOrFolderNone) {
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

    // Without a name or a place for its file there is no mutex.
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
        EXPECT_FALSE(HostMutex::Create(c.name, &error));
        EXPECT_EQ(error, c.error);
        EXPECT_FALSE(HostMutex::Open(c.name));
    }
}

}  // namespace

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "base/utf8.h"
#include "platform/platform.h"
#include "platform/win_constants.h"
#include "scoped_environment.h"
#include "sim_fixture.h"

namespace {

using namespace platform;

// Backends chosen by name; images made on demand go below XDG_CACHE_HOME, pointed at the
// test's folder.
class Select : public SimTest {
  protected:
    void TearDown() override {
        SetTestEnvironment("TRAMSIK_MACHINE", std::nullopt);
        SimTest::TearDown();
    }
    ScopedEnvironment cache_{"XDG_CACHE_HOME", folder_.string()};
};

TEST_F(Select, DemoMachineFilesAndNativeDrivesBecomeTheCurrentPlatformWhenReadable) {
    std::wstring error;
    ASSERT_TRUE(SelectPlatform(L"demo", &error)) << ToUtf8(error);
    EXPECT_TRUE(std::filesystem::exists(folder_ / "tramsik")) << "images made in the cache folder";
    const HANDLE drive = CreateFileW(L"\\\\.\\PhysicalDrive3", GENERIC_READ, 3, OPEN_EXISTING, 0);
    EXPECT_NE(drive, INVALID_HANDLE_VALUE);
    CloseHandle(drive);

    SetTestEnvironment("TRAMSIK_MACHINE",
                       MachinePath("platform/machines/ata_variants.json").string());
    ASSERT_TRUE(SelectPlatformFromEnvironment(&error)) << ToUtf8(error);
    SYSTEM_INFO info;
    GetNativeSystemInfo(&info);
    EXPECT_EQ(info.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_INTEL);

    // Whatever this computer's drives are: asked, the native backend is chosen and tells what
    // stands in the way; not asked, it is refused exactly when something does, with the reason.
    std::wstring why;
    DriveAccess access = DriveAccess::Readable;
    ASSERT_TRUE(SelectPlatform(L"", &why, &access));
    EXPECT_EQ(why.empty(), access == DriveAccess::Readable) << ToUtf8(why);
    EXPECT_EQ(SelectPlatform(L"", &error), access == DriveAccess::Readable);
    EXPECT_EQ(error, why);

    // A simulated machine needs no rights.
    access = DriveAccess::NoRights;
    ASSERT_TRUE(SelectPlatform(L"demo", &error, &access)) << ToUtf8(error);
    EXPECT_EQ(access, DriveAccess::Readable);
}

}  // namespace

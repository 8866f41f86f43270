// Start-up on a simulated machine: the language from the code page, one copy at a time through
// the named mutex, the second copy's dialog, and a new start once the first copy is gone.
#include <gtest/gtest.h>

#include <string>

#include "app/startup/startup.h"
#include "platform/platform.h"
#include "platform/win_constants.h"
#include "tests/app/app_fixture.h"

namespace app {

namespace {

using namespace SkinUI;

std::string CodePageMachine(int codePage, bool otherCopyRuns) {
    return R"({"format": "tramsik-machine/1", "os": {"major": 10, "minor": 0, "codePage": )" +
           std::to_string(codePage) +
           (otherCopyRuns ? R"(, "heldMutexes": ["OrvelTramsik"])" : "") + R"(}, "drives": []})";
}

int gMainWindowRuns = 0;
void CountMainWindow() {
    ++gMainWindowRuns;
}

using Startup = MainFrameTest;

// The language follows the code page: only 936 is Chinese.
TEST_F(Startup, SecondCopyShowsTheDialogInItsLanguageAndEndsWithoutItsWindow) {
    const struct {
        int codePage;
        const wchar_t* text;
        const wchar_t* ok;
    } cases[] = {{1252, L"\nProgram has opened!", L"OK"},
                 {936, L"\n程序已启动!", L"是"},
                 {950, L"\nProgram has opened!", L"OK"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.codePage);
        Load(CodePageMachine(c.codePage, true));
        gMainWindowRuns = 0;
        WhileShown(
            [&](CMessageDialog& dialog) {
                CPaintManagerUI& pm = dialog.GetPaintManager();
                EXPECT_EQ(dialog.GetOwner(), nullptr) << "no main window exists yet";
                EXPECT_EQ(pm.FindControl(L"msgbox")->GetText(), c.text);
                EXPECT_EQ(pm.FindControl(L"msgbox")->GetPos().left, 65);
                EXPECT_EQ(pm.FindControl(L"okBtn")->GetText(), c.ok);
                EXPECT_EQ(backend_->Windows().size(), 1u) << "only the dialog is open";
            },
            L"okBtn");
        EXPECT_EQ(RunStartup(CountMainWindow), 0);
        EXPECT_EQ(backend_->PendingSteps(), 0u) << "the dialog was shown";
        EXPECT_EQ(gMainWindowRuns, 0);
        EXPECT_EQ(OpenDialog(), nullptr);
        // The other copy still holds its mutex; this one let go of the handle it opened.
        const platform::HANDLE other =
            platform::OpenMutexW(platform::MUTEX_ALL_ACCESS, 0, kSingleInstanceMutex);
        EXPECT_NE(other, nullptr);
        platform::CloseHandle(other);
    }
}

TEST_F(Startup, FirstCopyRunsHoldsTheMutexAndANewStartWorksOnceItIsGone) {
    Load(CodePageMachine(1252, false));
    gMainWindowRuns = 0;
    EXPECT_EQ(RunStartup(CountMainWindow), 0);
    EXPECT_EQ(gMainWindowRuns, 1);
    EXPECT_EQ(backend_->PendingSteps(), 0u) << "no dialog was shown";
    const platform::HANDLE first = SingleInstanceHandle();
    ASSERT_NE(first, nullptr);

    // Another copy on the same machine meanwhile: refused, closed by the desktop's close command.
    WhileShown([&](CMessageDialog& dialog) { backend_->SystemClose(dialog); }, nullptr);
    EXPECT_FALSE(CheckSingleInstance());
    EXPECT_EQ(SingleInstanceHandle(), first) << "the refusal leaves the held mutex alone";

    // The first copy ends: the system releases its mutex, and the next start runs.
    platform::CloseHandle(first);
    EXPECT_EQ(RunStartup(CountMainWindow), 0);
    EXPECT_EQ(gMainWindowRuns, 2);
    EXPECT_NE(SingleInstanceHandle(), nullptr);
}

}  // namespace

}  // namespace app

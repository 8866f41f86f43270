// The window that cannot read the computer's drives: it opens all the same, lists nothing and
// says why in the message dialog over it, in its language; readable drives bring no message.
#include <gtest/gtest.h>

#include <string>

#include "app/startup/drive_access_message.h"
#include "base/utf8.h"
#include "tests/app/app_fixture.h"
#include "tests/support/language_scope.h"

namespace app {
namespace {

using platform::DriveAccess;

using DriveAccessMessageTest = MainFrameTest;

TEST_F(DriveAccessMessageTest, WindowWithoutReadableDrivesSaysWhyInItsLanguage) {
    const struct {
        DriveAccess access;
        int language;
        const wchar_t* says;  // words only this message holds
    } cases[] = {
        {DriveAccess::NoRights, 0, L"administrator rights"},
        {DriveAccess::NoRights, 1, L"管理员权限"},
        {DriveAccess::NoDrive, 0, L"No drive"},
    };
    Load(R"({"format": "tramsik-machine/1", "os": {"major": 10, "minor": 0}, "drives": []})");
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.access) * 10 + c.language);
        LanguageScope language(c.language);
        CMainFrame& frame = OpenFrame();
        ASSERT_TRUE(frame.IsBound());
        WhileShown(
            [&](CMessageDialog& dialog) {
                EXPECT_EQ(dialog.GetOwner(), &frame) << "over the open main window";
                const std::wstring text = Control(dialog, L"msgbox")->GetText();
                EXPECT_EQ(text, DriveAccessText(c.access));
                EXPECT_NE(text.find(c.says), std::wstring::npos) << ToUtf8(text);
                EXPECT_FALSE(Control(dialog, L"cancelBtn")->IsVisible());
                EXPECT_NE(Control(dialog, L"warning")->GetBkImage(), L"") << "the warning icon";
            },
            L"okBtn");
        ShowDriveAccessMessage(c.access);
        EXPECT_EQ(backend_->PendingSteps(), 0u) << "the dialog was shown";
        EXPECT_EQ(OpenDialog(), nullptr);
        frame_.reset();
    }
}

TEST_F(DriveAccessMessageTest, ReadableDrivesBringNoMessage) {
    LoadDemo();
    OpenFrame();
    EXPECT_FALSE(Items(L"Drive_name").empty());
    EXPECT_EQ(DriveAccessText(DriveAccess::Readable), L"");
    // Nothing is queued to close a dialog: one would hang here.
    ShowDriveAccessMessage(DriveAccess::Readable);
    EXPECT_EQ(OpenDialog(), nullptr);
}

}  // namespace
}  // namespace app

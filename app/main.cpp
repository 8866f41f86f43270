// The window program: the platform (TRAMSIK_MACHINE names a machine file or "demo"; otherwise
// this computer's drives), the desktop backend, then start-up and the main window. Like the
// program it mirrors, it takes no command-line arguments.
#include <cstdio>
#include <memory>
#include <string>

#include "app/main_frame/main_frame.h"
#include "app/startup/drive_access_message.h"
#include "app/startup/startup.h"
#include "base/utf8.h"
#include "platform/platform.h"
#include "ui/backend/desktop.h"

namespace {

// Whether the real machine's drives can be read; a simulated machine's always can.
platform::DriveAccess gDriveAccess = platform::DriveAccess::Readable;

// Runs the main window until the user closes it; the inventory is taken while it is created.
// A window that cannot read the drives opens all the same and says why it lists none.
void RunMainWindow() {
    app::CMainFrame frame;
    if (frame.Create(nullptr, L"OrvelTramsik", app::kMainFrameStyle, app::kMainFrameExStyle) ==
        nullptr)
        return;
    frame.CenterWindow();
    app::ShowDriveAccessMessage(gDriveAccess);
    frame.ShowModal();
}

}  // namespace

int main() {
    std::string error;
    std::unique_ptr<SkinUI::IBackend> backend = SkinUI::CreateDesktopBackend(&error);
    if (!backend) {
        std::fprintf(stderr, "tramsik: no display: %s\n", error.c_str());
        return 2;
    }
    std::wstring problem;
    if (!platform::SelectPlatformFromEnvironment(&problem, &gDriveAccess)) {
        // In the system's error box: a program started from a menu has no terminal (on Windows
        // no standard error at all) and would otherwise end without a word.
        backend->ShowErrorBox(L"Tramsik", problem);
        return 2;
    }
    // The window says it in its own words; a terminal also gets the details.
    if (gDriveAccess != platform::DriveAccess::Readable)
        std::fprintf(stderr, "tramsik: %s\n", ToUtf8(problem).c_str());
    SkinUI::SetBackend(std::move(backend));
    const int code = app::RunStartup(RunMainWindow);
    SkinUI::SetBackend(nullptr);
    return code;
}

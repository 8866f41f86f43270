// The window program: the platform (TRAMSIK_MACHINE names a machine file or "demo"; otherwise
// this computer's drives), the desktop backend, then start-up and the main window. Like the
// program it mirrors, it takes no command-line arguments.
#include <cstdio>
#include <memory>
#include <string>

#include "app/main_frame/main_frame.h"
#include "app/startup/startup.h"
#include "platform/platform.h"
#include "ui/backend/desktop.h"

namespace {

// Runs the main window until the user closes it; the inventory is taken while it is created.
void RunMainWindow() {
    app::CMainFrame frame;
    if (frame.Create(nullptr, L"OrvelTramsik", app::kMainFrameStyle, app::kMainFrameExStyle) ==
        nullptr)
        return;
    frame.CenterWindow();
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
    if (!platform::SelectPlatformFromEnvironment(&problem)) {
        // In the system's error box: a program started from a menu has no terminal (on Windows
        // no standard error at all) and would otherwise end without a word.
        backend->ShowErrorBox(L"Tramsik", problem);
        return 2;
    }
    SkinUI::SetBackend(std::move(backend));
    const int code = app::RunStartup(RunMainWindow);
    SkinUI::SetBackend(nullptr);
    return code;
}

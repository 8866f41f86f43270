#include "app/startup/startup.h"

#include "app/dialog/message_dialog.h"
#include "base/ui_text.h"
#include "platform/platform.h"
#include "platform/win_constants.h"
#include "skin/skin_resources.h"
#include "ui/paint_manager.h"

namespace app {

namespace {

// Held until the process ends; the system then releases it, so the next start works.
platform::HANDLE gSingleInstance = nullptr;

// The second-copy message: its own text in each language, not a row of the text table.
constexpr const wchar_t* kAlreadyRunningText[] = {L"\nProgram has opened!", L"\n程序已启动!"};
constexpr int kAlreadyRunningTextX = 65;

}  // namespace

void SetLanguageFromCodePage() {
    SetLanguageFlag(platform::GetACP());
}

bool CheckSingleInstance() {
    // Creating and testing in one step: two copies started at the same instant cannot both
    // pass, as they could between opening and creating.
    platform::HANDLE mutex = platform::CreateMutexW(0, kSingleInstanceMutex);
    if (mutex != nullptr && platform::GetLastError() == platform::ERROR_ALREADY_EXISTS) {
        platform::CloseHandle(mutex);
        CMessageDialog dialog;
        ShowMessage(dialog, kAlreadyRunningText[LanguageFlag == 1 ? 1 : 0], kAlreadyRunningTextX,
                    kMessageOk, kIconWarning);
        return false;
    }
    // A mutex that could not be made is no reason to refuse to run.
    gSingleInstance = mutex;
    return true;
}

platform::HANDLE SingleInstanceHandle() {
    return gSingleInstance;
}

int RunStartup(void (*runMainWindow)()) {
    SkinUI::CPaintManagerUI::SetInstance(&TramsikSkinResources());
    SetLanguageFromCodePage();
    if (!CheckSingleInstance()) return 0;
    runMainWindow();
    return 0;
}

}  // namespace app

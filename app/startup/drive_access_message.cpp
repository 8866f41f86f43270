#include "app/startup/drive_access_message.h"

#include "app/dialog/message_dialog.h"
#include "base/ui_text.h"

namespace app {

namespace {

// Texts of their own in each language (English, Chinese), like the second copy's message: the
// numbered table holds none for this.
struct AccessMessage {
    platform::DriveAccess access;
    const wchar_t* text[2];
};

constexpr AccessMessage kMessages[] = {
    {platform::DriveAccess::NoRights,
     {L"Reading the drives needs administrator rights. Start Tramsik again and allow it.",
      L"读取磁盘需要管理员权限。请重新启动 Tramsik 并允许。"}},
    {platform::DriveAccess::NoDrive,
     {L"No drive was found on this computer.", L"在这台计算机上没有找到磁盘。"}},
};

// Beside the warning icon, as the other messages with an icon.
constexpr int kDriveAccessTextX = 95;

}  // namespace

std::wstring DriveAccessText(platform::DriveAccess access) {
    for (const AccessMessage& message : kMessages)
        if (message.access == access) return message.text[LanguageFlag == 1 ? 1 : 0];
    return std::wstring();
}

void ShowDriveAccessMessage(platform::DriveAccess access) {
    const std::wstring text = DriveAccessText(access);
    if (text.empty()) return;
    CMessageDialog dialog;
    ShowMessage(dialog, text, kDriveAccessTextX, kMessageOk, kIconWarning);
}

}  // namespace app

#include "migration/system_disk.h"

#include <cwctype>
#include <vector>

#include "base/log.h"
#include "platform/platform.h"

using disk::DriveList;
using disk::DriveRecord;

namespace migration {

wchar_t SystemDriveLetter() {
    const platform::UINT needed = platform::GetSystemDirectoryW(nullptr, 0);
    if (needed == 0) return 0;
    std::vector<wchar_t> directory(needed + 1, L'\0');
    const platform::UINT length = platform::GetSystemDirectoryW(
        directory.data(), static_cast<platform::UINT>(directory.size()));
    if (length == 0 || length >= directory.size()) return 0;
    // The record's letters are upper case; a directory written "c:\..." names the same disk.
    const wchar_t letter = static_cast<wchar_t>(std::towupper(directory[0]));
    return letter >= L'A' && letter <= L'Z' ? letter : 0;
}

void getSystemDisk(const DriveList& drives, SystemDisk& systemDisk) {
    systemDisk.letter = SystemDriveLetter();
    if (systemDisk.letter == 0) return;
    for (int32_t index = 0; index < drives.Count(); ++index) {
        const DriveRecord& record = drives[index];
        if (record.DriveLetters.find(systemDisk.letter) == std::wstring::npos) continue;
        WriteLog(L"=====>GetSystemDiskPhysicalDrive = %d", index);
        systemDisk.index = index;
        systemDisk.physicalDriveId = record.Address.physicalDriveId;
        systemDisk.model = record.Model;
        return;
    }
}

}  // namespace migration

#include "disk/drive_letters.h"

#include <cstring>
#include <string>

#include "base/log.h"
#include "disk/ata_string.h"
#include "platform/ioctl.h"
#include "platform/platform.h"
#include "platform/win_constants.h"

using namespace platform;

namespace disk {

namespace {

// Room for the extents the mapping looks at; a volume on more of them is not mapped.
constexpr DWORD kMappedExtents = 4;
constexpr DWORD kExtentsBufferSize =
    kVolumeExtentsHeaderSize + kMappedExtents * sizeof(DISK_EXTENT);
static_assert(kExtentsBufferSize == 104);

bool Counts(wchar_t letter, bool includeRemovable) {
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    WriteLog(L"%ls", root);
    const UINT type = GetDriveTypeW(root);
    // A: and B: are floppy drives whenever they are removable.
    return type == DRIVE_FIXED || (includeRemovable && type == DRIVE_REMOVABLE && letter >= L'C');
}

// The extents of the letter's volume into `buffer`; false when the volume cannot be asked.
bool ReadExtents(wchar_t letter, uint8_t (&buffer)[kExtentsBufferSize]) {
    const wchar_t path[] = {L'\\', L'\\', L'.', L'\\', letter, L':', L'\0'};
    WriteLog(L"%ls", path);
    const HANDLE volume = CreateFileW(path, GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
    if (volume == INVALID_HANDLE_VALUE) {
        WriteLog(L"Drive Letter Mapping - INVALID_HANDLE_VALUE");
        return false;
    }
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(volume, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0,
                                    buffer, sizeof buffer, &returned);
    CloseHandle(volume);
    if (!ok) {
        WriteLog(L"Drive Letter Mapping - bResult == FALSE");
        return false;
    }
    return true;
}

void MapLetter(wchar_t letter, DriveLetterMap& map) {
    uint8_t buffer[kExtentsBufferSize] = {};
    if (!ReadExtents(letter, buffer)) return;
    DWORD count = 0;
    std::memcpy(&count, buffer, sizeof count);
    WriteLog(L"volumeDiskExtents.NumberOfDiskExtents = %d", static_cast<int>(count));
    // A volume striped over many disks belongs to none of them.
    if (count >= kMappedExtents) return;
    for (DWORD i = 0; i < count; ++i) {
        DISK_EXTENT extent;
        std::memcpy(&extent, buffer + kVolumeExtentsHeaderSize + i * sizeof extent, sizeof extent);
        if (extent.ExtentLength == 0 || extent.DiskNumber >= map.size()) continue;
        uint32_t& word = map[extent.DiskNumber];
        word |= 1u << (letter - L'A');
        WriteLog(L"n = %d, pDiskExtent->DiskNumber = %d- driverMap= %d", static_cast<int>(i),
                 static_cast<int>(extent.DiskNumber), static_cast<int>(word));
    }
}

}  // namespace

DriveLetterMap MapDriveLetters(bool includeRemovable) {
    DriveLetterMap map{};
    WriteLog(L"Drive Letter Mapping - Start");
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        if (Counts(letter, includeRemovable))
            MapLetter(letter, map);
        else
            WriteLog(L"Drive Letter Mapping - != DRIVE_FIXED");
    }
    WriteLog(L"Drive Letter Mapping - End");
    return map;
}

void ApplyDriveLetters(const DriveLetterMap& map, DriveList& drives) {
    for (DriveRecord& record : drives.Records()) {
        const int32_t drive = record.Address.physicalDriveId;
        if (drive < 0 || static_cast<size_t>(drive) >= map.size()) continue;
        record.DriveLetterMap = map[static_cast<size_t>(drive)];
        std::wstring letters;
        for (int n = 0; n < 26; ++n)
            if (record.DriveLetterMap & (1u << n))
                letters += {static_cast<wchar_t>(L'A' + n), L':', L' '};
        record.DriveLetters = TrimWhiteSpace(letters);
    }
}

}  // namespace disk

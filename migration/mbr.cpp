#include "migration/mbr.h"

#include <cstring>
#include <cwchar>

#include "base/log.h"
#include "platform/ioctl.h"
#include "platform/platform.h"
#include "platform/win_constants.h"

namespace migration {

using namespace platform;

namespace {

// What the status byte of an entry means to the scan.
struct StatusRule {
    uint8_t status;
    const wchar_t* logLine;  // takes the entry index
    bool bootable;
};
constexpr StatusRule kStatusRules[] = {
    {0x80, L"%d partition - bootable（0~base） \n", true},
    {0x00, L" non-bootable\n", false},
    {0x81, L" bootable lba\n", false},
    {0x01, L" non-bootable lba\n", false},
};

const StatusRule* RuleFor(uint8_t status) {
    for (const StatusRule& rule : kStatusRules)
        if (rule.status == status) return &rule;
    return nullptr;
}

wchar_t SystemDriveLetter() {
    constexpr UINT kPathLength = 260;
    wchar_t folder[kPathLength] = {};
    const UINT length = GetSystemDirectoryW(folder, kPathLength);
    return length > 0 && length < kPathLength ? folder[0] : L'\0';
}

// Length of the volume behind `letter` in bytes; 0 when it cannot be opened or asked.
uint64_t VolumeLength(wchar_t letter) {
    if (letter == L'\0') return 0;
    wchar_t path[8];
    std::swprintf(path, 8, L"\\\\.\\%lc:", static_cast<wint_t>(letter));
    // A length query needs no write access to the running system's volume.
    const HANDLE volume =
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
    if (volume == INVALID_HANDLE_VALUE) return 0;
    GET_LENGTH_INFORMATION length{};
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(volume, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length,
                                    sizeof length, &returned);
    CloseHandle(volume);
    return ok && returned >= sizeof length && length.Length > 0
               ? static_cast<uint64_t>(length.Length)
               : 0;
}

}  // namespace

TableResult readMbr(MbrDiskContext& context, HANDLE handle,
                    const std::optional<VolumeExtent>& systemVolume) {
    context = MbrDiskContext{};
    context.handle = handle;
    const DiskGeometry geometry = QueryDiskGeometry(handle);
    context.sectorCount = geometry.sectorCount;
    context.sectorsPerTrack = geometry.sectorsPerTrack;
    context.tracksPerCylinder = geometry.tracksPerCylinder;
    context.cylinders = static_cast<uint32_t>(geometry.cylinders);
    WriteLog(L"disk info:cylinder: %d \thead: %d\tsector: %d\n", context.cylinders,
             context.tracksPerCylinder, context.sectorsPerTrack);

    if (!ReadSectors(handle, 0, &context.mbr)) {
        WriteLog(L"ReadFile() Error: %ld\n", static_cast<long>(GetLastError()));
        return TableResult::kUnreadableSector;
    }
    if (context.mbr.bootSignature != kMbrBootSignature) {
        WriteLog(L" No valid bootsector found on device\n");
        WriteLog(L"bad mbr header\n");
        return TableResult::kBadSignature;
    }

    // The last entry marked active is the scan's system partition.
    for (uint32_t i = 0; i < 4; ++i) {
        const StatusRule* rule = RuleFor(context.mbr.partitions[i].status);
        if (!rule) {
            WriteLog(L" invalid partition status\n");
            continue;
        }
        ++context.partitionCount;
        WriteLog(rule->logLine, static_cast<int>(i));
        if (rule->bootable) context.systemEntryIndex = i;
    }
    findSystemPartitionMbr(context, systemVolume);
    return TableResult::kOk;
}

void findSystemPartitionMbr(MbrDiskContext& context,
                            const std::optional<VolumeExtent>& systemVolume) {
    const wchar_t letter = SystemDriveLetter();
    const uint64_t volumeSectors =
        (systemVolume ? systemVolume->length : VolumeLength(letter)) / kSectorSize;
    if (volumeSectors == 0) return;
    for (uint32_t i = 0; i < 4; ++i) {
        const MbrPartitionEntry& entry = context.mbr.partitions[i];
        const bool startMatches = !systemVolume || uint64_t{entry.startingLba} * kSectorSize ==
                                                       systemVolume->startingOffset;
        if (entry.sectorCount == volumeSectors && startMatches) {
            context.systemEntryIndex = i;
            break;
        }
    }
    WriteLog(L"sys driver:%lc, secsize=%llu, part(%d(0base~))", static_cast<wint_t>(letter),
             static_cast<unsigned long long>(volumeSectors),
             static_cast<int>(context.systemEntryIndex));
}

// One write: the whole of sector 0, after the space test passed.
TableResult modifyMbr(const MbrDiskContext& source, HANDLE targetHandle, WrittenSectors* written) {
    MbrDiskContext table = source;
    const uint64_t sectorCount = QueryDiskGeometry(targetHandle).sectorCount;
    const uint32_t system = table.systemEntryIndex;
    const bool fits =
        system < 4 && sectorCount >= uint64_t{table.mbr.partitions[system].startingLba} +
                                         table.mbr.partitions[system].sectorCount;
    if (!fits) {
        WriteLog(L"no enough space for data migration\n");
        return TableResult::kTargetTooSmall;
    }
    // Partitions after the system partition are not copied, so they leave the table.
    for (uint32_t i = system + 1; i < 4; ++i)
        table.mbr.partitions[i] = MbrPartitionEntry{};
    if (!WriteRecorded(targetHandle, 0, &table.mbr, 1, written)) {
        WriteLog(L"modifyMbr WriteFile()-1 Error: %ld\n", static_cast<long>(GetLastError()));
        return TableResult::kWriteFailed;
    }
    return FlushSectors(targetHandle) ? TableResult::kOk : TableResult::kWriteFailed;
}

}  // namespace migration

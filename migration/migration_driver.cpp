#include "migration/migration_driver.h"

#include <algorithm>
#include <array>

#include "base/log.h"
#include "migration/copy_engine.h"
#include "migration/copy_verify.h"
#include "migration/disk_io.h"
#include "migration/drive_ops.h"
#include "migration/gpt.h"
#include "migration/mbr.h"
#include "platform/ioctl.h"
#include "platform/platform.h"

namespace migration {

using namespace platform;

namespace {

uint32_t DiskNumber(uint32_t number) {
    return number & 0xFFFF;
}

int AsInt(uint32_t number) {
    return static_cast<int>(number);
}

// An open physical drive, closed when it goes out of scope.
class DiskHandle {
  public:
    DiskHandle() = default;
    explicit DiskHandle(HANDLE handle) : handle_(handle) {}
    DiskHandle(const DiskHandle&) = delete;
    DiskHandle& operator=(const DiskHandle&) = delete;
    ~DiskHandle() { Close(); }

    void Reset(HANDLE handle) {
        Close();
        handle_ = handle;
    }
    void Close() {
        if (*this) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }
    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// The source's partition table and the sectors a migration copies from it.
struct SourceTable {
    bool isGpt = false;
    GptDiskContext gpt;
    MbrDiskContext mbr;

    // Where the target's table goes (held back from the copy): sector 0, and for GPT the
    // primary header and its entry array.
    HeldSectors TableSectors() const {
        HeldSectors held{{0, 1}};
        if (isGpt)
            held.insert(held.end(), {{gpt.header.myLba, 1},
                                     {gpt.header.partitionEntryLba, GptArraySectors(gpt.header)}});
        return held;
    }

    // Sectors 0 through the end of the system partition. Every partition kept in the target's
    // table has to be copied whole, so one listed before the system partition but lying behind
    // it on the disk extends the range to its own end.
    uint64_t RangeSectors() const {
        uint64_t end = 0;
        if (isGpt) {
            for (uint32_t i = 0; i <= gpt.systemEntryIndex && i < gpt.EntryCount(); ++i) {
                const GptEntry entry = gpt.Entry(i);
                if (entry.startingLba != 0 || entry.endingLba != 0)
                    end = std::max(end, entry.endingLba + 1);
            }
        } else {
            for (uint32_t i = 0; i <= mbr.systemEntryIndex && i < 4; ++i) {
                const MbrPartitionEntry& entry = mbr.mbr.partitions[i];
                end = std::max(end, uint64_t{entry.startingLba} + entry.sectorCount);
            }
        }
        return end;
    }
};

// Reads the table of the style the layout query named; false (logged) when it is unreadable.
bool ReadSourceTable(HANDLE source, uint32_t sourceNumber, bool isGpt, SourceTable& table) {
    table.isGpt = isGpt;
    const auto systemVolume = getSystemVolumeExtent(sourceNumber);
    const TableResult read =
        isGpt ? openGTP(table.gpt, source, systemVolume) : readMbr(table.mbr, source, systemVolume);
    if (read == TableResult::kOk) return true;
    WriteLog(L"read src disk info err\n");
    return false;
}

// The style of the source's table; nothing (logged) when its layout cannot be read.
std::optional<bool> SourceIsGpt(HANDLE source) {
    const auto style = getDriveLayoutStyle(source);
    if (!style) {
        WriteLog(L"GetDiskDriveLayout break\n");
        return std::nullopt;
    }
    return *style == PARTITION_STYLE_GPT;
}

// What a failed verification means: a source that cannot be read is a failed read, as in the
// copy; a target that cannot be read back is a copy that cannot be proven.
int32_t VerifyFailure(int verified) {
    switch (verified) {
        case kVerifySourceReadFailed:
            return kMigrationReadFailed;
        case kVerifyCancelled:
            return kMigrationCancelled;
        default:
            return kMigrationVerifyFailed;
    }
}

// What a failed copy means to the migration.
int32_t CopyFailure(int copied) {
    switch (copied) {
        case kCopyReadFailed:
            return kMigrationReadFailed;
        case kCopyCancelled:
            return kMigrationCancelled;
        case kCopyProbeFailed:
            return kMigrationProbeFailed;
        default:
            return kMigrationWriteFailed;
    }
}

// Everything up to the release, in order; the first failure ends it with its result. Effects
// on the target, in order: its table is deleted, it is locked, sector 100 is zeroed, the speed
// probe writes source data at its sample positions, sectors 0 to the end of the range are
// overwritten, its table is rewritten; a verified run then reads it back. The source is open
// for reading only.
int32_t Migrate(const MigrationThreadArgs& args, DiskHandle& source, DiskHandle& target) {
    const uint32_t sourceNumber = DiskNumber(args.sourceNumber);
    const uint32_t targetNumber = DiskNumber(args.targetNumber);
    if (sourceNumber == targetNumber) {
        WriteLog(L"select disk err\n");
        return kMigrationSameDisk;
    }
    WriteLog(L"begin data migration --%d-to-%d\n", AsInt(sourceNumber), AsInt(targetNumber));
    source.Reset(openPhysicalDrive(sourceNumber, GENERIC_READ));
    if (!source) {
        WriteLog(L"src disk createfile err(%d)\n", AsInt(sourceNumber));
        return kMigrationSourceOpenFailed;
    }
    target.Reset(openPhysicalDrive(targetNumber));
    if (!target) {
        WriteLog(L"dst disk createfile err(%d)-(0x%x)\n", AsInt(targetNumber),
                 static_cast<unsigned>(GetLastError()));
        return kMigrationTargetOpenFailed;
    }
    const auto isGpt = SourceIsGpt(source.get());
    if (!isGpt) return kMigrationLayoutUnreadable;
    WriteLog(L"src driver isGpt=%d\n", *isGpt ? 1 : 0);

    // Deleting the table makes the system drop the target's volumes. Only a write-protected
    // disk stops here; other refusals are found out by the lock and the test write.
    if (wipeDriveLayout(target.get()) == LayoutWipe::kWriteProtected) {
        WriteLog(L"offline\u00A0failed\n");
        return kMigrationTargetNotWritable;
    }
    if (!lockDisk(target.get())) {
        WriteLog(L"Locking\u00A0volume\u00A0failed\n");
        return kMigrationLockFailed;
    }
    if (!probeTargetWrite(target.get())) {
        WriteLog(L"target device not ready\u00A0failed\n");
        return kMigrationTargetNotWritable;
    }

    SourceTable table;
    if (!ReadSourceTable(source.get(), sourceNumber, *isGpt, table))
        return *isGpt ? kMigrationSourceGptUnreadable : kMigrationSourceMbrUnreadable;
    if (*isGpt)
        WriteLog(L"begin to data migration, system partiton : %d\n",
                 AsInt(table.gpt.systemEntryIndex));

    if (!SeekSector(source.get(), 0) || !SeekSector(target.get(), 0)) return kMigrationSeekFailed;
    const uint64_t range = table.RangeSectors();
    if (getDiskSectorCount(target.get()) < range) return kMigrationTargetTooSmall;

    // The table is written last, once every data sector is on the medium: a copy cut short
    // (a power cut, a crash) leaves a target without a table, never one that shows half-copied
    // volumes as a disk.
    const int copied = copySectors(source.get(), target.get(), range, table.TableSectors());
    if (copied != kCopyDone) {
        WriteLog(L"data migration err-end\n");
        return CopyFailure(copied);
    }
    if (!FlushSectors(target.get())) {
        WriteLog(L"data migration err-end\n");
        return kMigrationWriteFailed;
    }
    WriteLog(*isGpt ? L"data migration end-recovery gpt\n" : L"data migration end-recovery mbr\n");
    // The protective MBR goes over as the source has it, boot code included.
    std::array<uint8_t, kSectorSize> protectiveMbr{};
    if (*isGpt && !ReadSectors(source.get(), 0, protectiveMbr.data())) return kMigrationReadFailed;
    // A copy without a table that fits the target is no bootable disk: that is a failure.
    WrittenSectors written;
    const TableResult rewritten =
        *isGpt ? modifyGpt(target.get(), table.gpt, protectiveMbr.data(), &written)
               : modifyMbr(table.mbr, target.get(), &written);
    if (rewritten != TableResult::kOk) return kMigrationTableRewriteFailed;
    if (!args.verify) return kMigrationSucceeded;
    const int verified = verifyCopy(source.get(), target.get(), range, written);
    return verified == kVerifyDone ? kMigrationSucceeded : VerifyFailure(verified);
}

}  // namespace

uint32_t FinalStateFor(int32_t result) {
    switch (result) {
        case kMigrationSucceeded:
            return kStateSucceeded;
        case kMigrationLockFailed:
            return kStateLockFailed;
        case kMigrationCancelled:
            return kStateCancelled;
        case kMigrationTargetTooSmall:
            return kStateTooSmall;
        case kMigrationTargetNotWritable:
            return kStateNotWritable;
        default:
            return kStateFailed;
    }
}

bool checkMigrationTarget(uint32_t sourceNumber, uint32_t targetNumber) {
    sourceNumber = DiskNumber(sourceNumber);
    targetNumber = DiskNumber(targetNumber);
    if (sourceNumber == targetNumber) {
        WriteLog(L"src==dst err-%d\n", AsInt(sourceNumber));
        return false;
    }
    const DiskHandle source(openPhysicalDrive(sourceNumber, GENERIC_READ));
    if (!source) {
        WriteLog(L"src disk createfile err(%d)\n", AsInt(sourceNumber));
        return false;
    }
    // Opened as the migration will open it, so a target it could not write is refused here.
    const DiskHandle target(openPhysicalDrive(targetNumber));
    if (!target) {
        WriteLog(L"dst disk createfile err(%d)\n", AsInt(targetNumber));
        return false;
    }
    const uint64_t targetSectors = getDiskSectorCount(target.get());
    const auto isGpt = SourceIsGpt(source.get());
    if (!isGpt) return false;
    SourceTable table;
    if (!ReadSourceTable(source.get(), sourceNumber, *isGpt, table)) return false;
    if (targetSectors < table.RangeSectors() + kTargetSpareSectors) {
        WriteLog(L"dst driver is too small, no support migration\n");
        return false;
    }
    return true;
}

uint32_t migrationThread(const MigrationThreadArgs& args) {
    MigrationState.store(kStateRunning, std::memory_order_relaxed);
    DiskHandle source, target;
    const int32_t result = Migrate(args, source, target);

    if (target) releaseDisk(target.get());
    WriteLog(L"unlock disk\n");
    if (result != kMigrationSucceeded) {
        // A half-written target must never look like a system disk.
        if (target && wipeDriveLayout(target.get()) == LayoutWipe::kDone)
            WriteLog(L"dst disk del success, please re-plug disk and retry\n");
        WriteLog(L"system migration err, del partitons and restart\n");
    }
    // Closed before the outcome is published: a final word means the target is let go.
    source.Close();
    target.Close();
    if (result == kMigrationSucceeded) {
        platform::Sleep(1000);
        WriteLog(L"system migration success\n");
    }
    MigrationResult.store(result, std::memory_order_relaxed);
    MigrationState.store(FinalStateFor(result), std::memory_order_release);
    return 0;
}

}  // namespace migration

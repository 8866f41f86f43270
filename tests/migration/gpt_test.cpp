// Reading a GPT, with its damaged variants, and rewriting it onto targets of other sizes,
// judged by sgdisk's verifier as an independent reader.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "driver_fixture.h"
#include "migration/gpt.h"

namespace {

using namespace migration;
using platform::GptEntry;
using platform::GptHeader;

// System partition: entry 2, sectors 6144..22527. Entry 3 follows it.
constexpr uint64_t kSystemEnd = 22527;

std::string GptMachine(const std::string& targetSize, const std::string& sourceFaults = "{}",
                       const std::string& targetFaults = "{}",
                       const std::string& basicName = "Basic data partition") {
    const std::string layout = R"({ "style": "gpt", "partitions": [
          { "type": "efi", "size": "1MiB" }, { "type": "msr", "size": "1MiB" },
          { "type": "basic", "name": ")" +
                               basicName + R"(", "size": "8MiB" },
          { "type": "recovery", "size": "2MiB" } ] })";
    return SimMachine(SimDrive(0, "Disk", "64MiB", sourceFaults, layout) + ", " +
                      SimDrive(1, "Disk", targetSize, targetFaults));
}

class GptTest : public DriverTest {
  protected:
    // Opens the table of drive `drive` into `context`, which must succeed: the lines it logged.
    std::vector<std::string> OpenLog(GptDiskContext& context, int drive = 0) {
        LogWatch log;
        EXPECT_EQ(openGTP(context, Drive(drive)), TableResult::kOk);
        return log.Messages();
    }
};

TEST_F(GptTest, HeaderCheckRefusesEachBadFieldInTurn) {
    LoadDrives(GptMachine("64MiB"), 1);
    const GptHeader good = PrimaryHeader(0);  // 92 bytes, 128 entries of 128 bytes
    EXPECT_EQ(checkGptHeader(good, 512), TableResult::kOk);

    struct Case {
        const char* what;
        void (*change)(GptHeader&);
        TableResult expected;
    };
    const Case cases[] = {
        {"signature", [](GptHeader& h) { h.signature[7] = 'X'; }, TableResult::kBadSignature},
        {"size 91", [](GptHeader& h) { h.headerSize = 91; }, TableResult::kBadHeader},
        {"size 512", [](GptHeader& h) { h.headerSize = 512; }, TableResult::kOk},
        {"size 513", [](GptHeader& h) { h.headerSize = 513; }, TableResult::kBadHeader},
        {"revision", [](GptHeader& h) { h.revision = 0x00010001; }, TableResult::kBadHeader},
        {"3 entries", [](GptHeader& h) { h.numberOfPartitionEntries = 3; },
         TableResult::kBadHeader},
        {"4 entries", [](GptHeader& h) { h.numberOfPartitionEntries = 4; }, TableResult::kOk},
        {"256 entries", [](GptHeader& h) { h.numberOfPartitionEntries = 256; }, TableResult::kOk},
        {"257 entries", [](GptHeader& h) { h.numberOfPartitionEntries = 257; },
         TableResult::kBadHeader},
        {"entry 127", [](GptHeader& h) { h.sizeOfPartitionEntry = 127; }, TableResult::kBadHeader},
        {"entry 4096", [](GptHeader& h) { h.sizeOfPartitionEntry = 4096; }, TableResult::kOk},
        {"entry 4097", [](GptHeader& h) { h.sizeOfPartitionEntry = 4097; },
         TableResult::kBadHeader},
    };
    for (const Case& c : cases) {
        GptHeader changed = good;
        c.change(changed);
        SealGptHeader(changed);
        EXPECT_EQ(checkGptHeader(changed, 512), c.expected) << c.what;
    }

    // A wrong CRC is told apart and left alone; the repair is a step of its own.
    GptHeader wrong = good;
    wrong.headerCrc32 ^= 1;
    EXPECT_EQ(checkGptHeader(wrong, 512), TableResult::kBadHeaderCrc);
    SealGptHeader(wrong);
    EXPECT_EQ(wrong.headerCrc32, good.headerCrc32);

    // Any other fault wins over a wrong CRC: such a header is no use, repaired or not.
    wrong.numberOfPartitionEntries = 3;
    EXPECT_EQ(checkGptHeader(wrong, 512), TableResult::kBadHeader);
}

TEST_F(GptTest, FindsSystemPartitionByExtentThenByNameThenEntryZero) {
    LoadDrives(GptMachine("64MiB"), 2);
    GptDiskContext context;
    EXPECT_TRUE(OpenLog(context).empty());
    EXPECT_EQ(context.lastEntryIndex, 3u);
    EXPECT_EQ(context.systemEntryIndex, 2u);  // the name rule

    // The extent wins over the name: the volume lies on entry 3.
    const GptEntry recovery = context.Entry(3);
    const VolumeExtent extent{recovery.startingLba * 512,
                              (recovery.endingLba - recovery.startingLba + 1) * 512};
    ASSERT_EQ(openGTP(context, Drive(0), extent), TableResult::kOk);
    EXPECT_EQ(context.systemEntryIndex, 3u);

    // An extent one sector short matches nothing, so the name decides again.
    ASSERT_EQ(openGTP(context, Drive(0), VolumeExtent{extent.startingOffset, extent.length - 512}),
              TableResult::kOk);
    EXPECT_EQ(context.systemEntryIndex, 2u);

    // Opening a raw disk fails without touching the context's old table.
    LogWatch raw;
    EXPECT_EQ(openGTP(context, Drive(1)), TableResult::kBadSignature);
    EXPECT_TRUE(Logged(raw.Messages(), "bad gpt header"));
    EXPECT_TRUE(context.entries.empty());

    // Without a basic data partition the system is entry 0.
    LoadDrives(GptMachine("64MiB", "{}", "{}", "Windows"), 1);
    ASSERT_EQ(openGTP(context, Drive(0)), TableResult::kOk);
    EXPECT_EQ(context.systemEntryIndex, 0u);
}

TEST_F(GptTest, BadEntriesAreZeroedButCountedInTheCrcAndADamagedPrimaryFails) {
    LoadDrives(GptMachine("64MiB"), 1);
    GptHeader header = PrimaryHeader(0);
    const auto good = PrimaryEntries(0);
    auto entries = good;
    entries[3].startingLba = 33;  // under the first usable 34; the last entry, so the last moves
    StorePrimary(0, header, entries);

    GptDiskContext context;
    const auto log = OpenLog(context);
    EXPECT_TRUE(Logged(log, "bad lba in partition entry 3"));
    EXPECT_EQ(context.lastEntryIndex, 2u);
    EXPECT_EQ(context.Entry(3).typeGuid, platform::GuidBytes{});
    // The backup still holds the entry as it was.
    EXPECT_TRUE(Logged(log, "mismatched backup partition entry 3"));

    // Ending before starting is as bad.
    entries[3].startingLba = 30000;
    entries[3].endingLba = 29999;
    StorePrimary(0, header, entries);
    EXPECT_TRUE(Logged(OpenLog(context), "bad lba in partition entry 3"));

    // The array's CRC off by one bit, although every entry is fine.
    header.partitionEntryArrayCrc32 ^= 0x80;
    StorePrimary(0, header, good, false);
    LogWatch crc;
    EXPECT_EQ(openGTP(context, Drive(0)), TableResult::kBadEntryArrayCrc);
    EXPECT_TRUE(Logged(crc.Messages(), "W: bad ptbl crc"));
    // An array overlapping the first usable sector, under a right CRC.
    header.firstUsableLba = 33;
    StorePrimary(0, header, good);
    LogWatch overlap;
    EXPECT_EQ(openGTP(context, Drive(0)), TableResult::kBadHeader);
    EXPECT_TRUE(Logged(overlap.Messages(), "bad gpt header"));
}

TEST_F(GptTest, BackupProblemsAreWarningsOnly) {
    LoadDrives(GptMachine("64MiB"), 2);
    const uint64_t backupLba = PrimaryHeader(0).alternateLba;
    ASSERT_EQ(backupLba, 131071u);
    GptDiskContext context;

    // A wrong backup CRC alone: its fields are still compared, and nothing is logged.
    GptHeader backup = ImageAs<GptHeader>(0, backupLba);
    backup.headerCrc32 ^= 1;
    SetImageAs(0, backupLba, backup);
    EXPECT_TRUE(OpenLog(context).empty());

    // A backup naming another disk GUID.
    backup.diskGuid[0] ^= 1;
    SealGptHeader(backup);
    SetImageAs(0, backupLba, backup);
    EXPECT_TRUE(Logged(OpenLog(context), "W: bad backup gpt"));

    // No backup at all: its header fails the check and then the comparison.
    SetImageAs(0, backupLba, Sector{});
    const auto gone = OpenLog(context);
    EXPECT_TRUE(Logged(gone, "bad backup header"));
    EXPECT_TRUE(Logged(gone, "W: bad backup gpt"));

    // Two backup entries differ: only the first is named.
    backup.diskGuid[0] ^= 1;
    SealGptHeader(backup);
    SetImageAs(0, backupLba, backup);
    Sector array = ImageSector(0, backup.partitionEntryLba);
    array[0] ^= 1;    // entry 0
    array[300] ^= 1;  // entry 2
    SetImageAs(0, backup.partitionEntryLba, array);
    const auto entry = OpenLog(context);
    EXPECT_EQ(CountStartingWith(entry, "mismatched backup partition entry"), 1u);
    EXPECT_TRUE(Logged(entry, "mismatched backup partition entry 0"));
}

// A sector of either array that cannot be read fails the open; the backup header is only a
// warning.
TEST_F(GptTest, ReadErrorsNameTheirPlace) {
    const struct {
        const char* faults;
        TableResult result;
        const char* line;
    } cases[] = {
        {R"({ "readErrorSector": 3, "errorCode": 23 })", TableResult::kUnreadableSector,
         "openGTP ReadFile()-2 failed to read partition entry 1-23"},
        // Backup array: sectors 131039..131070; the fifth of them fails.
        {R"({ "readErrorSector": 131043 })", TableResult::kUnreadableSector,
         "openGTP ReadFile()-3 failed to read partition entry 4-1117"},
        {R"({ "readErrorSector": 131071 })", TableResult::kOk,
         "openGTP ReadFile()-3 bad backup read"},
    };
    GptDiskContext context;
    for (const auto& c : cases) {
        LoadDrives(GptMachine("64MiB", c.faults), 2);
        LogWatch log;
        EXPECT_EQ(openGTP(context, Drive(0)), c.result) << c.line;
        EXPECT_TRUE(Logged(log.Messages(), c.line)) << c.line;
    }

    // A backup said to lie outside the disk is not read, so its unreadable header goes unseen.
    const auto entries = PrimaryEntries(0);
    for (const uint64_t alternate : {uint64_t{2}, uint64_t{131072}, uint64_t{1} << 40}) {
        GptHeader changed = PrimaryHeader(0);
        changed.alternateLba = alternate;
        StorePrimary(0, changed, entries);
        EXPECT_TRUE(OpenLog(context).empty()) << alternate;
    }
}

// A target needs the system partition's end below its backup array; any larger one, past
// 2 TiB too, gets the entries up to the system partition and the backup at its end.
TEST_F(GptTest, RewriteKeepsEntriesUpToSystemAndMovesBackupToTheEnd) {
    const uint64_t enough = kSystemEnd + 34;
    for (const uint64_t n : {uint64_t{96 * 2048}, uint64_t{3} << 31, enough, enough - 1}) {
        SCOPED_TRACE(n);
        LoadDrives(GptMachine(std::to_string(n * 512)), 2);
        GptDiskContext source;
        ASSERT_EQ(openGTP(source, Drive(0)), TableResult::kOk);
        // The copy brings the protective MBR; the rewrite brings the rest.
        SetImageAs(1, 0, ImageSector(0, 0));
        LogWatch log;
        const TableResult result = modifyGpt(Drive(1), source);
        if (n < enough) {
            EXPECT_EQ(result, TableResult::kTargetTooSmall);
            EXPECT_TRUE(Logged(log.Messages(), "no enough space for data migration"));
            EXPECT_EQ(ImageSector(1, 1), Sector{}) << "nothing may be written";
            continue;
        }
        ASSERT_EQ(result, TableResult::kOk);

        // Where the primary and the backup header say they are, and where the rest lies.
        const GptHeader primary = PrimaryHeader(1), backup = ImageAs<GptHeader>(1, n - 1);
        EXPECT_EQ(
            (std::array<uint64_t, 6>{primary.myLba, primary.alternateLba, primary.lastUsableLba,
                                     backup.myLba, backup.alternateLba, backup.partitionEntryLba}),
            (std::array<uint64_t, 6>{1, n - 1, n - 34, n - 1, 1, n - 33}));
        EXPECT_EQ(primary.firstUsableLba, PrimaryHeader(0).firstUsableLba);

        const auto entries = PrimaryEntries(1), sourceEntries = PrimaryEntries(0);
        const GptEntry none{};
        for (int i = 0; i <= 3; ++i)
            EXPECT_EQ(std::memcmp(&entries[i], i < 3 ? &sourceEntries[i] : &none, 128), 0) << i;
        EXPECT_EQ(ImageSector(1, n - 33), ImageSector(1, 2));
        EXPECT_EQ(SgdiskProblems(Image(1)), "") << n;
    }
}

TEST_F(GptTest, FirstWriteFailureStopsTheRewrite) {
    const uint64_t n = 96 * 2048;
    // In the order of the writes: the backup array (its header is the migration's failure
    // table's), then the primary array and header, then the protective MBR.
    const std::pair<uint64_t, const char*> cases[] = {
        {n - 20, "modifyGpt WriteFile()-3 Error: 1117"},
        {20, "modifyGpt WriteFile()-2 Error: 1117"},
        {1, "modifyGpt WriteFile()-1 Error: 1117"},
        {0, "modifyGpt WriteFile()-0 Error: 1117"},
    };
    for (const auto& [sector, line] : cases) {
        LoadDrives(
            GptMachine("96MiB", "{}", R"({ "writeErrorSector": )" + std::to_string(sector) + "}"),
            2);
        GptDiskContext source;
        ASSERT_EQ(openGTP(source, Drive(0)), TableResult::kOk);
        const Sector protectiveMbr = ImageSector(0, 0);
        LogWatch log;
        EXPECT_EQ(modifyGpt(Drive(1), source, protectiveMbr.data()), TableResult::kWriteFailed)
            << line;
        EXPECT_TRUE(Logged(log.Messages(), line)) << line;
        // Later steps did not run: the primary header comes after the whole backup, and the
        // protective MBR after it.
        EXPECT_TRUE(sector == 0 || ImageSector(1, 1) == Sector{}) << line;
        EXPECT_TRUE(sector < n - 20 || ImageSector(1, n - 1) == Sector{}) << line;
        EXPECT_NE(ImageSector(1, 0), protectiveMbr) << line;
    }
}

TEST_F(GptTest, ArraysOfOtherShapesRoundTrip) {
    struct Shape {
        uint32_t count, size;
        uint64_t arraySectors;
    };
    // Five entries need a second, partly used sector; 256-byte entries are two to a sector.
    for (const Shape shape : {Shape{5, 128, 2}, Shape{64, 256, 32}}) {
        LoadDrives(GptMachine("96MiB"), 2);
        GptHeader header = PrimaryHeader(0);
        const auto entries = PrimaryEntries(0);
        std::vector<uint8_t> array(shape.arraySectors * 512, 0);
        for (uint32_t i = 0; i < 4; ++i)
            std::memcpy(array.data() + i * shape.size, &entries[i], sizeof(GptEntry));
        WriteImage(0, 2, array.data(), array.size());
        header.numberOfPartitionEntries = shape.count;
        header.sizeOfPartitionEntry = shape.size;
        header.partitionEntryArrayCrc32 =
            platform::Crc32(0, {array.data(), size_t{shape.count} * shape.size});
        SealGptHeader(header);
        SetImageAs(0, 1, header);

        GptDiskContext source;
        EXPECT_TRUE(Logged(OpenLog(source), "W: bad backup gpt"));  // the old 128-entry backup
        EXPECT_EQ(source.systemEntryIndex, 2u);
        EXPECT_EQ(source.Entry(2).endingLba, kSystemEnd);

        ASSERT_EQ(modifyGpt(Drive(1), source), TableResult::kOk) << shape.size;
        const uint64_t n = 96 * 2048;
        const GptHeader written = PrimaryHeader(1);
        EXPECT_EQ(written.lastUsableLba, n - 2 - shape.arraySectors);
        EXPECT_EQ(written.sizeOfPartitionEntry, shape.size);
        EXPECT_EQ(ImageAs<GptHeader>(1, n - 1).partitionEntryLba, n - 1 - shape.arraySectors);
        EXPECT_TRUE(OpenLog(source, 1).empty()) << "it reads back, primary and backup alike";
    }
}

}  // namespace

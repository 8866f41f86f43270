// Whole migrations of a system disk onto a second drive, judged by independent partitioning
// tools: the demo machine's GPT system SSD, and an MBR system disk.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "driver_fixture.h"

namespace {

using namespace migration;

// The lines of `text` that contain `marker`, with everything before `from` cut off.
std::vector<std::string> LinesWith(const std::string& text, const std::string& marker,
                                   const std::string& from) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const size_t at = line.find(from);
        if (line.find(marker) != std::string::npos && at != std::string::npos)
            lines.push_back(line.substr(at));
    }
    return lines;
}

// sgdisk -p rows: "   1            2048          206847   100.0 MiB   EF00  EFI system partition".
std::vector<std::string> GptRows(const std::string& listing) {
    std::vector<std::string> rows;
    std::istringstream in(listing);
    bool inTable = false;
    for (std::string line; std::getline(in, line);) {
        if (inTable && !line.empty()) rows.push_back(line);
        if (line.rfind("Number", 0) == 0) inTable = true;
    }
    return rows;
}

class EndToEndTest : public DriverTest {};

TEST_F(EndToEndTest, DemoSystemSsdOntoTheSecondSsd) {
    const std::string sgdisk = FindTool("sgdisk");
    if (sgdisk.empty()) GTEST_SKIP() << "sgdisk is not installed or not reachable";
    // The demo's disks are slow on purpose, so a person can watch; the test need not wait.
    auto demo = nlohmann::json::parse(platform::DemoMachineJson());
    for (auto& drive : demo["drives"])
        drive.erase("faults");
    LoadHooked(demo.dump(), "demo");
    const uint64_t source = Fingerprint(Image(0));
    const std::string sourceRows = RunTool(sgdisk, "-p", Image(0)).output;

    ASSERT_TRUE(checkMigrationTarget(0, 1));
    EXPECT_EQ(Migrate(0, 1), 0);
    EXPECT_EQ(MigrationState.load(), kStateSucceeded);

    // Sectors 0 to the end of the system partition (entry 2) are the source's, the table
    // sectors between them rewritten for the target.
    const platform::GptHeader primary = PrimaryHeader(1);
    const auto entries = PrimaryEntries(1);
    const uint64_t systemEnd = PrimaryEntries(0)[2].endingLba;
    EXPECT_EQ(ImageSector(0, 0), ImageSector(1, 0));
    EXPECT_TRUE(SameSectors(0, 1, primary.firstUsableLba, systemEnd + 1));
    for (size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(entries[i].endingLba != 0, i <= 2) << "entry " << i;

    // The backup header and array sit at the target's end and agree with the primary.
    const uint64_t last = std::filesystem::file_size(Image(1)) / 512 - 1;
    const auto backup = ImageAs<platform::GptHeader>(1, last);
    EXPECT_EQ(std::memcmp(backup.signature, platform::kGptSignature, 8), 0);
    EXPECT_EQ(uint64_t{backup.myLba}, last);
    EXPECT_EQ(uint64_t{backup.alternateLba}, 1u);
    EXPECT_EQ(uint64_t{backup.partitionEntryLba}, last - 32);
    EXPECT_EQ(uint64_t{primary.alternateLba}, last);
    EXPECT_EQ(uint64_t{primary.lastUsableLba}, last - 33);
    for (uint64_t s = 0; s < 32; ++s)
        EXPECT_EQ(ImageSector(1, primary.partitionEntryLba + s), ImageSector(1, last - 32 + s));

    const std::string verdict = RunTool(sgdisk, "-v", Image(1)).output;
    EXPECT_NE(verdict.find("No problems found"), std::string::npos) << verdict;
    for (const char* word : {"ERROR", "Warning", "Problem", "Creating new GPT", "corrupt"})
        EXPECT_EQ(verdict.find(word), std::string::npos) << word << "\n" << verdict;
    // The target lists the source's entries up to the system partition, and no more.
    const auto before = GptRows(sourceRows);
    const auto after = GptRows(RunTool(sgdisk, "-p", Image(1)).output);
    ASSERT_EQ(before.size(), 4u) << sourceRows;
    ASSERT_EQ(after.size(), 3u);
    for (size_t i = 0; i < after.size(); ++i)
        EXPECT_EQ(after[i], before[i]);

    EXPECT_EQ(Fingerprint(Image(0)), source);
}

TEST_F(EndToEndTest, MbrSystemDiskOntoALargerDrive) {
    const std::string sfdisk = FindTool("sfdisk");
    if (sfdisk.empty()) GTEST_SKIP() << "sfdisk is not installed or not reachable";
    LoadHookedFile("migration/machines/mbr_system.json");
    const uint64_t source = Fingerprint(Image(0));
    const std::string sourceDump = RunTool(sfdisk, "-d", Image(0)).output;

    ASSERT_TRUE(checkMigrationTarget(0, 1));
    EXPECT_EQ(Migrate(0, 1), 0);
    EXPECT_EQ(MigrationState.load(), kStateSucceeded);

    // C: is entry 1 (sectors 18432 to 83967); everything up to its end is the source's.
    const auto mbr = ImageAs<platform::MasterBootRecord>(1, 0);
    const uint64_t end = uint64_t{mbr.partitions[1].startingLba} + mbr.partitions[1].sectorCount;
    EXPECT_EQ(end, 83968u);
    EXPECT_TRUE(SameSectors(0, 1, 1, end));
    const Sector source0 = ImageSector(0, 0), target0 = ImageSector(1, 0);
    EXPECT_TRUE(std::equal(source0.begin(), source0.begin() + 446 + 32, target0.begin()));

    const std::string dump = RunTool(sfdisk, "-d", Image(1)).output;
    EXPECT_NE(dump.find("label: dos"), std::string::npos) << dump;
    EXPECT_NE(dump.find("label-id: 0x5eed1234"), std::string::npos) << dump;
    EXPECT_EQ(dump.find("warning"), std::string::npos) << dump;
    const auto before = LinesWith(sourceDump, "start=", ": start=");
    const auto after = LinesWith(dump, "start=", ": start=");
    ASSERT_EQ(before.size(), 3u) << sourceDump;
    ASSERT_EQ(after.size(), 2u) << dump;
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(after[1], before[1]);

    EXPECT_EQ(Fingerprint(Image(0)), source);
}

}  // namespace

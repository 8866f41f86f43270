// A whole migration first: the target shows no table until its data is on the medium; then,
// for GPT, the backup is complete and flushed before the primary header exists; the tools read
// the source's entries up to the system partition. Then the power fails at every write of the
// table phase and at many points of the copy, each time in a child process of its own, the
// target's cache keeping a random part of what it had not flushed. Whatever the moment, the
// source is untouched and the target either shows no table at all to the independent tools, or
// holds the whole copy with a table they can read.
#include <gtest/gtest.h>

#include <set>

#include "driver_fixture.h"

namespace {

using namespace migration;

using PowerCutTest = DriverTest;

TEST_F(PowerCutTest, TheTargetShowsNoTableOrTheWholeCopy) {
    const std::string sgdisk = FindTool("sgdisk"), sfdisk = FindTool("sfdisk");
    if (sgdisk.empty() || sfdisk.empty()) GTEST_SKIP() << "sgdisk or sfdisk is not installed";
    const struct {
        const char* name;
        std::string (*machine)(const std::string&, const std::string&, const std::string&);
        uint64_t range;
        uint64_t tableSectors;  // the table phase rewrites them; the rest is copied as it is
        int flushes;
    } styles[] = {{"gpt", GptPair, kGptPairRange, 34, 3}, {"mbr", MbrPair, kMbrPairRange, 1, 2}};
    for (const auto& style : styles) {
        // The write requests of a whole migration, and how many of them follow the data's flush.
        auto& hooked = LoadHooked(style.machine("{}", "{}", "32MiB"));
        const uint64_t original = Fingerprint(Image(0));
        int writes = 0, tableWrites = 0, flushes = 0, tablesDuringCopy = 0;
        bool backupAloneAtSecondFlush = false;
        hooked.beforeWrite = [&](platform::HANDLE, platform::DWORD) {
            ++writes;
            tableWrites += flushes > 0;
            tablesDuringCopy += flushes == 0 && !TableDeleted(1);
        };
        hooked.beforeFlush = [&](platform::HANDLE) {
            if (++flushes != 2) return;
            const uint64_t last = std::filesystem::file_size(Image(1)) / 512 - 1;
            backupAloneAtSecondFlush = std::memcmp(ImageAs<platform::GptHeader>(1, last).signature,
                                                   platform::kGptSignature, 8) == 0 &&
                                       ImageSector(1, 1) == Sector{};
        };
        EXPECT_EQ(Migrate({0, 1}), 0) << style.name;
        ASSERT_GT(writes - tableWrites, 100) << style.name;
        EXPECT_EQ(tablesDuringCopy, 0) << style.name;
        EXPECT_EQ(flushes, style.flushes) << style.name;
        EXPECT_EQ(backupAloneAtSecondFlush, style.flushes == 3) << style.name;
        // A protective MBR goes over as it is; an MBR loses the entries after the system's
        // (for MBR C: is entry 1, not the bootable entry 0).
        EXPECT_EQ(SameSectors(0, 1, 0, 1), style.flushes == 3) << style.name;
        EXPECT_TRUE(SameSectors(0, 1, style.tableSectors, style.range)) << style.name;
        EXPECT_EQ(Fingerprint(Image(0)), original) << style.name;
        const auto rows = [&](int image) {
            return ToolRows(RunTool(sfdisk, "-d", Image(image)).output, "label-id: .*|start=.*");
        };
        auto kept = rows(0);
        ASSERT_GT(kept.size(), 3u) << style.name;  // the label and every partition
        kept.pop_back();
        EXPECT_EQ(rows(1), kept) << style.name;
        // Every write of the table phase, and fifty spread over the copy.
        std::set<int> cuts;
        for (int k = writes - tableWrites + 1; k <= writes; ++k)
            cuts.insert(k);
        for (int i = 0; i < 50; ++i)
            cuts.insert(1 + i * (writes - tableWrites - 1) / 49);
        int empty = 0, complete = 0;
        for (const int cut : cuts) {
            const std::string target = R"({ "volatileWriteCache": true, "powerCutAfterWrites": )" +
                                       std::to_string(cut) + R"(, "powerCutSeed": )" +
                                       std::to_string(cut) + " }";
            const std::string name = std::string(style.name) + "-cut-" + std::to_string(cut);
            LoadHooked(style.machine("{}", target, "32MiB"));
            const uint64_t source = Fingerprint(Image(0));
            EXPECT_EXIT(Migrate({0, 1}),
                        ::testing::ExitedWithCode(platform::sim::kPowerCutExitStatus), "")
                << name;
            EXPECT_EQ(Fingerprint(Image(0)), source) << name;
            const ToolRun dump = RunTool(sfdisk, "-d", Image(1));
            const ToolRun listing = RunTool(sgdisk, "-p", Image(1));
            const bool noTable =
                dump.status != 0 && TableDeleted(1) &&
                listing.output.find("Creating new GPT entries") != std::string::npos;
            if (noTable) {
                ++empty;
                continue;
            }
            // A table shows: then the whole copy is there, and the table is one sgdisk reads
            // (for GPT between the two table flushes from its backup, which sfdisk, wanting the
            // protective MBR first, does not look for).
            ++complete;
            EXPECT_TRUE(SameSectors(0, 1, style.tableSectors, style.range))
                << name << ": a table over a partial copy\n"
                << listing.output;
            EXPECT_GT(cut, writes - tableWrites) << name << ": a table during the copy";
            EXPECT_EQ(listing.output.find("Creating new GPT entries"), std::string::npos)
                << name << "\n"
                << listing.output;
        }
        // Both outcomes occur: the cuts reach into the table phase and the copy.
        EXPECT_GE(empty, 50) << style.name;
        EXPECT_GE(complete, 1) << style.name;
        RecordProperty(std::string(style.name) + "_cut_points", static_cast<int>(cuts.size()));
    }
}

}  // namespace

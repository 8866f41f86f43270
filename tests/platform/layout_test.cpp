// The partition tables the simulator writes into new images, judged by independent tools:
// sgdisk's verifier and sfdisk's dump.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>

#include "platform/sim/layout_io.h"
#include "requests.h"
#include "sim_fixture.h"
#include "tests/support/peer_tools.h"

namespace {

using namespace platform;

struct DumpedPartition {
    uint64_t start = 0, size = 0;
    std::string type, name;
    bool bootable = false;
    bool operator==(const DumpedPartition&) const = default;
};

void PrintTo(const DumpedPartition& p, std::ostream* os) {
    *os << p.start << "+" << p.size << " " << p.type << " \"" << p.name << "\""
        << (p.bootable ? " bootable" : "");
}

// The partition lines of "sfdisk -d".
std::vector<DumpedPartition> SfdiskPartitions(const std::string& dump) {
    std::vector<DumpedPartition> partitions;
    static const std::regex line(
        R"(: start=\s*(\d+), size=\s*(\d+), type=([0-9A-Fa-f-]+)([^\n]*))");
    static const std::regex name(R"re(name="([^"]*)")re");
    for (std::sregex_iterator it(dump.begin(), dump.end(), line), end; it != end; ++it) {
        DumpedPartition partition;
        partition.start = std::stoull((*it)[1]);
        partition.size = std::stoull((*it)[2]);
        partition.type = (*it)[3];
        const std::string rest = (*it)[4];
        std::smatch match;
        if (std::regex_search(rest, match, name)) partition.name = match[1];
        partition.bootable = rest.find("bootable") != std::string::npos;
        partitions.push_back(partition);
    }
    return partitions;
}

constexpr const char* kLayouts =
    R"({"format": "tramsik-machine/1", "name": "layouts", "os": {"major": 10, "minor": 0},
  "drives": [
    {"physicalDrive": 0, "route": "ata", "size": "300MiB", "identify": {"model": "GPT Disk"},
     "layout": {"style": "gpt", "diskGuid": "6E3C4F2A-1B2C-4D5E-8F90-A1B2C3D4E5F6", "partitions": [
       {"type": "efi", "size": "100MiB"},
       {"type": "msr", "size": "16MiB"},
       {"type": "basic", "size": "150MiB", "guid": "11111111-2222-4333-8444-555555555555"},
       {"type": "recovery", "name": "Recovery tools", "size": "rest"}]}},
    {"physicalDrive": 1, "route": "ata", "size": "64MiB", "identify": {"model": "MBR Disk"},
     "layout": {"style": "mbr", "signature": "0x1234ABCD", "partitions": [
       {"type": "ntfs", "size": "40MiB", "bootable": true},
       {"type": "0x83", "startLba": 90000, "size": "10MiB"},
       {"type": "recovery", "size": "rest"}]}}]})";

class Layouts : public SimTest {};

TEST_F(Layouts, ImagesPassTheIndependentToolsWithTheSizesStatusAndTypesAskedFor) {
    sim::SimPlatform& sim = Load(kLayouts);
    const std::string sgdisk = FindTool("sgdisk"), sfdisk = FindTool("sfdisk");
    if (sgdisk.empty() || sfdisk.empty()) GTEST_SKIP() << "sgdisk or sfdisk is not installed";
    // sgdisk -v exits 0 whatever it finds, so its words are judged. It also repairs damage in
    // memory and then finds no problem; its cautions tell.
    const ToolRun verified = RunTool(sgdisk, "-v", sim.ImagePath(0));
    EXPECT_NE(verified.output.find("No problems found"), std::string::npos) << verified.output;
    for (const char* word : {"ERROR", "Identified", "Creating new GPT", "Caution"})
        EXPECT_EQ(verified.output.find(word), std::string::npos) << verified.output;
    const ToolRun gpt = RunTool(sfdisk, "-d", sim.ImagePath(0));
    ASSERT_EQ(gpt.status, 0) << gpt.output;
    for (const char* line : {"label: gpt", "label-id: 6E3C4F2A-1B2C-4D5E-8F90-A1B2C3D4E5F6",
                             "uuid=11111111-2222-4333-8444-555555555555"})
        EXPECT_NE(gpt.output.find(line), std::string::npos) << line << "\n" << gpt.output;
    // In MiB: EFI 1-101, MSR 101-117, data 117-267, recovery to the last whole MiB before the
    // backup table, 299.
    const std::vector<DumpedPartition> gptPartitions = {
        {2048, 100 * 2048, "C12A7328-F81F-11D2-BA4B-00A0C93EC93B", "EFI system partition"},
        {101 * 2048, 16 * 2048, "E3C9E316-0B5C-4DB8-817D-F92DF00215AE",
         "Microsoft reserved partition"},
        {117 * 2048, 150 * 2048, "EBD0A0A2-B9E5-4433-87C0-68B6B72699C7", "Basic data partition"},
        {267 * 2048, 32 * 2048, "DE94BBA4-06D1-4D40-A16A-BFD50179D6AC", "Recovery tools"}};
    EXPECT_EQ(SfdiskPartitions(gpt.output), gptPartitions) << gpt.output;

    const ToolRun mbr = RunTool(sfdisk, "-d", sim.ImagePath(1));
    ASSERT_EQ(mbr.status, 0) << mbr.output;
    for (const char* line : {"label: dos", "label-id: 0x1234abcd"})
        EXPECT_NE(mbr.output.find(line), std::string::npos) << line << "\n" << mbr.output;
    // The recovery partition aligned up to the next MiB, to the end of the disk.
    const std::vector<DumpedPartition> mbrPartitions = {{2048, 40 * 2048, "7", "", true},
                                                        {90000, 10 * 2048, "83", "", false},
                                                        {54 * 2048, 10 * 2048, "27", "", false}};
    EXPECT_EQ(SfdiskPartitions(mbr.output), mbrPartitions) << mbr.output;
}

TEST_F(Layouts, ADamagedPrimaryGptIsSeenByThePeerAndTheBackupStillServes) {
    sim::SimPlatform& sim = Load(kLayouts);
    const std::filesystem::path image = sim.ImagePath(0);
    {
        std::fstream file(image, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(512 + 16);  // the primary header's CRC
        file.put('\x5A');
    }
    std::vector<uint8_t> layout(3840), none;
    ASSERT_TRUE(ControlOnDrive(0, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, none, 0, layout, 3840).ok);
    EXPECT_EQ(std::tuple(Read<DWORD>(layout.data()), Read<DWORD>(layout.data(), 4)),
              std::tuple(PARTITION_STYLE_GPT, 4u));

    const std::string sgdisk = FindTool("sgdisk");
    if (sgdisk.empty()) GTEST_SKIP() << "sgdisk is not installed";
    const ToolRun run = RunTool(sgdisk, "-v", image);
    EXPECT_NE(run.output.find("invalid main GPT header"), std::string::npos)
        << "the peer must notice: " << run.output;
}

TEST_F(Layouts, ImagesAreMadeOnceAndGivenImagesAreUsedAsTheyAre) {
    const std::string machine =
        R"({"format": "tramsik-machine/1", "name": "reuse", "os": {"major": 10, "minor": 0},
      "drives": [{"physicalDrive": 0, "route": "ata", "size": "4MiB", "identify": {"model": "R"},
                  "layout": {"style": "mbr", "partitions": [{"type": "ntfs", "size": "1MiB"}]}}]})";
    const std::filesystem::path made = Load(machine).ImagePath(0);
    EXPECT_EQ(made.parent_path(), folder_);
    std::fstream(made, std::ios::in | std::ios::out | std::ios::binary).seekp(4096 * 512).put('M');
    EXPECT_EQ(Load(machine).ImagePath(0), made) << "the same description reuses its image";
    char marker = 0;
    std::ifstream(made, std::ios::binary).seekg(4096 * 512).get(marker);
    EXPECT_EQ(marker, 'M') << "what was written stays";
    EXPECT_NE(Load(std::regex_replace(machine, std::regex("1MiB"), "2MiB")).ImagePath(0), made)
        << "another layout gets another image";

    const std::filesystem::path given = folder_ / "given.img";
    std::vector<char> bytes(1 << 20, 0);
    bytes[0] = 'T';
    std::ofstream(given, std::ios::binary).write(bytes.data(), 1 << 20);
    sim::SimPlatform& withImage =
        Load(R"({"format": "tramsik-machine/1", "os": {"major": 10, "minor": 0},
      "drives": [{"physicalDrive": 0, "route": "ata", "image": "given.img", "identify": {"model": "G"}}]})");
    EXPECT_EQ(withImage.ImagePath(0), given)
        << "a relative image is taken from the machine's folder";
    EXPECT_EQ(withImage.machine().drives[0].size, 1u << 20);
    const HANDLE file = OpenDrive(0);
    std::vector<uint8_t> first(512);
    DWORD done = 0;
    ASSERT_TRUE(ReadFile(file, first.data(), 512, &done));
    EXPECT_EQ(first[0], 'T');
    CloseHandle(file);
}

}  // namespace

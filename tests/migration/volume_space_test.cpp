// The space figures of a disk: measured size, volume sums, the unallocated floor, 4 KiB
// alignment of the first partition, and what stays when a disk cannot be measured.
#include "migration/volume_space.h"

#include <gtest/gtest.h>

#include "disk/ata_smart.h"
#include "tests/disk/inventory_fixture.h"

using disk::CAtaSmart;
using disk::DriveRecord;
using disk::VolumeSpace;

namespace {

constexpr double kGiB = 1024.0;  // in MiB

// One ATA drive of `size` with `layout`, and `volumes` on it.
Json SpaceMachine(const std::string& size, Json layout, Json volumes) {
    Json drive = AtaDrive(0, "Orvel SSD S3", "SPACE0001");
    drive["size"] = size;
    if (!layout.is_null()) drive["layout"] = std::move(layout);
    return MachineOf(Json::array({drive}), Json::array(), std::move(volumes));
}

Json Volume(const std::string& letter, const std::string& fileSystem, const std::string& total,
            const Json& free, int partition) {
    return {{"letter", letter},
            {"fileSystem", fileSystem},
            {"totalBytes", total},
            {"freeBytes", free},
            {"extents", Json::array({{{"drive", 0}, {"partition", partition}}})}};
}

Json GptLayout(Json partitions) {
    return {{"style", "gpt"}, {"partitions", std::move(partitions)}};
}

uint32_t LettersOf(const std::string& letters) {
    uint32_t map = 0;
    for (char c : letters)
        map |= 1u << (c - 'A');
    return map;
}

class VolumeSpaceTest : public InventoryTest {
  protected:
    // A record of physical drive `drive` with the letters set, as the inventory leaves it.
    static DriveRecord Record(int32_t drive, const std::string& letters, double totalDiskSize) {
        DriveRecord record;
        record.Address.physicalDriveId = drive;
        record.DriveLetterMap = LettersOf(letters);
        record.TotalDiskSize = totalDiskSize;
        return record;
    }

    LogLines Measure(DriveRecord& record, int32_t index = 0) {
        LogWatch watch;
        migration::updateDiskSpace(record, index);
        return watch.Messages();
    }
};

TEST_F(VolumeSpaceTest, VolumeSumsAndUnallocatedSpace) {
    // 100 GiB and 50 GiB of volumes on a 200 GiB disk: 50 GiB are not allocated.
    Load(SpaceMachine("200GiB",
                      GptLayout(Json::array({{{"type", "basic"}, {"size", "100GiB"}},
                                             {{"type", "basic"}, {"size", "50GiB"}}})),
                      Json::array({Volume("C", "NTFS", "100GiB", "60GiB", 0),
                                   Volume("D", "exFAT", "50GiB", "50GiB", 1)}))
             .dump());
    DriveRecord record = Record(0, "CD", 190000.0);
    const LogLines log = Measure(record, 3);

    EXPECT_EQ(record.TotalDiskSize, 200 * kGiB) << "the measured size replaces the identified one";
    EXPECT_EQ(record.UnallocatedSize, 51200.0);
    EXPECT_EQ(record.UsedSize, 40 * kGiB);
    EXPECT_EQ(record.FreeSize, 110 * kGiB);
    EXPECT_EQ(record.UsedPercent, 26) << "40 / 150, truncated";
    EXPECT_TRUE(record.IsAligned4K) << "the first partition starts at LBA 2048";

    const VolumeSpace& c = record.Volumes[0];
    EXPECT_EQ(c.Letter, L'C');
    EXPECT_EQ(c.TotalSize, 100 * kGiB);
    EXPECT_EQ(c.UsedSize, 40 * kGiB);
    EXPECT_EQ(c.FreeSize, 60 * kGiB);
    EXPECT_EQ(c.UsedPercent, 40);
    EXPECT_EQ(c.FileSystem, L"NTFS");
    EXPECT_EQ(record.Volumes[1].Letter, L'D');
    EXPECT_EQ(record.Volumes[1].UsedPercent, 0);
    EXPECT_EQ(record.Volumes[1].FileSystem, L"exFAT");
    EXPECT_EQ(record.Volumes[2].Letter, 0) << "no entry past the disk's volumes";

    EXPECT_TRUE(Has(log, "get driver 0 size"));
    EXPECT_TRUE(Has(log, "driver 3 info: unlocationsize=51200.000000 "));
    EXPECT_TRUE(
        InOrder(log, {" unusedsize=112640.000000 ", " usedsize=40960.000000 ", " percent=26 "}));
}

TEST_F(VolumeSpaceTest, SpaceOutsideVolumesUpTo300MiBIsNotUnallocated) {
    struct Case {
        const char* volumeTotal;
        double unallocated;
    };
    // On a 1 GiB disk: 300 MiB outside the volume is the floor itself, 301 MiB is reported.
    for (const Case& each : {Case{"724MiB", 0.0}, Case{"723MiB", 301.0}, Case{"1GiB", 0.0}}) {
        Load(SpaceMachine("1GiB", GptLayout(Json::array({{{"type", "basic"}, {"size", "512MiB"}}})),
                          Json::array({Volume("C", "NTFS", each.volumeTotal, 0, 0)}))
                 .dump());
        DriveRecord record = Record(0, "C", 0.0);
        Measure(record);
        EXPECT_EQ(record.UnallocatedSize, each.unallocated) << each.volumeTotal;
        EXPECT_EQ(record.UsedPercent, 100) << each.volumeTotal;
    }

    // 150 GiB of volumes on a disk of 150 GiB and 200 MiB.
    Load(SpaceMachine("153800MiB",
                      GptLayout(Json::array({{{"type", "basic"}, {"size", "100GiB"}},
                                             {{"type", "basic"}, {"size", "50GiB"}}})),
                      Json::array({Volume("C", "NTFS", "100GiB", "1GiB", 0),
                                   Volume("E", "NTFS", "50GiB", "1GiB", 1)}))
             .dump());
    DriveRecord record = Record(0, "CE", 0.0);
    Measure(record);
    EXPECT_EQ(record.TotalDiskSize, 153800.0);
    EXPECT_EQ(record.UnallocatedSize, 0.0);
}

TEST_F(VolumeSpaceTest, DiskWithoutLettersIsAllUnallocated) {
    Load(SpaceMachine("2GiB", GptLayout(Json::array({{{"type", "basic"}, {"size", "1GiB"}}})),
                      Json::array({Volume("C", "NTFS", "1GiB", "512MiB", 0)}))
             .dump());
    DriveRecord record = Record(0, "", 0.0);
    record.Volumes[0].Letter = L'X';  // left from an earlier inventory
    Measure(record);
    EXPECT_EQ(record.Volumes[0].Letter, 0) << "every entry is cleared";
    EXPECT_EQ(record.UsedSize, 0.0);
    EXPECT_EQ(record.FreeSize, 0.0);
    EXPECT_EQ(record.UsedPercent, 0);
    EXPECT_EQ(record.UnallocatedSize, 2 * kGiB);
}

TEST_F(VolumeSpaceTest, AlignmentFollowsTheFirstEntryOfEitherTable) {
    struct Case {
        const char* style;
        int startLba;
        bool aligned;
    };
    for (const Case& each :
         {Case{"gpt", 2048, true}, Case{"gpt", 63, false}, Case{"mbr", 2048, true},
          Case{"mbr", 63, false}, Case{"mbr", 64, true}}) {
        Load(SpaceMachine("64MiB",
                          {{"style", each.style},
                           {"partitions", Json::array({{{"type", "basic"},
                                                        {"startLba", each.startLba},
                                                        {"size", "16MiB"}}})}},
                          Json::array())
                 .dump());
        DriveRecord record = Record(0, "", 0.0);
        record.IsAligned4K = !each.aligned;
        Measure(record);
        EXPECT_EQ(record.IsAligned4K, each.aligned) << each.style << " " << each.startLba;
    }

    // A blank disk has no table to be aligned.
    Load(SpaceMachine("64MiB", {{"style", "raw"}}, Json::array()).dump());
    DriveRecord blank = Record(0, "", 0.0);
    blank.IsAligned4K = true;
    Measure(blank);
    EXPECT_FALSE(blank.IsAligned4K);
    EXPECT_EQ(blank.TotalDiskSize, 64.0);
}

TEST_F(VolumeSpaceTest, DiskWithoutPhysicalNumberKeepsItsSizeButGetsVolumes) {
    Load(SpaceMachine("1GiB", GptLayout(Json::array({{{"type", "basic"}, {"size", "512MiB"}}})),
                      Json::array({Volume("F", "NTFS", "512MiB", "128MiB", 0)}))
             .dump());
    DriveRecord record = Record(-1, "F", 5000.0);
    record.IsAligned4K = true;
    const LogLines log = Measure(record);
    EXPECT_EQ(record.TotalDiskSize, 5000.0);
    EXPECT_TRUE(record.IsAligned4K) << "no table was read";
    EXPECT_EQ(record.Volumes[0].Letter, L'F');
    EXPECT_EQ(record.Volumes[0].UsedSize, 384.0);
    EXPECT_EQ(record.UnallocatedSize, 5000.0 - 512.0);
    EXPECT_FALSE(Has(log, "get driver -1 size"));
}

TEST_F(VolumeSpaceTest, UnmeasurableDiskKeepsEveryFigure) {
    const auto unchanged = [](const DriveRecord& record) {
        EXPECT_EQ(record.TotalDiskSize, 777.0);
        EXPECT_EQ(record.UnallocatedSize, 11.0);
        EXPECT_EQ(record.Volumes[0].Letter, L'Z');
        EXPECT_TRUE(record.IsAligned4K);
    };
    const auto preset = [] {
        DriveRecord record = Record(0, "C", 777.0);
        record.UnallocatedSize = 11.0;
        record.Volumes[0].Letter = L'Z';
        record.IsAligned4K = true;
        return record;
    };
    const Json volumes = Json::array({Volume("C", "NTFS", "8MiB", "1MiB", 0)});
    const Json layout = GptLayout(Json::array({{{"type", "basic"}, {"size", "8MiB"}}}));

    Json machine = SpaceMachine("64MiB", layout, volumes);
    machine["drives"][0]["faults"] = {{"gone", true}};
    Load(machine.dump());
    DriveRecord gone = preset();
    EXPECT_FALSE(Has(Measure(gone), "get driver 0 size"));
    unchanged(gone);

    machine["drives"][0]["faults"] = {{"layoutError", 1}};
    Load(machine.dump());
    DriveRecord noLayout = preset();
    EXPECT_TRUE(InOrder(Measure(noLayout), {"get driver 0 size", "GetDiskDriveLayout break"}));
    unchanged(noLayout);
}

TEST_F(VolumeSpaceTest, FailedVolumeQueriesGiveZerosAndNamesAreCut) {
    Load(SpaceMachine("1GiB", GptLayout(Json::array({{{"type", "basic"}, {"size", "512MiB"}}})),
                      Json::array({Volume("C", "VERYLONGFILESYSTEM", "512MiB", "256MiB", 0)}))
             .dump());
    // Q has no volume on this machine, so both of its queries fail.
    DriveRecord record = Record(0, "CQ", 0.0);
    Measure(record);
    EXPECT_EQ(record.Volumes[0].FileSystem, L"VERYLONGFI");
    EXPECT_EQ(record.Volumes[0].UsedPercent, 50);
    const VolumeSpace& q = record.Volumes[1];
    EXPECT_EQ(q.Letter, L'Q');
    EXPECT_EQ(q.TotalSize, 0.0);
    EXPECT_EQ(q.FreeSize, 0.0);
    EXPECT_EQ(q.UsedPercent, 0);
    EXPECT_EQ(q.FileSystem, L"");
    EXPECT_EQ(record.UsedPercent, 50);
}

TEST_F(VolumeSpaceTest, EveryInventoryEndsWithTheSpacePass) {
    LoadDemo();
    engine_ = std::make_unique<CAtaSmart>();
    migration::AttachDiskSpace(*engine_);
    const LogLines log = Inventory();
    const DriveRecord* system = Drive(0);
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(system->TotalDiskSize, 1024.0);
    EXPECT_EQ(system->Volumes[0].Letter, L'C');
    EXPECT_EQ(system->Volumes[0].TotalSize, 512.0);
    EXPECT_EQ(system->Volumes[0].FreeSize, 212.0);
    EXPECT_EQ(system->Volumes[0].FileSystem, L"NTFS");
    EXPECT_TRUE(system->IsAligned4K);
    EXPECT_TRUE(InOrder(log, {"CAtaSmart::Init - Complete", "get driver 0 size",
                              "driver 0 info: unlocationsize=512.000000 "}));
    // Init runs it again on the fresh list.
    EXPECT_EQ(CountOf(Inventory(), "get driver 0 size"), 1);
}

}  // namespace

// The space figures of a disk: measured size, volume sums, the unallocated floor, 4 KiB
// alignment of the first partition, and what stays when a disk cannot be measured.
#include "migration/volume_space.h"

#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>

#include "base/utf8.h"
#include "tests/disk/inventory_fixture.h"

using disk::DriveRecord;

namespace {

// One ATA drive of `size` with a GPT of one partition per entry of `partitions` (sizes), and
// `volumes` on it.
Json SpaceMachine(const std::string& size, const std::vector<std::string>& partitions,
                  Json volumes = Json::array()) {
    Json drive = AtaDrive(0, "Orvel SSD S3", "SPACE0001");
    drive["size"] = size;
    drive["layout"] = {{"style", "gpt"}, {"partitions", Json::array()}};
    for (const std::string& partition : partitions)
        drive["layout"]["partitions"].push_back({{"type", "basic"}, {"size", partition}});
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

// The record's figures in MiB, then each volume's: "disk 2048 used 0 free 0 0% unallocated 2048
// | C: NTFS 512 used 384 free 128 75%".
std::string Figures(const DriveRecord& r) {
    std::ostringstream out;
    out << std::setprecision(12) << "disk " << r.TotalDiskSize << " used " << r.UsedSize << " free "
        << r.FreeSize << " " << r.UsedPercent << "% unallocated " << r.UnallocatedSize
        << (r.IsAligned4K ? " aligned" : "");
    for (const disk::VolumeSpace& v : r.Volumes)
        if (v.Letter)
            out << " | " << static_cast<char>(v.Letter) << ": " << ToUtf8(v.FileSystem) << " "
                << v.TotalSize << " used " << v.UsedSize << " free " << v.FreeSize << " "
                << v.UsedPercent << "%";
    return out.str();
}

class VolumeSpaceTest : public InventoryTest {
  protected:
    // A record of physical drive `drive` with the letters set, as the inventory leaves it.
    static DriveRecord Record(int32_t drive, const std::string& letters, double totalDiskSize) {
        DriveRecord record;
        record.Address.physicalDriveId = drive;
        for (char c : letters)
            record.DriveLetterMap |= 1u << (c - 'A');
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
    // 100 GiB and 50 GiB of volumes on a 200 GiB disk whose first partition starts at LBA 2048;
    // the measured size replaces the identified one, and the percentage is truncated.
    Load(SpaceMachine("200GiB", {"100GiB", "50GiB"},
                      Json::array({Volume("C", "NTFS", "100GiB", "60GiB", 0),
                                   Volume("D", "exFAT", "50GiB", "50GiB", 1)}))
             .dump());
    DriveRecord record = Record(0, "CD", 190000.0);
    EXPECT_TRUE(Has(Measure(record, 3), "driver 3 info: unlocationsize=51200.000000 "));
    EXPECT_EQ(Figures(record),
              "disk 204800 used 40960 free 112640 26% unallocated 51200 aligned"
              " | C: NTFS 102400 used 40960 free 61440 40% | D: exFAT 51200 used 0 free 51200 0%");
}

TEST_F(VolumeSpaceTest, SpaceOutsideVolumesUpTo300MiBIsNotUnallocated) {
    struct Case {
        const char* volumeTotal;
        double unallocated;
    };
    // On a 1 GiB disk: 300 MiB outside the volume is the floor itself, 301 MiB is reported.
    for (const Case& each : {Case{"724MiB", 0.0}, Case{"723MiB", 301.0}, Case{"1GiB", 0.0}}) {
        Load(SpaceMachine("1GiB", {"512MiB"},
                          Json::array({Volume("C", "NTFS", each.volumeTotal, 0, 0)}))
                 .dump());
        DriveRecord record = Record(0, "C", 0.0);
        Measure(record);
        EXPECT_EQ(record.UnallocatedSize, each.unallocated) << each.volumeTotal;
    }
}

TEST_F(VolumeSpaceTest, AlignmentFollowsTheFirstEntryOfEitherTable) {
    struct Case {
        const char* style;
        int startLba;
        bool aligned;
    };
    // A blank disk (no start) has no table to be aligned.
    for (const Case& each :
         {Case{"gpt", 2048, true}, Case{"gpt", 63, false}, Case{"mbr", 63, false},
          Case{"mbr", 64, true}, Case{"raw", 0, false}}) {
        Json machine = SpaceMachine("64MiB", {"16MiB"});
        Json& layout = machine["drives"][0]["layout"];
        layout["style"] = each.style;
        layout["partitions"][0]["startLba"] = each.startLba;
        if (each.startLba == 0) layout.erase("partitions");
        Load(machine.dump());
        DriveRecord record = Record(0, "", 0.0);
        record.IsAligned4K = !each.aligned;
        Measure(record);
        EXPECT_EQ(record.IsAligned4K, each.aligned) << each.style << " " << each.startLba;
    }
}

// A disk without a physical number keeps its size and alignment (no table was read) but gets
// its volumes; a disk that cannot be measured keeps every figure.
TEST_F(VolumeSpaceTest, DisksThatCannotBeMeasured) {
    Json machine =
        SpaceMachine("1GiB", {"512MiB"}, Json::array({Volume("F", "NTFS", "512MiB", "128MiB", 0)}));
    Load(machine.dump());
    DriveRecord record = Record(-1, "F", 5000.0);
    record.IsAligned4K = true;
    EXPECT_FALSE(Has(Measure(record), "get driver -1 size"));
    EXPECT_EQ(Figures(record),
              "disk 5000 used 384 free 128 75% unallocated 4488 aligned"
              " | F: NTFS 512 used 384 free 128 75%");

    record = Record(0, "F", 777.0);
    record.UnallocatedSize = 11.0;
    record.Volumes[0].Letter = L'Z';
    record.IsAligned4K = true;
    const std::string before = Figures(record);
    machine["drives"][0]["faults"] = {{"gone", true}};
    Load(machine.dump());
    EXPECT_FALSE(Has(Measure(record), "get driver 0 size"));
    EXPECT_EQ(Figures(record), before);

    machine["drives"][0]["faults"] = {{"layoutError", 1}};
    Load(machine.dump());
    EXPECT_TRUE(InOrder(Measure(record), {"get driver 0 size", "GetDiskDriveLayout break"}));
    EXPECT_EQ(Figures(record), before);
}

TEST_F(VolumeSpaceTest, FailedVolumeQueriesGiveZerosAndNamesAreCut) {
    Load(SpaceMachine("1GiB", {"512MiB"},
                      Json::array({Volume("C", "VERYLONGFILESYSTEM", "512MiB", "256MiB", 0)}))
             .dump());
    // Q has no volume on this machine, so both of its queries fail.
    DriveRecord record = Record(0, "CQ", 0.0);
    Measure(record);
    EXPECT_EQ(Figures(record),
              "disk 1024 used 256 free 256 50% unallocated 512 aligned"
              " | C: VERYLONGFI 512 used 256 free 256 50% | Q:  0 used 0 free 0 0%");
}

}  // namespace

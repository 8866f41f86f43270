// One entry of "volumes": its letter, type, file system and space, and the partitions it
// lies on, which must exist.
#include <algorithm>

#include "platform/sim/section_readers.h"

namespace platform::sim {

VolumeSpec ReadVolume(const Field& field, const std::vector<DriveSpec>& drives) {
    ObjectReader object(field, {"letter", "driveType", "fileSystem", "label", "serialNumber",
                                "totalBytes", "freeBytes", "extents"});
    VolumeSpec volume;
    const Field letter = object.Required("letter");
    const std::string text = letter.Text();
    if (text.empty() || text.size() > 2 || text[0] < 'A' || text[0] > 'Z' ||
        (text.size() == 2 && text[1] != ':'))
        letter.Fail("expected a capital drive letter such as \"C\", found \"" + text + "\"");
    volume.letter = static_cast<wchar_t>(text[0]);
    if (auto type = object.Optional("driveType")) volume.driveType = Pick(*type, kDriveTypeNames);
    volume.fileSystem = object.Required("fileSystem").WideText();
    if (auto label = object.Optional("label")) volume.label = label->WideText();
    volume.serialNumber = OptionalUnsigned<DWORD>(object, "serialNumber", 0, UINT32_MAX);
    if (auto total = object.Optional("totalBytes")) volume.totalBytes = total->ByteSize();
    const Field free = object.Required("freeBytes");
    volume.freeBytes = free.ByteSize();
    if (volume.totalBytes && volume.freeBytes > *volume.totalBytes)
        free.Fail("more free bytes than the volume's total");
    for (const Field& item : object.Required("extents").Items()) {
        ObjectReader extent(item, {"drive", "partition"});
        const Field drive = extent.Required("drive");
        const Field partition = extent.Required("partition");
        ExtentSpec config{static_cast<uint32_t>(drive.Unsigned(255)),
                          static_cast<uint32_t>(partition.Unsigned(kGptEntryCount - 1))};
        const auto owner = std::find_if(drives.begin(), drives.end(), [&](const DriveSpec& d) {
            return d.physicalDrive == config.drive;
        });
        if (owner == drives.end())
            drive.Fail("no drive has physical drive number " + std::to_string(config.drive));
        if (owner->layout && config.partition >= owner->layout->partitions.size())
            partition.Fail("physical drive " + std::to_string(config.drive) + " has " +
                           std::to_string(owner->layout->partitions.size()) +
                           " partitions; there is no entry " + std::to_string(config.partition));
        extent.Close();
        volume.extents.push_back(config);
    }
    object.Close();
    return volume;
}

}  // namespace platform::sim

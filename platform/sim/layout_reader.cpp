// A drive's "layout": the partition table a new image gets, with the identifiers a file
// leaves out derived from the machine, so an image made twice is the same.
#include <algorithm>
#include <iterator>

#include "platform/ioctl.h"
#include "platform/sim/section_readers.h"

namespace platform::sim {

namespace {

// Stable identifiers for what a machine file leaves out, so an image made twice is the same.
GuidBytes DerivedGuid(const std::string& seed) {
    GuidBytes guid{};
    uint64_t hash = 0xCBF29CE484222325ull;
    for (size_t i = 0; i < guid.size(); ++i) {
        for (char c : seed + static_cast<char>('a' + i))
            hash = (hash ^ static_cast<uint8_t>(c)) * 0x100000001B3ull;
        guid[i] = static_cast<uint8_t>(hash >> 32);
    }
    guid[7] = static_cast<uint8_t>((guid[7] & 0x0F) | 0x40);  // version 4
    guid[8] = static_cast<uint8_t>((guid[8] & 0x3F) | 0x80);  // RFC 4122 variant
    return guid;
}

struct MbrTypeName {
    std::string_view name;
    uint8_t type;
};
constexpr MbrTypeName kMbrTypes[] = {
    {"ntfs", 0x07}, {"basic", 0x07},    {"fat32", 0x0C},
    {"efi", 0xEF},  {"recovery", 0x27}, {"linux", 0x83},
};

struct GptDefaults {
    std::string_view type;
    const char16_t* name;
    uint64_t attributes;
};
constexpr GptDefaults kGptDefaults[] = {
    {"efi", u"EFI system partition", 0},
    {"msr", u"Microsoft reserved partition", 0},
    {"basic", u"Basic data partition", 0},
    {"recovery", u"", 0x8000000000000001ull},
    {"linux", u"", 0},
};

constexpr uint64_t kAlignment = 2048;  // 1 MiB in sectors

}  // namespace

LayoutSpec ReadLayout(const Field& field, uint64_t sectors, const std::string& seed) {
    ObjectReader object(field, {"style", "diskGuid", "signature", "partitions"});
    LayoutSpec layout;
    layout.style = Pick(object.Required("style"), kLayoutStyleNames);
    const bool gpt = layout.style == LayoutStyle::Gpt;
    if (gpt && sectors < 2 * kGptReservedSectors + 2)
        field.Fail("a GPT needs at least " + std::to_string(2 * kGptReservedSectors + 2) +
                   " sectors");
    if (auto guid = object.Optional("diskGuid")) {
        if (!gpt) guid->Fail("only a GPT layout has a disk GUID");
        const auto parsed = ParseGuid(guid->Text());
        if (!parsed) guid->Fail("expected a GUID such as \"C12A7328-F81F-11D2-BA4B-00A0C93EC93B\"");
        layout.diskGuid = *parsed;
    } else {
        layout.diskGuid = DerivedGuid(seed + "/disk");
    }
    if (auto signature = object.Optional("signature")) {
        if (gpt) signature->Fail("only an MBR layout has a disk signature");
        layout.signature = static_cast<uint32_t>(signature->Unsigned(UINT32_MAX));
    } else {
        const GuidBytes derived = DerivedGuid(seed + "/signature");
        layout.signature = static_cast<uint32_t>(derived[0] | derived[1] << 8 | derived[2] << 16 |
                                                 static_cast<uint32_t>(derived[3]) << 24);
    }

    const uint64_t firstUsable = gpt ? kGptReservedSectors + 1 : 1;
    const uint64_t lastUsable =
        gpt ? sectors - kGptReservedSectors - 1 : std::min<uint64_t>(sectors - 1, UINT32_MAX);
    uint64_t nextFree = firstUsable;
    const auto items = object.Optional("partitions") ? object.Required("partitions").Items()
                                                     : std::vector<Field>();
    if (layout.style == LayoutStyle::Raw && !items.empty())
        items[0].Fail("a raw layout has no partitions");
    if (!gpt && items.size() > 4) items[4].Fail("an MBR holds 4 partitions");
    if (gpt && items.size() > kGptEntryCount)
        items[kGptEntryCount].Fail("the GPT holds 128 partitions");
    for (size_t i = 0; i < items.size(); ++i) {
        ObjectReader entry(items[i],
                           {"type", "size", "startLba", "name", "guid", "attributes", "bootable"});
        PartitionSpec partition;
        const Field type = entry.Required("type");
        std::string typeName = type.IsString() ? type.Text() : std::string();
        if (gpt) {
            const auto named =
                std::find_if(std::begin(kGptTypes), std::end(kGptTypes),
                             [&](const GptTypeName& t) { return t.name == typeName; });
            const auto parsed =
                named != std::end(kGptTypes) ? ParseGuid(named->guid) : ParseGuid(typeName);
            if (!parsed)
                type.Fail(
                    "expected \"efi\", \"msr\", \"basic\", \"recovery\", \"linux\" or a type GUID");
            partition.typeGuid = *parsed;
            const auto defaults =
                std::find_if(std::begin(kGptDefaults), std::end(kGptDefaults),
                             [&](const GptDefaults& d) { return d.type == typeName; });
            if (defaults != std::end(kGptDefaults)) {
                partition.name = defaults->name;
                partition.attributes = defaults->attributes;
            }
            if (auto name = entry.Optional("name")) {
                const std::wstring wide = name->WideText();
                if (wide.size() > 36) name->Fail("a GPT partition name holds 36 characters");
                partition.name.assign(wide.begin(), wide.end());
            }
            if (auto attributes = entry.Optional("attributes"))
                partition.attributes = attributes->Unsigned();
            if (auto guid = entry.Optional("guid")) {
                const auto parsed = ParseGuid(guid->Text());
                if (!parsed)
                    guid->Fail("expected a GUID such as \"C12A7328-F81F-11D2-BA4B-00A0C93EC93B\"");
                partition.uniqueGuid = *parsed;
            } else {
                partition.uniqueGuid = DerivedGuid(seed + "/partition" + std::to_string(i));
            }
        } else {
            if (type.IsString() && typeName.rfind("0x", 0) != 0) {
                const auto named =
                    std::find_if(std::begin(kMbrTypes), std::end(kMbrTypes),
                                 [&](const MbrTypeName& t) { return t.name == typeName; });
                if (named == std::end(kMbrTypes))
                    type.Fail(
                        "expected \"ntfs\", \"fat32\", \"efi\", \"recovery\", \"linux\" or a type "
                        "number");
                partition.mbrType = named->type;
            } else {
                partition.mbrType = static_cast<uint8_t>(type.Unsigned(255));
            }
            partition.bootable = OptionalBool(entry, "bootable", false);
        }
        const uint64_t defaultStart = (nextFree + kAlignment - 1) / kAlignment * kAlignment;
        partition.startLba =
            OptionalUnsigned<uint64_t>(entry, "startLba", defaultStart, UINT64_MAX);
        const Field size = entry.Required("size");
        if (partition.startLba < nextFree)
            items[i].Fail("partition starts at sector " + std::to_string(partition.startLba) +
                          ", before sector " + std::to_string(nextFree) +
                          (i == 0 ? ", the first usable one" : ", where the previous one ends"));
        if (partition.startLba > lastUsable)
            items[i].Fail("partition does not fit: it starts at sector " +
                          std::to_string(partition.startLba) + " but the last usable sector is " +
                          std::to_string(lastUsable));
        if (size.IsString() && size.Text() == "rest") {
            // Up to the last whole MiB that fits, as partitioning tools leave it; a partition
            // too small for that takes every sector left.
            const uint64_t alignedEnd = (lastUsable + 1) / kAlignment * kAlignment;
            partition.sectorCount =
                (alignedEnd > partition.startLba ? alignedEnd : lastUsable + 1) -
                partition.startLba;
        } else {
            const uint64_t bytes = size.ByteSize();
            if (bytes == 0 || bytes % kSectorSize != 0)
                size.Fail("a partition size is a non-zero multiple of 512 bytes");
            partition.sectorCount = bytes / kSectorSize;
            if (partition.sectorCount > lastUsable - partition.startLba + 1)
                items[i].Fail("partition does not fit: it would end at sector " +
                              std::to_string(partition.startLba + partition.sectorCount - 1) +
                              " but the last usable sector is " + std::to_string(lastUsable));
        }
        entry.Close();
        nextFree = partition.startLba + partition.sectorCount;
        layout.partitions.push_back(partition);
    }
    object.Close();
    return layout;
}

}  // namespace platform::sim

#include "platform/sim/machine_loader.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

#include "base/utf8.h"
#include "platform/ioctl.h"
#include "platform/sim/ata_pages.h"
#include "platform/sim/json_reader.h"
#include "platform/sim/nvme_pages.h"

namespace platform::sim {

namespace {

using Json = nlohmann::json;

template <typename T>
using Choices = std::initializer_list<std::pair<std::string_view, T>>;

template <typename T>
T Pick(const Field& field, Choices<T> choices) {
    return field.Choice<T>(
        std::span<const std::pair<std::string_view, T>>(choices.begin(), choices.size()));
}

bool OptionalBool(ObjectReader& object, const char* key, bool fallback) {
    const auto field = object.Optional(key);
    return field ? field->Bool() : fallback;
}

template <typename T>
T OptionalUnsigned(ObjectReader& object, const char* key, T fallback, uint64_t max) {
    const auto field = object.Optional(key);
    return field ? static_cast<T>(field->Unsigned(max)) : fallback;
}

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

// ---- OS ----

LocalTime ParseLocalTime(const Field& field) {
    const std::string text = field.Text();
    LocalTime t;
    char separator = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d", &t.year, &t.month, &t.day, &separator,
                    &t.hour, &t.minute, &t.second) != 7 ||
        separator != 'T' || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 ||
        t.minute > 59 || t.second > 59)
        field.Fail("expected a local time such as \"2026-01-15T09:30:00\", found \"" + text + "\"");
    return t;
}

OsSpec ReadOs(const Field& field) {
    ObjectReader os(field);
    OsSpec config;
    config.major = static_cast<DWORD>(os.Required("major").Unsigned(UINT32_MAX));
    config.minor = static_cast<DWORD>(os.Required("minor").Unsigned(UINT32_MAX));
    config.build = OptionalUnsigned<DWORD>(os, "build", config.build, UINT32_MAX);
    config.platformId = OptionalUnsigned<DWORD>(os, "platformId", config.platformId, UINT32_MAX);
    if (auto csd = os.Optional("csdVersion")) {
        config.csdVersion = csd->WideText();
        if (config.csdVersion.size() > 127)
            csd->Fail("longer than the 127 characters the record holds");
    }
    config.servicePackMajor = OptionalUnsigned<WORD>(os, "servicePackMajor", 0, 0xFFFF);
    config.servicePackMinor = OptionalUnsigned<WORD>(os, "servicePackMinor", 0, 0xFFFF);
    config.versionInfoEx = OptionalBool(os, "versionInfoEx", true);
    if (auto arch = os.Optional("architecture"))
        config.architecture = Pick<WORD>(*arch, {{"x86", 0}, {"amd64", 9}});
    config.codePage = OptionalUnsigned<UINT>(os, "codePage", config.codePage, 0xFFFF);
    if (auto dir = os.Optional("systemDirectory")) {
        config.systemDirectory = dir->WideText();
        if (config.systemDirectory.size() < 3 || config.systemDirectory[1] != L':')
            dir->Fail(
                "expected a path that starts with a drive letter, such as "
                "\"C:\\\\Windows\\\\system32\"");
    }
    if (auto winmgmt = os.Optional("winmgmt"))
        config.winmgmt = Pick<WinmgmtState>(*winmgmt, {{"running", WinmgmtState::Running},
                                                     {"startable", WinmgmtState::Startable},
                                                     {"disabled", WinmgmtState::Disabled}});
    config.winmgmtStartMs = OptionalUnsigned<DWORD>(os, "winmgmtStartMs", 0, 3600000);
    config.scConfigWorks = OptionalBool(os, "scConfigWorks", true);
    if (auto wmi = os.Optional("wmi"))
        config.wmi = Pick<WmiState>(*wmi, {{"ok", WmiState::Ok},
                                         {"locator-fails", WmiState::LocatorFails},
                                         {"connect-fails", WmiState::ConnectFails},
                                         {"blanket-fails", WmiState::BlanketFails},
                                         {"query-fails", WmiState::QueryFails}});
    if (auto mutexes = os.Optional("heldMutexes"))
        for (const Field& item : mutexes->Items())
            config.heldMutexes.push_back(item.WideText());
    config.tickStart = OptionalUnsigned<DWORD>(os, "tickStart", config.tickStart, UINT32_MAX);
    if (auto time = os.Optional("localTime")) config.localTime = ParseLocalTime(*time);
    os.Close();
    return config;
}

// ---- controllers ----

ControllerSpec ReadController(const Field& field) {
    ObjectReader object(field);
    ControllerSpec config;
    config.klass = Pick<ControllerClass>(object.Required("class"), {{"IDE", ControllerClass::Ide},
                                                                  {"SCSI", ControllerClass::Scsi},
                                                                  {"USB", ControllerClass::Usb}});
    config.name = object.Required("name").WideText();
    config.deviceId = object.Required("deviceId").WideText();
    if (auto devices = object.Optional("devices")) {
        for (const Field& item : devices->Items()) {
            ObjectReader device(item);
            config.devices.push_back(
                {device.Required("deviceId").WideText(),
                 device.Optional("name") ? device.Required("name").WideText() : std::wstring()});
            device.Close();
        }
    }
    if (auto link = object.Optional("pcieLink")) {
        ObjectReader fields(*link);
        PcieLink value;
        value.maxSpeed = static_cast<uint32_t>(fields.Required("maxSpeed").Unsigned(255));
        value.maxWidth = static_cast<uint32_t>(fields.Required("maxWidth").Unsigned(255));
        value.speed = static_cast<uint32_t>(fields.Required("speed").Unsigned(255));
        value.width = static_cast<uint32_t>(fields.Required("width").Unsigned(255));
        fields.Close();
        config.pcieLink = value;
    }
    object.Close();
    return config;
}

// ---- drive identity ----

enum class WmiKind { Text, Integer, Size };
struct WmiProperty {
    const char* name;
    WmiKind kind;
};
// The Win32_DiskDrive properties a machine may state; the others read as null.
constexpr WmiProperty kDiskDriveProperties[] = {
    {"Model", WmiKind::Text},
    {"DeviceID", WmiKind::Text},
    {"MediaType", WmiKind::Text},
    {"InterfaceType", WmiKind::Text},
    {"PNPDeviceID", WmiKind::Text},
    {"Size", WmiKind::Size},
    {"FirmwareRevision", WmiKind::Text},
    {"SerialNumber", WmiKind::Text},
    {"Caption", WmiKind::Text},
    {"Name", WmiKind::Text},
    {"SCSIPort", WmiKind::Integer},
    {"SCSITargetId", WmiKind::Integer},
    {"SCSIBus", WmiKind::Integer},
    {"SCSILogicalUnit", WmiKind::Integer},
    {"Index", WmiKind::Integer},
};

std::vector<std::pair<std::wstring, WmiValue>> ReadWmiDisk(const Field& field) {
    ObjectReader object(field);
    std::vector<std::pair<std::wstring, WmiValue>> properties;
    for (const WmiProperty& property : kDiskDriveProperties) {
        const auto value = object.Optional(property.name);
        WmiValue converted;
        if (value && !value->IsNull()) {
            switch (property.kind) {
                case WmiKind::Text:
                    converted = value->WideText();
                    break;
                case WmiKind::Integer:
                    converted = static_cast<int64_t>(value->Unsigned(INT32_MAX));
                    break;
                case WmiKind::Size: {
                    // WMI hands 64-bit counts out as decimal text.
                    if (value->IsString()) {
                        const std::string text = value->Text();
                        if (text.empty() ||
                            text.find_first_not_of("0123456789") != std::string::npos)
                            value->Fail("expected a decimal byte count, found \"" + text + "\"");
                        converted = FromUtf8(text);
                    } else {
                        converted = std::to_wstring(value->Unsigned());
                    }
                    break;
                }
            }
        }
        properties.emplace_back(FromUtf8(property.name), converted);
    }
    object.Close();
    return properties;
}

Page ReadIdentify(const Field& field, uint64_t driveSectors) {
    ObjectReader object(field);
    if (auto hex = object.Optional("hex")) {
        const auto bytes = hex->Hex({512});
        object.Close();
        Page page{};
        std::copy(bytes.begin(), bytes.end(), page.begin());
        return page;
    }
    IdentifyFields fields;
    const auto text = [&](const char* key, size_t max, std::string* out) {
        if (auto value = object.Optional(key)) {
            *out = value->Text();
            if (out->size() > max)
                value->Fail("longer than the " + std::to_string(max) +
                            " characters IDENTIFY holds");
        }
    };
    text("model", 40, &fields.model);
    text("serial", 20, &fields.serial);
    text("firmware", 8, &fields.firmware);
    fields.sectors = OptionalUnsigned<uint64_t>(object, "sectors", driveSectors, (1ull << 48) - 1);
    fields.smart = OptionalBool(object, "smart", fields.smart);
    fields.lba48 = OptionalBool(object, "lba48", fields.lba48);
    fields.trim = OptionalBool(object, "trim", fields.trim);
    fields.ncq = OptionalBool(object, "ncq", fields.ncq);
    fields.ataMajor = OptionalUnsigned<unsigned>(object, "ataMajor", fields.ataMajor, 14);
    fields.sataGeneration =
        OptionalUnsigned<unsigned>(object, "sataGeneration", fields.sataGeneration, 3);
    fields.udmaMode = OptionalUnsigned<unsigned>(object, "udmaMode", fields.udmaMode, 6);
    fields.rotationRate =
        OptionalUnsigned<uint16_t>(object, "rotationRate", fields.rotationRate, 0xFFFF);
    fields.formFactor = OptionalUnsigned<uint16_t>(object, "formFactor", fields.formFactor, 0xFFFF);
    if (auto words = object.Optional("words")) {
        ObjectReader overrides(*words);
        for (const auto& [key, value] : words->Json().items()) {
            const Field word = overrides.Required(key);
            if (key.empty() || key.size() > 3 ||
                key.find_first_not_of("0123456789") != std::string::npos || std::stoul(key) > 255)
                word.Fail("a word number from 0 to 255 is expected as the key");
            fields.words.emplace_back(static_cast<unsigned>(std::stoul(key)),
                                      static_cast<uint16_t>(word.Unsigned(0xFFFF)));
        }
        overrides.Close();
    }
    object.Close();
    return BuildIdentify(fields);
}

SmartSpec ReadSmart(const Field& field) {
    ObjectReader object(field);
    SmartSpec config;
    config.enabled = OptionalBool(object, "enabled", true);
    config.wmi = OptionalBool(object, "wmi", true);
    const bool hexData = object.Has("dataHex");
    if (hexData && object.Has("attributes"))
        field.Fail("give either \"dataHex\" or \"attributes\", not both");
    if (object.Has("thresholdHex") && object.Has("thresholds"))
        field.Fail("give either \"thresholdHex\" or \"thresholds\", not both");
    if (!hexData && !object.Has("attributes"))
        field.Fail("missing key \"attributes\" (or \"dataHex\")");

    std::vector<SmartThresholdSpec> thresholdsFromAttributes;
    if (hexData) {
        const auto bytes = object.Required("dataHex").Hex({512});
        std::copy(bytes.begin(), bytes.end(), config.data.begin());
    } else {
        std::vector<SmartAttributeSpec> attributes;
        const auto items = object.Required("attributes").Items();
        if (items.size() > kSmartSlots) items[kSmartSlots].Fail("a SMART page holds 30 attributes");
        for (const Field& item : items) {
            ObjectReader entry(item);
            SmartAttributeSpec attribute;
            attribute.id = static_cast<uint8_t>(entry.Required("id").Unsigned(255));
            attribute.flags = OptionalUnsigned<uint16_t>(entry, "flags", 0, 0xFFFF);
            attribute.current = OptionalUnsigned<uint8_t>(entry, "current", 100, 255);
            attribute.worst = OptionalUnsigned<uint8_t>(entry, "worst", attribute.current, 255);
            attribute.raw = OptionalUnsigned<uint64_t>(entry, "raw", 0, (1ull << 48) - 1);
            attribute.reserved = OptionalUnsigned<uint8_t>(entry, "reserved", 0, 255);
            thresholdsFromAttributes.push_back(
                {attribute.id, OptionalUnsigned<uint8_t>(entry, "threshold", 0, 255)});
            entry.Close();
            attributes.push_back(attribute);
        }
        config.data = BuildSmartData(attributes);
    }
    if (auto hex = object.Optional("thresholdHex")) {
        const auto bytes = hex->Hex({512});
        std::copy(bytes.begin(), bytes.end(), config.thresholds.begin());
    } else if (auto list = object.Optional("thresholds")) {
        std::vector<SmartThresholdSpec> thresholds;
        const auto items = list->Items();
        if (items.size() > kSmartSlots) items[kSmartSlots].Fail("a SMART page holds 30 thresholds");
        for (const Field& item : items) {
            ObjectReader entry(item);
            thresholds.push_back({static_cast<uint8_t>(entry.Required("id").Unsigned(255)),
                                  static_cast<uint8_t>(entry.Required("threshold").Unsigned(255))});
            entry.Close();
        }
        config.thresholds = BuildSmartThresholds(thresholds);
    } else {
        config.thresholds = BuildSmartThresholds(thresholdsFromAttributes);
    }
    object.Close();
    return config;
}

uint64_t Largest(const NvmeNumberField& field) {
    return field.width >= 8 ? UINT64_MAX : (1ull << (8 * field.width)) - 1;
}

NvmeSpec ReadNvme(const Field& field) {
    ObjectReader object(field);
    NvmeSpec config;
    if (auto hex = object.Optional("identifyHex")) {
        const auto bytes = hex->Hex({512, 4096});
        std::copy(bytes.begin(), bytes.end(), config.identify.begin());
    } else {
        for (const NvmeTextField& text : kNvmeIdentifyTexts)
            if (auto value = object.Optional(std::string(text.name))) {
                const std::string content = value->Text();
                if (content.size() > text.width)
                    value->Fail("longer than the " + std::to_string(text.width) +
                                " characters it holds");
                PutText(config.identify, text, content);
            }
        // One namespace unless the machine says otherwise.
        for (const NvmeNumberField& number : kNvmeIdentifyNumbers)
            if (number.name == "namespaces") PutNumber(config.identify, number, 1);
        for (const NvmeNumberField& number : kNvmeIdentifyNumbers)
            if (auto value = object.Optional(std::string(number.name)))
                PutNumber(config.identify, number, value->Unsigned(Largest(number)));
    }
    if (auto hex = object.Optional("healthHex")) {
        const auto bytes = hex->Hex({512});
        std::copy(bytes.begin(), bytes.end(), config.health.begin());
    } else if (auto health = object.Optional("health")) {
        ObjectReader fields(*health);
        for (const NvmeNumberField& number : kNvmeHealthNumbers)
            if (auto value = fields.Optional(std::string(number.name)))
                PutNumber(config.health, number, value->Unsigned(Largest(number)));
        fields.Close();
    }
    object.Close();
    return config;
}

// ---- layout ----

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

LayoutSpec ReadLayout(const Field& field, uint64_t sectors, const std::string& seed) {
    ObjectReader object(field);
    LayoutSpec layout;
    layout.style = Pick<LayoutStyle>(
        object.Required("style"),
        {{"mbr", LayoutStyle::Mbr}, {"gpt", LayoutStyle::Gpt}, {"raw", LayoutStyle::Raw}});
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
        ObjectReader entry(items[i]);
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

// ---- faults ----

FaultSpec ReadFaults(const Field& field) {
    ObjectReader object(field);
    FaultSpec faults;
    if (auto sector = object.Optional("readErrorSector"))
        faults.readErrorSector = sector->Unsigned();
    if (auto sector = object.Optional("writeErrorSector"))
        faults.writeErrorSector = sector->Unsigned();
    faults.readErrorCount = OptionalUnsigned<uint64_t>(object, "readErrorCount", 1, UINT64_MAX);
    faults.writeErrorCount = OptionalUnsigned<uint64_t>(object, "writeErrorCount", 1, UINT64_MAX);
    if (auto sector = object.Optional("seekErrorSector"))
        faults.seekErrorSector = sector->Unsigned();
    if (auto code = object.Optional("layoutError"))
        faults.layoutError = static_cast<DWORD>(code->Unsigned(UINT32_MAX));
    faults.errorCode = OptionalUnsigned<DWORD>(object, "errorCode", faults.errorCode, UINT32_MAX);
    faults.writeProtected = OptionalBool(object, "writeProtected", false);
    if (auto code = object.Optional("deleteLayoutError"))
        faults.deleteLayoutError = static_cast<DWORD>(code->Unsigned(UINT32_MAX));
    faults.lockFails = OptionalBool(object, "lockFails", false);
    faults.gone = OptionalBool(object, "gone", false);
    if (auto count = object.Optional("goneAfterRequests"))
        faults.goneAfterRequests = count->Unsigned();
    if (auto slow = object.Optional("slowMsPerMiB")) faults.slowMsPerMiB = slow->Number();
    object.Close();
    return faults;
}

// ---- drives ----

std::string TrimmedAtaString(const Page& page, unsigned firstWord, unsigned words) {
    std::string text;
    for (unsigned i = 0; i < words * 2; ++i)
        text += static_cast<char>(page[2 * firstWord + (i ^ 1)]);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
        text.pop_back();
    return text;
}

std::string TrimmedText(const uint8_t* bytes, size_t width) {
    std::string text(reinterpret_cast<const char*>(bytes), width);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
        text.pop_back();
    return text;
}

DWORD DefaultBusType(Route route) {
    if (IsNvmeRoute(route)) return BusTypeNvme;
    if (IsUsbBridgeRoute(route)) return BusTypeUsb;
    switch (route) {
        case Route::ScsiMiniport:
        case Route::SiliconImage:
            return BusTypeScsi;
        case Route::Csmi:
            return BusTypeRAID;
        default:
            return BusTypeSata;
    }
}

Route ReadRoute(const Field& field) {
    std::vector<std::pair<std::string_view, Route>> choices;
    for (const RouteName& entry : kRouteNames)
        choices.emplace_back(entry.name, entry.route);
    return field.Choice<Route>(choices);
}

// The route details a route cannot do without.
void RequireRouteDetails(const DriveSpec& drive, ObjectReader& object) {
    const auto need = [&](bool present, const char* key) {
        if (!present)
            object.Self().Fail("missing key \"" + std::string(key) + "\", which this route needs");
    };
    if (IsNvmeRoute(drive.route)) {
        need(drive.nvme.has_value(), "nvme");
    } else if (drive.route != Route::Wmi) {
        need(drive.identify.has_value(), "identify");
    }
    if (IsUsbBridgeRoute(drive.route)) need(drive.usb.has_value(), "usb");
    if (drive.route == Route::ScsiMiniport) need(drive.scsi.has_value(), "scsi");
    if (drive.route == Route::SiliconImage) need(drive.siliconImage.has_value(), "siliconImage");
    if (drive.route == Route::Csmi) need(drive.csmi.has_value(), "csmi");
    if (drive.route == Route::Wmi) need(drive.smart.has_value(), "smart");
    if (!drive.physicalDrive && drive.route != Route::ScsiMiniport && drive.route != Route::Csmi)
        object.Self().Fail(
            "\"physicalDrive\" may be null only for the \"scsi-miniport\" and \"csmi\" routes");
}

void ReadRouteDetails(ObjectReader& object, DriveSpec* drive) {
    if (auto ata = object.Optional("ata")) {
        ObjectReader fields(*ata);
        drive->ata.passThrough = OptionalBool(fields, "passThrough", true);
        drive->ata.smartIoctl = OptionalBool(fields, "smartIoctl", true);
        if (auto target = fields.Optional("target")) {
            const uint64_t value = target->Unsigned(255);
            if (value != ATA_DEVICE_MASTER && value != ATA_DEVICE_SLAVE)
                target->Fail("the device select value is 0xA0 or 0xB0");
            drive->ata.target = static_cast<BYTE>(value);
        }
        fields.Close();
    }
    if (auto scsi = object.Optional("scsi")) {
        ObjectReader fields(*scsi);
        ScsiSpec config;
        config.port = static_cast<BYTE>(fields.Required("port").Unsigned(255));
        config.target = static_cast<BYTE>(fields.Required("target").Unsigned(255));
        config.bus = OptionalUnsigned<BYTE>(fields, "bus", 0, 255);
        config.lun = OptionalUnsigned<BYTE>(fields, "lun", 0, 255);
        fields.Close();
        drive->scsi = config;
    }
    if (auto usb = object.Optional("usb")) {
        ObjectReader fields(*usb);
        drive->usb = UsbSpec{static_cast<WORD>(fields.Required("vid").Unsigned(0xFFFF)),
                             static_cast<WORD>(fields.Required("pid").Unsigned(0xFFFF))};
        fields.Close();
    }
    if (auto si = object.Optional("siliconImage")) {
        ObjectReader fields(*si);
        drive->siliconImage =
            SiliconImageSpec{static_cast<uint32_t>(fields.Required("chip").Unsigned(UINT32_MAX)),
                             OptionalUnsigned<uint32_t>(fields, "device", 0, 0xFFFF)};
        fields.Close();
    }
    if (auto csmi = object.Optional("csmi")) {
        ObjectReader fields(*csmi);
        CsmiSpec config;
        config.port = static_cast<uint32_t>(fields.Required("port").Unsigned(255));
        config.phy = static_cast<uint32_t>(fields.Required("phy").Unsigned(255));
        config.sasAddress = fields.Required("sasAddress").Unsigned();
        config.raidMember = OptionalBool(fields, "raidMember", false);
        fields.Close();
        drive->csmi = config;
    }
}

StorageSpec DefaultStorage(const DriveSpec& drive) {
    StorageSpec storage;
    storage.busType = DefaultBusType(drive.route);
    if (drive.identify) {
        storage.product = TrimmedAtaString(*drive.identify, 27, 20);
        storage.revision = TrimmedAtaString(*drive.identify, 23, 4);
        storage.serial = TrimmedAtaString(*drive.identify, 10, 10);
    } else if (drive.nvme) {
        storage.product = TrimmedText(&drive.nvme->identify[24], 40);
        storage.revision = TrimmedText(&drive.nvme->identify[64], 8);
        storage.serial = TrimmedText(&drive.nvme->identify[4], 20);
    }
    return storage;
}

void ReadStorage(const Field& field, StorageSpec* storage) {
    ObjectReader object(field);
    const auto text = [&](const char* key, std::string* out) {
        if (auto value = object.Optional(key)) *out = value->Text();
    };
    text("vendor", &storage->vendor);
    text("product", &storage->product);
    text("revision", &storage->revision);
    text("serial", &storage->serial);
    if (auto bus = object.Optional("busType"))
        storage->busType = Pick<DWORD>(*bus, {{"scsi", BusTypeScsi},
                                              {"ata", BusTypeAta},
                                              {"sata", BusTypeSata},
                                              {"usb", BusTypeUsb},
                                              {"raid", BusTypeRAID},
                                              {"sas", BusTypeSas},
                                              {"nvme", BusTypeNvme},
                                              {"1394", BusType1394}});
    object.Close();
}

DriveSpec ReadDrive(const Field& field, size_t index, const std::filesystem::path& baseFolder,
                    const std::string& machineName) {
    ObjectReader object(field);
    DriveSpec drive;
    drive.index = index;
    const Field physical = object.Required("physicalDrive");
    if (!physical.IsNull()) drive.physicalDrive = static_cast<uint32_t>(physical.Unsigned(255));
    drive.route = ReadRoute(object.Required("route"));
    ReadRouteDetails(object, &drive);

    const auto image = object.Optional("image");
    const auto size = object.Optional("size");
    if (image) {
        drive.image = std::filesystem::path(image->Text());
        if (drive.image.is_relative()) drive.image = baseFolder / drive.image;
        std::error_code error;
        const uint64_t bytes = std::filesystem::file_size(drive.image, error);
        if (error)
            image->Fail("cannot use image file \"" + drive.image.string() +
                        "\": " + error.message());
        drive.size = bytes;
        if (size && size->ByteSize() != bytes)
            size->Fail("the image file holds " + std::to_string(bytes) + " bytes, not " +
                       std::to_string(size->ByteSize()));
    } else if (size) {
        drive.size = size->ByteSize();
    } else {
        field.Fail("missing key \"size\" (or \"image\")");
    }
    const Field& sizeField = size ? *size : *image;
    if (drive.size == 0 || drive.size % kSectorSize != 0)
        sizeField.Fail("a disk size is a non-zero multiple of 512 bytes");
    const uint64_t sectors = drive.size / kSectorSize;

    if (auto layout = object.Optional("layout")) {
        if (image)
            layout->Fail("a layout is written only into a new image, not into a given \"image\"");
        drive.layout = ReadLayout(*layout, sectors, machineName + "/" + std::to_string(index));
    }
    if (auto wmi = object.Optional("wmi")) drive.wmi = ReadWmiDisk(*wmi);
    if (auto identify = object.Optional("identify"))
        drive.identify = ReadIdentify(*identify, sectors);
    if (auto smart = object.Optional("smart")) drive.smart = ReadSmart(*smart);
    if (auto nvme = object.Optional("nvme")) drive.nvme = ReadNvme(*nvme);
    drive.storage = DefaultStorage(drive);
    if (auto storage = object.Optional("storage")) ReadStorage(*storage, &drive.storage);
    if (auto media = object.Optional("mediaType"))
        drive.removableMedia = Pick<bool>(*media, {{"fixed", false}, {"removable", true}});
    if (auto faults = object.Optional("faults")) drive.faults = ReadFaults(*faults);
    RequireRouteDetails(drive, object);
    object.Close();
    return drive;
}

// ---- volumes ----

VolumeSpec ReadVolume(const Field& field, const std::vector<DriveSpec>& drives) {
    ObjectReader object(field);
    VolumeSpec volume;
    const Field letter = object.Required("letter");
    const std::string text = letter.Text();
    if (text.empty() || text.size() > 2 || text[0] < 'A' || text[0] > 'Z' ||
        (text.size() == 2 && text[1] != ':'))
        letter.Fail("expected a capital drive letter such as \"C\", found \"" + text + "\"");
    volume.letter = static_cast<wchar_t>(text[0]);
    if (auto type = object.Optional("driveType"))
        volume.driveType = Pick<UINT>(*type, {{"fixed", 3}, {"removable", 2}});
    volume.fileSystem = object.Required("fileSystem").WideText();
    if (auto label = object.Optional("label")) volume.label = label->WideText();
    volume.serialNumber = OptionalUnsigned<DWORD>(object, "serialNumber", 0, UINT32_MAX);
    if (auto total = object.Optional("totalBytes")) volume.totalBytes = total->ByteSize();
    const Field free = object.Required("freeBytes");
    volume.freeBytes = free.ByteSize();
    if (volume.totalBytes && volume.freeBytes > *volume.totalBytes)
        free.Fail("more free bytes than the volume's total");
    for (const Field& item : object.Required("extents").Items()) {
        ObjectReader extent(item);
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

Machine ReadMachine(const Json& document, const std::string& displayName,
                    const std::filesystem::path& baseFolder) {
    ObjectReader top(Field(document, "$"));
    const Field format = top.Required("format");
    if (format.Text() != kMachineFormat)
        format.Fail("expected \"" + std::string(kMachineFormat) + "\", found \"" + format.Text() +
                    "\"");
    Machine machine;
    machine.name = top.Optional("name") ? top.Required("name").Text()
                                        : std::filesystem::path(displayName).stem().string();
    if (machine.name.empty() || machine.name.find_first_of("/\\") != std::string::npos)
        top.Self().Fail("the machine name must be non-empty and hold no slash");
    machine.os = ReadOs(top.Required("os"));
    if (auto controllers = top.Optional("controllers"))
        for (const Field& item : controllers->Items())
            machine.controllers.push_back(ReadController(item));

    std::set<uint32_t> numbers;
    for (const Field& item : top.Required("drives").Items()) {
        machine.drives.push_back(ReadDrive(item, machine.drives.size(), baseFolder, machine.name));
        const auto number = machine.drives.back().physicalDrive;
        if (number && !numbers.insert(*number).second)
            Field(item.Json().at("physicalDrive"), item.Path() + ".physicalDrive")
                .Fail("physical drive " + std::to_string(*number) + " is given twice");
    }
    std::set<wchar_t> letters;
    if (auto volumes = top.Optional("volumes")) {
        for (const Field& item : volumes->Items()) {
            machine.volumes.push_back(ReadVolume(item, machine.drives));
            if (!letters.insert(machine.volumes.back().letter).second)
                item.Fail("drive letter " +
                          std::string(1, static_cast<char>(machine.volumes.back().letter)) +
                          " is given twice");
        }
    }
    top.Close();
    return machine;
}

}  // namespace

std::optional<Machine> ParseMachine(std::string_view text, const std::string& displayName,
                                    const std::filesystem::path& baseFolder, std::string* error) {
    Json document;
    try {
        document = Json::parse(text);
    } catch (const Json::parse_error& parseError) {
        // The library's own text names the line and column.
        *error = displayName + ": $: not valid JSON: " + parseError.what();
        return std::nullopt;
    }
    try {
        return ReadMachine(document, displayName, baseFolder);
    } catch (const MachineError& problem) {
        *error = displayName + ": " + problem.path + ": " + problem.problem;
        return std::nullopt;
    } catch (const std::exception& unexpected) {
        *error = displayName + ": $: cannot be read: " + unexpected.what();
        return std::nullopt;
    }
}

std::optional<Machine> LoadMachineFile(const std::filesystem::path& file, std::string* error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        *error = file.string() + ": cannot be read";
        return std::nullopt;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ParseMachine(text, file.string(), file.parent_path(), error);
}

bool IsNvmeRoute(Route route) {
    return route == Route::NvmeStorageQuery || route == Route::NvmeSamsung ||
           route == Route::NvmeIntel;
}

bool IsUsbBridgeRoute(Route route) {
    return route >= Route::Sat && route <= Route::Cypress;
}

}  // namespace platform::sim

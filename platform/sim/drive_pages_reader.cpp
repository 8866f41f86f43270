// A drive's pages: the Win32_DiskDrive properties, IDENTIFY, the SMART data and thresholds,
// and the NVMe identify and health pages, each from fields or as raw bytes.
#include <algorithm>

#include "base/utf8.h"
#include "platform/sim/ata_pages.h"
#include "platform/sim/nvme_pages.h"
#include "platform/sim/section_readers.h"

namespace platform::sim {

namespace {

uint64_t Largest(const NvmeNumberField& field) {
    return field.width >= 8 ? UINT64_MAX : (1ull << (8 * field.width)) - 1;
}

}  // namespace

std::vector<std::pair<std::wstring, WmiValue>> ReadWmiDisk(const Field& field) {
    std::vector<std::string_view> keys;
    for (const WmiDiskProperty& property : kDiskDriveProperties)
        keys.push_back(property.name);
    ObjectReader object(field, keys);
    std::vector<std::pair<std::wstring, WmiValue>> properties;
    for (const WmiDiskProperty& property : kDiskDriveProperties) {
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
    ObjectReader object(
        field, {"hex", "model", "serial", "firmware", "sectors", "smart", "lba48", "trim", "ncq",
                "ataMajor", "sataGeneration", "udmaMode", "rotationRate", "formFactor", "words"});
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
        ObjectReader overrides(*words, {});
        for (const std::string& key : overrides.Keys()) {
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
    ObjectReader object(field,
                        {"dataHex", "attributes", "thresholdHex", "thresholds", "enabled", "wmi"});
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
            ObjectReader entry(item,
                               {"id", "flags", "current", "worst", "raw", "reserved", "threshold"});
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
            ObjectReader entry(item, {"id", "threshold"});
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

NvmeSpec ReadNvme(const Field& field) {
    std::vector<std::string_view> keys{"identifyHex", "healthHex", "health"};
    for (const NvmeTextField& text : kNvmeIdentifyTexts)
        keys.push_back(text.name);
    for (const NvmeNumberField& number : kNvmeIdentifyNumbers)
        keys.push_back(number.name);
    ObjectReader object(field, keys);
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
        std::vector<std::string_view> healthKeys;
        for (const NvmeNumberField& number : kNvmeHealthNumbers)
            healthKeys.push_back(number.name);
        ObjectReader fields(*health, healthKeys);
        for (const NvmeNumberField& number : kNvmeHealthNumbers)
            if (auto value = fields.Optional(std::string(number.name)))
                PutNumber(config.health, number, value->Unsigned(Largest(number)));
        fields.Close();
    }
    object.Close();
    return config;
}

}  // namespace platform::sim

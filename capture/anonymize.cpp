#include "capture/anonymize.h"

#include <algorithm>
#include <cwctype>
#include <map>
#include <string>

#include "base/utf8.h"

namespace capture {

namespace {

using platform::sim::Machine;
using platform::sim::Page;

// IDENTIFY: the serial number's words, the WWN's words, the checksum's signature.
constexpr size_t kAtaSerialWord = 10, kAtaSerialWords = 10;
constexpr size_t kWwnWord = 108;
constexpr uint8_t kChecksumSignature = 0xA5;
// NVMe Identify Controller: the serial number's bytes.
constexpr size_t kNvmeSerialOffset = 4, kNvmeSerialLength = 20;
// Serials shorter than this are searched for only where they are a whole field.
constexpr size_t kShortestSearched = 4;

std::string Trimmed(std::string text) {
    const size_t first = text.find_first_not_of(" \0", 0, 2);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \0", std::string::npos, 2) - first + 1);
}

// Each pair of characters exchanged, as ATA strings travel.
std::string Swapped(std::string text) {
    for (size_t i = 0; i + 1 < text.size(); i += 2)
        std::swap(text[i], text[i + 1]);
    return text;
}

std::string AtaField(const Page& page, size_t word, size_t words) {
    std::string text;
    for (size_t i = 0; i < 2 * words; ++i)
        text += static_cast<char>(page[2 * word + (i ^ 1)]);
    return text;
}

void PutAtaField(Page& page, size_t word, const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i)
        page[2 * word + (i ^ 1)] = static_cast<uint8_t>(text[i]);
}

class Replacements {
  public:
    // Notes a serial number found in the machine; blank ones are no serial.
    void AddSerial(const std::string& found) {
        const std::string serial = Trimmed(found);
        // A serial the management view hands out byte-swapped is the same serial.
        if (serial.empty() || serials_.count(serial) || serials_.count(Swapped(serial))) return;
        serials_[serial] = Fresh(serial.size());
    }

    // `text` with every serial replaced, compared without case (device ids are upper-cased),
    // and with the serials' byte-swapped forms replaced by the replacements' ones. Serials too
    // short to tell a drive are replaced only where they are the whole text (Field).
    std::string Apply(std::string text) const {
        for (const auto& [original, replacement] : Ordered()) {
            if (original.size() < kShortestSearched) continue;
            for (size_t at = Find(text, original); at != std::string::npos;
                 at = Find(text, original, at + replacement.size()))
                text.replace(at, original.size(), replacement);
        }
        return text;
    }
    std::wstring Apply(const std::wstring& text) const { return FromUtf8(Apply(ToUtf8(text))); }

    // A field that holds a serial number, blank-padded perhaps.
    std::string Field(std::string text) const {
        const std::string serial = Trimmed(text);
        for (const auto& [original, replacement] : Ordered())
            if (!serial.empty() && original == serial)
                return text.replace(text.find(serial), serial.size(), replacement);
        return Apply(text);
    }

    uint64_t Wwn(uint64_t original) {
        // The NAA and the company id stay; the 36 bits that tell the drive go.
        constexpr uint64_t kUnique = (1ull << 36) - 1;
        auto [slot, added] = wwns_.try_emplace(original, 0);
        if (added) slot->second = (original & ~kUnique) | (wwns_.size() * 0x1111);
        return slot->second;
    }

    uint32_t VolumeSerial(uint32_t original) {
        auto [slot, added] = volumes_.try_emplace(original, 0);
        if (added) slot->second = 0x1000u * static_cast<uint32_t>(volumes_.size());
        return slot->second;
    }

  private:
    // The replacement of a serial of `length` characters: "ANON" and a number, the same length;
    // a short one is X's and a letter.
    std::string Fresh(size_t length) const {
        const std::string number = std::to_string(serials_.size() + 1);
        if (length < number.size() + 4) {
            std::string text(length, 'X');
            text.back() = static_cast<char>('A' + serials_.size() % 23);
            return text;
        }
        return "ANON" + std::string(length - number.size() - 4, '0') + number;
    }

    // Longest first, so a serial inside another is not replaced half-way; each serial with its
    // byte-swapped form.
    std::vector<std::pair<std::string, std::string>> Ordered() const {
        std::vector<std::pair<std::string, std::string>> pairs;
        for (const auto& [original, replacement] : serials_) {
            pairs.emplace_back(original, replacement);
            if (original.size() > 1) pairs.emplace_back(Swapped(original), Swapped(replacement));
        }
        std::stable_sort(pairs.begin(), pairs.end(), [](const auto& a, const auto& b) {
            return a.first.size() > b.first.size();
        });
        return pairs;
    }

    static size_t Find(const std::string& text, const std::string& what, size_t from = 0) {
        const auto found =
            std::search(text.begin() + static_cast<std::ptrdiff_t>(std::min(from, text.size())),
                        text.end(), what.begin(), what.end(), [](char a, char b) {
                            return std::toupper(static_cast<unsigned char>(a)) ==
                                   std::toupper(static_cast<unsigned char>(b));
                        });
        return found == text.end() ? std::string::npos : static_cast<size_t>(found - text.begin());
    }

    std::map<std::string, std::string> serials_;
    std::map<uint64_t, uint64_t> wwns_;
    std::map<uint32_t, uint32_t> volumes_;
};

void AnonymizeIdentify(Page& page, Replacements& replacements) {
    PutAtaField(page, kAtaSerialWord,
                replacements.Field(AtaField(page, kAtaSerialWord, kAtaSerialWords)));
    uint64_t wwn = 0;
    for (size_t i = 0; i < 4; ++i)
        wwn = wwn << 16 |
              static_cast<uint64_t>(page[2 * (kWwnWord + i)] | page[2 * (kWwnWord + i) + 1] << 8);
    if (wwn != 0) {
        const uint64_t replaced = replacements.Wwn(wwn);
        for (size_t i = 0; i < 4; ++i) {
            const auto word = static_cast<uint16_t>(replaced >> (16 * (3 - i)));
            page[2 * (kWwnWord + i)] = static_cast<uint8_t>(word);
            page[2 * (kWwnWord + i) + 1] = static_cast<uint8_t>(word >> 8);
        }
    }
    // A page that carries the signature carries a checksum that makes it sum to zero.
    if (page[510] == kChecksumSignature) {
        uint8_t sum = 0;
        for (size_t i = 0; i < 511; ++i)
            sum = static_cast<uint8_t>(sum + page[i]);
        page[511] = static_cast<uint8_t>(-sum);
    }
}

std::string NvmeSerial(const std::array<uint8_t, 4096>& identify) {
    return std::string(identify.begin() + kNvmeSerialOffset,
                       identify.begin() + kNvmeSerialOffset + kNvmeSerialLength);
}

std::wstring WmiSerial(const platform::sim::DriveSpec& drive) {
    if (drive.wmi)
        for (const auto& [name, value] : *drive.wmi)
            if (name == L"SerialNumber")
                if (const auto* text = std::get_if<std::wstring>(&value)) return *text;
    return {};
}

}  // namespace

void Anonymize(Machine& machine) {
    Replacements replacements;
    for (const auto& drive : machine.drives) {
        if (drive.identify)
            replacements.AddSerial(AtaField(*drive.identify, kAtaSerialWord, kAtaSerialWords));
        if (drive.nvme) replacements.AddSerial(NvmeSerial(drive.nvme->identify));
        replacements.AddSerial(drive.storage.serial);
        replacements.AddSerial(ToUtf8(WmiSerial(drive)));
    }
    // A USB device's instance id ends in its serial number when it has one (else in a
    // position, which holds '&'); the enclosure's USBSTOR id repeats it.
    for (const auto& controller : machine.controllers)
        for (const auto& device : controller.devices)
            if (device.deviceId.starts_with(L"USB\\VID_")) {
                const std::wstring instance =
                    device.deviceId.substr(device.deviceId.find_last_of(L'\\') + 1);
                if (instance.find(L'&') == std::wstring::npos)
                    replacements.AddSerial(ToUtf8(instance));
            }
    for (auto& controller : machine.controllers) {
        controller.deviceId = replacements.Apply(controller.deviceId);
        for (auto& device : controller.devices) {
            device.deviceId = replacements.Apply(device.deviceId);
            device.name = replacements.Apply(device.name);
        }
    }
    for (auto& drive : machine.drives) {
        if (drive.identify) AnonymizeIdentify(*drive.identify, replacements);
        if (drive.nvme) {
            const std::string serial = replacements.Field(NvmeSerial(drive.nvme->identify));
            std::copy(serial.begin(), serial.end(),
                      drive.nvme->identify.begin() + kNvmeSerialOffset);
        }
        drive.storage.serial = replacements.Field(drive.storage.serial);
        if (drive.wmi)
            for (auto& [name, value] : *drive.wmi)
                if (auto* text = std::get_if<std::wstring>(&value))
                    *text = name == L"SerialNumber" ? FromUtf8(replacements.Field(ToUtf8(*text)))
                                                    : replacements.Apply(*text);
        if (drive.csmi && drive.csmi->sasAddress != 0)
            drive.csmi->sasAddress = replacements.Wwn(drive.csmi->sasAddress);
    }
    for (auto& volume : machine.volumes)
        if (volume.serialNumber != 0)
            volume.serialNumber = replacements.VolumeSerial(volume.serialNumber);
}

}  // namespace capture

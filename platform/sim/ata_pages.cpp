#include "platform/sim/ata_pages.h"

#include <algorithm>

namespace platform::sim {

namespace {

void SetWord(Page& page, unsigned word, uint16_t value) {
    page[2 * word] = static_cast<uint8_t>(value);
    page[2 * word + 1] = static_cast<uint8_t>(value >> 8);
}

uint16_t GetWord(const Page& page, unsigned word) {
    return static_cast<uint16_t>(page[2 * word] | page[2 * word + 1] << 8);
}

void SetBit(Page& page, unsigned word, unsigned bit, bool on) {
    const uint16_t mask = static_cast<uint16_t>(1u << bit);
    SetWord(page, word, on ? GetWord(page, word) | mask : GetWord(page, word) & ~mask);
}

// ATA strings hold two characters per word with the first in the high byte.
void SetString(Page& page, unsigned firstWord, unsigned words, const std::string& text) {
    for (unsigned i = 0; i < words * 2; ++i) {
        const char c = i < text.size() ? text[i] : ' ';
        page[2 * firstWord + (i ^ 1)] = static_cast<uint8_t>(c);
    }
}

void SetWords64(Page& page, unsigned firstWord, uint64_t value, unsigned words) {
    for (unsigned i = 0; i < words; ++i)
        SetWord(page, firstWord + i, static_cast<uint16_t>(value >> (16 * i)));
}

// Words every modern SATA SSD reports in the same way.
constexpr std::pair<unsigned, uint16_t> kBaseWords[] = {
    {0, 0x0040},                 // fixed device
    {2, 0xC837},                 // no set-features spin-up needed
    {47, 0x8010},                // 16 sectors per READ/WRITE MULTIPLE
    {49, 0x0F00},                // LBA, DMA, IORDY
    {50, 0x4000}, {53, 0x0007},  // words 54-58, 64-70 and 88 valid
    {59, 0x0110}, {63, 0x0007},  // multiword DMA 0-2
    {64, 0x0003},                // PIO 3-4
    {65, 120},    {66, 120},    {67, 120},    {68, 120},    {75, 31},  // queue depth 32
    {82, 0x746A},  // security, power management, write cache, look-ahead, NOP, ...
    {83, 0x7501},  // flush cache (ext), 48-bit added below
    {84, 0x6163}, {85, 0x7468}, {86, 0xB401}, {87, 0x6163}, {93, 0x0000},
};

}  // namespace

Page BuildIdentify(const IdentifyFields& fields) {
    Page page{};
    for (const auto& [word, value] : kBaseWords)
        SetWord(page, word, value);

    SetString(page, 10, 10, fields.serial);
    SetString(page, 23, 4, fields.firmware);
    SetString(page, 27, 20, fields.model);

    // Classic geometry: 16 heads, 63 sectors per track, at most 16383 cylinders.
    const uint64_t cylinders = std::min<uint64_t>(fields.sectors / (16 * 63), 16383);
    SetWord(page, 1, static_cast<uint16_t>(cylinders));
    SetWord(page, 3, 16);
    SetWord(page, 6, 63);
    SetWord(page, 54, static_cast<uint16_t>(cylinders));
    SetWord(page, 55, 16);
    SetWord(page, 56, 63);
    SetWords64(page, 57, cylinders * 16 * 63, 2);
    SetWords64(page, 60, std::min<uint64_t>(fields.sectors, 0x0FFFFFFF), 2);
    if (fields.lba48) SetWords64(page, 100, fields.sectors, 4);
    SetBit(page, 83, 10, fields.lba48);
    SetBit(page, 86, 10, fields.lba48);

    SetBit(page, 82, 0, fields.smart);
    SetBit(page, 85, 0, fields.smart);
    SetBit(page, 84, 0, fields.smart);  // error logging
    SetBit(page, 84, 1, fields.smart);  // self-test
    SetBit(page, 87, 0, fields.smart);
    SetBit(page, 87, 1, fields.smart);

    uint16_t major = 0;
    for (unsigned version = 4; version <= std::min(fields.ataMajor, 14u); ++version)
        major |= 1u << version;
    SetWord(page, 80, major);
    SetWord(page, 81, 0x0110);

    uint16_t sata = fields.ncq ? 0x0100 : 0;
    for (unsigned generation = 1; generation <= std::min(fields.sataGeneration, 3u); ++generation)
        sata |= 1u << generation;
    SetWord(page, 76, sata);
    SetWord(page, 77, static_cast<uint16_t>(std::min(fields.sataGeneration, 3u) << 1));

    const unsigned udma = std::min(fields.udmaMode, 6u);
    SetWord(page, 88, static_cast<uint16_t>(((1u << (udma + 1)) - 1) | (1u << (udma + 8))));
    SetBit(page, 169, 0, fields.trim);
    SetWord(page, 168, fields.formFactor);
    SetWord(page, 217, fields.rotationRate);

    bool checksumGiven = false;
    for (const auto& [word, value] : fields.words) {
        SetWord(page, word, value);
        checksumGiven = checksumGiven || word == 255;
    }
    if (!checksumGiven) SealIdentify(page);
    return page;
}

void SealIdentify(Page& page) {
    page[510] = 0xA5;
    uint8_t sum = 0;
    for (size_t i = 0; i < 511; ++i)
        sum = static_cast<uint8_t>(sum + page[i]);
    page[511] = static_cast<uint8_t>(0x100 - sum);
}

Page BuildSmartData(std::span<const SmartAttributeSpec> attributes) {
    Page page{};
    page[0] = 0x10;
    for (size_t slot = 0; slot < attributes.size() && slot < kSmartSlots; ++slot) {
        const SmartAttributeSpec& attribute = attributes[slot];
        uint8_t* entry = &page[2 + 12 * slot];
        entry[0] = attribute.id;
        entry[1] = static_cast<uint8_t>(attribute.flags);
        entry[2] = static_cast<uint8_t>(attribute.flags >> 8);
        entry[3] = attribute.current;
        entry[4] = attribute.worst;
        for (int i = 0; i < 6; ++i)
            entry[5 + i] = static_cast<uint8_t>(attribute.raw >> (8 * i));
        entry[11] = attribute.reserved;
    }
    page[362] = 0x82;  // off-line data collection completed
    page[364] = 0x00;
    page[365] = 0x01;  // 256 s off-line collection
    page[367] = 0x7B;  // off-line capabilities
    page[368] = 0x03;  // attribute autosave, saves on power-mode change
    page[370] = 0x01;  // error logging
    page[372] = 0x02;  // short self-test: 2 minutes
    page[373] = 0x0A;  // extended self-test: 10 minutes
    SealSmartPage(page);
    return page;
}

Page BuildSmartThresholds(std::span<const SmartThresholdSpec> thresholds) {
    Page page{};
    page[0] = 0x10;
    for (size_t slot = 0; slot < thresholds.size() && slot < kSmartSlots; ++slot) {
        page[2 + 12 * slot] = thresholds[slot].id;
        page[3 + 12 * slot] = thresholds[slot].threshold;
    }
    SealSmartPage(page);
    return page;
}

void SealSmartPage(Page& page) {
    uint8_t sum = 0;
    for (size_t i = 0; i < 511; ++i)
        sum = static_cast<uint8_t>(sum + page[i]);
    page[511] = static_cast<uint8_t>(0x100 - sum);
}

}  // namespace platform::sim

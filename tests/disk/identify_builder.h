// Builds IDENTIFY DEVICE pages for tests, word by word and string by string.
#pragma once

#include <cstdint>
#include <string_view>

#include "disk/ata_string.h"
#include "disk/drive_record.h"

class IdentifyBuilder {
  public:
    IdentifyBuilder& Word(size_t word, uint16_t value) {
        page_.at(2 * word) = static_cast<uint8_t>(value);
        page_.at(2 * word + 1) = static_cast<uint8_t>(value >> 8);
        return *this;
    }
    // Words word and word+1, low half first, as ATA lays out 32-bit counts.
    IdentifyBuilder& DoubleWord(size_t word, uint32_t value) {
        return Word(word, static_cast<uint16_t>(value))
            .Word(word + 1, static_cast<uint16_t>(value >> 16));
    }
    IdentifyBuilder& Byte(size_t offset, uint8_t value) {
        page_.at(offset) = value;
        return *this;
    }
    // The text in ATA order (first character of each pair in the high byte), blank-padded.
    IdentifyBuilder& AtaText(disk::AtaTextField field, std::string_view text) {
        for (size_t i = 0; i < field.length; ++i)
            page_.at(field.offset + (i ^ 1)) =
                i < text.size() ? static_cast<uint8_t>(text[i]) : ' ';
        return *this;
    }
    // The text in reading order, as a bridge that already swapped the pairs delivers it.
    IdentifyBuilder& StoredText(disk::AtaTextField field, std::string_view text) {
        for (size_t i = 0; i < field.length; ++i)
            page_.at(field.offset + i) = i < text.size() ? static_cast<uint8_t>(text[i]) : ' ';
        return *this;
    }
    // A drive with a model, serial and firmware, a full CHS geometry and nothing else.
    static IdentifyBuilder Minimal() {
        IdentifyBuilder builder;
        builder.AtaText(disk::kModelField, "TEST DRIVE 100")
            .AtaText(disk::kSerialNumberField, "SN0001")
            .AtaText(disk::kFirmwareRevField, "1.0")
            .Word(1, 16383)
            .Word(3, 16)
            .Word(6, 63);
        return builder;
    }
    // Word 255: the integrity signature 0xA5 and a checksum byte that makes the page sum to 0.
    IdentifyBuilder& Checksum() {
        page_[510] = 0xA5;
        uint8_t sum = 0;
        for (size_t i = 0; i < 511; ++i)
            sum = static_cast<uint8_t>(sum + page_[i]);
        page_[511] = static_cast<uint8_t>(-sum);
        return *this;
    }
    const disk::AtaPage& Page() const { return page_; }

  private:
    disk::AtaPage page_{};
};

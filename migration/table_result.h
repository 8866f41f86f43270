// What reading, checking or writing a partition table came to. Every failure has already been
// logged where it happened; the name tells the caller which one it was.
#pragma once

namespace migration {

enum class TableResult {
    kOk,
    kUnreadableSector,  // a sector of the table could not be read
    kBadSignature,      // no boot signature in the MBR, no "EFI PART" in the GPT header
    kBadHeader,         // a GPT header field out of range, or a layout a rewrite cannot use
    kBadHeaderCrc,      // a GPT header whose only fault is its HeaderCRC32
    kBadEntryArrayCrc,  // the GPT entry array does not match its CRC
    kNoTableRead,       // a rewrite was given a context that holds no table
    kTargetTooSmall,    // a kept partition would end beyond the target (or its backup table)
    kSeekFailed,
    kWriteFailed,
    kNotReadBack,  // the table was written but does not read back as a valid one
};

}  // namespace migration

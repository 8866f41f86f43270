// The ATA standard a drive claims: its major version (IDENTIFY word 80) and minor version
// (word 81).
#pragma once

#include <cstdint>
#include <string>

namespace disk {

struct AtaMajorVersion {
    int32_t Number = 0;  // highest standard supported; 0 when the word says nothing
    std::wstring Name;   // "ACS-3", "ATA/ATAPI-7", "----", or empty
};

AtaMajorVersion GetAtaMajorVersion(uint16_t word80);

// The name of the exact revision, "----" for none, or "---- [%04Xh]" for a value not known.
std::wstring GetAtaMinorVersion(uint16_t word81);

}  // namespace disk

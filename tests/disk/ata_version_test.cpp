#include <gtest/gtest.h>

#include "disk/ata_version.h"

namespace disk {

namespace {

void ExpectMajor(uint16_t word, int32_t number, const std::wstring& name) {
    const AtaMajorVersion version = GetAtaMajorVersion(word);
    EXPECT_EQ(version.Number, number) << std::hex << word;
    EXPECT_EQ(version.Name, name) << std::hex << word;
}

}  // namespace

TEST(AtaVersion, MajorIsTheHighestClaimedStandard) {
    ExpectMajor(0x01F0, 8, L"ATA8-ACS");
    // Below the command sets the name is made from the number.
    ExpectMajor(0x0010, 4, L"ATA/ATAPI-4");
    ExpectMajor(0x0008, 3, L"ATA-3");
    // All ones means "not reported"; bit 0 and bit 15 alone claim nothing.
    ExpectMajor(0xFFFF, 0, L"");
    ExpectMajor(0x0001, 0, L"----");
    ExpectMajor(0x8000, 0, L"----");
    ExpectMajor(0xFFFE, 14, L"");  // past ACS-4: counted, but unnamed
}

TEST(AtaVersion, MinorNamesKnownRevisionsAndShowsOthersInHex) {
    EXPECT_EQ(GetAtaMinorVersion(0x0000), L"----");
    EXPECT_EQ(GetAtaMinorVersion(0xFFFF), L"----");
    EXPECT_EQ(GetAtaMinorVersion(0x011C), L"---- [011Ch]");
    EXPECT_EQ(GetAtaMinorVersion(0x011B), L"ACS-3 Revision 4");
    EXPECT_EQ(GetAtaMinorVersion(0x0001), L"ATA (ATA-1) X3T9.2 781D prior to revision 4");
}

}  // namespace disk

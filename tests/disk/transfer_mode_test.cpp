#include <gtest/gtest.h>

#include "disk/drive_codes.h"
#include "disk/transfer_mode.h"

namespace disk {

using enum InterfaceType;

namespace {

void ExpectMode(const TransferModeInfo& info, int32_t code, const std::wstring& max,
                const std::wstring& current, InterfaceType interfaceType) {
    EXPECT_EQ(info.Code, code);
    EXPECT_EQ(info.MaxTransferMode, max);
    EXPECT_EQ(info.CurrentTransferMode, current);
    EXPECT_EQ(info.InterfaceType, interfaceType);
    EXPECT_EQ(info.Interface,
              interfaceType == INTERFACE_TYPE_SATA ? L"Serial ATA" : L"Parallel ATA");
}

}  // namespace

TEST(TransferMode, ParallelDrives) {
    ExpectMode(GetTransferMode(0, 0, 0, 0), TRANSFER_MODE_NONE, L"", L"", INTERFACE_TYPE_PATA);
    ExpectMode(GetTransferMode(0x0407, 0, 0, 0), TRANSFER_MODE_PIO_DMA, L"PIO/DMA", L"PIO/DMA",
               INTERFACE_TYPE_PATA);
    // Only bits 8-10 of word 63 count.
    ExpectMode(GetTransferMode(0x00FF, 0, 0, 0), TRANSFER_MODE_NONE, L"", L"", INTERFACE_TYPE_PATA);
    ExpectMode(GetTransferMode(0, 0, 0, 0x203F), TRANSFER_MODE_UDMA_100, L"UDMA/100", L"UDMA/100",
               INTERFACE_TYPE_PATA);
    ExpectMode(GetTransferMode(0, 0, 0, 0x047F), TRANSFER_MODE_UDMA_133, L"UDMA/133", L"UDMA/33",
               INTERFACE_TYPE_PATA);
    ExpectMode(GetTransferMode(0, 0, 0, 0x0101), TRANSFER_MODE_UDMA_16, L"UDMA/16", L"UDMA/16",
               INTERFACE_TYPE_PATA);
    ExpectMode(GetTransferMode(0, 0, 0, 0x0002), TRANSFER_MODE_UDMA_25, L"UDMA/25", L"",
               INTERFACE_TYPE_PATA);
    ExpectMode(GetTransferMode(0, 0, 0, 0x0008), TRANSFER_MODE_UDMA_44, L"UDMA/44", L"",
               INTERFACE_TYPE_PATA);
    ExpectMode(GetTransferMode(0, 0, 0, 0x1010), TRANSFER_MODE_UDMA_66, L"UDMA/66", L"UDMA/66",
               INTERFACE_TYPE_PATA);
    // A selected mode with nothing supported keeps the multiword DMA text as the maximum.
    ExpectMode(GetTransferMode(0x0100, 0, 0, 0x4000), TRANSFER_MODE_PIO_DMA, L"PIO/DMA",
               L"UDMA/133", INTERFACE_TYPE_PATA);
    // Bits 7 and 15 are no modes.
    ExpectMode(GetTransferMode(0, 0, 0, 0x8080), TRANSFER_MODE_NONE, L"", L"", INTERFACE_TYPE_PATA);
}

TEST(TransferMode, SerialDrives) {
    ExpectMode(GetTransferMode(0x0407, 0x0106, 0x0004, 0x407F), TRANSFER_MODE_SATA_300, L"SATA/300",
               L"SATA/300", INTERFACE_TYPE_SATA);
    ExpectMode(GetTransferMode(0, 0x0106, 0x0002, 0), TRANSFER_MODE_SATA_300, L"SATA/300",
               L"SATA/150", INTERFACE_TYPE_SATA);
    ExpectMode(GetTransferMode(0, 0x010E, 0x0006, 0), TRANSFER_MODE_SATA_600, L"SATA/600",
               L"SATA/600", INTERFACE_TYPE_SATA);
    ExpectMode(GetTransferMode(0, 0x0002, 0x0000, 0), TRANSFER_MODE_SATA_150, L"SATA/150", L"----",
               INTERFACE_TYPE_SATA);
    // Word 77 values of 0 and 4-7 leave the current mode as word 76 set it.
    ExpectMode(GetTransferMode(0, 0x0006, 0x0008, 0), TRANSFER_MODE_SATA_300, L"SATA/300", L"----",
               INTERFACE_TYPE_SATA);
    ExpectMode(GetTransferMode(0, 0x0006, 0x000E, 0), TRANSFER_MODE_SATA_300, L"SATA/300", L"----",
               INTERFACE_TYPE_SATA);
    // SATA without a generation bit keeps the code of the parallel words.
    ExpectMode(GetTransferMode(0, 0x0100, 0, 0x007F), TRANSFER_MODE_UDMA_133, L"SATA/150",
               L"SATA/150", INTERFACE_TYPE_SATA);
    // Bit 4 says the generation is unknown, whatever else is set.
    ExpectMode(GetTransferMode(0, 0x001E, 0x0006, 0), TRANSFER_MODE_SATA_UNKNOWN, L"----",
               L"SATA/600", INTERFACE_TYPE_SATA);
    // Only the low byte of word 76 names generations.
    ExpectMode(GetTransferMode(0, 0x0E00, 0, 0), TRANSFER_MODE_NONE, L"SATA/150", L"SATA/150",
               INTERFACE_TYPE_SATA);
}

TEST(TransferMode, AllOnesWord76StaysParallel) {
    ExpectMode(GetTransferMode(0, 0xFFFF, 0, 0), TRANSFER_MODE_SATA_UNKNOWN, L"----", L"----",
               INTERFACE_TYPE_PATA);
    ExpectMode(GetTransferMode(0, 0xFFFF, 0x0004, 0), TRANSFER_MODE_SATA_UNKNOWN, L"----",
               L"SATA/300", INTERFACE_TYPE_PATA);
}

}  // namespace disk

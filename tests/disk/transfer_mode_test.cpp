#include <gtest/gtest.h>

#include "disk/drive_codes.h"
#include "disk/transfer_mode.h"

namespace disk {

using enum InterfaceType;

TEST(TransferMode, ModesAndInterfaceFromWords63And76To88) {
    constexpr InterfaceType kPata = INTERFACE_TYPE_PATA, kSata = INTERFACE_TYPE_SATA;
    const struct {
        const char* name;
        uint16_t w63, w76, w77, w88;
        int32_t code;
        const wchar_t *max, *current;
        InterfaceType interfaceType;
    } cases[] = {
        {"nothing", 0, 0, 0, 0, TRANSFER_MODE_NONE, L"", L"", kPata},
        {"multiword DMA", 0x0407, 0, 0, 0, TRANSFER_MODE_PIO_DMA, L"PIO/DMA", L"PIO/DMA", kPata},
        // Only bits 8-10 of word 63 count.
        {"word 63 low byte", 0x00FF, 0, 0, 0, TRANSFER_MODE_NONE, L"", L"", kPata},
        {"UDMA/133 at 33", 0, 0, 0, 0x047F, TRANSFER_MODE_UDMA_133, L"UDMA/133", L"UDMA/33", kPata},
        {"UDMA/16", 0, 0, 0, 0x0101, TRANSFER_MODE_UDMA_16, L"UDMA/16", L"UDMA/16", kPata},
        // A selected mode with nothing supported keeps the multiword DMA text as the maximum.
        {"selected only", 0x0100, 0, 0, 0x4000, TRANSFER_MODE_PIO_DMA, L"PIO/DMA", L"UDMA/133",
         kPata},
        // Bits 7 and 15 are no modes.
        {"bits 7 and 15", 0, 0, 0, 0x8080, TRANSFER_MODE_NONE, L"", L"", kPata},
        {"SATA/300", 0x0407, 0x0106, 0x0004, 0x407F, TRANSFER_MODE_SATA_300, L"SATA/300",
         L"SATA/300", kSata},
        {"SATA/300 at 150", 0, 0x0106, 0x0002, 0, TRANSFER_MODE_SATA_300, L"SATA/300", L"SATA/150",
         kSata},
        {"SATA/150", 0, 0x0002, 0, 0, TRANSFER_MODE_SATA_150, L"SATA/150", L"----", kSata},
        // Word 77 values of 0 and above 3 leave the current mode as word 76 set it.
        {"word 77 of 4", 0, 0x0006, 0x0008, 0, TRANSFER_MODE_SATA_300, L"SATA/300", L"----", kSata},
        // SATA without a generation bit keeps the code of the parallel words.
        {"no generation", 0, 0x0100, 0, 0x007F, TRANSFER_MODE_UDMA_133, L"SATA/150", L"SATA/150",
         kSata},
        // Bit 4 says the generation is unknown, whatever else is set.
        {"unknown generation", 0, 0x001E, 0x0006, 0, TRANSFER_MODE_SATA_UNKNOWN, L"----",
         L"SATA/600", kSata},
        // Only the low byte of word 76 names generations.
        {"word 76 high byte", 0, 0x0E00, 0, 0, TRANSFER_MODE_NONE, L"SATA/150", L"SATA/150", kSata},
        // All ones in word 76 stays parallel.
        {"word 76 all ones", 0, 0xFFFF, 0, 0, TRANSFER_MODE_SATA_UNKNOWN, L"----", L"----", kPata},
        {"word 76 all ones at 300", 0, 0xFFFF, 0x0004, 0, TRANSFER_MODE_SATA_UNKNOWN, L"----",
         L"SATA/300", kPata},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TransferModeInfo info = GetTransferMode(c.w63, c.w76, c.w77, c.w88);
        EXPECT_EQ(info.Code, c.code);
        EXPECT_EQ(info.MaxTransferMode, c.max);
        EXPECT_EQ(info.CurrentTransferMode, c.current);
        EXPECT_EQ(info.InterfaceType, c.interfaceType);
        EXPECT_EQ(info.Interface, c.interfaceType == kSata ? L"Serial ATA" : L"Parallel ATA");
    }
}

}  // namespace disk

#include "disk/transfer_mode.h"

#include <array>

#include "disk/drive_codes.h"

namespace disk {

namespace {

struct Mode {
    const wchar_t* name;
    int32_t code;
};

// Ultra DMA modes by bit of word 88: the low byte says what the drive supports, the high
// byte which mode is selected.
constexpr std::array<Mode, 7> kUltraDma = {{
    {L"UDMA/16", TRANSFER_MODE_UDMA_16},
    {L"UDMA/25", TRANSFER_MODE_UDMA_25},
    {L"UDMA/33", TRANSFER_MODE_UDMA_33},
    {L"UDMA/44", TRANSFER_MODE_UDMA_44},
    {L"UDMA/66", TRANSFER_MODE_UDMA_66},
    {L"UDMA/100", TRANSFER_MODE_UDMA_100},
    {L"UDMA/133", TRANSFER_MODE_UDMA_133},
}};

// SATA generations by capability bit of word 76, the first set bit of this order deciding.
// Bit 4 names no generation known here, so a drive that sets it gets the unknown mark.
struct SataCapability {
    int bit;
    Mode mode;
};
constexpr std::array<SataCapability, 4> kSataCapabilities = {{
    {4, {L"----", TRANSFER_MODE_SATA_UNKNOWN}},
    {3, {L"SATA/600", TRANSFER_MODE_SATA_600}},
    {2, {L"SATA/300", TRANSFER_MODE_SATA_300}},
    {1, {L"SATA/150", TRANSFER_MODE_SATA_150}},
}};

// Current SATA speed, (word 77 >> 1) & 7; 0 and values above 3 say nothing.
constexpr std::array<const wchar_t*, 4> kSataCurrent = {L"", L"SATA/150", L"SATA/300", L"SATA/600"};

// The highest set bit among the seven Ultra DMA bits starting at firstBit, or -1.
int HighestUltraDmaBit(uint16_t word88, int firstBit) {
    for (int i = static_cast<int>(kUltraDma.size()) - 1; i >= 0; --i)
        if (word88 & (1u << (firstBit + i))) return i;
    return -1;
}

}  // namespace

TransferModeInfo GetTransferMode(uint16_t word63, uint16_t word76, uint16_t word77,
                                 uint16_t word88) {
    TransferModeInfo info;
    info.Interface = L"Parallel ATA";
    info.InterfaceType = InterfaceType::INTERFACE_TYPE_PATA;
    info.Code = TRANSFER_MODE_NONE;

    if (word63 & 0x0700) {
        info.MaxTransferMode = L"PIO/DMA";
        info.Code = TRANSFER_MODE_PIO_DMA;
        info.CurrentTransferMode = info.MaxTransferMode;
    }
    if (const int supported = HighestUltraDmaBit(word88, 0); supported >= 0) {
        info.MaxTransferMode = kUltraDma[static_cast<size_t>(supported)].name;
        info.Code = kUltraDma[static_cast<size_t>(supported)].code;
    }
    if (const int selected = HighestUltraDmaBit(word88, 8); selected >= 0)
        info.CurrentTransferMode = kUltraDma[static_cast<size_t>(selected)].name;

    if (word76 != 0x0000 && word76 != 0xFFFF) {
        info.MaxTransferMode = L"SATA/150";
        info.CurrentTransferMode = info.MaxTransferMode;
        info.Interface = L"Serial ATA";
        info.InterfaceType = InterfaceType::INTERFACE_TYPE_SATA;
    }
    // Read even when word 76 is all ones, which then reports the unknown generation.
    for (const SataCapability& capability : kSataCapabilities) {
        if (word76 & (1u << capability.bit)) {
            info.MaxTransferMode = capability.mode.name;
            info.Code = capability.mode.code;
            info.CurrentTransferMode = L"----";
            break;
        }
    }
    const unsigned speed = (word77 >> 1) & 7u;
    if (speed >= 1 && speed < kSataCurrent.size()) info.CurrentTransferMode = kSataCurrent[speed];
    return info;
}

}  // namespace disk

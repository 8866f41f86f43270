// The transfer mode and bus of an ATA drive, from IDENTIFY words 63 (multiword DMA), 76 and 77
// (SATA capabilities and current speed) and 88 (Ultra DMA).
#pragma once

#include <cstdint>
#include <string>

#include "disk/drive_codes.h"

namespace disk {

struct TransferModeInfo {
    int32_t Code = 0;  // TRANSFER_MODE_ value of MaxTransferMode
    std::wstring MaxTransferMode;
    std::wstring CurrentTransferMode;
    std::wstring Interface;  // "Parallel ATA" or "Serial ATA"
    disk::InterfaceType InterfaceType = disk::InterfaceType::INTERFACE_TYPE_UNKNOWN;
};

TransferModeInfo GetTransferMode(uint16_t word63, uint16_t word76, uint16_t word77,
                                 uint16_t word88);

}  // namespace disk

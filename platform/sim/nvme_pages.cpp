#include "platform/sim/nvme_pages.h"

namespace platform::sim {

void PutNumber(std::span<uint8_t> bytes, const NvmeNumberField& field, uint64_t value) {
    for (size_t i = 0; i < field.width; ++i)
        bytes[field.offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

void PutText(std::span<uint8_t> bytes, const NvmeTextField& field, std::string_view text) {
    for (size_t i = 0; i < field.width; ++i)
        bytes[field.offset + i] = static_cast<uint8_t>(i < text.size() ? text[i] : ' ');
}

}  // namespace platform::sim

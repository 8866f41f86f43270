// The two NVMe structures a drive answers with, built from named fields: the Identify
// Controller data (4096 bytes) and the SMART / Health Information log page (512 bytes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace platform::sim {

// A numeric field of either structure: its byte offset and width (little-endian).
struct NvmeNumberField {
    std::string_view name;
    size_t offset;
    size_t width;
};

inline constexpr NvmeNumberField kNvmeIdentifyNumbers[] = {
    {"vid", 0, 2},      {"ssvid", 2, 2},        {"controllerId", 78, 2},
    {"version", 80, 4}, {"namespaces", 516, 4}, {"totalCapacity", 280, 8},
};

// Text fields of the identify data: ASCII, blank-padded, in reading order.
struct NvmeTextField {
    std::string_view name;
    size_t offset;
    size_t width;
};
inline constexpr NvmeTextField kNvmeIdentifyTexts[] = {
    {"serial", 4, 20},
    {"model", 24, 40},
    {"firmware", 64, 8},
};

inline constexpr NvmeNumberField kNvmeHealthNumbers[] = {
    {"criticalWarning", 0, 1},         {"temperatureKelvin", 1, 2}, {"availableSpare", 3, 1},
    {"availableSpareThreshold", 4, 1}, {"percentageUsed", 5, 1},    {"dataUnitsRead", 32, 8},
    {"dataUnitsWritten", 48, 8},       {"hostReadCommands", 64, 8}, {"hostWriteCommands", 80, 8},
    {"controllerBusyTime", 96, 8},     {"powerCycles", 112, 8},     {"powerOnHours", 128, 8},
    {"unsafeShutdowns", 144, 8},       {"mediaErrors", 160, 8},     {"errorLogEntries", 176, 8},
};

void PutNumber(std::span<uint8_t> bytes, const NvmeNumberField& field, uint64_t value);
void PutText(std::span<uint8_t> bytes, const NvmeTextField& field, std::string_view text);

}  // namespace platform::sim

// Reads and validates a machine description. Every complaint names the file, the JSON path
// and the problem; a file that loads has no unknown keys and no value out of range.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/sim/machine.h"

namespace platform::sim {

inline constexpr std::string_view kMachineFormat = "tramsik-machine/1";

// `displayName` names the document in messages; relative image paths are taken from
// `baseFolder`. On failure: nullopt and "<displayName>: <path>: <problem>" in *error.
std::optional<Machine> ParseMachine(std::string_view text, const std::string& displayName,
                                    const std::filesystem::path& baseFolder, std::string* error);

std::optional<Machine> LoadMachineFile(const std::filesystem::path& file, std::string* error);

}  // namespace platform::sim

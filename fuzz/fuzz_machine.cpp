// Arbitrary text as a whole machine file. The loader either refuses it with a message that names
// the document and a JSON path, or gives a machine whose drives and volumes keep the promises
// the simulator builds on, and which, written back, reads as the same machine.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/sim/machine_loader.h"
#include "platform/sim/machine_writer.h"

using namespace platform::sim;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto machine =
        ParseMachine(text, "fuzz.json", std::filesystem::temp_directory_path(), &error);
    if (!machine) {
        if (error.rfind("fuzz.json: $", 0) != 0) __builtin_trap();
        return 0;
    }
    for (const DriveSpec& drive : machine->drives) {
        if (drive.size == 0 || drive.size % 512 != 0) __builtin_trap();
        if (drive.layout)
            for (const PartitionSpec& partition : drive.layout->partitions)
                if (partition.sectorCount == 0 ||
                    partition.startLba + partition.sectorCount > drive.size / 512)
                    __builtin_trap();
    }
    for (const VolumeSpec& volume : machine->volumes)
        if (volume.letter < L'A' || volume.letter > L'Z') __builtin_trap();
    const std::string written = WriteMachine(*machine);
    const auto again = ParseMachine(written, "written.json", {}, &error);
    if (!again || WriteMachine(*again) != written) __builtin_trap();
    return 0;
}

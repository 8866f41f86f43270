#include <gtest/gtest.h>

#include "platform/sim/machine_loader.h"
#include "platform/sim/machine_writer.h"
#include "tests/support/machine_files.h"

namespace {

using platform::sim::LoadMachineFile;
using platform::sim::ParseMachine;
using platform::sim::WriteMachine;

// Written and read again, a machine is the same machine: its second writing is the first.
TEST(MachineWriter, EveryMachineReadsBackAsWritten) {
    const auto files = AllMachineFiles();
    ASSERT_GE(files.size(), 5u);
    for (const auto& file : files) {
        std::string error;
        const auto machine = LoadMachineFile(file, &error);
        ASSERT_TRUE(machine) << error;
        const std::string written = WriteMachine(*machine);
        const auto again = ParseMachine(written, "written.json", {}, &error);
        ASSERT_TRUE(again) << file << ": " << error;
        EXPECT_EQ(WriteMachine(*again), written) << file;
        EXPECT_EQ(again->name, machine->name) << file;
    }
}

}  // namespace

// Writes a machine as a machine description that reads back to the same machine: every value
// stated, pages as hex dumps, no image file (a new image gets the layout). Faults are a test's
// business and are never written.
#pragma once

#include <string>

#include "platform/sim/machine.h"

namespace platform::sim {

// The JSON text, two-space indented, ending in a newline. An empty machine name is left out,
// so the file's own name names its images.
std::string WriteMachine(const Machine& machine);

}  // namespace platform::sim

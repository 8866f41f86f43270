// The built-in demo machine: machines/demo.json, compiled into the program.
#pragma once

#include <string_view>

namespace platform {

std::string_view DemoMachineJson();

}  // namespace platform

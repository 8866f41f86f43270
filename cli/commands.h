// Running a parsed command line: choose the machine, the language and the log, take the
// inventory, and print what the command asks for.
#pragma once

#include <cstdio>

#include "cli/options.h"

namespace cli {

// The exit status of the run. Results go to `out`, messages to `err`, both UTF-8.
int RunCommand(const CliOptions& options, std::FILE* out, std::FILE* err);

}  // namespace cli

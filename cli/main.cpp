// tramsik-cli: lists the drives of a machine, shows their S.M.A.R.T. tables and reports
// everything as text or JSON.
#include <cstdio>
#include <iostream>

#include "cli/commands.h"
#include "cli/options.h"

int main(int argc, char** argv) {
    cli::CliOptions options;
    const cli::ParseOutcome parsed =
        cli::ParseCommandLine(argc, argv, &options, std::cout, std::cerr);
    if (!parsed.Run) return parsed.ExitCode;
    const int status = cli::RunCommand(options, stdout, stderr);
    std::fflush(stdout);
    return status;
}

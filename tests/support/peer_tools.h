// The independent tools of the host (sgdisk, sfdisk, fdisk) that judge the partition tables
// the program writes. A Windows test program cannot start them (it runs under Wine); there
// the host judges the tables after the run instead.
#pragma once

#include <filesystem>
#include <string>

struct ToolRun {
    int status = -1;
    std::string output;  // stdout and stderr together
};

// The first of the usual places that holds the tool; empty when it is not installed, or not
// reachable from this build.
std::string FindTool(const std::string& name);

// Runs a tool with `arguments` on `file`.
ToolRun RunTool(const std::string& tool, const std::string& arguments,
                const std::filesystem::path& file);

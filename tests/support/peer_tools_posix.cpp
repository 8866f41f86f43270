#include <cstdio>

#include "tests/support/peer_tools.h"

std::string FindTool(const std::string& name) {
    for (const char* folder : {"/usr/sbin/", "/sbin/", "/usr/bin/", "/bin/"})
        if (std::filesystem::exists(std::string(folder) + name)) return std::string(folder) + name;
    return {};
}

ToolRun RunTool(const std::string& tool, const std::string& arguments,
                const std::filesystem::path& file) {
    ToolRun run;
    const std::string command = tool + " " + arguments + " '" + file.string() + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.output.append(buffer, n);
    run.status = pclose(pipe);
    return run;
}

#include "tests/support/peer_tools.h"

std::string FindTool(const std::string&) {
    return {};
}

ToolRun RunTool(const std::string&, const std::string&, const std::filesystem::path&) {
    return {};
}

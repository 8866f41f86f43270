// Small readers for sysfs and procfs texts: attributes end with a newline and numbers are
// decimal unless a caller says otherwise.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/linux/kernel_io.h"

namespace platform::linux_backend {

std::string_view TrimText(std::string_view text);
std::optional<uint64_t> ParseNumber(std::string_view text, int base = 10);
// The trimmed attribute, or empty when it cannot be read.
std::string ReadAttribute(KernelIo& kernel, const std::string& path);
std::optional<uint64_t> ReadNumber(KernelIo& kernel, const std::string& path, int base = 10);
// "/a/b/c" -> "/a/b"; "/" stays "/".
std::string ParentPath(const std::string& path);
std::string LastComponent(const std::string& path);

}  // namespace platform::linux_backend

#include "platform/linux/sysfs_text.h"

#include <charconv>

namespace platform::linux_backend {

std::string_view TrimText(std::string_view text) {
    constexpr std::string_view kSpace = " \t\r\n";
    const size_t first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

std::optional<uint64_t> ParseNumber(std::string_view text, int base) {
    text = TrimText(text);
    if (base == 16 && (text.starts_with("0x") || text.starts_with("0X"))) text.remove_prefix(2);
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::string ReadAttribute(KernelIo& kernel, const std::string& path) {
    const auto text = kernel.ReadText(path);
    return text ? std::string(TrimText(*text)) : std::string();
}

std::optional<uint64_t> ReadNumber(KernelIo& kernel, const std::string& path, int base) {
    const auto text = kernel.ReadText(path);
    return text ? ParseNumber(*text, base) : std::nullopt;
}

std::string ParentPath(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return "/";
    return path.substr(0, slash);
}

std::string LastComponent(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace platform::linux_backend

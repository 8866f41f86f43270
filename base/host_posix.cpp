#include <chrono>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "base/host.h"
#include "base/utf8.h"

namespace base {

std::wstring ExecutablePath() {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::wstring() : FromUtf8(path.string());
}

LocalTime CurrentLocalTime() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,       parts.tm_hour,
            parts.tm_min,         parts.tm_sec,     static_cast<int>(ms)};
}

// Terminals and log readers here expect UTF-8 with bare line feeds.
std::string LogLineBytes(const std::wstring& line) {
    return ToUtf8(line) + "\n";
}

void WriteText(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

}  // namespace base

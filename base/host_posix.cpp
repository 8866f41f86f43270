#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "base/host.h"
#include "base/log.h"
#include "base/utf8.h"

namespace base {

std::wstring ExecutablePath() {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::wstring() : FromUtf8(path.string());
}

std::wstring LogPath() {
    const std::wstring beside = DiagnosticLog::PathFor(ExecutablePath());
    const std::filesystem::path path(ToUtf8(beside));
    if (beside.empty() || !path.string().starts_with("/usr/")) return beside;
    std::filesystem::path folder;
    if (::geteuid() == 0) {
        folder = "/var/log/tramsik";
    } else if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == '/') {
        folder = std::filesystem::path(state) / "tramsik";
    } else if (const char* home = std::getenv("HOME"); home && *home == '/') {
        folder = std::filesystem::path(home) / ".local/state/tramsik";
    } else {
        return std::wstring();
    }
    // Without its folder the log is silently not written, as every other failure of the log.
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return FromUtf8((folder / path.filename()).string());
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

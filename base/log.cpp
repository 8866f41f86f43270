#include "base/log.h"

#include <chrono>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <thread>

#include "base/host.h"
#include "base/utf8.h"
#include "base/wide_chars.h"

std::wstring DiagnosticLog::PathFor(const std::wstring& executablePath) {
    if (executablePath.empty()) return std::wstring();
    // Only a dot in the file name starts an extension; a dot in a folder name does not.
    const size_t nameStart = executablePath.find_last_of(L"/\\");
    const size_t dot = executablePath.rfind(L'.');
    const bool hasExtension =
        dot != std::wstring::npos && (nameStart == std::wstring::npos || dot > nameStart);
    return (hasExtension ? executablePath.substr(0, dot) : executablePath) + L".log";
}

void DiagnosticLog::StartAt(const std::wstring& logPath) {
    if (!notStarted_) return;
    notStarted_ = false;
    path_ = logPath;
    if (path_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove(PathFromWide(path_), ignored);
}

void DiagnosticLog::Write(const wchar_t* format, va_list arguments) {
    wchar_t message[kMaxMessage + 1];
    message[0] = L'\0';
    // A message too long for the buffer comes back cut, but the C library need not terminate it
    // then (glibc does not); the -1 it returns is not an error for the log.
    std::vswprintf(message, kMaxMessage + 1, format, arguments);
    message[kMaxMessage] = L'\0';

    const base::LocalTime t = base::CurrentLocalTime();
    wchar_t stamp[64];
    std::swprintf(stamp, 64, L"%d-%d-%d %d:%d:%d:   ", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    // A message cut at the end of the buffer may end in half a character; that half goes.
    const std::string line = base::LogLineBytes(
        std::wstring(stamp) + std::wstring(base::FirstUnits(message, kMaxMessage)));

    while (lock_.exchange(1) == 1)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!path_.empty()) {
        // Opened and closed per line, so a crash loses at most the line being written.
        std::ofstream file(PathFromWide(path_), std::ios::binary | std::ios::app);
        file.write(line.data(), static_cast<std::streamsize>(line.size()));
    }
    lock_.exchange(0);
}

void DiagnosticLog::WriteFormatted(const wchar_t* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    Write(format, arguments);
    va_end(arguments);
}

DiagnosticLog& ProcessLog() {
    static DiagnosticLog log;
    return log;
}

void WriteLog(const wchar_t* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    ProcessLog().Write(format, arguments);
    va_end(arguments);
}

void StartLog() {
    ProcessLog().StartAt(base::LogPath());
}

void StartLogAt(const std::wstring& logPath) {
    ProcessLog().StartAt(logPath);
}

// The process facts on Windows. The log is kept the way the system's own text files are: in the
// ANSI code page, with CR LF line ends.
#include <io.h>
#include <windows.h>

#include "base/host.h"
#include "base/log.h"
#include "base/utf8.h"
#include "base/wide_chars.h"

namespace base {

namespace {

// The longest path Windows accepts (with the long-path prefix), in units.
constexpr size_t kLongestPath = 32768;

// Older consoles refuse one large write, so text goes in pieces of this many units.
constexpr size_t kConsolePiece = 8192;

// The console behind `stream`, or null when it leads to a pipe or a file.
HANDLE ConsoleOf(std::FILE* stream) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

}  // namespace

std::wstring ExecutablePath() {
    // A path longer than the buffer comes back cut; the buffer grows until the path fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= kLongestPath) return {};
        path.resize(path.size() * 2);
    }
}

std::wstring LogPath() {
    return DiagnosticLog::PathFor(ExecutablePath());
}

LocalTime CurrentLocalTime() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear,   now.wMonth,  now.wDay,         now.wHour,
            now.wMinute, now.wSecond, now.wMilliseconds};
}

std::string LogLineBytes(const std::wstring& line) {
    std::wstring text;
    text.reserve(line.size() + 2);
    for (const wchar_t c : line) {
        // A line end the text already spells as CR LF stays as it is.
        if (c == L'\n' && (text.empty() || text.back() != L'\r')) text += L'\r';
        text += c;
    }
    text += L"\r\n";
    const int units = static_cast<int>(text.size());
    const int size =
        WideCharToMultiByte(CP_ACP, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string bytes(static_cast<size_t>(size), '\0');
    if (WideCharToMultiByte(CP_ACP, 0, text.data(), units, bytes.data(), size, nullptr, nullptr) !=
        size)
        return {};
    return bytes;
}

void WriteText(std::FILE* stream, std::string_view text) {
    const HANDLE console = ConsoleOf(stream);
    if (!console) {
        std::fwrite(text.data(), 1, text.size(), stream);
        return;
    }
    // Whatever the stream still holds was written before this text.
    std::fflush(stream);
    const std::wstring wide = FromUtf8(text);
    std::wstring_view rest = wide;
    while (!rest.empty()) {
        const std::wstring_view piece = FirstUnits(rest, kConsolePiece);
        DWORD written = 0;
        if (!WriteConsoleW(console, piece.data(), static_cast<DWORD>(piece.size()), &written,
                           nullptr) ||
            written == 0)
            return;
        rest.remove_prefix(written);
    }
}

}  // namespace base

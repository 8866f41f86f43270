// Facts about the running process, and the host's ways of writing text, that do not depend on
// the chosen backend: the same for a simulated machine as for the real one. Each host system has
// its own file of them (host_posix.cpp, host_win32.cpp).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace base {

struct LocalTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0, milliseconds = 0;
};

// Full path of the running executable, as the operating system reports it; empty if unknown.
std::wstring ExecutablePath();

// Where the running program keeps its diagnostic log: beside the executable, its extension
// replaced by ".log". A program installed under /usr on a POSIX host may not write there: its
// log goes to /var/log/tramsik/ when it runs as root, else to the user's state folder
// ($XDG_STATE_HOME, by default ~/.local/state, then tramsik/). Empty if unknown.
std::wstring LogPath();

// The wall clock in the local time zone.
LocalTime CurrentLocalTime();

// One line of the diagnostic log as the host keeps its log: `line` in the host's encoding, each
// "\n" in it and the line end added after it written as the host ends lines. Empty when the
// line cannot be encoded.
std::string LogLineBytes(const std::wstring& line);

// Writes UTF-8 `text` to `stream` so that a person sees it intact: to a console in the console's
// own way, to a pipe or file as the UTF-8 bytes.
void WriteText(std::FILE* stream, std::string_view text);

}  // namespace base

// Facts about the running process that do not depend on the chosen backend: the same for a
// simulated machine as for the real one.
#pragma once

#include <string>

namespace base {

struct LocalTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0, milliseconds = 0;
};

// Full path of the running executable, as the operating system reports it; empty if unknown.
std::wstring ExecutablePath();

// The wall clock in the local time zone.
LocalTime CurrentLocalTime();

}  // namespace base

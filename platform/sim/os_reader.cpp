// The "os" section: version, service pack, architecture, code page, system folder, the
// management service and the clock a machine starts with.
#include <cstdio>

#include "platform/sim/section_readers.h"

namespace platform::sim {

namespace {

LocalTime ParseLocalTime(const Field& field) {
    const std::string text = field.Text();
    LocalTime t;
    char separator = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d", &t.year, &t.month, &t.day, &separator,
                    &t.hour, &t.minute, &t.second) != 7 ||
        separator != 'T' || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 ||
        t.minute > 59 || t.second > 59)
        field.Fail("expected a local time such as \"2026-01-15T09:30:00\", found \"" + text + "\"");
    return t;
}

}  // namespace

OsSpec ReadOs(const Field& field) {
    ObjectReader os(field, {"major", "minor", "build", "platformId", "csdVersion",
                            "servicePackMajor", "servicePackMinor", "versionInfoEx", "architecture",
                            "codePage", "systemDirectory", "winmgmt", "winmgmtStartMs",
                            "scConfigWorks", "wmi", "heldMutexes", "tickStart", "localTime"});
    OsSpec config;
    config.major = static_cast<DWORD>(os.Required("major").Unsigned(UINT32_MAX));
    config.minor = static_cast<DWORD>(os.Required("minor").Unsigned(UINT32_MAX));
    config.build = OptionalUnsigned<DWORD>(os, "build", config.build, UINT32_MAX);
    config.platformId = OptionalUnsigned<DWORD>(os, "platformId", config.platformId, UINT32_MAX);
    if (auto csd = os.Optional("csdVersion")) {
        config.csdVersion = csd->WideText();
        if (config.csdVersion.size() > 127)
            csd->Fail("longer than the 127 characters the record holds");
    }
    config.servicePackMajor = OptionalUnsigned<WORD>(os, "servicePackMajor", 0, 0xFFFF);
    config.servicePackMinor = OptionalUnsigned<WORD>(os, "servicePackMinor", 0, 0xFFFF);
    config.versionInfoEx = OptionalBool(os, "versionInfoEx", true);
    if (auto arch = os.Optional("architecture"))
        config.architecture = Pick(*arch, kArchitectureNames);
    config.codePage = OptionalUnsigned<UINT>(os, "codePage", config.codePage, 0xFFFF);
    if (auto dir = os.Optional("systemDirectory")) {
        config.systemDirectory = dir->WideText();
        if (config.systemDirectory.size() < 3 || config.systemDirectory[1] != L':')
            dir->Fail(
                "expected a path that starts with a drive letter, such as "
                "\"C:\\\\Windows\\\\system32\"");
    }
    if (auto winmgmt = os.Optional("winmgmt")) config.winmgmt = Pick(*winmgmt, kWinmgmtNames);
    config.winmgmtStartMs = OptionalUnsigned<DWORD>(os, "winmgmtStartMs", 0, 3600000);
    config.scConfigWorks = OptionalBool(os, "scConfigWorks", true);
    if (auto wmi = os.Optional("wmi")) config.wmi = Pick(*wmi, kWmiStateNames);
    if (auto mutexes = os.Optional("heldMutexes"))
        for (const Field& item : mutexes->Items())
            config.heldMutexes.push_back(item.WideText());
    config.tickStart = OptionalUnsigned<DWORD>(os, "tickStart", config.tickStart, UINT32_MAX);
    if (auto time = os.Optional("localTime")) config.localTime = ParseLocalTime(*time);
    os.Close();
    return config;
}

}  // namespace platform::sim

#include "disk/os_version.h"

#include <cstring>

#include "base/log.h"
#include "disk/leading_number.h"
#include "platform/platform.h"
#include "platform/win_constants.h"

namespace disk {

namespace {

struct OsName {
    unsigned major, minor;
    const wchar_t* name;
};
constexpr OsName kOsNames[] = {
    {6, 0, L"Windows vista"}, {6, 1, L"Windows 7"},   {6, 2, L"Windows 8"},
    {6, 3, L"Windows 8.1"},   {10, 0, L"Windows 10"},
};

struct WidthSuffix {
    platform::WORD architecture;
    const wchar_t* suffix;
};
constexpr WidthSuffix kWidths[] = {
    {platform::PROCESSOR_ARCHITECTURE_AMD64, L" 64"},
    {platform::PROCESSOR_ARCHITECTURE_INTEL, L" 32"},
};

std::wstring CsdText(const platform::OSVERSIONINFOEXW& record) {
    std::wstring text;
    for (char16_t unit : record.szCSDVersion) {
        if (unit == u'\0') break;
        text += static_cast<wchar_t>(unit);
    }
    return text;
}

// A system other than Windows names itself where Windows keeps its service-pack text (the Linux
// backend puts the distribution's name there); Windows leaves that text empty or starts it with
// "Service Pack".
bool NamesItself(const std::wstring& csd) {
    return !csd.empty() && !csd.starts_with(L"Service Pack");
}

}  // namespace

void ReadOsVersion(platform::OSVERSIONINFOEXW* record) {
    std::memset(record, 0, sizeof *record);
    record->dwOSVersionInfoSize = platform::kOsVersionInfoExSize;
    if (!platform::GetVersionExW(record)) {
        record->dwOSVersionInfoSize = platform::kOsVersionInfoSize;
        platform::GetVersionExW(record);
    }
}

int ServicePackNumber(const platform::OSVERSIONINFOEXW& record) {
    static const std::wstring kPrefix = L"Service Pack ";
    std::wstring text = CsdText(record);
    for (size_t at; (at = text.find(kPrefix)) != std::wstring::npos;)
        text.erase(at, kPrefix.size());
    return LeadingInteger(text);
}

std::wstring GetOsName(const platform::OSVERSIONINFOEXW& record) {
    platform::SYSTEM_INFO system;
    platform::GetNativeSystemInfo(&system);
    WriteLog(L"system version: major=%d, minor=%d\n", static_cast<int>(record.dwMajorVersion),
             static_cast<int>(record.dwMinorVersion));

    std::wstring name = CsdText(record);
    if (!NamesItself(name)) name.clear();
    if (name.empty() && record.dwPlatformId == platform::VER_PLATFORM_WIN32_NT &&
        record.dwMajorVersion > 4) {
        for (const OsName& known : kOsNames)
            if (known.major == record.dwMajorVersion && known.minor == record.dwMinorVersion)
                name = known.name;
    }
    for (const WidthSuffix& width : kWidths)
        if (width.architecture == system.wProcessorArchitecture) name += width.suffix;
    return name;
}

bool AtaPassThroughAvailableFor(const platform::OSVERSIONINFOEXW& record) {
    const auto major = record.dwMajorVersion, minor = record.dwMinorVersion;
    return major >= 6 || (major == 5 && minor == 2) ||
           (major == 5 && minor == 1 && ServicePackNumber(record) >= 2);
}

bool StorageQueryAvailableFor(const platform::OSVERSIONINFOEXW& record) {
    return record.dwMajorVersion >= 10;
}

}  // namespace disk

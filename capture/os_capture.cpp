// The "os" section: the version record the inventory read, the processor, code page and system
// folder, and whether management instrumentation answered.
#include "capture/capture_parts.h"
#include "platform/platform.h"

namespace capture {

using platform::sim::OsSpec;

OsSpec CaptureOs(const disk::CAtaSmart& engine) {
    const platform::OSVERSIONINFOEXW& version = engine.OsVersion;
    OsSpec os;
    os.major = version.dwMajorVersion;
    os.minor = version.dwMinorVersion;
    os.build = version.dwBuildNumber;
    os.platformId = version.dwPlatformId;
    for (const char16_t* c = version.szCSDVersion;
         c < std::end(version.szCSDVersion) && *c != u'\0'; ++c)
        os.csdVersion += static_cast<wchar_t>(*c);
    // The inventory fell back to the short record when the system refused the long one.
    os.versionInfoEx = version.dwOSVersionInfoSize == platform::kOsVersionInfoExSize;
    if (os.versionInfoEx) {
        os.servicePackMajor = version.wServicePackMajor;
        os.servicePackMinor = version.wServicePackMinor;
    }
    platform::SYSTEM_INFO system;
    platform::GetNativeSystemInfo(&system);
    // The two architectures a machine file knows; every 64-bit one reads as amd64.
    os.architecture = system.wProcessorArchitecture == 0 ? 0 : 9;
    os.codePage = platform::GetACP();
    wchar_t folder[260] = {};
    const platform::UINT length = platform::GetSystemDirectoryW(folder, std::size(folder));
    if (length >= 3 && length < std::size(folder)) os.systemDirectory.assign(folder, length);
    os.wmi =
        engine.WmiAvailable ? platform::sim::WmiState::Ok : platform::sim::WmiState::ConnectFails;
    os.tickStart = platform::GetTickCount();
    os.localTime = platform::GetLocalTime();
    os.localTime.milliseconds = 0;
    return os;
}

}  // namespace capture

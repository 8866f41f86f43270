// The Windows types the engine is written in: integers, handles and the version, processor and
// service records. Every backend speaks them, so engine code reads the same whatever machine it
// runs on.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using BOOL = int32_t;
using LONG = int32_t;
using HRESULT = int32_t;
using ULONGLONG = uint64_t;
using HANDLE = void*;
using SC_HANDLE = void*;

// The version record of GetVersionExW. The service-pack text is UTF-16 whatever wchar_t is,
// so the two sizes the call accepts are the same on every build.
#pragma pack(push, 1)
struct OSVERSIONINFOEXW {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    char16_t szCSDVersion[128];
    WORD wServicePackMajor;
    WORD wServicePackMinor;
    WORD wSuiteMask;
    BYTE wProductType;
    BYTE wReserved;
};
#pragma pack(pop)
// The older record without the service-pack numbers ends where wServicePackMajor starts.
inline constexpr uint32_t kOsVersionInfoSize = 276;
inline constexpr uint32_t kOsVersionInfoExSize = 284;
static_assert(sizeof(OSVERSIONINFOEXW) == kOsVersionInfoExSize);
static_assert(offsetof(OSVERSIONINFOEXW, szCSDVersion) == 20);
static_assert(offsetof(OSVERSIONINFOEXW, wServicePackMajor) == kOsVersionInfoSize);

// What GetNativeSystemInfo reports that the engine uses.
struct SYSTEM_INFO {
    WORD wProcessorArchitecture = 0;
    DWORD dwPageSize = 0;
    DWORD dwNumberOfProcessors = 0;
};

struct SERVICE_STATUS {
    DWORD dwServiceType;
    DWORD dwCurrentState;
    DWORD dwControlsAccepted;
    DWORD dwWin32ExitCode;
    DWORD dwServiceSpecificExitCode;
    DWORD dwCheckPoint;
    DWORD dwWaitHint;
};

}  // namespace platform

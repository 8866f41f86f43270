// The service control manager, starting programs, and what the system says of itself.
#include <algorithm>
#include <iterator>

#include "platform/win32/com_thread.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/windows_api.h"

#include <shellapi.h>

namespace platform::win32 {

namespace {

::SC_HANDLE Service(SC_HANDLE handle) {
    return static_cast<::SC_HANDLE>(handle);
}

}  // namespace

SC_HANDLE Win32Platform::OpenSCManagerW(const wchar_t* machine, const wchar_t* database,
                                        DWORD access) {
    return ::OpenSCManagerW(machine, database, access);
}

SC_HANDLE Win32Platform::OpenServiceW(SC_HANDLE manager, const wchar_t* name, DWORD access) {
    return ::OpenServiceW(Service(manager), name, access);
}

BOOL Win32Platform::QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) {
    ::SERVICE_STATUS now{};
    const ::BOOL ok = ::QueryServiceStatus(Service(service), &now);
    if (ok) {
        *status = {.dwServiceType = now.dwServiceType,
                   .dwCurrentState = now.dwCurrentState,
                   .dwControlsAccepted = now.dwControlsAccepted,
                   .dwWin32ExitCode = now.dwWin32ExitCode,
                   .dwServiceSpecificExitCode = now.dwServiceSpecificExitCode,
                   .dwCheckPoint = now.dwCheckPoint,
                   .dwWaitHint = now.dwWaitHint};
    }
    return ok;
}

BOOL Win32Platform::StartServiceW(SC_HANDLE service, DWORD argumentCount,
                                  const wchar_t** arguments) {
    return ::StartServiceW(Service(service), argumentCount, arguments);
}

BOOL Win32Platform::CloseServiceHandle(SC_HANDLE handle) {
    return ::CloseServiceHandle(Service(handle));
}

intptr_t Win32Platform::ShellExecuteW(const wchar_t* verb, const wchar_t* file,
                                      const wchar_t* parameters, const wchar_t* directory,
                                      int show) {
    // The shell may hand the request to an extension it reaches through COM.
    StartComOnThisThread();
    // The result is a number dressed as a module handle.
    return reinterpret_cast<intptr_t>(
        ::ShellExecuteW(nullptr, verb, file, parameters, directory, show));
}

// Both records have the seam's sizes, so the caller's size field goes to Windows unchanged and
// an old system refuses the longer record just as it would refuse the caller.
static_assert(sizeof(::OSVERSIONINFOEXW) == kOsVersionInfoExSize);
static_assert(sizeof(::OSVERSIONINFOW) == kOsVersionInfoSize);

BOOL Win32Platform::GetVersionExW(OSVERSIONINFOEXW* info) {
    ::OSVERSIONINFOEXW real{};
    real.dwOSVersionInfoSize = info->dwOSVersionInfoSize;
    if (!::GetVersionExW(reinterpret_cast<::OSVERSIONINFOW*>(&real))) return FALSE;
    info->dwMajorVersion = real.dwMajorVersion;
    info->dwMinorVersion = real.dwMinorVersion;
    info->dwBuildNumber = real.dwBuildNumber;
    info->dwPlatformId = real.dwPlatformId;
    std::copy(std::begin(real.szCSDVersion), std::end(real.szCSDVersion), info->szCSDVersion);
    if (info->dwOSVersionInfoSize == kOsVersionInfoExSize) {
        info->wServicePackMajor = real.wServicePackMajor;
        info->wServicePackMinor = real.wServicePackMinor;
        info->wSuiteMask = real.wSuiteMask;
        info->wProductType = real.wProductType;
        info->wReserved = real.wReserved;
    }
    return TRUE;
}

void Win32Platform::GetNativeSystemInfo(SYSTEM_INFO* info) {
    // Looked up, not linked: a system before it has only its own view, which is then the
    // machine's.
    using NativeSystemInfo = void(WINAPI*)(::LPSYSTEM_INFO);
    ::SYSTEM_INFO real{};
    if (const auto native =
            LookUp<NativeSystemInfo>(::GetModuleHandleW(L"kernel32.dll"), "GetNativeSystemInfo"))
        native(&real);
    else
        ::GetSystemInfo(&real);
    info->wProcessorArchitecture = real.wProcessorArchitecture;
    info->dwPageSize = real.dwPageSize;
    info->dwNumberOfProcessors = real.dwNumberOfProcessors;
}

UINT Win32Platform::GetACP() {
    return ::GetACP();
}

}  // namespace platform::win32

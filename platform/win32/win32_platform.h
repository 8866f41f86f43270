// The Windows backend: every call of the seam passed straight to the system, so the engine's
// requests reach the real drivers as they are built and the system's errors come back as the
// system gave them. The seam's integers are converted at each call; Windows' DWORD is an
// unsigned long, the seam's a 32-bit unsigned int.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace platform::win32 {

class Win32Platform : public Platform {
  public:
    // Files and devices (win32_platform.cpp).
    HANDLE CreateFileW(const wchar_t* name, DWORD access, DWORD share, DWORD disposition,
                       DWORD flags) override;
    BOOL DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out,
                         DWORD outSize, DWORD* returned) override;
    BOOL SetFilePointerEx(HANDLE file, int64_t distance, int64_t* newPosition,
                          DWORD method) override;
    BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read) override;
    BOOL WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD* written) override;
    BOOL FlushFileBuffers(HANDLE file) override;
    BOOL CloseHandle(HANDLE handle) override;
    DWORD GetLastError() override;
    void SetLastError(DWORD error) override;
    BOOL DefineDosDeviceW(DWORD flags, const wchar_t* name, const wchar_t* target) override;

    // Volumes and paths (win32_platform.cpp).
    UINT GetDriveTypeW(const wchar_t* root) override;
    BOOL GetDiskFreeSpaceExW(const wchar_t* root, ULONGLONG* availableToCaller, ULONGLONG* total,
                             ULONGLONG* totalFree) override;
    BOOL GetVolumeInformationW(const wchar_t* root, wchar_t* volumeName, DWORD volumeNameSize,
                               DWORD* serialNumber, DWORD* maxComponentLength,
                               DWORD* fileSystemFlags, wchar_t* fileSystemName,
                               DWORD fileSystemNameSize) override;
    UINT GetSystemDirectoryW(wchar_t* buffer, UINT size) override;

    // Management instrumentation through COM (wmi_com.cpp).
    HRESULT CoInitializeSecurity() override;
    HRESULT CreateWbemLocator(std::unique_ptr<WmiLocator>* locator) override;

    // Services and version (os_services.cpp).
    SC_HANDLE OpenSCManagerW(const wchar_t* machine, const wchar_t* database,
                             DWORD access) override;
    SC_HANDLE OpenServiceW(SC_HANDLE manager, const wchar_t* name, DWORD access) override;
    BOOL QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) override;
    BOOL StartServiceW(SC_HANDLE service, DWORD argumentCount, const wchar_t** arguments) override;
    BOOL CloseServiceHandle(SC_HANDLE handle) override;
    intptr_t ShellExecuteW(const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                           const wchar_t* directory, int show) override;
    BOOL GetVersionExW(OSVERSIONINFOEXW* info) override;
    void GetNativeSystemInfo(SYSTEM_INFO* info) override;
    UINT GetACP() override;

    // Device setup (pcie_link.cpp).
    BOOL GetPcieLinkProperties(const std::wstring& controllerDeviceId, PcieLink* link) override;

    // Time and named mutexes (win32_platform.cpp).
    DWORD GetTickCount() override;
    LocalTime GetLocalTime() override;
    void Sleep(DWORD milliseconds) override;
    BOOL QueryPerformanceCounter(int64_t* count) override;
    BOOL QueryPerformanceFrequency(int64_t* frequency) override;
    HANDLE CreateMutexW(BOOL initialOwner, const wchar_t* name) override;
    HANDLE OpenMutexW(DWORD access, BOOL inheritHandle, const wchar_t* name) override;
};

}  // namespace platform::win32

// The operating-system seam. The engine reaches drives, volumes, the management service, the
// version facts and the clock only through these calls, in their Windows shape. A backend
// (a simulated machine, or the real system) is chosen once at start; the free functions below
// forward to it so engine code reads like code written against the system itself.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/host.h"
#include "platform/io_trace.h"
#include "platform/win_types.h"
#include "platform/wmi.h"

namespace platform {

// The seam hands out the process's own wall-clock shape.
using LocalTime = base::LocalTime;

// The PCIe link of a storage controller: first byte of each device property, 0 when the
// property is not there.
struct PcieLink {
    uint32_t maxSpeed = 0, maxWidth = 0, speed = 0, width = 0;
};

class Platform {
  public:
    virtual ~Platform() = default;

    // Files and devices.
    virtual HANDLE CreateFileW(const wchar_t* name, DWORD access, DWORD share, DWORD disposition,
                               DWORD flags) = 0;
    virtual BOOL DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out,
                                 DWORD outSize, DWORD* returned) = 0;
    virtual BOOL SetFilePointerEx(HANDLE file, int64_t distance, int64_t* newPosition,
                                  DWORD method) = 0;
    virtual BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read) = 0;
    virtual BOOL WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD* written) = 0;
    // What was written through the handle reaches the medium (a drive's cache is emptied).
    virtual BOOL FlushFileBuffers(HANDLE file) = 0;
    virtual BOOL CloseHandle(HANDLE handle) = 0;
    virtual DWORD GetLastError() = 0;
    virtual void SetLastError(DWORD error) = 0;
    virtual BOOL DefineDosDeviceW(DWORD flags, const wchar_t* name, const wchar_t* target) = 0;

    // Volumes and paths. Roots are written "C:\".
    virtual UINT GetDriveTypeW(const wchar_t* root) = 0;
    virtual BOOL GetDiskFreeSpaceExW(const wchar_t* root, ULONGLONG* availableToCaller,
                                     ULONGLONG* total, ULONGLONG* totalFree) = 0;
    virtual BOOL GetVolumeInformationW(const wchar_t* root, wchar_t* volumeName,
                                       DWORD volumeNameSize, DWORD* serialNumber,
                                       DWORD* maxComponentLength, DWORD* fileSystemFlags,
                                       wchar_t* fileSystemName, DWORD fileSystemNameSize) = 0;
    // Length without the terminator when it fits, else the size needed with it.
    virtual UINT GetSystemDirectoryW(wchar_t* buffer, UINT size) = 0;

    // Management instrumentation.
    virtual HRESULT CoInitializeSecurity() = 0;
    virtual HRESULT CreateWbemLocator(std::unique_ptr<WmiLocator>* locator) = 0;

    // Services.
    virtual SC_HANDLE OpenSCManagerW(const wchar_t* machine, const wchar_t* database,
                                     DWORD access) = 0;
    virtual SC_HANDLE OpenServiceW(SC_HANDLE manager, const wchar_t* name, DWORD access) = 0;
    virtual BOOL QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) = 0;
    virtual BOOL StartServiceW(SC_HANDLE service, DWORD argumentCount,
                               const wchar_t** arguments) = 0;
    virtual BOOL CloseServiceHandle(SC_HANDLE handle) = 0;
    // Starts a program without waiting for it; above 32 when it was started.
    virtual intptr_t ShellExecuteW(const wchar_t* verb, const wchar_t* file,
                                   const wchar_t* parameters, const wchar_t* directory,
                                   int show) = 0;

    // Version.
    virtual BOOL GetVersionExW(OSVERSIONINFOEXW* info) = 0;
    virtual void GetNativeSystemInfo(SYSTEM_INFO* info) = 0;
    virtual UINT GetACP() = 0;

    // Device setup: the link of the storage controller with this device instance id.
    virtual BOOL GetPcieLinkProperties(const std::wstring& controllerDeviceId, PcieLink* link) = 0;

    // Time and the named single-instance mutex.
    virtual DWORD GetTickCount() = 0;
    virtual LocalTime GetLocalTime() = 0;
    virtual void Sleep(DWORD milliseconds) = 0;
    virtual BOOL QueryPerformanceCounter(int64_t* count) = 0;
    virtual BOOL QueryPerformanceFrequency(int64_t* frequency) = 0;
    virtual HANDLE CreateMutexW(BOOL initialOwner, const wchar_t* name) = 0;
    virtual HANDLE OpenMutexW(DWORD access, BOOL inheritHandle, const wchar_t* name) = 0;
};

// The backend chosen for this run. Chooses from the environment the first time when nothing
// was chosen before; a program that cannot get a backend stops with a message.
Platform& CurrentPlatform();

// Makes `backend` the one every call below uses (tests, and the start-up choice).
void UsePlatform(std::unique_ptr<Platform> backend);

// Whether the native backend can read this computer's drives: it lacks the rights to open
// any of them, or there is none. A simulated machine needs no rights.
enum class DriveAccess { Readable, NoRights, NoDrive };

// Chooses the backend: `machine` names a machine file, or "demo" for the built-in machine;
// empty asks for the native backend of this build. False with a message naming the file, the
// place in it and the problem. Native drives that cannot be read make it false too, with the
// reason, since an empty inventory would read as "no drives" -- unless `access` is given: the
// native backend is then chosen all the same (its inventory comes back empty), `access` says
// what stands in the way and `error` why, for a caller that tells the user in its own words.
bool SelectPlatform(const std::wstring& machine, std::wstring* error,
                    DriveAccess* access = nullptr);

// The same with the TRAMSIK_MACHINE environment variable as the machine.
bool SelectPlatformFromEnvironment(std::wstring* error, DriveAccess* access = nullptr);

// Forwarders, so engine code reads like code written against the system itself.
inline HANDLE CreateFileW(const wchar_t* name, DWORD access, DWORD share, DWORD disposition,
                          DWORD flags) {
    return CurrentPlatform().CreateFileW(name, access, share, disposition, flags);
}
inline BOOL DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out,
                            DWORD outSize, DWORD* returned) {
    Platform& backend = CurrentPlatform();
    if (!DeviceIoTraceOn())
        return backend.DeviceIoControl(device, code, in, inSize, out, outSize, returned);
    // The request is copied first: most requests use one buffer for both directions.
    const std::vector<uint8_t> request(static_cast<const uint8_t*>(in),
                                       static_cast<const uint8_t*>(in) + (in ? inSize : 0));
    DWORD count = 0;
    const BOOL ok = backend.DeviceIoControl(device, code, in, inSize, out, outSize, &count);
    const DWORD error = ok ? 0 : backend.GetLastError();
    TraceDeviceIo(code, request.data(), inSize, out, count, ok, error);
    if (!ok) backend.SetLastError(error);
    if (returned != nullptr) *returned = count;
    return ok;
}
inline BOOL SetFilePointerEx(HANDLE file, int64_t distance, int64_t* newPosition, DWORD method) {
    return CurrentPlatform().SetFilePointerEx(file, distance, newPosition, method);
}
inline BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read) {
    return CurrentPlatform().ReadFile(file, buffer, size, read);
}
inline BOOL WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD* written) {
    return CurrentPlatform().WriteFile(file, buffer, size, written);
}
inline BOOL FlushFileBuffers(HANDLE file) {
    return CurrentPlatform().FlushFileBuffers(file);
}
inline BOOL CloseHandle(HANDLE handle) {
    return CurrentPlatform().CloseHandle(handle);
}
inline DWORD GetLastError() {
    return CurrentPlatform().GetLastError();
}
inline void SetLastError(DWORD error) {
    CurrentPlatform().SetLastError(error);
}
inline BOOL DefineDosDeviceW(DWORD flags, const wchar_t* name, const wchar_t* target) {
    return CurrentPlatform().DefineDosDeviceW(flags, name, target);
}
inline UINT GetDriveTypeW(const wchar_t* root) {
    return CurrentPlatform().GetDriveTypeW(root);
}
inline BOOL GetDiskFreeSpaceExW(const wchar_t* root, ULONGLONG* availableToCaller, ULONGLONG* total,
                                ULONGLONG* totalFree) {
    return CurrentPlatform().GetDiskFreeSpaceExW(root, availableToCaller, total, totalFree);
}
inline BOOL GetVolumeInformationW(const wchar_t* root, wchar_t* volumeName, DWORD volumeNameSize,
                                  DWORD* serialNumber, DWORD* maxComponentLength,
                                  DWORD* fileSystemFlags, wchar_t* fileSystemName,
                                  DWORD fileSystemNameSize) {
    return CurrentPlatform().GetVolumeInformationW(root, volumeName, volumeNameSize, serialNumber,
                                                   maxComponentLength, fileSystemFlags,
                                                   fileSystemName, fileSystemNameSize);
}
inline UINT GetSystemDirectoryW(wchar_t* buffer, UINT size) {
    return CurrentPlatform().GetSystemDirectoryW(buffer, size);
}
inline HRESULT CoInitializeSecurity() {
    return CurrentPlatform().CoInitializeSecurity();
}
inline HRESULT CreateWbemLocator(std::unique_ptr<WmiLocator>* locator) {
    return CurrentPlatform().CreateWbemLocator(locator);
}
inline SC_HANDLE OpenSCManagerW(const wchar_t* machine, const wchar_t* database, DWORD access) {
    return CurrentPlatform().OpenSCManagerW(machine, database, access);
}
inline SC_HANDLE OpenServiceW(SC_HANDLE manager, const wchar_t* name, DWORD access) {
    return CurrentPlatform().OpenServiceW(manager, name, access);
}
inline BOOL QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) {
    return CurrentPlatform().QueryServiceStatus(service, status);
}
inline BOOL StartServiceW(SC_HANDLE service, DWORD argumentCount, const wchar_t** arguments) {
    return CurrentPlatform().StartServiceW(service, argumentCount, arguments);
}
inline BOOL CloseServiceHandle(SC_HANDLE handle) {
    return CurrentPlatform().CloseServiceHandle(handle);
}
inline intptr_t ShellExecuteW(const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                              const wchar_t* directory, int show) {
    return CurrentPlatform().ShellExecuteW(verb, file, parameters, directory, show);
}
inline BOOL GetVersionExW(OSVERSIONINFOEXW* info) {
    return CurrentPlatform().GetVersionExW(info);
}
inline void GetNativeSystemInfo(SYSTEM_INFO* info) {
    CurrentPlatform().GetNativeSystemInfo(info);
}
inline UINT GetACP() {
    return CurrentPlatform().GetACP();
}
inline BOOL GetPcieLinkProperties(const std::wstring& controllerDeviceId, PcieLink* link) {
    return CurrentPlatform().GetPcieLinkProperties(controllerDeviceId, link);
}
inline DWORD GetTickCount() {
    return CurrentPlatform().GetTickCount();
}
inline LocalTime GetLocalTime() {
    return CurrentPlatform().GetLocalTime();
}
inline void Sleep(DWORD milliseconds) {
    CurrentPlatform().Sleep(milliseconds);
}
inline BOOL QueryPerformanceCounter(int64_t* count) {
    return CurrentPlatform().QueryPerformanceCounter(count);
}
inline BOOL QueryPerformanceFrequency(int64_t* frequency) {
    return CurrentPlatform().QueryPerformanceFrequency(frequency);
}
inline HANDLE CreateMutexW(BOOL initialOwner, const wchar_t* name) {
    return CurrentPlatform().CreateMutexW(initialOwner, name);
}
inline HANDLE OpenMutexW(DWORD access, BOOL inheritHandle, const wchar_t* name) {
    return CurrentPlatform().OpenMutexW(access, inheritHandle, name);
}

}  // namespace platform

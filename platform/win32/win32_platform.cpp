// Files, devices, volumes, the clock and named mutexes: kernel32 as it is.
#include "platform/win32/win32_platform.h"

#include "base/host.h"
#include "platform/win32/windows_api.h"

namespace platform::win32 {

namespace {

// Windows fills its own DWORD; the seam's caller may not want the value.
void Store(::DWORD value, DWORD* into) {
    if (into != nullptr) *into = value;
}

void Store(const ULARGE_INTEGER& value, ULONGLONG* into) {
    if (into != nullptr) *into = value.QuadPart;
}

}  // namespace

HANDLE Win32Platform::CreateFileW(const wchar_t* name, DWORD access, DWORD share, DWORD disposition,
                                  DWORD flags) {
    return ::CreateFileW(name, access, share, nullptr, disposition, flags, nullptr);
}

BOOL Win32Platform::DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out,
                                    DWORD outSize, DWORD* returned) {
    // Without an overlapped request Windows needs somewhere to write the count.
    ::DWORD count = 0;
    const ::BOOL ok = ::DeviceIoControl(device, code, in, inSize, out, outSize, &count, nullptr);
    Store(count, returned);
    return ok;
}

BOOL Win32Platform::SetFilePointerEx(HANDLE file, int64_t distance, int64_t* newPosition,
                                     DWORD method) {
    LARGE_INTEGER move{};
    move.QuadPart = distance;
    LARGE_INTEGER now{};
    const ::BOOL ok = ::SetFilePointerEx(file, move, &now, method);
    if (ok && newPosition != nullptr) *newPosition = now.QuadPart;
    return ok;
}

BOOL Win32Platform::ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read) {
    ::DWORD done = 0;
    const ::BOOL ok = ::ReadFile(file, buffer, size, &done, nullptr);
    Store(done, read);
    return ok;
}

BOOL Win32Platform::WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD* written) {
    ::DWORD done = 0;
    const ::BOOL ok = ::WriteFile(file, buffer, size, &done, nullptr);
    Store(done, written);
    return ok;
}

BOOL Win32Platform::FlushFileBuffers(HANDLE file) {
    return ::FlushFileBuffers(file);
}

BOOL Win32Platform::CloseHandle(HANDLE handle) {
    return ::CloseHandle(handle);
}

DWORD Win32Platform::GetLastError() {
    return ::GetLastError();
}

void Win32Platform::SetLastError(DWORD error) {
    ::SetLastError(error);
}

BOOL Win32Platform::DefineDosDeviceW(DWORD flags, const wchar_t* name, const wchar_t* target) {
    return ::DefineDosDeviceW(flags, name, target);
}

UINT Win32Platform::GetDriveTypeW(const wchar_t* root) {
    return ::GetDriveTypeW(root);
}

BOOL Win32Platform::GetDiskFreeSpaceExW(const wchar_t* root, ULONGLONG* availableToCaller,
                                        ULONGLONG* total, ULONGLONG* totalFree) {
    ULARGE_INTEGER available{}, size{}, unused{};
    const ::BOOL ok = ::GetDiskFreeSpaceExW(root, &available, &size, &unused);
    if (ok) {
        Store(available, availableToCaller);
        Store(size, total);
        Store(unused, totalFree);
    }
    return ok;
}

BOOL Win32Platform::GetVolumeInformationW(const wchar_t* root, wchar_t* volumeName,
                                          DWORD volumeNameSize, DWORD* serialNumber,
                                          DWORD* maxComponentLength, DWORD* fileSystemFlags,
                                          wchar_t* fileSystemName, DWORD fileSystemNameSize) {
    ::DWORD serial = 0, component = 0, systemFlags = 0;
    const ::BOOL ok = ::GetVolumeInformationW(root, volumeName, volumeNameSize, &serial, &component,
                                              &systemFlags, fileSystemName, fileSystemNameSize);
    if (ok) {
        Store(serial, serialNumber);
        Store(component, maxComponentLength);
        Store(systemFlags, fileSystemFlags);
    }
    return ok;
}

UINT Win32Platform::GetSystemDirectoryW(wchar_t* buffer, UINT size) {
    return ::GetSystemDirectoryW(buffer, size);
}

DWORD Win32Platform::GetTickCount() {
    return ::GetTickCount();
}

LocalTime Win32Platform::GetLocalTime() {
    // The host's clock is the system's GetLocalTime already.
    return base::CurrentLocalTime();
}

void Win32Platform::Sleep(DWORD milliseconds) {
    ::Sleep(milliseconds);
}

BOOL Win32Platform::QueryPerformanceCounter(int64_t* count) {
    LARGE_INTEGER now{};
    const ::BOOL ok = ::QueryPerformanceCounter(&now);
    *count = now.QuadPart;
    return ok;
}

BOOL Win32Platform::QueryPerformanceFrequency(int64_t* frequency) {
    LARGE_INTEGER rate{};
    const ::BOOL ok = ::QueryPerformanceFrequency(&rate);
    *frequency = rate.QuadPart;
    return ok;
}

HANDLE Win32Platform::CreateMutexW(BOOL initialOwner, const wchar_t* name) {
    return ::CreateMutexW(nullptr, initialOwner, name);
}

HANDLE Win32Platform::OpenMutexW(DWORD access, BOOL inheritHandle, const wchar_t* name) {
    return ::OpenMutexW(access, inheritHandle, name);
}

}  // namespace platform::win32

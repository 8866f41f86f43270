#include "platform/windows_semantics.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cwctype>
#include <iterator>
#include <thread>
#include <vector>

#include "platform/ioctl.h"
#include "platform/win_constants.h"
#include "platform/win_names.h"

namespace platform {

namespace {

// One last error per thread, as the system keeps it; backends share it, as only one runs.
thread_local DWORD tLastError = 0;

// "C:\..." -> 'C'; none for a path that starts with no drive letter.
std::optional<wchar_t> DriveLetter(const wchar_t* path) {
    if (!path || !path[0] || path[1] != L':') return std::nullopt;
    return static_cast<wchar_t>(std::towupper(path[0]));
}

// The same for a volume's root, which is exactly "C:\".
std::optional<wchar_t> RootLetter(const std::wstring& root) {
    if (root.size() != 3 || root[2] != L'\\') return std::nullopt;
    return DriveLetter(root.c_str());
}

}  // namespace

// ---- files and devices ----

HANDLE WindowsSemantics::CreateFileW(const wchar_t* name, DWORD access, DWORD, DWORD disposition,
                                     DWORD) {
    // Devices are there or not; nothing here makes or truncates one.
    if (disposition != OPEN_EXISTING) return FailOpen(ERROR_ACCESS_DENIED);
    return OpenDevice(DeviceName(name),
                      access & GENERIC_ALL ? GENERIC_READ | GENERIC_WRITE : access);
}

BOOL WindowsSemantics::DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out,
                                       DWORD outSize, DWORD* returned) {
    if (returned) *returned = 0;
    if ((!in && inSize) || (!out && outSize)) return Fail(ERROR_INVALID_PARAMETER);
    // One system buffer of max(in, out) bytes holds the input and then the reply; only the
    // count the driver returns, at most outSize, goes back.
    std::vector<uint8_t> system(std::max(inSize, outSize), 0);
    if (inSize) std::memcpy(system.data(), in, inSize);
    ControlRequest request{code, system, inSize, outSize, 0};
    const DWORD error = Control(device, request);
    if (error == ERROR_SUCCESS || error == ERROR_MORE_DATA) {
        const DWORD copied = std::min(request.returned, outSize);
        if (copied) std::memcpy(out, system.data(), copied);
        if (returned) *returned = copied;
    }
    return error == ERROR_SUCCESS ? 1 : Fail(error);
}

BOOL WindowsSemantics::ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read) {
    if (!buffer && size) return Fail(ERROR_INVALID_PARAMETER);
    return Transfer(file, buffer, nullptr, size, read);
}

BOOL WindowsSemantics::WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD* written) {
    // A write of nothing still names a buffer, so that it stays a write.
    static const uint8_t nothing = 0;
    if (!buffer && size) return Fail(ERROR_INVALID_PARAMETER);
    return Transfer(file, nullptr, buffer ? buffer : &nothing, size, written);
}

BOOL WindowsSemantics::FlushFileBuffers(HANDLE file) {
    return Flush(file);
}

DWORD WindowsSemantics::GetLastError() {
    return tLastError;
}

void WindowsSemantics::SetLastError(DWORD error) {
    tLastError = error;
}

BOOL WindowsSemantics::Fail(DWORD error) {
    tLastError = error;
    return 0;
}

HANDLE WindowsSemantics::FailOpen(DWORD error) {
    tLastError = error;
    return INVALID_HANDLE_VALUE;
}

BOOL WindowsSemantics::DefineDosDeviceW(DWORD flags, const wchar_t* name, const wchar_t* target) {
    constexpr DWORD kRemoveDefinition = 0x00000002;
    std::lock_guard lock(dosMutex_);
    if (!name || !*name) return Fail(ERROR_INVALID_PARAMETER);
    if (flags & kRemoveDefinition)
        return dosDevices_.erase(UpperCase(name)) ? 1 : Fail(ERROR_FILE_NOT_FOUND);
    if (!target || !*target) return Fail(ERROR_INVALID_PARAMETER);
    dosDevices_[UpperCase(name)] = target;
    return 1;
}

std::optional<std::wstring> WindowsSemantics::DosDeviceTarget(const std::wstring& name) const {
    std::lock_guard lock(dosMutex_);
    const auto found = dosDevices_.find(UpperCase(name));
    if (name.empty() || found == dosDevices_.end()) return std::nullopt;
    return found->second;
}

uintptr_t WindowsSemantics::NewHandleValue() {
    return nextHandle_.fetch_add(4);
}

bool WindowsSemantics::AccessAllows(DWORD code, DWORD access) {
    const DWORD needs = RequiredAccess(code);
    return !((needs & FILE_READ_ACCESS) && !(access & GENERIC_READ)) &&
           !((needs & FILE_WRITE_ACCESS) && !(access & GENERIC_WRITE));
}

// ---- volumes and paths ----

UINT WindowsSemantics::GetDriveTypeW(const wchar_t* root) {
    const std::optional<wchar_t> letter =
        RootLetter(root ? root : system_.systemDirectory.substr(0, 3));
    const std::optional<VolumeFacts> volume = letter ? DescribeVolume(*letter) : std::nullopt;
    return volume ? volume->driveType : DRIVE_NO_ROOT_DIR;
}

BOOL WindowsSemantics::GetDiskFreeSpaceExW(const wchar_t* root, ULONGLONG* availableToCaller,
                                           ULONGLONG* total, ULONGLONG* totalFree) {
    const std::optional<wchar_t> letter = DriveLetter(root);
    const std::optional<VolumeFacts> volume = letter ? DescribeVolume(*letter) : std::nullopt;
    if (!volume) return Fail(ERROR_PATH_NOT_FOUND);
    if (!volume->space) return Fail(ERROR_NOT_READY);
    if (availableToCaller) *availableToCaller = volume->space->availableToCaller;
    if (total) *total = volume->space->total;
    if (totalFree) *totalFree = volume->space->free;
    return 1;
}

BOOL WindowsSemantics::GetVolumeInformationW(const wchar_t* root, wchar_t* volumeName,
                                             DWORD volumeNameSize, DWORD* serialNumber,
                                             DWORD* maxComponentLength, DWORD* fileSystemFlags,
                                             wchar_t* fileSystemName, DWORD fileSystemNameSize) {
    constexpr DWORD kCasePreservedUnicode = 0x00000006;
    const std::optional<wchar_t> letter = RootLetter(root ? root : L"");
    const std::optional<VolumeFacts> volume = letter ? DescribeVolume(*letter) : std::nullopt;
    if (!volume) return Fail(ERROR_PATH_NOT_FOUND);
    if (!CopyText(volume->label, volumeName, volumeNameSize) ||
        !CopyText(volume->fileSystem, fileSystemName, fileSystemNameSize))
        return Fail(ERROR_BAD_LENGTH);
    if (serialNumber) *serialNumber = volume->serialNumber;
    if (maxComponentLength) *maxComponentLength = 255;
    if (fileSystemFlags) *fileSystemFlags = kCasePreservedUnicode;
    return 1;
}

UINT WindowsSemantics::GetSystemDirectoryW(wchar_t* buffer, UINT size) {
    return CopyPath(system_.systemDirectory, buffer, size);
}

// ---- management instrumentation and services ----

HRESULT WindowsSemantics::CoInitializeSecurity() {
    return S_OK;
}

SC_HANDLE WindowsSemantics::NewServiceHandle(ServiceHandle handle) {
    const uintptr_t value = NewHandleValue();
    std::lock_guard lock(serviceMutex_);
    services_[value] = handle;
    return reinterpret_cast<SC_HANDLE>(value);
}

SC_HANDLE WindowsSemantics::OpenSCManagerW(const wchar_t* machine, const wchar_t*, DWORD access) {
    if (machine && *machine) {
        Fail(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return NewServiceHandle({true, access});
}

SC_HANDLE WindowsSemantics::OpenServiceW(SC_HANDLE manager, const wchar_t* name, DWORD access) {
    {
        std::lock_guard lock(serviceMutex_);
        const auto found = services_.find(reinterpret_cast<uintptr_t>(manager));
        if (found == services_.end() || !found->second.manager) {
            Fail(ERROR_INVALID_HANDLE);
            return nullptr;
        }
    }
    if (!name || UpperCase(name) != L"WINMGMT") {
        Fail(ERROR_SERVICE_DOES_NOT_EXIST);
        return nullptr;
    }
    return NewServiceHandle({false, access});
}

BOOL WindowsSemantics::QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) {
    if (!ServiceAccess(service)) return Fail(ERROR_INVALID_HANDLE);
    if (!status) return Fail(ERROR_INVALID_PARAMETER);
    *status = SERVICE_STATUS{};
    status->dwServiceType = SERVICE_WIN32_SHARE_PROCESS;
    status->dwCurrentState = SERVICE_RUNNING;
    return 1;
}

BOOL WindowsSemantics::StartServiceW(SC_HANDLE service, DWORD, const wchar_t**) {
    return Fail(ServiceAccess(service) ? ERROR_SERVICE_ALREADY_RUNNING : ERROR_INVALID_HANDLE);
}

BOOL WindowsSemantics::CloseServiceHandle(SC_HANDLE handle) {
    std::lock_guard lock(serviceMutex_);
    return services_.erase(reinterpret_cast<uintptr_t>(handle)) ? 1 : Fail(ERROR_INVALID_HANDLE);
}

std::optional<DWORD> WindowsSemantics::ServiceAccess(SC_HANDLE service) const {
    std::lock_guard lock(serviceMutex_);
    const auto found = services_.find(reinterpret_cast<uintptr_t>(service));
    if (found == services_.end() || found->second.manager) return std::nullopt;
    return found->second.access;
}

intptr_t WindowsSemantics::ShellExecuteW(const wchar_t*, const wchar_t* file, const wchar_t*,
                                         const wchar_t*, int) {
    const std::wstring program = UpperCase(file ? file : L"");
    constexpr intptr_t kStarted = 42;
    return program == L"SC" || program == L"SC.EXE" ? kStarted : SE_ERR_FNF;
}

// ---- version and device setup ----

BOOL WindowsSemantics::GetVersionExW(OSVERSIONINFOEXW* info) {
    if (!info) return Fail(ERROR_INVALID_PARAMETER);
    const DWORD size = info->dwOSVersionInfoSize;
    if (size != kOsVersionInfoSize && !(size == kOsVersionInfoExSize && system_.extendedRecord))
        return Fail(ERROR_INVALID_PARAMETER);
    info->dwMajorVersion = system_.major;
    info->dwMinorVersion = system_.minor;
    info->dwBuildNumber = system_.build;
    info->dwPlatformId = system_.platformId;
    std::fill(std::begin(info->szCSDVersion), std::end(info->szCSDVersion), u'\0');
    const size_t length = std::min(system_.csdVersion.size(), std::size(info->szCSDVersion) - 1);
    for (size_t i = 0; i < length; ++i) {
        const auto c = static_cast<uint32_t>(system_.csdVersion[i]);
        info->szCSDVersion[i] = c > 0xFFFF ? u'?' : static_cast<char16_t>(c);
    }
    if (size == kOsVersionInfoExSize) {
        info->wServicePackMajor = system_.servicePackMajor;
        info->wServicePackMinor = system_.servicePackMinor;
        info->wSuiteMask = 0x0100;  // single user
        info->wProductType = 1;     // workstation
        info->wReserved = 0;
    }
    return 1;
}

void WindowsSemantics::GetNativeSystemInfo(SYSTEM_INFO* info) {
    if (!info) return;
    info->wProcessorArchitecture = system_.architecture;
    info->dwPageSize = 4096;
    info->dwNumberOfProcessors = system_.processors;
}

UINT WindowsSemantics::GetACP() {
    return system_.codePage;
}

BOOL WindowsSemantics::GetPcieLinkProperties(const std::wstring& controllerDeviceId,
                                             PcieLink* link) {
    const std::shared_ptr<const inventory::Inventory> shared = SharedInventory();
    const std::optional<PcieLink> found =
        shared ? inventory::LinkOf(shared->controllers, controllerDeviceId) : std::nullopt;
    if (!found) return Fail(ERROR_FILE_NOT_FOUND);
    if (link) *link = *found;
    return 1;
}

void WindowsSemantics::ShareInventory(std::shared_ptr<const inventory::Inventory> inventory) {
    std::lock_guard lock(inventoryMutex_);
    inventory_ = std::move(inventory);
}

std::shared_ptr<const inventory::Inventory> WindowsSemantics::SharedInventory() const {
    std::lock_guard lock(inventoryMutex_);
    return inventory_;
}

// ---- the host's clock ----

DWORD WindowsSemantics::GetTickCount() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

LocalTime WindowsSemantics::GetLocalTime() {
    return base::CurrentLocalTime();
}

void WindowsSemantics::Sleep(DWORD milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

BOOL WindowsSemantics::QueryPerformanceCounter(int64_t* count) {
    if (!count) return Fail(ERROR_INVALID_PARAMETER);
    *count = std::chrono::duration_cast<std::chrono::nanoseconds>(
                 std::chrono::steady_clock::now().time_since_epoch())
                 .count();
    return 1;
}

BOOL WindowsSemantics::QueryPerformanceFrequency(int64_t* frequency) {
    if (!frequency) return Fail(ERROR_INVALID_PARAMETER);
    *frequency = 1000000000;
    return 1;
}

}  // namespace platform

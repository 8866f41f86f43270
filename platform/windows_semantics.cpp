#include "platform/windows_semantics.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <iterator>
#include <vector>

#include "platform/ioctl.h"
#include "platform/win_constants.h"
#include "platform/win_names.h"

namespace platform {

namespace {

// One last error per thread, as the system keeps it; backends share it, as only one runs.
thread_local DWORD tLastError = 0;

}  // namespace

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

BOOL WindowsSemantics::Buffered(const void* in, DWORD inSize, void* out, DWORD outSize,
                                DWORD* returned, const BufferedHandler& handle) {
    std::vector<uint8_t> system(std::max(inSize, outSize), 0);
    if (inSize) std::memcpy(system.data(), in, inSize);
    DWORD count = 0;
    const DWORD error = handle(system, count);
    if (error == ERROR_SUCCESS || error == ERROR_MORE_DATA) {
        const DWORD copied = std::min(count, outSize);
        if (copied) std::memcpy(out, system.data(), copied);
        if (returned) *returned = copied;
    }
    return error == ERROR_SUCCESS ? 1 : Fail(error);
}

BOOL WindowsSemantics::GetVolumeInformationW(const wchar_t* root, wchar_t* volumeName,
                                             DWORD volumeNameSize, DWORD* serialNumber,
                                             DWORD* maxComponentLength, DWORD* fileSystemFlags,
                                             wchar_t* fileSystemName, DWORD fileSystemNameSize) {
    constexpr DWORD kCasePreservedUnicode = 0x00000006;
    const std::wstring path = root ? root : L"";
    const std::optional<VolumeFacts> volume =
        path.size() == 3 && path[1] == L':' && path[2] == L'\\'
            ? DescribeVolume(static_cast<wchar_t>(std::towupper(path[0])))
            : std::nullopt;
    if (!volume) return Fail(ERROR_PATH_NOT_FOUND);
    if (!CopyText(volume->label, volumeName, volumeNameSize) ||
        !CopyText(volume->fileSystem, fileSystemName, fileSystemNameSize))
        return Fail(ERROR_BAD_LENGTH);
    if (serialNumber) *serialNumber = volume->serialNumber;
    if (maxComponentLength) *maxComponentLength = 255;
    if (fileSystemFlags) *fileSystemFlags = kCasePreservedUnicode;
    return 1;
}

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

BOOL WindowsSemantics::GetVersionExW(OSVERSIONINFOEXW* info) {
    if (!info) return Fail(ERROR_INVALID_PARAMETER);
    const VersionFacts version = DescribeVersion();
    const DWORD size = info->dwOSVersionInfoSize;
    if (size != kOsVersionInfoSize && !(size == kOsVersionInfoExSize && version.extendedRecord))
        return Fail(ERROR_INVALID_PARAMETER);
    info->dwMajorVersion = version.major;
    info->dwMinorVersion = version.minor;
    info->dwBuildNumber = version.build;
    info->dwPlatformId = version.platformId;
    std::fill(std::begin(info->szCSDVersion), std::end(info->szCSDVersion), u'\0');
    const size_t length = std::min(version.csdVersion.size(), std::size(info->szCSDVersion) - 1);
    for (size_t i = 0; i < length; ++i) {
        const wchar_t c = version.csdVersion[i];
        info->szCSDVersion[i] = static_cast<uint32_t>(c) > 0xFFFF ? u'?' : static_cast<char16_t>(c);
    }
    if (size == kOsVersionInfoExSize) {
        info->wServicePackMajor = version.servicePackMajor;
        info->wServicePackMinor = version.servicePackMinor;
        info->wSuiteMask = 0x0100;  // single user
        info->wProductType = 1;     // workstation
        info->wReserved = 0;
    }
    return 1;
}

BOOL WindowsSemantics::GetPcieLinkProperties(const std::wstring& controllerDeviceId,
                                             PcieLink* link) {
    const std::optional<PcieLink> found = ControllerLink(controllerDeviceId);
    if (!found) return Fail(ERROR_FILE_NOT_FOUND);
    if (link) *link = *found;
    return 1;
}

}  // namespace platform

#include "platform/windows_semantics.h"

#include <algorithm>
#include <cstring>
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

}  // namespace platform

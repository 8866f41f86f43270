// The seam's names come before the system's: its error codes are macros there.
#include "platform/host_mutex.h"
#include "platform/win_constants.h"

#include <windows.h>

#include <utility>

namespace platform {

namespace {

HANDLE HandleOf(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

std::optional<HostMutex> HostMutex::Create(const wchar_t* name, DWORD* lastError) {
    if (!name || !*name) {
        *lastError = ERROR_INVALID_PARAMETER;
        return std::nullopt;
    }
    const HANDLE mutex = ::CreateMutexW(nullptr, TRUE, name);
    *lastError = static_cast<DWORD>(::GetLastError());
    if (!mutex) return std::nullopt;
    return HostMutex(reinterpret_cast<intptr_t>(mutex));
}

std::optional<HostMutex> HostMutex::Open(const wchar_t* name) {
    if (!name || !*name) return std::nullopt;
    const HANDLE mutex = ::OpenMutexW(SYNCHRONIZE, FALSE, name);
    if (!mutex) return std::nullopt;
    return HostMutex(reinterpret_cast<intptr_t>(mutex));
}

HostMutex::HostMutex(HostMutex&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

HostMutex& HostMutex::operator=(HostMutex&& other) noexcept {
    std::swap(handle_, other.handle_);
    return *this;
}

HostMutex::~HostMutex() {
    if (handle_ == -1) return;
    // An owner lets go before the handle closes, as a program that ends would.
    ::ReleaseMutex(HandleOf(handle_));
    ::CloseHandle(HandleOf(handle_));
}

}  // namespace platform

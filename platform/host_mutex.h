// Named mutexes that belong to the host, whichever backend a process runs on: two programs of
// one user find the same mutex whether they drive the real machine or a simulated one, so one
// program at a time stays the desktop's rule everywhere. On Windows they are the system's own
// named mutexes. Elsewhere a mutex is a lock file in the user's runtime folder
// ($XDG_RUNTIME_DIR, else /tmp); a handle that holds the file's exclusive lock owns the mutex,
// and the kernel drops the lock when the process ends, however it ends.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/win_types.h"

namespace platform {

class HostMutex {
  public:
    // As CreateMutexW: the mutex, made now or found held by another handle. `*lastError` is
    // what the call leaves as the last error: ERROR_SUCCESS (made) or ERROR_ALREADY_EXISTS;
    // with no mutex, ERROR_INVALID_PARAMETER for a missing name and ERROR_ACCESS_DENIED when
    // the lock file cannot be made.
    static std::optional<HostMutex> Create(const wchar_t* name, DWORD* lastError);
    // As OpenMutexW: the mutex while a handle holds it; nothing when no handle does.
    static std::optional<HostMutex> Open(const wchar_t* name);

    HostMutex(HostMutex&& other) noexcept;
    HostMutex& operator=(HostMutex&& other) noexcept;
    HostMutex(const HostMutex&) = delete;
    HostMutex& operator=(const HostMutex&) = delete;
    // The handle's close: an owner lets go of the mutex.
    ~HostMutex();

  private:
    explicit HostMutex(intptr_t handle) : handle_(handle) {}

    // The host's handle: a file descriptor, or a Windows handle.
    intptr_t handle_ = -1;
};

// Where the host keeps no named mutexes of its own: the lock file of the mutex `name`, in the
// folder the environment names now.
std::string HostMutexPath(const std::wstring& name);

}  // namespace platform

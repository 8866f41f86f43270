#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <utility>

#include "base/utf8.h"
#include "platform/host_mutex.h"
#include "platform/win_constants.h"

namespace platform {

namespace {

// A non-blocking attempt: false when another open of the file holds the lock, in this
// process or another.
bool TakeLock(int fd) {
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

}  // namespace

std::string HostMutexPath(const std::wstring& name) {
    std::string file;
    for (const char c : ToUtf8(name))
        file += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_') ? c : '_';
    const char* folder = std::getenv("XDG_RUNTIME_DIR");
    return std::string(folder && *folder ? folder : "/tmp") + "/" + file + ".lock";
}

std::optional<HostMutex> HostMutex::Create(const wchar_t* name, DWORD* lastError) {
    if (!name || !*name) {
        *lastError = ERROR_INVALID_PARAMETER;
        return std::nullopt;
    }
    const int fd = ::open(HostMutexPath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        *lastError = ERROR_ACCESS_DENIED;
        return std::nullopt;
    }
    // Held elsewhere: the mutex exists, and this handle refers to it without owning it.
    *lastError = TakeLock(fd) ? ERROR_SUCCESS : ERROR_ALREADY_EXISTS;
    return HostMutex(fd);
}

std::optional<HostMutex> HostMutex::Open(const wchar_t* name) {
    const int fd = name && *name ? ::open(HostMutexPath(name).c_str(), O_RDONLY | O_CLOEXEC) : -1;
    if (fd < 0) return std::nullopt;
    // A lock file nobody holds is a mutex that went away with its process.
    if (TakeLock(fd)) {
        ::close(fd);
        return std::nullopt;
    }
    return HostMutex(fd);
}

HostMutex::HostMutex(HostMutex&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

HostMutex& HostMutex::operator=(HostMutex&& other) noexcept {
    std::swap(handle_, other.handle_);
    return *this;
}

HostMutex::~HostMutex() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

}  // namespace platform

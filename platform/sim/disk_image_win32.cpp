#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "base/utf8.h"
#include "platform/sim/disk_image.h"

namespace platform::sim {

namespace {

constexpr size_t kHoleBlock = 4096;
// The claim is a lock on one byte far past the end of any image: Windows' byte-range locks are
// mandatory, so a lock on the data itself would stop the other programs' reads too.
constexpr DWORD kClaimOffsetHigh = 0x7FFFFFFF;

HANDLE HandleOf(intptr_t file) {
    return reinterpret_cast<HANDLE>(file);
}

// The block against itself one byte on: a single library call, where a loop over the bytes
// would cost the sanitizer builds a check per byte on every chunk a migration writes.
bool AllZero(const uint8_t* bytes, size_t length) {
    return length == 0 || (bytes[0] == 0 && std::memcmp(bytes, bytes + 1, length - 1) == 0);
}

std::string SystemMessage(DWORD error) {
    char text[256] = {};
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                         0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(error) : message;
}

OVERLAPPED At(uint64_t offset) {
    OVERLAPPED place{};
    place.Offset = static_cast<DWORD>(offset);
    place.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return place;
}

HANDLE OpenFile(const std::filesystem::path& path, DWORD disposition) {
    return ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Whole chunks of at most what one call moves.
template <typename Call>
bool InChunks(uint64_t offset, size_t length, Call call) {
    while (length > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(length, 1u << 30));
        OVERLAPPED place = At(offset);
        DWORD done = 0;
        if (!call(chunk, &place, &done) || done == 0) return false;
        offset += done;
        length -= done;
    }
    return true;
}

}  // namespace

DiskImage::~DiskImage() {
    ::CloseHandle(HandleOf(file_));
}

std::unique_ptr<DiskImage> DiskImage::Open(const std::filesystem::path& path, std::string* error) {
    const HANDLE file = OpenFile(path, OPEN_EXISTING);
    LARGE_INTEGER size{};
    if (file == INVALID_HANDLE_VALUE || !::GetFileSizeEx(file, &size)) {
        *error = "cannot open image file \"" + ToUtf8(path.wstring()) +
                 "\": " + SystemMessage(::GetLastError());
        if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
        return nullptr;
    }
    return std::unique_ptr<DiskImage>(new DiskImage(reinterpret_cast<intptr_t>(file),
                                                    static_cast<uint64_t>(size.QuadPart), path));
}

std::unique_ptr<DiskImage> DiskImage::Create(const std::filesystem::path& path, uint64_t size,
                                             std::string* error) {
    const HANDLE file = OpenFile(path, CREATE_ALWAYS);
    bool made = file != INVALID_HANDLE_VALUE;
    if (made) {
        // Sparse where the file system allows; elsewhere the file is merely large.
        DWORD ignored = 0;
        ::DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
        LARGE_INTEGER end{};
        end.QuadPart = static_cast<LONGLONG>(size);
        made = ::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
    }
    if (!made) {
        *error = "cannot make image file \"" + ToUtf8(path.wstring()) +
                 "\": " + SystemMessage(::GetLastError());
        if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
        return nullptr;
    }
    return std::unique_ptr<DiskImage>(new DiskImage(reinterpret_cast<intptr_t>(file), size, path));
}

bool DiskImage::Read(uint64_t offset, void* buffer, size_t length) const {
    if (offset > size_ || length > size_ - offset) return false;
    auto* bytes = static_cast<uint8_t*>(buffer);
    const HANDLE file = HandleOf(file_);
    return InChunks(offset, length, [&](DWORD chunk, OVERLAPPED* place, DWORD* done) {
        const bool ok = ::ReadFile(file, bytes, chunk, done, place);
        bytes += *done;
        return ok;
    });
}

bool DiskImage::Write(uint64_t offset, const void* buffer, size_t length) {
    if (offset > size_ || length > size_ - offset) return false;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    const HANDLE file = HandleOf(file_);
    // Whole blocks of zeros become holes, which read back as zeros.
    if (offset % kHoleBlock == 0 && length % kHoleBlock == 0 && AllZero(bytes, length)) {
        FILE_ZERO_DATA_INFORMATION range{};
        range.FileOffset.QuadPart = static_cast<LONGLONG>(offset);
        range.BeyondFinalZero.QuadPart = static_cast<LONGLONG>(offset + length);
        DWORD ignored = 0;
        if (::DeviceIoControl(file, FSCTL_SET_ZERO_DATA, &range, sizeof range, nullptr, 0, &ignored,
                              nullptr))
            return true;
    }
    return InChunks(offset, length, [&](DWORD chunk, OVERLAPPED* place, DWORD* done) {
        const bool ok = ::WriteFile(file, bytes, chunk, done, place);
        bytes += *done;
        return ok;
    });
}

bool DiskImage::ClaimWriting() {
    if (!claimed_) {
        OVERLAPPED place{};
        place.OffsetHigh = kClaimOffsetHigh;
        claimed_ = ::LockFileEx(
            HandleOf(file_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &place);
    }
    return claimed_;
}

void DiskImage::ReleaseWriting() {
    if (claimed_) {
        OVERLAPPED place{};
        place.OffsetHigh = kClaimOffsetHigh;
        ::UnlockFileEx(HandleOf(file_), 0, 1, 0, &place);
    }
    claimed_ = false;
}

}  // namespace platform::sim

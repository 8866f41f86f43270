// What every backend answers alike, whatever lies beneath: the calling thread's last error,
// the DOS device names a program defines, the numbers handed out as handles, and the I/O
// manager's buffered control requests.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>

#include "platform/platform.h"

namespace platform {

class WindowsSemantics : public Platform {
  public:
    DWORD GetLastError() override;
    void SetLastError(DWORD error) override;
    BOOL DefineDosDeviceW(DWORD flags, const wchar_t* name, const wchar_t* target) override;

  protected:
    // Sets the calling thread's last error; returns FALSE for `return Fail(...)`.
    static BOOL Fail(DWORD error);
    // The target of a defined DOS device name (any case); none when it is not defined.
    std::optional<std::wstring> DosDeviceTarget(const std::wstring& name) const;
    // A new handle value; files, mutexes and service handles share one sequence.
    uintptr_t NewHandleValue();
    // Whether a handle opened with `access` may send control code `code`.
    static bool AccessAllows(DWORD code, DWORD access);
    // Handles a buffered control request: `handle` gets one system buffer of max(in, out) bytes
    // holding the input and the place for the count it returns; that many bytes (at most
    // outSize) go back on success and with ERROR_MORE_DATA. Fails with the error it returns.
    using BufferedHandler = std::function<DWORD(std::span<uint8_t> system, DWORD& returned)>;
    static BOOL Buffered(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned,
                         const BufferedHandler& handle);

  private:
    mutable std::mutex dosMutex_;
    std::map<std::wstring, std::wstring> dosDevices_;
    std::atomic<uintptr_t> nextHandle_{0x1000};
};

}  // namespace platform

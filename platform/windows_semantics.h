// What every backend answers alike, whatever lies beneath: the calling thread's last error,
// the DOS device names a program defines, the numbers handed out as handles, the I/O
// manager's buffered control requests, the service manager's handles, and the records the
// version, volume and controller-link calls fill from a backend's own facts.
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
    BOOL GetVolumeInformationW(const wchar_t* root, wchar_t* volumeName, DWORD volumeNameSize,
                               DWORD* serialNumber, DWORD* maxComponentLength,
                               DWORD* fileSystemFlags, wchar_t* fileSystemName,
                               DWORD fileSystemNameSize) override;
    HRESULT CoInitializeSecurity() override;
    // The management service, "Winmgmt", is the only service there is.
    SC_HANDLE OpenSCManagerW(const wchar_t* machine, const wchar_t* database,
                             DWORD access) override;
    SC_HANDLE OpenServiceW(SC_HANDLE manager, const wchar_t* name, DWORD access) override;
    BOOL CloseServiceHandle(SC_HANDLE handle) override;
    BOOL GetVersionExW(OSVERSIONINFOEXW* info) override;
    BOOL GetPcieLinkProperties(const std::wstring& controllerDeviceId, PcieLink* link) override;

  protected:
    // What GetVolumeInformationW tells of a volume.
    struct VolumeFacts {
        std::wstring label, fileSystem;
        DWORD serialNumber = 0;
    };
    // The volume with this upper-case letter; none when no volume has it.
    virtual std::optional<VolumeFacts> DescribeVolume(wchar_t letter) = 0;

    // What GetVersionExW tells.
    struct VersionFacts {
        DWORD major = 0, minor = 0, build = 0, platformId = 0;
        std::wstring csdVersion;
        WORD servicePackMajor = 0, servicePackMinor = 0;
        // Whether the 284-byte record is taken; old systems take only the 276-byte one.
        bool extendedRecord = true;
    };
    virtual VersionFacts DescribeVersion() = 0;

    // The link of the storage controller with this device instance id: zeros when it has no
    // link facts, none when there is no such controller.
    virtual std::optional<PcieLink> ControllerLink(const std::wstring& deviceId) = 0;

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
    // The access a handle from OpenServiceW was opened with; none for any other value.
    std::optional<DWORD> ServiceAccess(SC_HANDLE service) const;

  private:
    struct ServiceHandle {
        bool manager = false;
        DWORD access = 0;
    };
    SC_HANDLE NewServiceHandle(ServiceHandle handle);

    mutable std::mutex dosMutex_;
    std::map<std::wstring, std::wstring> dosDevices_;
    std::atomic<uintptr_t> nextHandle_{0x1000};
    mutable std::mutex serviceMutex_;
    std::map<uintptr_t, ServiceHandle> services_;
};

}  // namespace platform

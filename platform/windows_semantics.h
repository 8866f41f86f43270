// What every backend answers alike, whatever lies beneath: the calling thread's last error,
// the DOS device names a program defines, the numbers handed out as handles, the argument
// rules of the file and control calls, the service manager's handles, the records the version
// and volume calls fill from a backend's own facts, and the controller links of the inventory
// it shares. A backend that keeps no clock and no management service of its own answers with
// the host's clock and a service that always runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/inventory/inventory.h"
#include "platform/platform.h"
#include "platform/win_requests.h"

namespace platform {

class WindowsSemantics : public Platform {
  public:
    // Files and devices.
    HANDLE CreateFileW(const wchar_t* name, DWORD access, DWORD share, DWORD disposition,
                       DWORD flags) override;
    BOOL DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out,
                         DWORD outSize, DWORD* returned) override;
    BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read) override;
    BOOL WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD* written) override;
    BOOL FlushFileBuffers(HANDLE file) override;
    DWORD GetLastError() override;
    void SetLastError(DWORD error) override;
    BOOL DefineDosDeviceW(DWORD flags, const wchar_t* name, const wchar_t* target) override;

    // Volumes and paths.
    UINT GetDriveTypeW(const wchar_t* root) override;
    BOOL GetDiskFreeSpaceExW(const wchar_t* root, ULONGLONG* availableToCaller, ULONGLONG* total,
                             ULONGLONG* totalFree) override;
    BOOL GetVolumeInformationW(const wchar_t* root, wchar_t* volumeName, DWORD volumeNameSize,
                               DWORD* serialNumber, DWORD* maxComponentLength,
                               DWORD* fileSystemFlags, wchar_t* fileSystemName,
                               DWORD fileSystemNameSize) override;
    UINT GetSystemDirectoryW(wchar_t* buffer, UINT size) override;

    HRESULT CoInitializeSecurity() override;

    // The management service, "Winmgmt", is the only service there is.
    SC_HANDLE OpenSCManagerW(const wchar_t* machine, const wchar_t* database,
                             DWORD access) override;
    SC_HANDLE OpenServiceW(SC_HANDLE manager, const wchar_t* name, DWORD access) override;
    BOOL QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) override;
    BOOL StartServiceW(SC_HANDLE service, DWORD argumentCount, const wchar_t** arguments) override;
    BOOL CloseServiceHandle(SC_HANDLE handle) override;
    // Only the service control tool is ever asked for; with the service running there is
    // nothing for it to configure, so nothing is started.
    intptr_t ShellExecuteW(const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                           const wchar_t* directory, int show) override;

    BOOL GetVersionExW(OSVERSIONINFOEXW* info) override;
    void GetNativeSystemInfo(SYSTEM_INFO* info) override;
    UINT GetACP() override;
    BOOL GetPcieLinkProperties(const std::wstring& controllerDeviceId, PcieLink* link) override;

    DWORD GetTickCount() override;
    LocalTime GetLocalTime() override;
    void Sleep(DWORD milliseconds) override;
    BOOL QueryPerformanceCounter(int64_t* count) override;
    BOOL QueryPerformanceFrequency(int64_t* frequency) override;

  protected:
    // What the version calls tell; fixed for the life of the backend.
    struct SystemFacts {
        DWORD major = 0, minor = 0, build = 0, platformId = 0;
        std::wstring csdVersion;
        WORD servicePackMajor = 0, servicePackMinor = 0;
        // Whether the 284-byte version record is taken; old systems take only the 276-byte one.
        bool extendedRecord = true;
        WORD architecture = 0;
        DWORD processors = 1;
        UINT codePage = 1252;
        std::wstring systemDirectory;
    };
    explicit WindowsSemantics(SystemFacts system) : system_(std::move(system)) {}

    // What the volume calls tell of a volume.
    struct VolumeFacts {
        std::wstring label, fileSystem;
        DWORD serialNumber = 0;
        UINT driveType = DRIVE_FIXED;
        struct Space {
            ULONGLONG availableToCaller = 0, total = 0, free = 0;
        };
        // None when the volume cannot say: it is not ready.
        std::optional<Space> space;
    };

    // What the management service lists now; the controller links are answered from it too.
    void ShareInventory(std::shared_ptr<const inventory::Inventory> inventory);
    std::shared_ptr<const inventory::Inventory> SharedInventory() const;

    // Sets the calling thread's last error; returns FALSE for `return Fail(...)`.
    static BOOL Fail(DWORD error);
    // The same for calls that answer with a handle: INVALID_HANDLE_VALUE.
    static HANDLE FailOpen(DWORD error);
    // The target of a defined DOS device name (any case); none when it is not defined.
    std::optional<std::wstring> DosDeviceTarget(const std::wstring& name) const;
    // A new handle value; files, mutexes and service handles share one sequence.
    uintptr_t NewHandleValue();
    // Whether a handle opened with `access` may send control code `code`.
    static bool AccessAllows(DWORD code, DWORD access);
    // The access a handle from OpenServiceW was opened with; none for any other value.
    std::optional<DWORD> ServiceAccess(SC_HANDLE service) const;

  private:
    // What the calls above are made of; each backend answers these in its own way.

    // A device path's name as DeviceName gives it ("PHYSICALDRIVE0", "C:", "SCSI1:"), to open
    // with `access`, where GENERIC_ALL is already spelled out as read and write.
    virtual HANDLE OpenDevice(const std::wstring& device, DWORD access) = 0;
    // One control request on a handle, in the I/O manager's system buffer; the error it fails
    // with, ERROR_SUCCESS, or ERROR_MORE_DATA for a reply cut short.
    virtual DWORD Control(HANDLE handle, ControlRequest& request) = 0;
    // Reads into `into`, or writes `from` (never both), at the handle's position.
    virtual BOOL Transfer(HANDLE file, void* into, const void* from, DWORD size, DWORD* done) = 0;
    // Makes what was written through the handle durable.
    virtual BOOL Flush(HANDLE file) = 0;

    // The volume with this upper-case letter; none when no volume has it.
    virtual std::optional<VolumeFacts> DescribeVolume(wchar_t letter) = 0;

    struct ServiceHandle {
        bool manager = false;
        DWORD access = 0;
    };
    SC_HANDLE NewServiceHandle(ServiceHandle handle);

    const SystemFacts system_;
    mutable std::mutex dosMutex_;
    std::map<std::wstring, std::wstring> dosDevices_;
    std::atomic<uintptr_t> nextHandle_{0x1000};
    mutable std::mutex serviceMutex_;
    std::map<uintptr_t, ServiceHandle> services_;
    mutable std::mutex inventoryMutex_;
    std::shared_ptr<const inventory::Inventory> inventory_;
};

}  // namespace platform

// The simulated platform: answers every call of the seam from a machine description, with
// disks as image files and a virtual clock that only sleeps and slow I/O move forward.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

#include "platform/sim/machine.h"
#include "platform/sim/sim_state.h"
#include "platform/windows_semantics.h"

namespace platform::sim {

struct SimOptions {
    // Where images made on demand live; empty: $XDG_CACHE_HOME/tramsik or ~/.cache/tramsik.
    std::filesystem::path cacheFolder;
};

std::filesystem::path DefaultCacheFolder();

class SimPlatform : public WindowsSemantics {
  public:
    // Opens the machine's images, making (and laying out) those that do not exist yet.
    static std::unique_ptr<SimPlatform> Create(Machine machine, const SimOptions& options,
                                               std::string* error);

    const Machine& machine() const { return *machine_; }
    // Image file of the drive at `index` in the machine's drive list.
    std::filesystem::path ImagePath(size_t index) const;
    // Virtual milliseconds since the machine started.
    double VirtualMilliseconds() const;
    // Programs started through ShellExecuteW, in order.
    struct Launch {
        std::wstring file, parameters;
        int show = 0;
    };
    std::vector<Launch> Launches() const;
    // StartServiceW calls on the management service, accepted or not.
    unsigned StartRequests() const;

    HANDLE CreateFileW(const wchar_t* name, DWORD access, DWORD share, DWORD disposition,
                       DWORD flags) override;
    BOOL DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out,
                         DWORD outSize, DWORD* returned) override;
    BOOL SetFilePointerEx(HANDLE file, int64_t distance, int64_t* newPosition,
                          DWORD method) override;
    BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read) override;
    BOOL WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD* written) override;
    BOOL CloseHandle(HANDLE handle) override;

    UINT GetDriveTypeW(const wchar_t* root) override;
    BOOL GetDiskFreeSpaceExW(const wchar_t* root, ULONGLONG* availableToCaller, ULONGLONG* total,
                             ULONGLONG* totalFree) override;
    UINT GetSystemDirectoryW(wchar_t* buffer, UINT size) override;

    HRESULT CreateWbemLocator(std::unique_ptr<WmiLocator>* locator) override;

    BOOL QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) override;
    BOOL StartServiceW(SC_HANDLE service, DWORD argumentCount, const wchar_t** arguments) override;
    intptr_t ShellExecuteW(const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                           const wchar_t* directory, int show) override;

    void GetNativeSystemInfo(SYSTEM_INFO* info) override;
    UINT GetACP() override;

    DWORD GetTickCount() override;
    LocalTime GetLocalTime() override;
    void Sleep(DWORD milliseconds) override;
    BOOL QueryPerformanceCounter(int64_t* count) override;
    BOOL QueryPerformanceFrequency(int64_t* frequency) override;
    HANDLE CreateMutexW(BOOL initialOwner, const wchar_t* name) override;
    HANDLE OpenMutexW(DWORD access, BOOL inheritHandle, const wchar_t* name) override;

  protected:
    std::optional<VolumeFacts> DescribeVolume(wchar_t letter) override;
    VersionFacts DescribeVersion() override;
    std::optional<PcieLink> ControllerLink(const std::wstring& deviceId) override;

  private:
    struct MutexHandle {
        std::wstring name;
    };
    using Handle = std::variant<OpenFile, MutexHandle>;
    enum class ServiceState { Stopped, StartPending, Running };

    explicit SimPlatform(std::unique_ptr<Machine> machine);

    // All below run with mutex_ held.
    HANDLE NewHandle(Handle handle);
    OpenFile* File(HANDLE handle);
    SimDrive* DriveOf(const OpenFile& file);
    const VolumeSpec* VolumeOfPath(const wchar_t* path) const;
    void UpdateService();
    bool ServiceAvailable();
    // Moves the clock by the time a transfer of `bytes` takes on `drive`; returns the real wait
    // now due, which the caller sleeps after unlocking.
    double SlowTransfer(const SimDrive& drive, uint64_t bytes);
    BOOL Transfer(HANDLE file, void* readBuffer, const void* writeBuffer, DWORD size, DWORD* done);

    std::unique_ptr<Machine> machine_;
    SimState state_;
    mutable std::mutex mutex_;
    std::map<uintptr_t, Handle> handles_;
    std::map<std::wstring, unsigned> mutexes_;
    std::vector<Launch> launches_;
    ServiceState serviceState_ = ServiceState::Stopped;
    bool serviceDisabled_ = false;
    double serviceReadyAt_ = 0;
    unsigned startRequests_ = 0;
    double realWaitOwedMs_ = 0;
};

}  // namespace platform::sim

// The simulated platform: answers every call of the seam from a machine description, with
// disks as image files and a virtual clock that only sleeps and slow I/O move forward.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/host_mutex.h"
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

    BOOL SetFilePointerEx(HANDLE file, int64_t distance, int64_t* newPosition,
                          DWORD method) override;
    BOOL CloseHandle(HANDLE handle) override;
    // The machine says where connecting fails and how the management service starts.
    HRESULT CreateWbemLocator(std::unique_ptr<WmiLocator>* locator) override;
    BOOL QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) override;
    BOOL StartServiceW(SC_HANDLE service, DWORD argumentCount, const wchar_t** arguments) override;
    intptr_t ShellExecuteW(const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                           const wchar_t* directory, int show) override;

    // Named mutexes are the host's; those the machine names are held by another program.
    HANDLE CreateMutexW(BOOL initialOwner, const wchar_t* name) override;
    HANDLE OpenMutexW(DWORD access, BOOL inheritHandle, const wchar_t* name) override;

    // The virtual clock: only sleeps and slow transfers move it.
    DWORD GetTickCount() override;
    LocalTime GetLocalTime() override;
    void Sleep(DWORD milliseconds) override;
    BOOL QueryPerformanceCounter(int64_t* count) override;
    BOOL QueryPerformanceFrequency(int64_t* frequency) override;

  private:
    // The device models answer control requests, the images hold the data.
    HANDLE OpenDevice(const std::wstring& device, DWORD access) override;
    DWORD Control(HANDLE handle, ControlRequest& request) override;
    BOOL Transfer(HANDLE file, void* into, const void* from, DWORD size, DWORD* done) override;
    BOOL Flush(HANDLE file) override;
    // Ends the process as a power failure would, the volatile caches keeping part of their
    // unflushed writes (faults.powerCutAfterWrites).
    [[noreturn]] void PowerCut();
    // Changes the stored sector behind the writer's back (faults.corruptWriteSector).
    static bool CorruptSector(SimDrive& drive, uint64_t sector);
    // The machine's volumes, with the length of their partitions in the images now.
    std::optional<VolumeFacts> DescribeVolume(wchar_t letter) override;

    // A mutex of the host, or none for one the machine declares held.
    struct MutexHandle {
        std::optional<HostMutex> host;
    };
    using Handle = std::variant<OpenFile, MutexHandle>;
    enum class ServiceState { Stopped, StartPending, Running };

    explicit SimPlatform(std::unique_ptr<Machine> machine);
    static SystemFacts SystemFactsOf(const OsSpec& os);

    // All below run with mutex_ held.
    HANDLE NewHandle(Handle handle);
    OpenFile* File(HANDLE handle);
    SimDrive* DriveOf(const OpenFile& file);
    void UpdateService();
    bool ServiceAvailable();
    // Whether the machine declares the mutex `name` held by a program outside this run.
    bool DeclaredHeld(const wchar_t* name) const;
    // Moves the clock by the time a transfer of `bytes` takes on `drive`; returns when the
    // caller is to wake if a real wait is due, which it sleeps after unlocking.
    std::optional<std::chrono::steady_clock::time_point> SlowTransfer(SimDrive& drive,
                                                                      uint64_t bytes, bool writing);

    std::unique_ptr<Machine> machine_;
    SimState state_;
    mutable std::mutex mutex_;
    std::map<uintptr_t, Handle> handles_;
    std::vector<Launch> launches_;
    ServiceState serviceState_ = ServiceState::Stopped;
    bool serviceDisabled_ = false;
    double serviceReadyAt_ = 0;
    unsigned startRequests_ = 0;
};

}  // namespace platform::sim

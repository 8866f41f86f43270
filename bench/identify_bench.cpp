// How fast the simulated machine answers IDENTIFY: the demo machine is loaded once and asked
// 10,000 times through ATA pass-through, on one open handle and with an open and close per
// request as the transports do.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/demo_machine.h"
#include "platform/ioctl.h"
#include "platform/platform.h"
#include "platform/sim/machine_loader.h"
#include "platform/sim/sim_platform.h"
#include "platform/win_constants.h"

namespace {

using namespace platform;

constexpr DWORD kRequestSize = sizeof(ATA_PASS_THROUGH_EX_WITH_BUFFERS);

// The demo machine with its images in a folder of its own, removed at the end.
class DemoMachine {
  public:
    DemoMachine()
        : folder_(std::filesystem::temp_directory_path() /
                  ("tramsik-bench-" + std::to_string(std::random_device{}()))) {
        std::string error;
        auto machine = sim::ParseMachine(DemoMachineJson(), "demo", {}, &error);
        if (machine) UsePlatform(sim::SimPlatform::Create(std::move(*machine), {folder_}, &error));
        if (!error.empty()) throw std::runtime_error(error);
    }
    ~DemoMachine() {
        UsePlatform(nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

  private:
    std::filesystem::path folder_;
};

ATA_PASS_THROUGH_EX_WITH_BUFFERS IdentifyRequest() {
    ATA_PASS_THROUGH_EX_WITH_BUFFERS request;
    std::memset(&request, 0, sizeof request);
    request.apt.Length = sizeof(ATA_PASS_THROUGH_EX);
    request.apt.AtaFlags = ATA_FLAGS_DATA_IN;
    request.apt.DataTransferLength = 512;
    request.apt.TimeOutValue = 2;
    request.apt.DataBufferOffset = offsetof(ATA_PASS_THROUGH_EX_WITH_BUFFERS, ucDataBuf);
    request.apt.CurrentTaskFile[kAtaDeviceHead] = ATA_DEVICE_MASTER;
    request.apt.CurrentTaskFile[kAtaCommand] = ATA_IDENTIFY_DEVICE;
    return request;
}

HANDLE OpenSystemDrive() {
    return CreateFileW(L"\\\\.\\PhysicalDrive0", GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
}

void Identify(HANDLE drive, benchmark::State& state) {
    ATA_PASS_THROUGH_EX_WITH_BUFFERS request = IdentifyRequest();
    DWORD returned = 0;
    if (!DeviceIoControl(drive, IOCTL_ATA_PASS_THROUGH, &request, kRequestSize, &request,
                         kRequestSize, &returned) ||
        request.ucDataBuf[54] == 0)
        state.SkipWithError("IDENTIFY was not answered");
    benchmark::DoNotOptimize(request);
}

void BM_IdentifyOnOpenHandle(benchmark::State& state) {
    const DemoMachine demo;
    const HANDLE drive = OpenSystemDrive();
    for (auto _ : state)
        Identify(drive, state);
    CloseHandle(drive);
}

void BM_IdentifyWithOpenAndClose(benchmark::State& state) {
    const DemoMachine demo;
    for (auto _ : state) {
        const HANDLE drive = OpenSystemDrive();
        Identify(drive, state);
        CloseHandle(drive);
    }
}

}  // namespace

BENCHMARK(BM_IdentifyOnOpenHandle)->Iterations(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IdentifyWithOpenAndClose)->Iterations(10000)->Unit(benchmark::kMicrosecond);

// One inventory of the forty-drive machine: the controller map, the wake-up pass, the
// management disk pass with IDENTIFY and two SMART readings per drive, the direct pass over the
// remaining drive numbers and the drive-letter mapping.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>

#include "disk/ata_smart.h"
#include "platform/platform.h"
#include "platform/sim/machine_loader.h"
#include "platform/sim/sim_platform.h"

using disk::CAtaSmart;
using disk::DriveList;

namespace {

// The machine with its images in a folder of its own, removed at the end.
class FortyDrives {
  public:
    FortyDrives()
        : folder_(std::filesystem::temp_directory_path() /
                  ("tramsik-bench-inventory-" + std::to_string(std::random_device{}()))) {
        std::string error;
        auto machine = platform::sim::LoadMachineFile(
            std::filesystem::path(TRAMSIK_SOURCE_DIR) / "machines" / "forty-drives.json", &error);
        if (machine)
            platform::UsePlatform(
                platform::sim::SimPlatform::Create(std::move(*machine), {folder_}, &error));
        if (!error.empty()) throw std::runtime_error(error);
    }
    ~FortyDrives() {
        platform::UsePlatform(nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

  private:
    std::filesystem::path folder_;
};

void BM_InitFortyDrives(benchmark::State& state) {
    const FortyDrives machine;
    const auto engine = std::make_unique<CAtaSmart>();
    for (auto _ : state) {
        engine->Init();
        benchmark::DoNotOptimize(engine->vars.Count());
    }
    if (engine->vars.Count() != DriveList::kCapacity)
        state.SkipWithError("the inventory did not fill the drive list");
}
BENCHMARK(BM_InitFortyDrives)->Unit(benchmark::kMillisecond);

}  // namespace

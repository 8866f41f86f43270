// The migration's sector copy against dd: 1 GiB between two image files, once through
// copySectors on the simulated machine (64 KiB chunks, speed probe included) and once with
// "dd bs=64K", in the same run on the same files. Reports both times and their ratio.
// And the copy between simulated drives of set read and write speeds, against the slower of
// the two: the most any copy between them can reach.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "migration/copy_engine.h"
#include "platform/platform.h"
#include "platform/sim/machine_loader.h"
#include "platform/sim/sim_platform.h"
#include "platform/win_constants.h"

namespace {

using namespace platform;

constexpr uint64_t kBytes = uint64_t{1} << 30;

// A source image full of data that does not compress to holes, and a blank target.
class ImagePair {
  public:
    ImagePair()
        : folder_(std::filesystem::temp_directory_path() /
                  ("tramsik-copy-bench-" + std::to_string(std::random_device{}()))) {
        std::filesystem::create_directories(folder_);
        std::ofstream source(Source(), std::ios::binary);
        std::vector<uint64_t> block(1 << 17);
        std::mt19937_64 random(2026);
        for (uint64_t done = 0; done < kBytes; done += block.size() * 8) {
            for (uint64_t& word : block)
                word = random();
            source.write(reinterpret_cast<const char*>(block.data()),
                         static_cast<std::streamsize>(block.size() * 8));
        }
        std::ofstream(Target(), std::ios::binary).close();
        std::filesystem::resize_file(Target(), kBytes);
    }
    ~ImagePair() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    std::filesystem::path Source() const { return folder_ / "source.img"; }
    std::filesystem::path Target() const { return folder_ / "target.img"; }
    const std::filesystem::path& Folder() const { return folder_; }

  private:
    std::filesystem::path folder_;
};

// Drives 0 and 1 over the two images; the source reads at `readMiBps` and the target writes at
// `writeMiBps` (0: as fast as the files go).
void UseMachineOver(const ImagePair& images, double readMiBps = 0, double writeMiBps = 0) {
    const auto faults = [](const char* key, double miBps) {
        return miBps > 0 ? std::string(R"(, "faults": { ")") + key + R"(": )" +
                               std::to_string(1000.0 / miBps) + " }"
                         : std::string();
    };
    const std::string json =
        R"({ "format": "tramsik-machine/1", "os": { "major": 10, "minor": 0 }, "drives": [
          { "physicalDrive": 0, "route": "ata", "identify": { "model": "S" }, "image": ")" +
        images.Source().string() + "\"" + faults("readMsPerMiB", readMiBps) + R"( },
          { "physicalDrive": 1, "route": "ata", "identify": { "model": "T" }, "image": ")" +
        images.Target().string() + "\"" + faults("writeMsPerMiB", writeMiBps) + R"( } ] })";
    std::string error;
    auto machine = sim::ParseMachine(json, "bench", images.Folder(), &error);
    if (machine)
        UsePlatform(sim::SimPlatform::Create(std::move(*machine), {images.Folder()}, &error));
    if (!error.empty()) throw std::runtime_error(error);
}

HANDLE Open(const wchar_t* name) {
    return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       OPEN_EXISTING, 0);
}

double Seconds(const std::chrono::steady_clock::time_point& start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_CopySectorsNextToDd(benchmark::State& state) {
    const ImagePair images;
    UseMachineOver(images);
    const HANDLE source = Open(L"\\\\.\\PhysicalDrive0");
    const HANDLE target = Open(L"\\\\.\\PhysicalDrive1");
    const std::string dd = "dd if='" + images.Source().string() + "' of='" +
                           images.Target().string() +
                           "' bs=64K count=16384 conv=notrunc status=none";
    double copyTotal = 0, ddTotal = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        if (std::system(dd.c_str()) != 0) state.SkipWithError("dd failed");
        const double ddSeconds = Seconds(start);
        start = std::chrono::steady_clock::now();
        if (migration::copySectors(source, target, kBytes / 512) != migration::kCopyDone)
            state.SkipWithError("copySectors failed");
        const double copySeconds = Seconds(start);
        state.SetIterationTime(copySeconds);
        copyTotal += copySeconds;
        ddTotal += ddSeconds;
    }
    CloseHandle(source);
    CloseHandle(target);
    UsePlatform(nullptr);
    state.counters["copy_s"] = copyTotal / static_cast<double>(state.iterations());
    state.counters["dd_s"] = ddTotal / static_cast<double>(state.iterations());
    state.counters["copy_over_dd"] = copyTotal / ddTotal;
    state.SetBytesProcessed(static_cast<int64_t>(kBytes) * state.iterations());
}
BENCHMARK(BM_CopySectorsNextToDd)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// Arguments: the source's read speed and the target's write speed, MiB/s. The copy moves 256 MiB
// of the images, probe included.
void BM_CopyAtSetSpeeds(benchmark::State& state) {
    const double read = static_cast<double>(state.range(0));
    const double write = static_cast<double>(state.range(1));
    const ImagePair images;
    UseMachineOver(images, read, write);
    const HANDLE source = Open(L"\\\\.\\PhysicalDrive0");
    const HANDLE target = Open(L"\\\\.\\PhysicalDrive1");
    constexpr uint64_t kCopied = uint64_t{256} << 20;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (migration::copySectors(source, target, kCopied / 512) != migration::kCopyDone)
            state.SkipWithError("copySectors failed");
        state.SetIterationTime(Seconds(start));
        seconds += Seconds(start);
    }
    CloseHandle(source);
    CloseHandle(target);
    UsePlatform(nullptr);
    const double miBps =
        static_cast<double>(kCopied >> 20) * static_cast<double>(state.iterations()) / seconds;
    state.counters["MiB_per_s"] = miBps;
    state.counters["of_slower_disk"] = miBps / std::min(read, write);
}
BENCHMARK(BM_CopyAtSetSpeeds)
    ->Args({200, 100})
    ->Args({100, 200})
    ->Args({150, 150})
    ->UseManualTime()
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

}  // namespace

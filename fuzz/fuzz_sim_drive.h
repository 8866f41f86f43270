// Two small simulated disks for the partition-table fuzz targets: the input becomes the first
// bytes of the source disk (the rest zero), the target starts blank for every input.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/machine_loader.h"
#include "platform/sim/sim_platform.h"
#include "platform/win_constants.h"

class FuzzDrives {
  public:
    static constexpr size_t kDiskBytes = 64 * 1024;  // 128 sectors: room for both GPT copies

    static FuzzDrives& Instance() {
        static FuzzDrives drives;
        return drives;
    }

    // Lays `data` over the source image and clears the target.
    void Load(const uint8_t* data, size_t size) {
        std::vector<char> image(kDiskBytes, 0);
        std::copy_n(data, std::min(size, kDiskBytes), image.begin());
        Overwrite(source_, image);
        Overwrite(target_, std::vector<char>(kDiskBytes, 0));
    }

    platform::HANDLE Source() const { return sourceHandle_; }
    platform::HANDLE Target() const { return targetHandle_; }

  private:
    FuzzDrives() {
        folder_ = std::filesystem::temp_directory_path() /
                  ("tramsik-fuzz-" + std::to_string(std::rand()) + "-" +
                   std::to_string(reinterpret_cast<uintptr_t>(this)));
        std::filesystem::create_directories(folder_);
        source_ = folder_ / "source.img";
        target_ = folder_ / "target.img";
        Overwrite(source_, std::vector<char>(kDiskBytes, 0));
        Overwrite(target_, std::vector<char>(kDiskBytes, 0));
        const std::string json =
            R"({ "format": "tramsik-machine/1", "os": { "major": 10, "minor": 0 }, "drives": [
              { "physicalDrive": 0, "route": "ata", "identify": { "model": "S" }, "image": ")" +
            source_.string() + R"(" },
              { "physicalDrive": 1, "route": "ata", "identify": { "model": "T" }, "image": ")" +
            target_.string() + R"(" } ] })";
        std::string error;
        auto machine = platform::sim::ParseMachine(json, "fuzz", folder_, &error);
        if (!machine) std::abort();
        auto backend = platform::sim::SimPlatform::Create(std::move(*machine), {folder_}, &error);
        if (!backend) std::abort();
        platform::UsePlatform(std::move(backend));
        sourceHandle_ = Open(L"\\\\.\\PhysicalDrive0");
        targetHandle_ = Open(L"\\\\.\\PhysicalDrive1");
    }

    static platform::HANDLE Open(const wchar_t* name) {
        platform::HANDLE handle = platform::CreateFileW(
            name, platform::GENERIC_READ | platform::GENERIC_WRITE,
            platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE, platform::OPEN_EXISTING, 0);
        if (handle == platform::INVALID_HANDLE_VALUE) std::abort();
        return handle;
    }

    static void Overwrite(const std::filesystem::path& path, const std::vector<char>& bytes) {
        std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
        if (!file) file.open(path, std::ios::binary | std::ios::out);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    std::filesystem::path folder_, source_, target_;
    platform::HANDLE sourceHandle_ = nullptr, targetHandle_ = nullptr;
};

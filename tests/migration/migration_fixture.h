// A simulated machine with drives to migrate between: handles on its physical drives, direct
// access to the sectors of their image files (to corrupt them, or to look at what was
// written), and the diagnostic lines the code under test logged.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/partition_table.h"
#include "platform/platform.h"
#include "platform/win_constants.h"
#include "tests/platform/sim_fixture.h"
#include "tests/support/log_watch.h"
#include "tests/support/peer_tools.h"

using Sector = std::array<uint8_t, 512>;

// One ATA drive of a machine file; `layout`, when given, is its partition table.
inline std::string SimDrive(int number, const std::string& model, const std::string& size,
                            const std::string& faults = "{}", const std::string& layout = "") {
    return R"({ "physicalDrive": )" + std::to_string(number) +
           R"(, "route": "ata", "identify": { "model": ")" + model + R"(" }, "size": ")" + size +
           R"(", "faults": )" + faults + (layout.empty() ? "" : R"(, "layout": )" + layout) + " }";
}
// A machine file of `drives` (comma-separated objects) and `volumes`.
inline std::string SimMachine(const std::string& drives, const std::string& volumes = "[]",
                              const std::string& os = R"({ "major": 10, "minor": 0 })") {
    return R"({ "format": "tramsik-machine/1", "os": )" + os + R"(, "drives": [ )" + drives +
           R"( ], "volumes": )" + volumes + " }";
}
// The volume C: on partition `partition` of drive `drive`, with `free` bytes free.
inline std::string VolumeC(int drive, int partition, const std::string& free = R"("1MiB")") {
    return R"([ { "letter": "C", "fileSystem": "NTFS", "freeBytes": )" + free +
           R"(, "extents": [ { "drive": )" + std::to_string(drive) + R"(, "partition": )" +
           std::to_string(partition) + " } ] } ]";
}

class MigrationTest : public SimTest {
  protected:
    void TearDown() override {
        for (platform::HANDLE handle : handles_)
            platform::CloseHandle(handle);
        handles_.clear();
        SimTest::TearDown();
    }

    // Loads the machine and opens every one of its physical drives 0..count-1.
    void LoadDrives(const std::string& json, int count) {
        for (platform::HANDLE handle : handles_)
            platform::CloseHandle(handle);
        handles_.clear();
        sim_ = &Load(json);
        for (int i = 0; i < count; ++i) {
            const std::wstring name = L"\\\\.\\PhysicalDrive" + std::to_wstring(i);
            platform::HANDLE handle = platform::CreateFileW(
                name.c_str(), platform::GENERIC_READ | platform::GENERIC_WRITE,
                platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE, platform::OPEN_EXISTING, 0);
            ASSERT_NE(handle, platform::INVALID_HANDLE_VALUE) << "drive " << i;
            handles_.push_back(handle);
        }
    }
    platform::HANDLE Drive(int index) const { return handles_.at(index); }

    // The image bytes of the drive at `index`, read and written past the simulator.
    Sector ImageSector(int index, uint64_t lba) const {
        Sector sector{};
        std::ifstream in(sim_->ImagePath(index), std::ios::binary);
        in.seekg(static_cast<std::streamoff>(lba * 512));
        in.read(reinterpret_cast<char*>(sector.data()), sector.size());
        return sector;
    }
    void SetImageSector(int index, uint64_t lba, const Sector& sector) const {
        std::fstream out(sim_->ImagePath(index), std::ios::binary | std::ios::in | std::ios::out);
        out.seekp(static_cast<std::streamoff>(lba * 512));
        out.write(reinterpret_cast<const char*>(sector.data()), sector.size());
    }
    template <typename T>
    T ImageAs(int index, uint64_t lba) const {
        static_assert(sizeof(T) == 512);
        T value;
        const Sector sector = ImageSector(index, lba);
        std::memcpy(&value, sector.data(), sizeof value);
        return value;
    }
    template <typename T>
    void SetImageAs(int index, uint64_t lba, const T& value) const {
        static_assert(sizeof(T) == 512);
        Sector sector;
        std::memcpy(sector.data(), &value, sizeof value);
        SetImageSector(index, lba, sector);
    }

    // The primary header and its array as the drive holds them, and a way to store them
    // back with correct CRCs after a test changed them.
    platform::GptHeader PrimaryHeader(int index) const {
        return ImageAs<platform::GptHeader>(index, 1);
    }
    std::vector<platform::GptEntry> PrimaryEntries(int index) const {
        const auto header = PrimaryHeader(index);
        std::vector<platform::GptEntry> entries(header.numberOfPartitionEntries);
        for (uint32_t s = 0; s < entries.size() / 4; ++s) {
            const Sector sector = ImageSector(index, header.partitionEntryLba + s);
            std::memcpy(&entries[s * 4], sector.data(), 512);
        }
        return entries;
    }
    void StorePrimary(int index, platform::GptHeader header,
                      const std::vector<platform::GptEntry>& entries, bool sealArray = true,
                      bool sealHeader = true) const {
        for (uint32_t s = 0; s < entries.size() / 4; ++s) {
            Sector sector;
            std::memcpy(sector.data(), &entries[s * 4], 512);
            SetImageSector(index, header.partitionEntryLba + s, sector);
        }
        if (sealArray)
            header.partitionEntryArrayCrc32 = platform::Crc32(
                0, {reinterpret_cast<const uint8_t*>(entries.data()), entries.size() * 128});
        if (sealHeader) Seal(header);
        SetImageAs(index, 1, header);
    }
    static void Seal(platform::GptHeader& header) {
        header.headerCrc32 = 0;
        header.headerCrc32 =
            platform::Crc32(0, {reinterpret_cast<const uint8_t*>(&header),
                                std::min<size_t>(header.headerSize, sizeof header)});
    }

    std::filesystem::path Image(int index) const { return sim_->ImagePath(index); }

    platform::sim::SimPlatform* sim_ = nullptr;
    std::vector<platform::HANDLE> handles_;
};

// True when `messages` holds `line` exactly (a log message without its time stamp).
inline bool Logged(const std::vector<std::string>& messages, const std::string& line) {
    return std::find(messages.begin(), messages.end(), LogWatch::AsLogged(line)) != messages.end();
}
inline size_t CountStartingWith(const std::vector<std::string>& messages,
                                const std::string& prefix) {
    const std::string logged = LogWatch::AsLogged(prefix);
    return std::count_if(messages.begin(), messages.end(),
                         [&](const std::string& m) { return m.rfind(logged, 0) == 0; });
}

// Whole migrations on simulated machines: a source and a target of the test's choosing, the
// platform wrapped so a test can step in before a write, and the checks every outcome needs
// (the source's bytes untouched, the target's table gone).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <string>

#include "hooked_platform.h"
#include "migration/migration_driver.h"
#include "migration_fixture.h"
#include "platform/demo_machine.h"
#include "platform/sim/machine_loader.h"

// Source (drive 0): GPT on 16 MiB, entries EFI 2048-4095, MSR 4096-6143, the system partition
// (C:) 6144-22527 and a recovery partition 22528-26623. Target (drive 1): `targetSize`, laid
// out with one partition of its own so that a deleted table shows.
inline std::string GptPair(const std::string& sourceFaults = "{}",
                           const std::string& targetFaults = "{}",
                           const std::string& targetSize = "32MiB") {
    return SimMachine(
        SimDrive(0, "Source", "16MiB", sourceFaults, R"({ "style": "gpt", "partitions": [
          { "type": "efi", "size": "1MiB" }, { "type": "msr", "size": "1MiB" },
          { "type": "basic", "size": "8MiB" }, { "type": "recovery", "size": "2MiB" } ] })") +
            ", " +
            SimDrive(
                1, "Target", targetSize, targetFaults,
                R"({ "style": "gpt", "partitions": [ { "type": "basic", "size": "1MiB" } ] })"),
        VolumeC(0, 2));
}
inline constexpr uint64_t kGptPairRange = 22528;  // sectors 0 to the system partition's end

// Source (drive 0): MBR on 16 MiB, a bootable 1 MiB partition, the system partition (C:)
// 4096-12287 and a 2 MiB data partition after it. Target as in GptPair, but MBR.
inline std::string MbrPair(const std::string& sourceFaults = "{}",
                           const std::string& targetFaults = "{}",
                           const std::string& targetSize = "32MiB") {
    return SimMachine(
        SimDrive(0, "Source", "16MiB", sourceFaults,
                 R"({ "style": "mbr", "signature": "0x5EED1234", "partitions": [
          { "type": "ntfs", "size": "1MiB", "bootable": true }, { "type": "ntfs", "size": "4MiB" },
          { "type": "fat32", "size": "2MiB" } ] })") +
            ", " +
            SimDrive(1, "Target", targetSize, targetFaults,
                     R"({ "style": "mbr", "partitions": [ { "type": "ntfs", "size": "1MiB" } ] })"),
        VolumeC(0, 1));
}
inline constexpr uint64_t kMbrPairRange = 12288;

// Holds the worker before a write once the copy has reached a mark, until the test moves it:
// every look at a running migration then sees a known state, without racing the worker.
class CopyGate {
  public:
    void Attach(HookedPlatform& platform) {
        platform.beforeWrite = [this](platform::HANDLE, platform::DWORD) { Pass(); };
    }
    // The copy runs on until `percent`; the next write waits there.
    void Arm(float percent) {
        std::lock_guard lock(mutex_);
        mark_ = percent;
        ++arms_;
        held_ = false;
        changed_.notify_all();
    }
    // Waits (bounded) until the worker stands at the mark.
    bool Held() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(30), [this] { return held_; });
    }
    bool RunTo(float percent) {
        Arm(percent);
        return Held();
    }
    void Release() { Arm(std::numeric_limits<float>::infinity()); }
    void OpenOnCancel() {
        std::lock_guard lock(mutex_);
        cancelOpens_ = true;
    }

  private:
    // Once asked, a cancel that reaches the state word opens the gate, as it would reach the
    // copy of a slow disk; nothing notifies the gate of it, so the wait looks again every few
    // milliseconds.
    // A held worker stays until the mark moves, whatever the progress values say meanwhile.
    void Pass() {
        std::unique_lock lock(mutex_);
        if (migration::MigrationProgress.percentDone.load() < mark_) return;
        held_ = true;
        changed_.notify_all();
        const uint64_t armed = arms_;
        while (arms_ == armed && !(cancelOpens_ && (migration::MigrationState.load() &
                                                    migration::kStateCancelledBit)))
            changed_.wait_for(lock, std::chrono::milliseconds(5));
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    float mark_ = std::numeric_limits<float>::infinity();
    uint64_t arms_ = 0;
    bool held_ = false;
    bool cancelOpens_ = false;
};

class DriverTest : public MigrationTest {
  protected:
    void SetUp() override {
        MigrationTest::SetUp();
        migration::MigrationState = 0;
        migration::MigrationResult = 0;
        migration::ClearMigrationProgress();
    }

    // Loads the machine (each under its own name, so its images are fresh) behind a
    // HookedPlatform and makes it current.
    HookedPlatform& LoadHooked(const std::string& json, const std::string& name) {
        std::string error;
        auto machine = platform::sim::ParseMachine(json, name, folder_, &error);
        EXPECT_TRUE(machine) << error;
        if (!machine) throw std::runtime_error(error);
        return InstallHooked(std::move(*machine));
    }
    HookedPlatform& LoadHookedFile(const std::string& file) {
        std::string error;
        auto machine = platform::sim::LoadMachineFile(MachinePath(file), &error);
        EXPECT_TRUE(machine) << error;
        if (!machine) throw std::runtime_error(error);
        return InstallHooked(std::move(*machine));
    }
    HookedPlatform& InstallHooked(platform::sim::Machine machine) {
        std::string error;
        auto sim = platform::sim::SimPlatform::Create(std::move(machine), {folder_}, &error);
        EXPECT_TRUE(sim) << error;
        if (!sim) throw std::runtime_error(error);
        sim_ = sim.get();
        auto hooked = std::make_unique<HookedPlatform>(std::move(sim));
        HookedPlatform& result = *hooked;
        platform::UsePlatform(std::move(hooked));
        return result;
    }

    // Runs the worker to its end on this thread; its own return value is always 0.
    int32_t Migrate(const migration::MigrationThreadArgs& args) {
        EXPECT_EQ(migration::migrationThread(args), 0u);
        return migration::MigrationResult.load();
    }
    int32_t Migrate(uint32_t source, uint32_t target) { return Migrate({source, target}); }

    // The image's contents as a fingerprint: equal fingerprints, equal bytes. Hashed block by
    // block, since the demo's images are gigabytes (mostly holes).
    static uint64_t Fingerprint(const std::filesystem::path& image) {
        std::ifstream file(image, std::ios::binary);
        std::vector<char> block(1 << 20);
        uint64_t fingerprint = 0;
        while (file.read(block.data(), static_cast<std::streamsize>(block.size())) ||
               file.gcount() > 0) {
            const std::string_view bytes(block.data(), static_cast<size_t>(file.gcount()));
            fingerprint = fingerprint * 1000003 ^ std::hash<std::string_view>{}(bytes);
        }
        return fingerprint;
    }

    // No partition table left: no MBR entries or boot signature, no GPT header at either end.
    bool TableDeleted(int index) const {
        const auto mbr = ImageAs<platform::MasterBootRecord>(index, 0);
        const Sector zeros{};
        if (mbr.bootSignature != 0 ||
            std::memcmp(mbr.partitions, zeros.data(), sizeof mbr.partitions) != 0)
            return false;
        const uint64_t last = std::filesystem::file_size(Image(index)) / 512 - 1;
        for (const uint64_t lba : {uint64_t{1}, last}) {
            const auto header = ImageAs<platform::GptHeader>(index, lba);
            if (std::memcmp(header.signature, platform::kGptSignature, 8) == 0) return false;
        }
        return true;
    }

    // True when sectors [first, end) of the two images hold the same bytes.
    bool SameSectors(int a, int b, uint64_t first, uint64_t end) const {
        std::ifstream left(Image(a), std::ios::binary), right(Image(b), std::ios::binary);
        left.seekg(static_cast<std::streamoff>(first * 512));
        right.seekg(static_cast<std::streamoff>(first * 512));
        std::vector<char> x(1 << 20), y(1 << 20);
        for (uint64_t at = first; at < end;) {
            const uint64_t sectors = std::min<uint64_t>(end - at, x.size() / 512);
            const auto bytes = static_cast<std::streamsize>(sectors * 512);
            if (!left.read(x.data(), bytes) || !right.read(y.data(), bytes)) return false;
            if (std::memcmp(x.data(), y.data(), static_cast<size_t>(bytes)) != 0) return false;
            at += sectors;
        }
        return true;
    }
};

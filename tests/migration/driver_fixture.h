// Simulated machines with drives to migrate between: handles on their physical drives, direct
// access to the sectors of their image files (to corrupt them, or to look at what was
// written), the platform wrapped so a test can step in before a write, and the checks every
// outcome needs (the source's bytes untouched, the target's table gone).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "migration/drive_ops.h"
#include "migration/gpt.h"
#include "migration/migration_driver.h"
#include "platform/partition_table.h"
#include "platform/platform.h"
#include "platform/sim/machine_loader.h"
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

// The parts of the lines of a tool's output that match `pattern`.
inline std::vector<std::string> ToolRows(const std::string& output, const std::string& pattern) {
    const std::regex row(pattern);
    std::vector<std::string> rows;
    std::istringstream in(output);
    std::smatch match;
    for (std::string line; std::getline(in, line);)
        if (std::regex_search(line, match, row)) rows.push_back(match.str());
    return rows;
}

// What sgdisk's verifier finds wrong with `image`: empty when it found no problem and had to
// make nothing up, or when sgdisk cannot be run here.
inline std::string SgdiskProblems(const std::filesystem::path& image) {
    const std::string sgdisk = FindTool("sgdisk");
    if (sgdisk.empty()) return "";
    const std::string verdict = RunTool(sgdisk, "-v", image).output;
    bool bad = verdict.find("No problems found") == std::string::npos;
    for (const char* word : {"ERROR", "Warning", "Problem", "Creating new GPT", "corrupt"})
        bad = bad || verdict.find(word) != std::string::npos;
    return bad ? verdict : "";
}

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

// Each call but the two hooked ones goes to the inner platform unchanged.
#define TRAMSIK_PASS(Type, Name, Parameters, Arguments) \
    Type Name Parameters override {                     \
        return inner_->Name Arguments;                  \
    }

// A platform that passes every call to another one and lets a test step in before each write,
// on the thread that writes: to act at an exact point of a migration (a Cancel while the copy
// is half done) without racing against the worker.
class HookedPlatform : public platform::Platform {
  public:
    using WriteHook = std::function<void(platform::HANDLE file, platform::DWORD size)>;

    explicit HookedPlatform(std::unique_ptr<platform::Platform> inner) : inner_(std::move(inner)) {}

    // Called before every WriteFile and FlushFileBuffers, on the writing thread; set before the
    // platform is used.
    WriteHook beforeWrite;
    std::function<void(platform::HANDLE file)> beforeFlush;

    using BOOL = platform::BOOL;
    using DWORD = platform::DWORD;
    using HANDLE = platform::HANDLE;
    using UINT = platform::UINT;
    using HRESULT = platform::HRESULT;
    using SC_HANDLE = platform::SC_HANDLE;
    using ULONGLONG = platform::ULONGLONG;
    using STR = const wchar_t*;

    BOOL WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD* written) override {
        if (beforeWrite) beforeWrite(file, size);
        return inner_->WriteFile(file, buffer, size, written);
    }
    BOOL FlushFileBuffers(HANDLE file) override {
        if (beforeFlush) beforeFlush(file);
        return inner_->FlushFileBuffers(file);
    }

    TRAMSIK_PASS(HANDLE, CreateFileW, (STR n, DWORD a, DWORD s, DWORD d, DWORD f), (n, a, s, d, f))
    TRAMSIK_PASS(BOOL, DeviceIoControl,
                 (HANDLE h, DWORD c, void* i, DWORD n, void* o, DWORD m, DWORD* r),
                 (h, c, i, n, o, m, r))
    TRAMSIK_PASS(BOOL, SetFilePointerEx, (HANDLE h, int64_t d, int64_t* p, DWORD m), (h, d, p, m))
    TRAMSIK_PASS(BOOL, ReadFile, (HANDLE h, void* b, DWORD s, DWORD* r), (h, b, s, r))
    TRAMSIK_PASS(BOOL, CloseHandle, (HANDLE h), (h))
    TRAMSIK_PASS(DWORD, GetLastError, (), ())
    TRAMSIK_PASS(void, SetLastError, (DWORD e), (e))
    TRAMSIK_PASS(BOOL, DefineDosDeviceW, (DWORD f, STR n, STR t), (f, n, t))
    TRAMSIK_PASS(UINT, GetDriveTypeW, (STR r), (r))
    TRAMSIK_PASS(BOOL, GetDiskFreeSpaceExW, (STR r, ULONGLONG* a, ULONGLONG* t, ULONGLONG* f),
                 (r, a, t, f))
    TRAMSIK_PASS(BOOL, GetVolumeInformationW,
                 (STR r, wchar_t* n, DWORD ns, DWORD* s, DWORD* m, DWORD* f, wchar_t* fs,
                  DWORD fss),
                 (r, n, ns, s, m, f, fs, fss))
    TRAMSIK_PASS(UINT, GetSystemDirectoryW, (wchar_t * b, UINT s), (b, s))
    TRAMSIK_PASS(HRESULT, CoInitializeSecurity, (), ())
    TRAMSIK_PASS(HRESULT, CreateWbemLocator, (std::unique_ptr<platform::WmiLocator> * l), (l))
    TRAMSIK_PASS(SC_HANDLE, OpenSCManagerW, (STR m, STR d, DWORD a), (m, d, a))
    TRAMSIK_PASS(SC_HANDLE, OpenServiceW, (SC_HANDLE m, STR n, DWORD a), (m, n, a))
    TRAMSIK_PASS(BOOL, QueryServiceStatus, (SC_HANDLE s, platform::SERVICE_STATUS* t), (s, t))
    TRAMSIK_PASS(BOOL, StartServiceW, (SC_HANDLE s, DWORD c, const wchar_t** a), (s, c, a))
    TRAMSIK_PASS(BOOL, CloseServiceHandle, (SC_HANDLE h), (h))
    TRAMSIK_PASS(intptr_t, ShellExecuteW, (STR v, STR f, STR p, STR d, int s), (v, f, p, d, s))
    TRAMSIK_PASS(BOOL, GetVersionExW, (platform::OSVERSIONINFOEXW * i), (i))
    TRAMSIK_PASS(void, GetNativeSystemInfo, (platform::SYSTEM_INFO * i), (i))
    TRAMSIK_PASS(UINT, GetACP, (), ())
    TRAMSIK_PASS(BOOL, GetPcieLinkProperties, (const std::wstring& i, platform::PcieLink* l),
                 (i, l))
    TRAMSIK_PASS(DWORD, GetTickCount, (), ())
    TRAMSIK_PASS(platform::LocalTime, GetLocalTime, (), ())
    TRAMSIK_PASS(void, Sleep, (DWORD m), (m))
    TRAMSIK_PASS(BOOL, QueryPerformanceCounter, (int64_t * c), (c))
    TRAMSIK_PASS(BOOL, QueryPerformanceFrequency, (int64_t * f), (f))
    TRAMSIK_PASS(HANDLE, CreateMutexW, (BOOL o, STR n), (o, n))
    TRAMSIK_PASS(HANDLE, OpenMutexW, (DWORD a, BOOL i, STR n), (a, i, n))

  private:
    std::unique_ptr<platform::Platform> inner_;
};
#undef TRAMSIK_PASS

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
    // milliseconds. A held worker stays until the mark moves, whatever the progress values say
    // meanwhile.
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

class DriverTest : public SimTest {
  protected:
    void SetUp() override {
        SimTest::SetUp();
        migration::MigrationState = 0;
        migration::MigrationResult = 0;
        migration::ClearMigrationProgress();
    }
    void TearDown() override {
        CloseDrives();
        migration::MigrationState = 0;
        SimTest::TearDown();
    }

    // Loads the machine behind a HookedPlatform and makes it current; every load has images of
    // its own, fresh from the machine's layout.
    HookedPlatform& LoadHooked(const std::string& json) {
        CloseDrives();
        std::string error;
        auto machine =
            platform::sim::ParseMachine(json, "m" + std::to_string(loads_++), folder_, &error);
        auto sim = machine
                       ? platform::sim::SimPlatform::Create(std::move(*machine), {folder_}, &error)
                       : nullptr;
        if (!sim) throw std::runtime_error(error);
        sim_ = sim.get();
        auto hooked = std::make_unique<HookedPlatform>(std::move(sim));
        HookedPlatform& result = *hooked;
        platform::UsePlatform(std::move(hooked));
        return result;
    }
    // Loads the machine and opens its physical drives 0..count-1.
    void LoadDrives(const std::string& json, int count) {
        LoadHooked(json);
        for (int i = 0; i < count; ++i) {
            const platform::HANDLE handle = migration::openPhysicalDrive(i);
            ASSERT_NE(handle, platform::INVALID_HANDLE_VALUE) << "drive " << i;
            handles_.push_back(handle);
        }
    }
    void CloseDrives() {
        for (platform::HANDLE handle : handles_)
            platform::CloseHandle(handle);
        handles_.clear();
    }
    platform::HANDLE Drive(int index) const { return handles_.at(index); }

    // Runs the worker to its end on this thread; its own return value is always 0.
    int32_t Migrate(const migration::MigrationThreadArgs& args) {
        EXPECT_EQ(migration::migrationThread(args), 0u);
        return migration::MigrationResult.load();
    }

    std::filesystem::path Image(int index) const { return sim_->ImagePath(index); }
    // The image bytes of the drive at `index` from sector `lba` on, read and written past the
    // simulator.
    bool ReadImage(int index, uint64_t lba, void* bytes, size_t size) const {
        std::ifstream in(Image(index), std::ios::binary);
        in.seekg(static_cast<std::streamoff>(lba * 512));
        return static_cast<bool>(in.read(static_cast<char*>(bytes), std::streamsize(size)));
    }
    void WriteImage(int index, uint64_t lba, const void* bytes, size_t size) const {
        std::fstream out(Image(index), std::ios::binary | std::ios::in | std::ios::out);
        out.seekp(static_cast<std::streamoff>(lba * 512));
        out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    }
    template <typename T>
    T ImageAs(int index, uint64_t lba) const {
        T value{};
        ReadImage(index, lba, &value, sizeof value);
        return value;
    }
    template <typename T>
    void SetImageAs(int index, uint64_t lba, const T& value) const {
        WriteImage(index, lba, &value, sizeof value);
    }
    Sector ImageSector(int index, uint64_t lba) const { return ImageAs<Sector>(index, lba); }

    // The primary header and its array as the drive holds them, and a way to store them
    // back with correct CRCs after a test changed them.
    platform::GptHeader PrimaryHeader(int index) const {
        return ImageAs<platform::GptHeader>(index, 1);
    }
    std::vector<platform::GptEntry> PrimaryEntries(int index) const {
        const auto header = PrimaryHeader(index);
        std::vector<platform::GptEntry> entries(header.numberOfPartitionEntries);
        ReadImage(index, header.partitionEntryLba, entries.data(), entries.size() * 128);
        return entries;
    }
    void StorePrimary(int index, platform::GptHeader header,
                      const std::vector<platform::GptEntry>& entries, bool sealArray = true) const {
        WriteImage(index, header.partitionEntryLba, entries.data(), entries.size() * 128);
        if (sealArray)
            header.partitionEntryArrayCrc32 = platform::Crc32(
                0, {reinterpret_cast<const uint8_t*>(entries.data()), entries.size() * 128});
        migration::SealGptHeader(header);
        SetImageAs(index, 1, header);
    }

    // The image's contents as a fingerprint: equal fingerprints, equal bytes.
    static uint64_t Fingerprint(const std::filesystem::path& image) {
        std::string bytes(std::filesystem::file_size(image), '\0');
        std::ifstream(image, std::ios::binary).read(bytes.data(), std::streamsize(bytes.size()));
        return std::hash<std::string>{}(bytes);
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
        std::vector<char> x(1 << 20), y(1 << 20);
        for (uint64_t at = first; at < end; at += x.size() / 512) {
            const size_t bytes = std::min<uint64_t>(end - at, x.size() / 512) * 512;
            if (!ReadImage(a, at, x.data(), bytes) || !ReadImage(b, at, y.data(), bytes) ||
                std::memcmp(x.data(), y.data(), bytes) != 0)
                return false;
        }
        return true;
    }

    platform::sim::SimPlatform* sim_ = nullptr;
    std::vector<platform::HANDLE> handles_;
    int loads_ = 0;
};

// Inventories of simulated machines for tests: machine descriptions built from a few JSON
// pieces, one engine per test, and questions about the log lines an inventory wrote.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "disk/ata_smart.h"
#include "tests/platform/sim_fixture.h"
#include "tests/support/log_watch.h"

using Json = nlohmann::json;
using LogLines = std::vector<std::string>;

// A small ATA drive on the standard driver with a confirmed SMART reading.
inline Json AtaDrive(int physicalDrive, const std::string& model, const std::string& serial,
                     const std::string& firmware = "FW01") {
    return {{"physicalDrive", physicalDrive},
            {"route", "ata"},
            {"size", "16MiB"},
            {"identify", {{"model", model}, {"serial", serial}, {"firmware", firmware}}},
            {"smart",
             {{"attributes", Json::array({{{"id", 5}, {"raw", 0}, {"threshold", 10}},
                                          {{"id", 9}, {"raw", 1200}},
                                          {{"id", 12}, {"raw", 77}},
                                          {{"id", 194}, {"raw", 36}}})}}}};
}

// The Win32_DiskDrive view of a drive.
inline Json WmiView(int physicalDrive, const std::string& model, const std::string& pnpDeviceId,
                    const std::string& interfaceType = "IDE",
                    const std::string& mediaType = "Fixed hard disk media") {
    return {{"Model", model},
            {"DeviceID", "\\\\.\\PHYSICALDRIVE" + std::to_string(physicalDrive)},
            {"MediaType", mediaType},
            {"InterfaceType", interfaceType},
            {"PNPDeviceID", pnpDeviceId},
            {"Size", "16777216"},
            {"SCSIPort", 0},
            {"SCSITargetId", physicalDrive},
            {"SCSIBus", 0}};
}

inline Json WithWmi(Json drive, Json view) {
    drive["wmi"] = std::move(view);
    return drive;
}

// A volume with its letter on these {drive, partition} extents.
inline Json Extent(int drive, int partition) {
    return {{"drive", drive}, {"partition", partition}};
}
inline Json Volume(const std::string& letter, Json extents, const std::string& type = "fixed") {
    return {{"letter", letter},
            {"driveType", type},
            {"fileSystem", "NTFS"},
            {"freeBytes", 0},
            {"extents", std::move(extents)}};
}
// A drive's layout of one partition over the whole disk.
inline Json WholeDiskLayout() {
    return {{"style", "mbr"}, {"partitions", Json::array({{{"type", "ntfs"}, {"size", "rest"}}})}};
}

inline Json MachineOf(Json drives, Json controllers = Json::array(), Json volumes = Json::array(),
                      Json os = {{"major", 10}, {"minor", 0}}) {
    return {{"format", "tramsik-machine/1"},
            {"os", std::move(os)},
            {"controllers", std::move(controllers)},
            {"drives", std::move(drives)},
            {"volumes", std::move(volumes)}};
}

// Log lines written as one text, "; " between them.
inline LogLines Split(std::string_view joined) {
    LogLines lines;
    for (size_t at = 0; at <= joined.size();) {
        const size_t end = std::min(joined.find("; ", at), joined.size());
        lines.emplace_back(joined.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

inline bool Has(const LogLines& lines, const std::string& line) {
    return std::ranges::find(lines, line) != lines.end();
}

inline long CountOf(const LogLines& lines, const std::string& line) {
    return std::ranges::count(lines, line);
}

// Whether `expected` appear in this order (other lines may lie between them).
inline bool InOrder(const LogLines& lines, const std::vector<std::string>& expected) {
    auto at = lines.begin();
    for (const std::string& line : expected) {
        at = std::find(at, lines.end(), line);
        if (at == lines.end()) return false;
        ++at;
    }
    return true;
}

// Whether `expected` appear one right after the other somewhere.
inline bool Consecutive(const LogLines& lines, const std::vector<std::string>& expected) {
    return std::ranges::search(lines, expected).begin() != lines.end();
}

class InventoryTest : public SimTest {
  protected:
    // Loads the machine and makes a fresh engine for it (the engine reads the OS version).
    disk::CAtaSmart& Machine(const Json& machine) {
        Load(machine.dump());
        engine_ = std::make_unique<disk::CAtaSmart>();
        return *engine_;
    }
    disk::CAtaSmart& Engine() { return *engine_; }

    // One inventory; the log lines it wrote.
    LogLines Inventory() {
        LogWatch watch;
        engine_->Init();
        return watch.Messages();
    }
    LogLines Inventory(const Json& machine) {
        Machine(machine);
        return Inventory();
    }

    // The record of physical drive n, or null.
    const disk::DriveRecord* Drive(int32_t physicalDrive) const {
        for (const disk::DriveRecord& record : engine_->vars.Records())
            if (record.Address.physicalDriveId == physicalDrive) return &record;
        return nullptr;
    }

    std::unique_ptr<disk::CAtaSmart> engine_;
};

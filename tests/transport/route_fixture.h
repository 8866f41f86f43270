// What the transport tests share: pages of recognisable bytes, and a test that puts a scripted
// platform under the routes so that it sees the exact bytes they send.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/scripted_platform.h"
#include "transport/silicon_image.h"

using Page = std::array<uint8_t, 512>;

// 512 bytes that differ from seed to seed: a page copied from the wrong place shows.
inline Page Pattern(uint8_t seed) {
    Page page{};
    for (size_t i = 0; i < page.size(); ++i)
        page[i] = static_cast<uint8_t>(seed + i * 7);
    return page;
}

class ScriptedRouteTest : public ::testing::Test {
  protected:
    ScriptedPlatform& Install(ScriptedPlatform::Handler handler) {
        auto backend = std::make_unique<ScriptedPlatform>(std::move(handler));
        ScriptedPlatform& scripted = *backend;
        platform::UsePlatform(std::move(backend));
        return scripted;
    }
    void TearDown() override { platform::UsePlatform(nullptr); }
};

// A 32-bit value at a byte offset of a request, little-endian as every request lays them out.
inline void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes.at(at + i) = static_cast<uint8_t>(value >> (8 * i));
}
inline uint32_t Get32(const std::vector<uint8_t>& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | bytes.at(at + i);
    return value;
}

// Where a Silicon Image drive is: its controller port, chip and device, and the system's version.
inline transport::SiliconImageAddress Sil(int port, int chip, int device, int physicalDrive,
                                          std::wstring pnpDeviceId = L"",
                                          platform::DWORD major = 10, platform::DWORD minor = 0) {
    return {.port = port,
            .chip = chip,
            .device = device,
            .physicalDrive = physicalDrive,
            .pnpDeviceId = std::move(pnpDeviceId),
            .osMajorVersion = major,
            .osMinorVersion = minor};
}

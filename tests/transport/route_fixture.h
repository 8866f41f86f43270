// What the transport tests share: pages of recognisable bytes, and a test that puts a scripted
// platform under the routes so that it sees the exact bytes they send.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/scripted_platform.h"
#include "transport/ata_route.h"
#include "transport/silicon_image.h"

using Page = std::array<uint8_t, 512>;

// 512 bytes that differ from seed to seed: a page copied from the wrong place shows.
inline Page Pattern(uint8_t seed) {
    Page page{};
    for (size_t i = 0; i < page.size(); ++i)
        page[i] = static_cast<uint8_t>(seed + i * 7);
    return page;
}

// The pages a route read with its four calls, made in order and each expected to succeed.
struct Pages {
    Page identify{}, data{}, thresholds{};
};
inline Pages ReadAll(transport::AtaRoute& route) {
    Pages pages;
    EXPECT_TRUE(route.IdentifyDevice(pages.identify));
    EXPECT_TRUE(route.ReadSmartData(pages.data));
    EXPECT_TRUE(route.ReadSmartThresholds(pages.thresholds));
    EXPECT_TRUE(route.EnableSmartOperations());
    return pages;
}
inline void ExpectEveryPage(const Pages& pages, const Page& answer) {
    EXPECT_EQ(pages.identify, answer);
    EXPECT_EQ(pages.data, answer);
    EXPECT_EQ(pages.thresholds, answer);
}

// Every test ends with each handle the routes opened closed again.
class ScriptedRouteTest : public ::testing::Test {
  protected:
    ScriptedPlatform& Install(ScriptedPlatform::Handler handler) {
        ExpectAllClosed();
        auto backend = std::make_unique<ScriptedPlatform>(std::move(handler));
        scripted_ = backend.get();
        platform::UsePlatform(std::move(backend));
        return *scripted_;
    }
    void ExpectAllClosed() {
        EXPECT_TRUE(scripted_ == nullptr || scripted_->openHandles == 0) << "a handle left open";
    }
    void TearDown() override {
        ExpectAllClosed();
        platform::UsePlatform(nullptr);
    }
    ScriptedPlatform* scripted_ = nullptr;
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

// "A1 08 0E ..." with T standing for the target byte.
inline std::vector<uint8_t> Hex(const std::string& text, uint8_t target = 0) {
    std::vector<uint8_t> bytes;
    std::istringstream in(text);
    for (std::string token; in >> token;)
        bytes.push_back(token == "T" ? target
                                     : static_cast<uint8_t>(std::stoul(token, nullptr, 16)));
    return bytes;
}

// Every request went to `device` with `code` and offered `outSize` bytes for the reply.
inline void ExpectEachSent(const std::vector<ScriptedRequest>& requests, const std::wstring& device,
                           platform::DWORD code, platform::DWORD outSize) {
    for (const ScriptedRequest& request : requests) {
        EXPECT_EQ(request.device, device);
        EXPECT_EQ(request.code, code);
        EXPECT_EQ(request.outSize, outSize);
    }
}

// A miniport request of `size` bytes: the control header (its own length, the signature, the
// timeout, the control code and the length of what follows it), zeros behind it.
inline std::vector<uint8_t> MiniportRequest(const char* signature, uint32_t timeout, uint32_t code,
                                            size_t size) {
    std::vector<uint8_t> bytes(size, 0);
    Put32(bytes, 0, 28);
    std::copy(signature, signature + 8, bytes.begin() + 4);
    Put32(bytes, 12, timeout);
    Put32(bytes, 16, code);
    Put32(bytes, 24, static_cast<uint32_t>(size - 28));
    return bytes;
}

// Where a Silicon Image drive is: its controller port, chip and device, and the system's version.
inline transport::SiliconImageAddress Sil(int port, int chip, int device, int physicalDrive,
                                          std::wstring pnpDeviceId = L"",
                                          platform::DWORD major = 10, platform::DWORD minor = 0) {
    return {port, chip, device, physicalDrive, std::move(pnpDeviceId), major, minor};
}

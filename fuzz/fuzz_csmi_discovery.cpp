// Arbitrary bytes as a RAID driver's answers: every CSMI request of the discovery of one port
// gets the next piece of the input as its reply. Whatever the driver claims (RAID sets, drives
// per set, PHY counts), discovery must stay inside its buffers and end.
// The first input byte chooses the mode: even asks every PHY, odd only RAID members.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "tests/support/scripted_platform.h"
#include "transport/csmi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const auto scope =
        data[0] % 2 == 0 ? transport::CsmiScope::AllPhys : transport::CsmiScope::RaidMembers;
    size_t at = 1;
    auto backend = std::make_unique<ScriptedPlatform>([&](const ScriptedRequest& request,
                                                          uint8_t* out, platform::DWORD* returned) {
        // The header stays as sent; the rest of the reply comes from the input.
        std::memcpy(out, request.in.data(), std::min<size_t>(request.in.size(), request.outSize));
        const size_t header = std::min<size_t>(28, request.outSize);
        const size_t piece = std::min(size - at, size_t{request.outSize} - header);
        std::memcpy(out + header, data + at, piece);
        at += piece;
        *returned = request.outSize;
        return platform::BOOL{1};
    });
    platform::UsePlatform(std::move(backend));
    size_t found = 0;
    transport::DoIdentifyDeviceCsmi(
        0, scope, [&](transport::AtaBuffer, const transport::CsmiPhyEntry&) { ++found; });
    platform::UsePlatform(nullptr);
    // No port has more than 32 PHYs to find drives on.
    if (found > 32) __builtin_trap();
    return 0;
}

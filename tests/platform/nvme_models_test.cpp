#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "requests.h"
#include "sim_fixture.h"

namespace {

using namespace platform;
using Bytes = std::vector<uint8_t>;

// `bytes` with these dwords changed.
Bytes With(Bytes bytes, std::initializer_list<std::pair<size_t, uint32_t>> dwords) {
    for (const auto& [offset, value] : dwords)
        std::memcpy(&bytes[offset], &value, 4);
    return bytes;
}

// Drive 0 on the storage query, 1 on the Samsung driver, 2 on the Intel miniport at port 5.
std::string Machine(int osMajor) {
    const std::string nvme = R"({"model": "Orvel NVMe", "serial": "NV1", "firmware": "N1",
                                 "health": {"temperatureKelvin": 308, "powerOnHours": 9}})";
    return R"({"format": "tramsik-machine/1", "os": {"major": )" + std::to_string(osMajor) +
           R"(, "minor": 0}, "drives": [
        {"physicalDrive": 0, "route": "nvme-storage-query", "size": "1MiB", "nvme": )" +
           nvme + R"(},
        {"physicalDrive": 1, "route": "nvme-samsung", "size": "1MiB", "nvme": )" +
           nvme + R"(},
        {"physicalDrive": 2, "route": "nvme-intel", "size": "1MiB", "scsi": {"port": 5, "target": 0},
         "nvme": )" +
           nvme + R"(}]})";
}

Bytes StorageQuery(uint32_t dataType, uint32_t value, uint32_t subValue) {
    return With(
        Bytes(4144, 0),
        {{0, 49}, {8, 3}, {12, dataType}, {16, value}, {20, subValue}, {24, 40}, {28, 4096}});
}

Bytes SecurityProtocol(bool in, uint8_t page, uint8_t requestByte) {
    std::array<uint8_t, 16> cdb{};
    cdb[0] = in ? 0xA2 : 0xB5;
    cdb[1] = 0xFE;
    cdb[3] = page;
    cdb[in ? 8 : 9] = in ? 0x01 : 0x40;
    const uint8_t block[] = {requestByte};
    return SamsungPassThrough(in ? 1 : 0, cdb, block);
}
// Where the Samsung driver's answer lands: sense and data areas.
constexpr size_t kSense = kNvmePassThroughSenseOffset, kData = kNvmePassThroughDataOffset;
constexpr DWORD kSamsungSize = sizeof(SCSI_PASS_THROUGH_NVME_BUFFERS);

Bytes Miniport(uint32_t opcode, uint32_t dword10) {
    // The request header, then the admin command and where its data goes.
    Bytes bytes = With(Bytes(4248, 0), {{0, 28}, {12, 40}, {16, 0xE0002000}, {24, 4220}});
    std::memcpy(&bytes[4], "NvmeMini", 8);
    return With(
        bytes, {{52, opcode}, {56, 0xFFFFFFFF}, {92, dword10}, {132, 2}, {140, 4096}, {148, 4248}});
}

class NvmeModels : public SimTest {
  protected:
    Answer Query(int drive, Bytes& request) {
        return ControlOnDrive(drive, IOCTL_STORAGE_QUERY_PROPERTY, request,
                              static_cast<DWORD>(request.size()), request,
                              static_cast<DWORD>(request.size()));
    }
    Answer PassThrough(int drive, Bytes& request) {
        return ControlOnDrive(drive, IOCTL_SCSI_PASS_THROUGH, request, kSamsungSize, request,
                              kSamsungSize);
    }
    Answer OnPort(int port, Bytes& request, DWORD size = 4248) {
        const std::wstring name = L"\\\\.\\SCSI" + std::to_wstring(port) + L":";
        const HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
        EXPECT_NE(handle, INVALID_HANDLE_VALUE);
        const Answer answer = Control(handle, IOCTL_SCSI_MINIPORT, request, size, request, size);
        CloseHandle(handle);
        return answer;
    }
};

TEST_F(NvmeModels, EachDriverAnswersWellFormedRequestsFromWindows10On) {
    Load(Machine(10));
    Bytes identify = StorageQuery(1, 0, 0);
    Answer answer = Query(0, identify);
    ASSERT_TRUE(answer.ok) << answer.error;
    EXPECT_EQ(answer.returned, 4144u);
    EXPECT_EQ(Read<uint32_t>(identify.data()), 48u) << "the protocol data descriptor's version";
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&identify[48 + 24]), 10), "Orvel NVMe");
    Bytes log = StorageQuery(2, 2, 0xFFFFFFFF);
    ASSERT_TRUE(Query(0, log).ok);
    EXPECT_EQ(log[48 + 1] | log[48 + 2] << 8, 308);
    EXPECT_EQ(log[48 + 128], 9);

    const auto refused = [&](Bytes request, DWORD error, int drive = 0) {
        EXPECT_EQ(Query(drive, request).error, error);
    };
    const Bytes query = StorageQuery(1, 0, 0);
    refused(With(query, {{8, 2}}), ERROR_INVALID_PARAMETER);       // not NVMe
    refused(With(query, {{24, 8}}), ERROR_INVALID_PARAMETER);      // data in the block
    refused(With(query, {{28, 8192}}), ERROR_INVALID_PARAMETER);   // past the buffer
    refused(With(query, {{28, 512}}), ERROR_INVALID_PARAMETER);    // short for identify
    refused(StorageQuery(2, 3, 0xFFFFFFFF), ERROR_NOT_SUPPORTED);  // another log
    refused(query, ERROR_NOT_SUPPORTED, 1);                        // not this driver's drive
    refused(With(Bytes(40, 0), {{0, 49}}), ERROR_INVALID_PARAMETER);

    Bytes out = SecurityProtocol(false, 6, 2);
    ASSERT_TRUE(PassThrough(1, out).ok);
    Bytes in = SecurityProtocol(true, 6, 0);
    ASSERT_TRUE(PassThrough(1, in).ok);
    EXPECT_EQ(std::tuple(out[2], in[2]), std::tuple(0, 0)) << "good status";
    EXPECT_EQ(in[kData + 1] | in[kData + 2] << 8, 308);

    // An IN without its OUT, and an OUT whose block names another structure, end in a check
    // condition with ILLEGAL REQUEST sense and no data.
    Bytes lone = SecurityProtocol(true, 5, 0);
    ASSERT_TRUE(PassThrough(1, lone).ok);
    EXPECT_EQ(std::tuple(lone[2], lone[kSense + 2], lone[kData + 24]), std::tuple(0x02, 0x05, 0));
    Bytes mismatched = SecurityProtocol(false, 5, 2);
    ASSERT_TRUE(PassThrough(1, mismatched).ok);
    EXPECT_EQ(mismatched[2], 0x02);

    Bytes identifyOut = SecurityProtocol(false, 5, 1);
    ASSERT_TRUE(PassThrough(1, identifyOut).ok);
    Bytes identifyIn = SecurityProtocol(true, 5, 0);
    ASSERT_TRUE(PassThrough(1, identifyIn).ok);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&identifyIn[kData + 24]), 10),
              "Orvel NVMe");

    // Malformed pass-through requests are refused by the port driver.
    Bytes badLength = SecurityProtocol(false, 5, 1);
    badLength[0] -= 4;
    EXPECT_EQ(PassThrough(1, badLength).error, ERROR_INVALID_PARAMETER);
    for (const auto& [offset, value] :
         {std::pair{offsetof(SCSI_PASS_THROUGH, DataBufferOffset), kSamsungSize + 20},
          std::pair{offsetof(SCSI_PASS_THROUGH, SenseInfoOffset), kSamsungSize - 10}}) {
        Bytes bad = With(SecurityProtocol(true, 5, 0), {{offset, value}});
        EXPECT_EQ(PassThrough(1, bad).error, ERROR_INVALID_PARAMETER) << offset;
    }

    // The Intel miniport runs admin commands on its port.
    Bytes controller = Miniport(0x06, 1);
    ASSERT_TRUE(OnPort(5, controller).ok);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&controller[152 + 24]), 10), "Orvel NVMe");
    EXPECT_EQ(Read<uint32_t>(controller.data(), 20), 0u) << "ReturnCode";

    Bytes full = Miniport(0x02, 0x007F0002);
    ASSERT_TRUE(OnPort(5, full).ok);
    EXPECT_EQ(full[152 + 128], 9);
    // One dword asked for, one dword returned.
    Bytes shortLog = Miniport(0x02, 0x00000002);
    ASSERT_TRUE(OnPort(5, shortLog).ok);
    EXPECT_EQ(std::tuple(shortLog[152 + 1] | shortLog[152 + 2] << 8, shortLog[152 + 128]),
              std::tuple(308, 0));

    // Commands the drive refuses complete with an NVMe status and no data.
    Bytes namespaceData = Miniport(0x06, 0);
    ASSERT_TRUE(OnPort(5, namespaceData).ok);
    EXPECT_NE(Read<uint32_t>(namespaceData.data(), 20), 0u);
    EXPECT_EQ(Read<uint32_t>(namespaceData.data(), 116 + 12) >> 17, 0x02u) << "invalid field";
    EXPECT_EQ(namespaceData[152 + 24], 0);
    Bytes unknown = Miniport(0x7F, 0);
    ASSERT_TRUE(OnPort(5, unknown).ok);
    EXPECT_EQ(Read<uint32_t>(unknown.data(), 116 + 12) >> 17, 0x01u) << "invalid opcode";

    // Malformed requests are refused: the control code, the length, the direction.
    for (const auto& [offset, value] :
         {std::pair{16u, 0xE0002001u}, std::pair{24u, 8000u}, std::pair{132u, 1u}}) {
        Bytes bad = With(Miniport(0x06, 1), {{offset, value}});
        EXPECT_EQ(OnPort(5, bad).error, ERROR_INVALID_PARAMETER) << offset;
    }
    Bytes small = Miniport(0x06, 1);
    EXPECT_EQ(OnPort(5, small, 100).error, ERROR_INVALID_PARAMETER);
    Bytes signature = Miniport(0x06, 1);
    signature[4] = 'X';
    EXPECT_EQ(OnPort(5, signature).error, ERROR_INVALID_FUNCTION) << "not the miniport's request";

    // Before Windows 10 the storage query knows no NVMe.
    Load(Machine(6));
    refused(query, ERROR_NOT_SUPPORTED);
}

}  // namespace

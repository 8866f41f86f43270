#include <gtest/gtest.h>

#include <numeric>
#include <string>

#include "base/utf8.h"
#include "capture/anonymize.h"
#include "platform/sim/machine_loader.h"

namespace {

using platform::sim::Machine;
using platform::sim::Page;

// One serial in every place a drive's serial travels, a second drive with a serial of its own
// inside the first one's, and a WWN.
const char* const kMachine = R"({
  "format": "tramsik-machine/1", "os": {"major": 10, "minor": 0},
  "controllers": [{"class": "USB", "name": "Hub", "deviceId": "USB\\ROOT",
                   "devices": [{"deviceId": "USBSTOR\\DISK&VEN_X\\SER1234567&0", "name": "ser1234567"},
                               {"deviceId": "USB\\VID_152D&PID_2338\\77AA8812"},
                               {"deviceId": "USBSTOR\\DISK&VEN_Y\\77AA8812&0"},
                               {"deviceId": "USB\\VID_04B4&PID_6830\\5&3AB&0&1"}]}],
  "drives": [
    {"physicalDrive": 0, "route": "ata", "size": "1MiB",
     "identify": {"model": "Drive One", "serial": "SER1234567", "words": {"108": "0x5001", "109": "0xB0A3", "110": "0x1234", "111": "0x5678"}},
     "storage": {"serial": "  SER1234567"},
     "wmi": {"SerialNumber": "ES1R325476", "PNPDeviceID": "USBSTOR\\DISK&VEN_X\\SER1234567&0", "Size": "1048576"}},
    {"physicalDrive": 1, "route": "nvme-storage-query", "size": "1MiB",
     "nvme": {"model": "Drive Two", "serial": "1234"}}],
  "volumes": [{"letter": "C", "fileSystem": "NTFS", "freeBytes": 0, "serialNumber": "0xCAFE", "extents": []}]
})";

Machine Anonymised() {
    std::string error;
    auto machine = platform::sim::ParseMachine(kMachine, "anonymize.json", {}, &error);
    EXPECT_TRUE(machine) << error;
    capture::Anonymize(*machine);
    return *machine;
}

std::string AtaSerial(const Page& page) {
    std::string text;
    for (size_t i = 0; i < 20; ++i)
        text += static_cast<char>(page[20 + (i ^ 1)]);
    return text;
}

std::string Wmi(const Machine& machine, const wchar_t* name) {
    for (const auto& [key, value] : *machine.drives[0].wmi)
        if (key == name) return ToUtf8(std::get<std::wstring>(value));
    return {};
}

TEST(Anonymize, OneSerialGetsOneReplacementWherEverItTravels) {
    const Machine machine = Anonymised();
    const std::string replacement = machine.drives[0].storage.serial.substr(2);
    const std::string enclosure = ToUtf8(machine.controllers[0].devices[1].deviceId.substr(22));
    EXPECT_EQ(enclosure.size(), 8u);
    EXPECT_NE(enclosure, "77AA8812");
    EXPECT_EQ(replacement.size(), 10u);
    EXPECT_NE(replacement, "SER1234567");
    const struct {
        std::string where, found, expected;
    } rows[] = {
        {"IDENTIFY words 10-19", AtaSerial(*machine.drives[0].identify),
         replacement + std::string(10, ' ')},
        {"descriptor, leading blanks kept", machine.drives[0].storage.serial, "  " + replacement},
        {"PNP device id", Wmi(machine, L"PNPDeviceID"),
         "USBSTOR\\DISK&VEN_X\\" + replacement + "&0"},
        {"controller's device, upper-cased", ToUtf8(machine.controllers[0].devices[0].deviceId),
         "USBSTOR\\DISK&VEN_X\\" + replacement + "&0"},
        {"byte-swapped WMI serial", Wmi(machine, L"SerialNumber"),
         std::string{replacement[1], replacement[0], replacement[3], replacement[2], replacement[5],
                     replacement[4], replacement[7], replacement[6], replacement[9],
                     replacement[8]}},
        {"enclosure's own serial, in its disk's id",
         ToUtf8(machine.controllers[0].devices[2].deviceId),
         "USBSTOR\\DISK&VEN_Y\\" + enclosure + "&0"},
        {"an enclosure without a serial", ToUtf8(machine.controllers[0].devices[3].deviceId),
         "USB\\VID_04B4&PID_6830\\5&3AB&0&1"},
        {"a number that holds no serial", Wmi(machine, L"Size"), "1048576"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.found, row.expected) << row.where;
    // The NVMe serial is replaced too, though the first drive's serial holds it.
    const auto& nvme = machine.drives[1].nvme->identify;
    EXPECT_NE(std::string(nvme.begin() + 4, nvme.begin() + 8), "1234");
}

TEST(Anonymize, IdentifyStaysAValidPageWithAnotherWwnOfTheSameAuthority) {
    const Machine machine = Anonymised();
    const Page& page = *machine.drives[0].identify;
    EXPECT_EQ(page[510], 0xA5);
    EXPECT_EQ(std::accumulate(page.begin(), page.end(), 0u) % 256, 0u) << "checksum byte 511";
    const auto word = [&](size_t n) { return page[2 * n] | page[2 * n + 1] << 8; };
    EXPECT_EQ(word(108), 0x5001) << "NAA and company id stay";
    EXPECT_EQ(word(109) & 0xFFF0, 0xB0A0);
    EXPECT_NE(uint64_t(word(109) & 0xF) << 32 | uint64_t(word(110)) << 16 | word(111), 0x312345678u)
        << "the drive's own part goes";
    EXPECT_NE(machine.volumes[0].serialNumber, 0xCAFEu);
}

}  // namespace

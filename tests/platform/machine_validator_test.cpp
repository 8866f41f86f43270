#include <gtest/gtest.h>

#include "platform/sim/machine_loader.h"

namespace {

using platform::sim::LoadMachineFile;
using platform::sim::ParseMachine;

// A valid machine with one drive; each case below breaks one thing in it.
const std::string kGood = R"({
  "format": "tramsik-machine/1",
  "os": {"major": 10, "minor": 0, "architecture": "amd64", "winmgmt": "running"},
  "controllers": [{"class": "IDE", "name": "AHCI", "deviceId": "PCI\\VEN_1", "devices": [{"deviceId": "D1"}]}],
  "drives": [{
    "physicalDrive": 0, "route": "ata", "size": "64MiB",
    "identify": {"model": "Good Drive", "serial": "1", "firmware": "F", "words": {"217": 1}},
    "smart": {"attributes": [{"id": 9, "raw": "0x10"}]},
    "layout": {"style": "gpt", "partitions": [{"type": "basic", "size": "32MiB"}]},
    "wmi": {"Model": "Good Drive", "Size": 67108864, "SCSIPort": null}
  }],
  "volumes": [{"letter": "C", "fileSystem": "NTFS", "freeBytes": "1MiB", "extents": [{"drive": 0, "partition": 0}]}]
})";

std::string Error(const std::string& text) {
    std::string error;
    const auto machine = ParseMachine(text, "broken.json", {}, &error);
    EXPECT_FALSE(machine) << "accepted: " << text;
    return error;
}

std::string Replace(const std::string& from, const std::string& to) {
    const size_t at = kGood.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return std::string(kGood).replace(at, from.size(), to);
}

TEST(MachineValidator, EveryKindOfMistakeNamesFilePathAndProblemAndGoodOnesRead) {
    const struct {
        std::string text, expected;
    } cases[] = {
        {Replace(R"("physicalDrive": 0, "route": "ata",)", R"("physicalDrive": 0,)"),
         R"(broken.json: $.drives[0]: missing key "route")"},
        {Replace(R"("major": 10)", R"("major": "ten")"),
         R"(broken.json: $.os.major: expected a number or a "0x" hexadecimal string, found "ten")"},
        {Replace(R"("minor": 0)", R"("minor": "0")"),
         R"(broken.json: $.os.minor: expected a number or a "0x" hexadecimal string, found "0")"},
        {Replace(R"("minor": 0)", R"("minor": true)"),
         R"(broken.json: $.os.minor: expected a number, found a boolean)"},
        {Replace(R"("route": "ata")", R"("route": "firewire")"),
         R"(broken.json: $.drives[0].route: unknown value "firewire"; expected one of "ata", "scsi-miniport")"},
        {Replace(R"("size": "64MiB",)", R"("size": "64MiB", "sise": 1,)"),
         R"(broken.json: $.drives[0]: unknown key "sise")"},
        {Replace(R"("model": "Good Drive", "serial")",
                 R"("hex": ")" + std::string(1024, 'a') + R"(", "serial")"),
         R"(broken.json: $.drives[0].identify: unknown key "firmware")"},
        {Replace(R"({"model": "Good Drive", "serial": "1", "firmware": "F", "words": {"217": 1}})",
                 R"({"hex": "00ff"})"),
         R"(broken.json: $.drives[0].identify.hex: expected 1024 hex digits, found 4)"},
        {Replace(R"("size": "32MiB")", R"("size": "64MiB")"),
         R"(broken.json: $.drives[0].layout.partitions[0]: partition does not fit: it would end at sector 133119 but the last usable sector is 131038)"},
        {Replace(R"("size": "32MiB")", R"("size": "32MiB", "startLba": 10)"),
         R"(broken.json: $.drives[0].layout.partitions[0]: partition starts at sector 10, before sector 34, the first usable one)"},
        {Replace(R"("partition": 0}])", R"("partition": 3}])"),
         R"(broken.json: $.volumes[0].extents[0].partition: physical drive 0 has 1 partitions; there is no entry 3)"},
        {Replace(R"("drive": 0,)", R"("drive": 7,)"),
         R"(broken.json: $.volumes[0].extents[0].drive: no drive has physical drive number 7)"},
        {Replace(R"("size": "64MiB")", R"("size": "64 MegaBytes")"),
         R"(broken.json: $.drives[0].size: unknown size unit "MegaBytes" in "64 MegaBytes")"},
        {Replace(R"("size": "64MiB")", R"("size": "0.3KB")"),
         R"(broken.json: $.drives[0].size: a disk size is a non-zero multiple of 512 bytes)"},
        {Replace(R"("size": "64MiB")", R"("size": "0.0001KB")"),
         R"(broken.json: $.drives[0].size: size "0.0001KB" is not a whole number of bytes)"},
        {Replace(R"("size": "64MiB")", R"("size": "1.000000000000000001TB")"),
         R"(broken.json: $.drives[0].size: size "1.000000000000000001TB" is not a whole number of bytes)"},
        {Replace(R"("size": "64MiB")", R"("size": "16777216TiB")"),
         R"(broken.json: $.drives[0].size: size "16777216TiB" is too large)"},
        {Replace(R"("size": "64MiB")", R"("size": "18446744073709551615.5KB")"),
         R"(broken.json: $.drives[0].size: size "18446744073709551615.5KB" has too many digits)"},
        {Replace(R"("physicalDrive": 0,)", R"("physicalDrive": null,)"),
         R"(broken.json: $.drives[0]: "physicalDrive" may be null only for the "scsi-miniport" and "csmi" routes)"},
        {Replace(R"("route": "ata")", R"("route": "sat")"),
         R"(broken.json: $.drives[0]: missing key "usb", which this route needs)"},
        {Replace(R"("words": {"217": 1})", R"("words": {"256": 1})"),
         R"(broken.json: $.drives[0].identify.words.256: a word number from 0 to 255 is expected as the key)"},
        {Replace(R"("raw": "0x10")", R"("raw": -4)"),
         R"(broken.json: $.drives[0].smart.attributes[0].raw: expected a number of 0 or more, found -4)"},
        {Replace(R"("raw": "0x10")", R"("raw": "0x1000000000000")"),
         R"(broken.json: $.drives[0].smart.attributes[0].raw: number 281474976710656 is above the largest allowed)"},
        {Replace(R"("format": "tramsik-machine/1")", R"("format": "tramsik-machine/2")"),
         R"(broken.json: $.format: expected "tramsik-machine/1", found "tramsik-machine/2")"},
        {Replace(R"("devices": [{"deviceId": "D1"}])", R"("devices": {"deviceId": "D1"})"),
         R"(broken.json: $.controllers[0].devices: expected an array, found an object)"},
        {Replace(R"("letter": "C")", R"("letter": "c")"),
         R"(broken.json: $.volumes[0].letter: expected a capital drive letter)"},
        {Replace(R"("freeBytes": "1MiB")", R"("freeBytes": "1MiB", "totalBytes": 1024)"),
         R"(broken.json: $.volumes[0].freeBytes: more free bytes than the volume's total)"},
        {Replace(R"("smart": {"attributes": [{"id": 9, "raw": "0x10"}]})",
                 R"("smart": {"dataHexx": "00"})"),
         R"(broken.json: $.drives[0].smart: unknown key "dataHexx"; the closest key is "dataHex")"},
        {Replace(R"("smart": {"attributes")", R"("smart": {"dataHex": "00", "attributes")"),
         R"(broken.json: $.drives[0].smart: give either "dataHex" or "attributes", not both)"},
        {Replace(R"(}],
  "volumes")",
                 R"(}, {"physicalDrive": 0, "route": "ata", "size": 512, "identify": {}}],
  "volumes")"),
         R"(broken.json: $.drives[1].physicalDrive: physical drive 0 is given twice)"},
        {"[1, 2]", R"(broken.json: $: expected an object, found an array)"},
    };
    std::string problem;
    EXPECT_TRUE(ParseMachine(kGood, "good.json", {}, &problem)) << problem;
    for (const auto& each : cases) {
        const std::string error = Error(each.text);
        EXPECT_EQ(error.rfind(each.expected, 0), 0u)
            << "got:      " << error << "\nexpected: " << each.expected;
    }

    // Broken JSON and missing files are errors, not crashes.
    const std::string error =
        Error("{\"format\": \"tramsik-machine/1\",\n  \"os\": {\"major\": 10,,}}");
    EXPECT_EQ(error.rfind("broken.json: $: not valid JSON: ", 0), 0u) << error;
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    EXPECT_EQ(Error("").rfind("broken.json: $: not valid JSON", 0), 0u);

    std::string missing;
    EXPECT_FALSE(LoadMachineFile("/nonexistent/machine.json", &missing));
    EXPECT_EQ(missing, "/nonexistent/machine.json: cannot be read");
    EXPECT_EQ(
        Error(Replace(R"("size": "64MiB",)", R"("image": "no-such.img",)"))
            .rfind(R"(broken.json: $.drives[0].image: cannot use image file "no-such.img")", 0),
        0u);

    // A drive without a layout of its own takes its volume's extents as given.
    EXPECT_TRUE(ParseMachine(
        Replace(
            R"("layout": {"style": "gpt", "partitions": [{"type": "basic", "size": "32MiB"}]},)",
            ""),
        "bare.json", {}, &problem))
        << problem;

    // Numbers, sizes and pages read as documented.
    std::optional<platform::sim::Machine> machine;
    for (const char* size : {"\"0x4000000\"", "\"0.0625GiB\"", "\"67.108864MB\""}) {
        machine = ParseMachine(Replace(R"("size": "64MiB")", std::string(R"("size": )") + size),
                               "hex.json", {}, &problem);
        ASSERT_TRUE(machine) << size << ": " << problem;
        EXPECT_EQ(machine->drives[0].size, 64u << 20) << size;
    }
    EXPECT_EQ(machine->name, "hex");
    // The SMART threshold page follows the list; NVMe pages are built from their fields.
    EXPECT_EQ(machine->drives[0].smart->thresholds[2], 9);
    EXPECT_EQ(machine->drives[0].smart->data[2 + 5], 0x10);

    machine = ParseMachine(R"({"format": "tramsik-machine/1", "os": {"major": 10, "minor": 0},
      "drives": [{"physicalDrive": 0, "route": "nvme-storage-query", "size": "1MiB",
                  "nvme": {"model": "Fast One", "serial": "S1", "vid": "0x1FAB",
                           "health": {"temperatureKelvin": 310, "powerOnHours": 70000}}}]})",
                           "nvme.json", {}, &problem);
    ASSERT_TRUE(machine) << problem;
    const auto& nvme = *machine->drives[0].nvme;
    EXPECT_EQ(nvme.identify[0] | nvme.identify[1] << 8, 0x1FAB);
    EXPECT_EQ(nvme.identify[516], 1) << "one namespace";
    EXPECT_EQ(nvme.health[128] | nvme.health[129] << 8 | nvme.health[130] << 16, 70000);
}

}  // namespace

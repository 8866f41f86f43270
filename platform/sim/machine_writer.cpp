#include "platform/sim/machine_writer.h"

#include <algorithm>
#include <cstdio>
#include <span>

#include <nlohmann/json.hpp>

#include "base/utf8.h"
#include "platform/sim/machine_loader.h"
#include "platform/sim/machine_names.h"

namespace platform::sim {

namespace {

using Json = nlohmann::ordered_json;

// Hex dumps are broken into lines of 32 bytes, so a page reads like a dump.
std::string Hex(std::span<const uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0 && i % 32 == 0) text += ' ';
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

std::string HexNumber(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

std::string LocalTimeText(const LocalTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

Json OsJson(const OsSpec& os) {
    Json held = Json::array();
    for (const std::wstring& name : os.heldMutexes)
        held.push_back(ToUtf8(name));
    return {{"major", os.major},
            {"minor", os.minor},
            {"build", os.build},
            {"platformId", os.platformId},
            {"csdVersion", ToUtf8(os.csdVersion)},
            {"servicePackMajor", os.servicePackMajor},
            {"servicePackMinor", os.servicePackMinor},
            {"versionInfoEx", os.versionInfoEx},
            {"architecture", NameIn(kArchitectureNames, os.architecture)},
            {"codePage", os.codePage},
            {"systemDirectory", ToUtf8(os.systemDirectory)},
            {"winmgmt", NameIn(kWinmgmtNames, os.winmgmt)},
            {"winmgmtStartMs", os.winmgmtStartMs},
            {"scConfigWorks", os.scConfigWorks},
            {"wmi", NameIn(kWmiStateNames, os.wmi)},
            {"heldMutexes", held},
            {"tickStart", os.tickStart},
            {"localTime", LocalTimeText(os.localTime)}};
}

Json ControllerJson(const ControllerSpec& controller) {
    Json devices = Json::array();
    for (const DeviceRef& device : controller.devices)
        devices.push_back({{"deviceId", ToUtf8(device.deviceId)}, {"name", ToUtf8(device.name)}});
    Json json = {{"class", NameIn(kControllerClassNames, controller.klass)},
                 {"name", ToUtf8(controller.name)},
                 {"deviceId", ToUtf8(controller.deviceId)},
                 {"devices", devices}};
    if (const auto& link = controller.pcieLink)
        json["pcieLink"] = {{"maxSpeed", link->maxSpeed},
                            {"maxWidth", link->maxWidth},
                            {"speed", link->speed},
                            {"width", link->width}};
    return json;
}

Json WmiJson(const std::vector<std::pair<std::wstring, WmiValue>>& properties) {
    Json json = Json::object();
    for (const auto& [name, value] : properties) {
        Json& slot = json[ToUtf8(name)];
        if (const auto* text = std::get_if<std::wstring>(&value))
            slot = ToUtf8(*text);
        else if (const auto* number = std::get_if<int64_t>(&value))
            slot = *number;
    }
    return json;
}

Json LayoutJson(const LayoutSpec& layout) {
    const bool gpt = layout.style == LayoutStyle::Gpt;
    Json json = {{"style", NameIn(kLayoutStyleNames, layout.style)}};
    if (layout.style == LayoutStyle::Raw) return json;
    if (gpt)
        json["diskGuid"] = FormatGuid(layout.diskGuid);
    else
        json["signature"] = HexNumber(layout.signature);
    Json partitions = Json::array();
    for (const PartitionSpec& partition : layout.partitions) {
        Json entry;
        if (gpt) {
            entry["type"] = FormatGuid(partition.typeGuid);
            entry["name"] = ToUtf8(std::wstring(partition.name.begin(), partition.name.end()));
            entry["guid"] = FormatGuid(partition.uniqueGuid);
            entry["attributes"] = HexNumber(partition.attributes);
        } else {
            entry["type"] = HexNumber(partition.mbrType);
            entry["bootable"] = partition.bootable;
        }
        entry["startLba"] = partition.startLba;
        entry["size"] = partition.sectorCount * kSectorSize;
        partitions.push_back(entry);
    }
    json["partitions"] = partitions;
    return json;
}

Json DriveJson(const DriveSpec& drive) {
    Json json;
    json["physicalDrive"] = drive.physicalDrive ? Json(*drive.physicalDrive) : Json();
    const auto route = std::find_if(std::begin(kRouteNames), std::end(kRouteNames),
                                    [&](const RouteName& r) { return r.route == drive.route; });
    json["route"] = route->name;
    json["ata"] = {{"passThrough", drive.ata.passThrough},
                   {"smartIoctl", drive.ata.smartIoctl},
                   {"target", HexNumber(drive.ata.target)}};
    if (const auto& scsi = drive.scsi)
        json["scsi"] = {
            {"port", scsi->port}, {"target", scsi->target}, {"bus", scsi->bus}, {"lun", scsi->lun}};
    if (const auto& usb = drive.usb)
        json["usb"] = {{"vid", HexNumber(usb->vid)}, {"pid", HexNumber(usb->pid)}};
    if (const auto& si = drive.siliconImage)
        json["siliconImage"] = {{"chip", si->chip}, {"device", si->device}};
    if (const auto& csmi = drive.csmi)
        json["csmi"] = {{"port", csmi->port},
                        {"phy", csmi->phy},
                        {"sasAddress", HexNumber(csmi->sasAddress)},
                        {"raidMember", csmi->raidMember}};
    if (drive.wmi) json["wmi"] = WmiJson(*drive.wmi);
    if (drive.identify) json["identify"] = {{"hex", Hex(*drive.identify)}};
    if (const auto& smart = drive.smart)
        json["smart"] = {{"dataHex", Hex(smart->data)},
                         {"thresholdHex", Hex(smart->thresholds)},
                         {"enabled", smart->enabled},
                         {"wmi", smart->wmi}};
    if (const auto& nvme = drive.nvme)
        json["nvme"] = {{"identifyHex", Hex(nvme->identify)}, {"healthHex", Hex(nvme->health)}};
    json["storage"] = {{"vendor", drive.storage.vendor},
                       {"product", drive.storage.product},
                       {"revision", drive.storage.revision},
                       {"serial", drive.storage.serial}};
    // A bus a machine file cannot name is left to the route's default.
    if (const auto bus = NameIn(kBusTypeNames, drive.storage.busType); !bus.empty())
        json["storage"]["busType"] = bus;
    json["mediaType"] = NameIn(kMediaTypeNames, drive.removableMedia);
    json["size"] = drive.size;
    if (drive.layout) json["layout"] = LayoutJson(*drive.layout);
    return json;
}

Json VolumeJson(const VolumeSpec& volume) {
    Json extents = Json::array();
    for (const ExtentSpec& extent : volume.extents)
        extents.push_back({{"drive", extent.drive}, {"partition", extent.partition}});
    Json json = {{"letter", std::string(1, static_cast<char>(volume.letter))},
                 {"driveType", NameIn(kDriveTypeNames, volume.driveType)},
                 {"fileSystem", ToUtf8(volume.fileSystem)},
                 {"label", ToUtf8(volume.label)},
                 {"serialNumber", HexNumber(volume.serialNumber)}};
    if (volume.totalBytes) json["totalBytes"] = *volume.totalBytes;
    json["freeBytes"] = volume.freeBytes;
    json["extents"] = extents;
    return json;
}

}  // namespace

std::string WriteMachine(const Machine& machine) {
    Json json = {{"format", kMachineFormat}};
    if (!machine.name.empty()) json["name"] = machine.name;
    json["os"] = OsJson(machine.os);
    json["controllers"] = Json::array();
    for (const ControllerSpec& controller : machine.controllers)
        json["controllers"].push_back(ControllerJson(controller));
    json["drives"] = Json::array();
    for (const DriveSpec& drive : machine.drives)
        json["drives"].push_back(DriveJson(drive));
    json["volumes"] = Json::array();
    for (const VolumeSpec& volume : machine.volumes)
        json["volumes"].push_back(VolumeJson(volume));
    return json.dump(2) + "\n";
}

}  // namespace platform::sim

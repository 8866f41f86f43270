// What management instrumentation lists: the storage controllers with the devices below each
// and their PCIe link, and the Win32_DiskDrive objects.
#include "base/utf8.h"
#include "capture/capture_parts.h"
#include "disk/wmi_query.h"
#include "platform/platform.h"
#include "platform/sim/machine_names.h"

namespace capture {

namespace {

using platform::WmiObject;
using platform::sim::ControllerClass;
using platform::sim::ControllerSpec;

constexpr size_t kMaxObjects = 256;

struct ControllerClassName {
    ControllerClass klass;
    const wchar_t* name;
};
constexpr ControllerClassName kControllerClasses[] = {
    {ControllerClass::Ide, L"Win32_IDEController"},
    {ControllerClass::Scsi, L"Win32_SCSIController"},
    {ControllerClass::Usb, L"Win32_USBController"},
};

void Walk(platform::WmiServices& services, const std::wstring& query,
          const std::function<void(const WmiObject&)>& visit) {
    if (const auto objects = disk::RunWqlQuery(services, query))
        disk::WalkWmiObjects(*objects, kMaxObjects, visit);
}

std::wstring Text(const WmiObject& object, const wchar_t* name) {
    return disk::WmiText(object, name).value_or(L"");
}

// A property as a machine file states it: the integers as numbers, the size as decimal text.
platform::WmiValue Normalised(platform::WmiValue value, platform::sim::WmiKind kind) {
    using platform::sim::WmiKind;
    if (kind == WmiKind::Integer)
        if (const auto* text = std::get_if<std::wstring>(&value))
            return text->empty() || text->find_first_not_of(L"0123456789") != std::wstring::npos
                       ? platform::WmiValue()
                       : platform::WmiValue(static_cast<int64_t>(std::stoll(*text)));
    if (kind == WmiKind::Size)
        if (const auto* number = std::get_if<int64_t>(&value))
            return *number < 0 ? platform::WmiValue()
                               : platform::WmiValue(std::to_wstring(*number));
    if (kind != WmiKind::Integer && std::holds_alternative<int64_t>(value))
        return std::to_wstring(std::get<int64_t>(value));
    if (std::holds_alternative<std::vector<uint8_t>>(value)) return {};
    return value;
}

}  // namespace

std::vector<ControllerSpec> CaptureControllers(platform::WmiServices& services) {
    std::vector<ControllerSpec> controllers;
    for (const ControllerClassName& klass : kControllerClasses) {
        const size_t first = controllers.size();
        Walk(services, std::wstring(L"SELECT * FROM ") + klass.name, [&](const WmiObject& found) {
            ControllerSpec controller;
            controller.klass = klass.klass;
            controller.name = Text(found, L"Name");
            controller.deviceId = Text(found, L"DeviceID");
            controllers.push_back(controller);
        });
        for (size_t i = first; i < controllers.size(); ++i) {
            ControllerSpec& controller = controllers[i];
            Walk(services,
                 std::wstring(L"ASSOCIATORS OF {") + klass.name + L".DeviceID=\"" +
                     disk::WqlEscape(controller.deviceId) + L"\"} WHERE AssocClass = " +
                     klass.name + L"Device",
                 [&](const WmiObject& device) {
                     controller.devices.push_back(
                         {Text(device, L"DeviceID"), Text(device, L"Name")});
                 });
            platform::PcieLink link;
            if (platform::GetPcieLinkProperties(controller.deviceId, &link) &&
                (link.maxSpeed | link.maxWidth | link.speed | link.width) != 0)
                controller.pcieLink = link;
        }
    }
    return controllers;
}

std::vector<WmiDiskProperties> CaptureWmiDisks(platform::WmiServices& services) {
    std::vector<WmiDiskProperties> disks;
    Walk(services, L"SELECT * FROM Win32_DiskDrive", [&](const WmiObject& found) {
        WmiDiskProperties properties;
        for (const auto& property : platform::sim::kDiskDriveProperties) {
            const std::wstring name = FromUtf8(property.name);
            platform::WmiValue value;
            if (!platform::Succeeded(found.Get(name, &value))) value = {};
            properties.emplace_back(name, Normalised(value, property.kind));
        }
        disks.push_back(properties);
    });
    return disks;
}

}  // namespace capture

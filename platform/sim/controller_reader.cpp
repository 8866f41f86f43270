// A storage controller as WMI lists it, with the devices below it and its PCIe link.
#include "platform/sim/section_readers.h"

namespace platform::sim {

ControllerSpec ReadController(const Field& field) {
    ObjectReader object(field, {"class", "name", "deviceId", "devices", "pcieLink"});
    ControllerSpec config;
    config.klass = Pick(object.Required("class"), kControllerClassNames);
    config.name = object.Required("name").WideText();
    config.deviceId = object.Required("deviceId").WideText();
    if (auto devices = object.Optional("devices")) {
        for (const Field& item : devices->Items()) {
            ObjectReader device(item, {"deviceId", "name"});
            config.devices.push_back(
                {device.Required("deviceId").WideText(),
                 device.Optional("name") ? device.Required("name").WideText() : std::wstring()});
            device.Close();
        }
    }
    if (auto link = object.Optional("pcieLink")) {
        ObjectReader fields(*link, {"maxSpeed", "maxWidth", "speed", "width"});
        PcieLink value;
        value.maxSpeed = static_cast<uint32_t>(fields.Required("maxSpeed").Unsigned(255));
        value.maxWidth = static_cast<uint32_t>(fields.Required("maxWidth").Unsigned(255));
        value.speed = static_cast<uint32_t>(fields.Required("speed").Unsigned(255));
        value.width = static_cast<uint32_t>(fields.Required("width").Unsigned(255));
        fields.Close();
        config.pcieLink = value;
    }
    object.Close();
    return config;
}

}  // namespace platform::sim

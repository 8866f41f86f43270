#include "capture/capture.h"

#include "capture/capture_parts.h"
#include "disk/wmi_connection.h"

namespace capture {

platform::sim::Machine CaptureMachine(const disk::CAtaSmart& engine, const Progress& progress) {
    platform::sim::Machine machine;
    progress(L"system facts");
    machine.os = CaptureOs(engine);
    std::vector<WmiDiskProperties> wmiDisks;
    if (engine.WmiAvailable) {
        progress(L"storage controllers");
        if (const auto services = disk::ConnectInventoryWmi(engine.OsVersion)) {
            machine.controllers = CaptureControllers(*services);
            wmiDisks = CaptureWmiDisks(*services);
        }
    }
    const auto records = engine.vars.Records();
    for (size_t i = 0; i < records.size(); ++i) {
        progress(L"drive " + std::to_wstring(i + 1) + L" of " + std::to_wstring(records.size()) +
                 L": " + records[i].Model);
        machine.drives.push_back(CaptureDrive(records[i], i, wmiDisks));
    }
    progress(L"volumes");
    machine.volumes = CaptureVolumes(machine.drives);
    return machine;
}

}  // namespace capture

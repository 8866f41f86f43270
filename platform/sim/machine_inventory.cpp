#include "platform/sim/machine_inventory.h"

#include "platform/inventory/locator.h"

namespace platform::sim {

inventory::Inventory MachineInventory(const Machine& machine) {
    inventory::Inventory result;
    result.controllers = machine.controllers;
    for (const DriveSpec& drive : machine.drives) {
        if (!drive.wmi) continue;
        inventory::DiskDrive disk{*drive.wmi, std::nullopt};
        if (drive.smart && drive.smart->wmi)
            disk.failurePrediction = {drive.smart->data, drive.smart->thresholds};
        result.disks.push_back(std::move(disk));
    }
    return result;
}

std::unique_ptr<WmiLocator> MakeMachineLocator(
    const OsSpec& os, std::shared_ptr<const inventory::Inventory> inventory,
    std::function<bool()> serviceAvailable) {
    const WmiState state = os.wmi;
    inventory::FailurePoints failures;
    failures.serviceAvailable = [state, available = std::move(serviceAvailable)] {
        return state != WmiState::ConnectFails && available();
    };
    failures.blanketFails = state == WmiState::BlanketFails;
    failures.queryFails = state == WmiState::QueryFails;
    return inventory::MakeLocator(std::move(inventory), std::move(failures));
}

}  // namespace platform::sim

// Management instrumentation of a simulated machine: the inventory its file states (the
// controllers, the drives' Win32_DiskDrive properties and their SMART pages), answered with
// the failure points the file names.
#pragma once

#include <functional>
#include <memory>

#include "platform/inventory/inventory.h"
#include "platform/sim/machine.h"
#include "platform/wmi.h"

namespace platform::sim {

// The controllers, and the drives WMI lists with their failure-prediction pages where root\WMI
// lists them too.
inventory::Inventory MachineInventory(const Machine& machine);

// A locator over the machine's inventory whose connections fail where `os` says and which
// needs the management service: `serviceAvailable` is asked on every connection (it may start
// the service).
std::unique_ptr<WmiLocator> MakeMachineLocator(
    const OsSpec& os, std::shared_ptr<const inventory::Inventory> inventory,
    std::function<bool()> serviceAvailable);

}  // namespace platform::sim

// The management service over an inventory, in the COM shape of platform/wmi.h: a locator
// that connects to root\cimv2 or root\WMI on the local machine, and connections that answer
// WQL from the inventory.
#pragma once

#include <functional>
#include <memory>

#include "platform/inventory/inventory.h"
#include "platform/wmi.h"

namespace platform::inventory {

// Where talking to the service fails, for a machine that says so.
struct FailurePoints {
    // Asked on every connection (it may start the service); none: the service always answers.
    std::function<bool()> serviceAvailable;
    bool blanketFails = false;
    bool queryFails = false;
};

// Connections keep `inventory` alive for as long as they live.
std::unique_ptr<WmiLocator> MakeLocator(std::shared_ptr<const Inventory> inventory,
                                        FailurePoints failures = {});

}  // namespace platform::inventory

// The inventory's connection to management instrumentation: the management service is made
// to run, a locator connects to root\cimv2 and the proxy security is set, each step logged so
// that a support log tells which one failed.
#pragma once

#include <memory>

#include "platform/win_types.h"
#include "platform/wmi.h"

namespace disk {

// The connection, or null when management instrumentation cannot be used this time; the
// inventory then lists the disks without it.
std::unique_ptr<platform::WmiServices> ConnectInventoryWmi(const platform::OSVERSIONINFOEXW& os);

}  // namespace disk

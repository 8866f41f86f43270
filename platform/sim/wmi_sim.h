// Management instrumentation of a simulated machine: the namespaces root\cimv2 and root\WMI,
// the WQL forms the inventory sends, and objects built from the machine's controllers and
// drives.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/machine.h"
#include "platform/wmi.h"

namespace platform::sim {

// An object together with its class, as a query returns it.
struct WmiInstance {
    std::wstring className;
    WmiObject object;
};

// Runs one WQL text against `machine` in a namespace ("root\cimv2" or "root\WMI", any case).
// WBEM_E_INVALID_QUERY for a text outside the supported forms, WBEM_E_INVALID_CLASS for an
// unknown class.
HRESULT RunWql(const Machine& machine, const std::wstring& nameSpace, const std::wstring& query,
               std::vector<WmiInstance>* results);

// A locator whose connections fail where the machine says and which needs the management
// service: `serviceAvailable` is asked on every connection (it may start the service).
std::unique_ptr<WmiLocator> MakeSimWmiLocator(const Machine& machine,
                                              std::function<bool()> serviceAvailable);

}  // namespace platform::sim

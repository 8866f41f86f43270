// The WQL an inventory answers: "select <properties> from <class>" in root\cimv2 and root\WMI,
// and "associators of {<class>.DeviceID=<id>} [where AssocClass=<class> ResultClass=<class>]"
// between controllers, their devices and the disk drives in root\cimv2.
#pragma once

#include <string>
#include <vector>

#include "platform/inventory/inventory.h"
#include "platform/wmi.h"

namespace platform::inventory {

// An object together with its class, as a query returns it.
struct WmiInstance {
    std::wstring className;
    WmiObject object;
};

// Runs one WQL text in a namespace ("root\cimv2" or "root\WMI", any case).
// WBEM_E_INVALID_QUERY for a text outside the supported forms, WBEM_E_INVALID_CLASS for an
// unknown class.
HRESULT RunWql(const Inventory& inventory, const std::wstring& nameSpace, const std::wstring& query,
               std::vector<WmiInstance>* results);

// Object paths arrive with their backslashes doubled by WQL escaping or not at all; the key
// is the same for both, and without case.
std::wstring PathKey(const std::wstring& id);

}  // namespace platform::inventory

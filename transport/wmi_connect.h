// Reaching a namespace of management instrumentation: a locator connects to it and the
// connection gets the proxy security every query of this program runs with. The inventory, the
// PCIe link lookup and the WMI route each open their own connection this one way.
#pragma once

#include <memory>
#include <string>

#include "platform/win_types.h"
#include "platform/wmi.h"

namespace transport {

// The lines a caller wants in the support log around each step, so that a log tells which one
// failed; a null line is not written.
struct WmiConnectLog {
    const wchar_t* beforeLocator = nullptr;
    const wchar_t* locatorFailed = nullptr;
    const wchar_t* beforeConnect = nullptr;
    const wchar_t* beforeBlanket = nullptr;
    const wchar_t* blanketFailed = nullptr;  // a printf format given the failure code (%08X)
    const wchar_t* connected = nullptr;
};

// The connect flags for a system version: waiting as long as the service needs exists from
// Vista on.
long WmiConnectFlagsFor(platform::DWORD osMajorVersion);

// The connection to `nameSpace` (e.g. "\\.\root\cimv2"), or null when a step fails.
std::unique_ptr<platform::WmiServices> ConnectWmiNamespace(const std::wstring& nameSpace,
                                                           long connectFlags,
                                                           const WmiConnectLog& log = {});

}  // namespace transport

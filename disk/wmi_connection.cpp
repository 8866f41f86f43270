#include "disk/wmi_connection.h"

#include "base/log.h"
#include "disk/winmgmt.h"
#include "platform/platform.h"
#include "transport/wmi_connect.h"

using namespace platform;

namespace disk {

namespace {

const transport::WmiConnectLog kInventoryConnectLog = {.beforeLocator = L"CoCreateInstance()",
                                                       .locatorFailed = L"NG:WMI Init 1",
                                                       .beforeConnect = L"ConnectServer()",
                                                       .beforeBlanket = L"CoSetProxyBlanket()",
                                                       .blanketFailed = L"NG:WMI Init - %08X",
                                                       .connected = L"OK:WMI Init"};

}  // namespace

std::unique_ptr<WmiServices> ConnectInventoryWmi(const OSVERSIONINFOEXW& os) {
    if (!IsWinmgmtRunning()) {
        WriteLog(L"Waiting... Winmgmt");
        if (!StartWinmgmt()) {
            WriteLog(L"NG:WMI Init 3");
            return nullptr;
        }
    }

    // The result does not matter: security may already have been set for this process.
    WriteLog(L"CoInitializeSecurity()");
    CoInitializeSecurity();

    return transport::ConnectWmiNamespace(L"\\\\.\\root\\cimv2",
                                          transport::WmiConnectFlagsFor(os.dwMajorVersion),
                                          kInventoryConnectLog);
}

}  // namespace disk

#include "disk/wmi_connection.h"

#include "base/log.h"
#include "disk/winmgmt.h"
#include "platform/platform.h"

using namespace platform;

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

    WriteLog(L"CoCreateInstance()");
    std::unique_ptr<WmiLocator> locator;
    if (!Succeeded(CreateWbemLocator(&locator)) || !locator) {
        WriteLog(L"NG:WMI Init 1");
        return nullptr;
    }

    WriteLog(L"ConnectServer()");
    // Waiting as long as the service needs exists from Vista on.
    const long flags = os.dwMajorVersion >= 6 ? WBEM_FLAG_CONNECT_USE_MAX_WAIT : 0;
    std::unique_ptr<WmiServices> services;
    if (!Succeeded(locator->ConnectServer(L"\\\\.\\root\\cimv2", flags, &services)) || !services)
        return nullptr;

    WriteLog(L"CoSetProxyBlanket()");
    const HRESULT blanket =
        services->SetProxyBlanket(RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, RPC_C_AUTHN_LEVEL_CALL,
                                  RPC_C_IMP_LEVEL_IMPERSONATE, EOAC_NONE);
    if (!Succeeded(blanket)) {
        WriteLog(L"NG:WMI Init - %08X", static_cast<unsigned>(blanket));
        return nullptr;
    }
    WriteLog(L"OK:WMI Init");
    return services;
}
